// The platform seam on the Win32 API: clocks, the C library's generator,
// sleeping and posted window messages.
#include <windows.h>
#include <mmsystem.h>

#include "platform/platform.h"

#include <cstdlib>

namespace korvex::platform {

uint32_t TickCount() { return ::GetTickCount(); }
uint32_t TimeGetTime() { return ::timeGetTime(); }
// The C runtime keeps the generator's state per thread, as callers expect.
int Rand() { return std::rand(); }
void Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return ::PostMessageA(reinterpret_cast<HWND>(window), message, wParam, lParam) != FALSE;
}

}  // namespace korvex::platform
