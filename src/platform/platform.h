// The platform seam: every operating-system service the core uses goes
// through here. On Linux the services come from the host library; a Windows
// build maps them onto the Win32 API instead.
#pragma once

#include "KorvexSdk_740K3_XLN.h"

#include <cstdint>

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

}  // namespace korvex::platform
