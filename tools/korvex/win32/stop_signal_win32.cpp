// Stop requests on Windows: Ctrl-C, Ctrl-Break and closing the console
// reach the console control handler, which the system calls on a thread of
// its own.
#include <windows.h>

#include "stop_signal.h"

#include <atomic>

namespace korvex::tool {
namespace {

std::atomic<bool> stopRequested{false};
// After a console window is closed the system ends the program once the
// handler returns, or after about five seconds: waiting here gives the
// command that time to finish its file.
constexpr DWORD kCloseGraceMs = 4500;

BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      // FALSE hands a second one to the default handler, which ends the program.
      return stopRequested.exchange(true) ? FALSE : TRUE;
    case CTRL_CLOSE_EVENT:
      stopRequested.store(true);
      ::Sleep(kCloseGraceMs);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void InstallStopHandler() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool StopRequested() { return stopRequested.load(); }

}  // namespace korvex::tool
