// Stop requests on Windows: Ctrl-C, Ctrl-Break and closing the console
// reach the console control handler, which the system calls on a thread of
// its own. Every Ctrl-C or Ctrl-Break is handled here, a second one too:
// handing it to the default handler would end the program on the spot and
// leave an unfinished file.
#include <windows.h>

#include "stop_signal.h"

#include <atomic>

namespace korvex::tool {
namespace {

std::atomic<bool> stopRequested{false};
// After a console window is closed (or the user logs off) the system ends
// the program once the handler returns, or after about five seconds:
// waiting here gives the command that time to finish its file. The SDK
// also finishes a recording when the process ends.
constexpr DWORD kCloseGraceMs = 4500;
// The status a Ctrl-C gives on Linux, so that scripts see the same.
constexpr int kInterruptedStatus = 130;

BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT: stopRequested.store(true); return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      stopRequested.store(true);
      ::Sleep(kCloseGraceMs);
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

void InstallStopHandler() { ::SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool StopRequested() { return stopRequested.load(); }

int InterruptedExitStatus() { return stopRequested.load() ? kInterruptedStatus : 0; }

}  // namespace korvex::tool
