// The platform seam: every operating-system service the core uses goes
// through here. On Linux the services come from the host library; a Windows
// build maps them onto the Win32 API instead.
#pragma once

#include "KorvexSdk_740K3_XLN.h"
#include "common/thread_annotations.h"

#include <cstdint>
#include <mutex>

namespace korvex::platform {

using WindowHandle = KORVEX_HWND;

// Milliseconds since system start, 32 bits, wrapping (GetTickCount).
uint32_t TickCount();
// Multimedia timer, 32 bits, wrapping (timeGetTime).
uint32_t TimeGetTime();
// The C library's generator as the SDK's callers know it: 0 to 32767.
int Rand();
void Sleep(uint32_t milliseconds);

// Posts a window message without waiting. A null window posts to the calling
// thread's queue. The result of the post is the caller's to ignore.
bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// A critical section: recursive, like the operating system's.
class KORVEX_CAPABILITY("mutex") CriticalSection {
 public:
  void Enter() KORVEX_ACQUIRE() { mutex_.lock(); }
  void Leave() KORVEX_RELEASE() { mutex_.unlock(); }
  // Lockable, for std::lock_guard and the checked holders of
  // common/lock_guard.h.
  void lock() KORVEX_ACQUIRE() { Enter(); }
  void unlock() KORVEX_RELEASE() { Leave(); }

 private:
  std::recursive_mutex mutex_;
};

}  // namespace korvex::platform
