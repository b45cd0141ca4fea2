// The platform seam on top of the Korvex host library (Linux).
#include "platform/platform.h"

#include "korvex/host.h"

namespace korvex::platform {

uint32_t TickCount() { return KorvexHost_GetTickCount(); }
uint32_t TimeGetTime() { return KorvexHost_TimeGetTime(); }
int Rand() { return KorvexHost_Rand(); }
void Sleep(uint32_t milliseconds) { KorvexHost_Sleep(milliseconds); }

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return KorvexHost_PostMessage(window, message, wParam, lParam) != 0;
}

}  // namespace korvex::platform
