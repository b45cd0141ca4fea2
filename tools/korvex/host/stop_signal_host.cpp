// Stop requests on Linux: SIGINT (Ctrl-C) and SIGTERM.
#include "stop_signal.h"

#include <atomic>
#include <csignal>

namespace korvex::tool {
namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void OnStopSignal(int signal) {
  stopRequested.store(true);
  std::signal(signal, SIG_DFL);  // a second signal ends the program
}

}  // namespace

void InstallStopHandler() {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
}

bool StopRequested() { return stopRequested.load(); }

}  // namespace korvex::tool
