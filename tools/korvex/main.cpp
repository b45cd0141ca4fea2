// korvex: the camera from the command line. Every command opens the camera
// through the SDK's public interface, does one job and releases it; the
// camera keeps its stored settings between commands.
#include "commands.h"
#include "host_seam.h"
#include "session.h"
#include "stop_signal.h"

#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  using namespace korvex::tool;
  CLI::App app{
      "korvex - the Korvex740K3-XLN camera from the command line.\n"
      "Every command takes --camera N (default 0) and --help. Exit status: 0 success,\n"
      "1 the camera or a file failed, 2 a mistake on the command line."};
  app.require_subcommand(1);
  int exitCode = kExitOk;
  AddInfoCommands(app, &exitCode);
  AddParameterCommands(app, &exitCode);
  AddSnapCommand(app, &exitCode);
  AddRecordCommand(app, &exitCode);
  AddPreviewCommand(app, &exitCode);
  AddDeviceCommands(app, &exitCode);

  PrepareHost();
  InstallStopHandler();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  }
  return exitCode;
}
