// Stop requests during a command: on Linux every signal that would end the
// program and can be caught (Ctrl-C's SIGINT, SIGTERM, SIGHUP when the
// terminal goes, SIGPIPE when the reader of the output goes, SIGQUIT ...),
// on Windows Ctrl-C, Ctrl-Break and closing the console. Every one of them,
// the first and any later one alike, asks the running command to stop
// cleanly (stop the camera, finish the file); none ends the program on the
// spot, since that would leave an unfinished file. Stopping is bounded, so
// the program still ends promptly. host/ and win32/ implement it per system.
#pragma once

namespace korvex::tool {

void InstallStopHandler();
bool StopRequested();
// The exit status of a run that a stop request cut short: 128 + the number
// of the first signal on Linux, as shells report a program a signal ended
// (130 for Ctrl-C); 130 on Windows. 0 when no stop was requested.
int InterruptedExitStatus();

}  // namespace korvex::tool
