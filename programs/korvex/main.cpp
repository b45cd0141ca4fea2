// korvex: the camera from the command line. Every command opens the camera
// through the SDK's public interface, does one job and releases it; the
// camera keeps its stored settings between commands.
#include "commands.h"
#include "host_seam.h"
#include "stop_signal.h"

int main(int argc, char** argv) {
  using namespace korvex::tool;
  PrepareHost();
  InstallStopHandler();
  const int status = RunCommandLine(CommandLineArguments(argc, argv));
  // A run that a stop request cut short says so, whatever the command made of it.
  return StopRequested() ? InterruptedExitStatus() : status;
}
