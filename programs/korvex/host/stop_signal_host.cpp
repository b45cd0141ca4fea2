// Stop requests on Linux: every catchable signal whose default would end
// the program. A signal that was ignored when the program started (nohup,
// a background job's SIGINT) stays ignored.
#include "stop_signal.h"

#include <atomic>
#include <csignal>

namespace korvex::tool {
namespace {

// The first stop signal's number; 0 while none came.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the flag is set from a signal handler");

constexpr int kStopSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGPIPE, SIGALRM,
                                SIGTERM, SIGUSR1, SIGUSR2, SIGXCPU};

extern "C" void OnStopSignal(int signal) {
  int none = 0;
  stopSignal.compare_exchange_strong(none, signal);
}

}  // namespace

void InstallStopHandler() {
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kStopSignals) {
    struct sigaction previous = {};
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

bool StopRequested() { return stopSignal.load() != 0; }

int InterruptedExitStatus() {
  const int signal = stopSignal.load();
  return signal == 0 ? 0 : 128 + signal;
}

}  // namespace korvex::tool
