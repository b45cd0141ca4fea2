// Clocks, sleeping and the C library's pseudo-random generator as Windows
// programs see them.
#include "korvex/host_base.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <chrono>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<uint32_t> g_clockOffset{0};
// The longest a sleep lasts; tests lower it (KorvexHost_SetSleepLimit).
std::atomic<uint32_t> g_sleepLimit{UINT32_MAX};

uint32_t MonotonicMilliseconds() {
  using namespace std::chrono;
  const auto now = steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(duration_cast<milliseconds>(now).count());
}

// The generator state is per thread, seeded with 1, as in the Microsoft C
// run-time library whose sequence applications may have come to expect.
thread_local uint32_t t_randState = 1;

}  // namespace

extern "C" {

uint32_t KorvexHost_GetTickCount(void) {
  return MonotonicMilliseconds() + g_clockOffset.load(std::memory_order_relaxed);
}

uint32_t KorvexHost_TimeGetTime(void) {
  return MonotonicMilliseconds() + g_clockOffset.load(std::memory_order_relaxed);
}

void KorvexHost_SetClockOffset(uint32_t offsetMs) {
  g_clockOffset.store(offsetMs, std::memory_order_relaxed);
}

void KorvexHost_SetSleepLimit(uint32_t milliseconds) {
  g_sleepLimit.store(milliseconds, std::memory_order_relaxed);
}

void KorvexHost_Sleep(uint32_t milliseconds) {
  milliseconds = std::min(milliseconds, g_sleepLimit.load(std::memory_order_relaxed));
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int KorvexHost_Rand(void) {
  t_randState = t_randState * 214013u + 2531011u;
  return static_cast<int>((t_randState >> 16) & 0x7FFFu);
}

void KorvexHost_SRand(unsigned int seed) { t_randState = seed; }

uint64_t KorvexHost_ProcessId(void) { return static_cast<uint64_t>(getpid()); }

}  // extern "C"
