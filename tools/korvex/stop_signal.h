// Ctrl-C (SIGINT) and SIGTERM during a long command: the first asks the
// command to stop cleanly (stop the camera, finish the file); a second one
// ends the program at once.
#pragma once

namespace korvex::tool {

void InstallStopHandler();
bool StopRequested();

}  // namespace korvex::tool
