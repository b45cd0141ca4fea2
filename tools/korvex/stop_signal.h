// Ctrl-C during a long command (on Linux also SIGTERM, on Windows also
// Ctrl-Break and closing the console): the first asks the command to stop
// cleanly (stop the camera, finish the file); a second one ends the program
// at once. host/ and win32/ implement it per system.
#pragma once

namespace korvex::tool {

void InstallStopHandler();
bool StopRequested();

}  // namespace korvex::tool
