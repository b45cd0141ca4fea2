// The on-screen window seam on top of the host library.
#include "platform/window.h"

#include "korvex/host_windows.h"

namespace korvex::platform {
namespace {

static_assert(sizeof(WindowRect) == sizeof(KorvexHostRect));

KorvexHostDC ToHost(DeviceContext dc) { return reinterpret_cast<KorvexHostDC>(dc); }

}  // namespace

ModuleHandle ExecutableModule() { return KorvexHost_ProcessId(); }

bool RegisterWindowClass(const WindowClass& windowClass) {
  KorvexHostWindowClass c{};
  c.style = windowClass.style;
  c.instance = windowClass.instance;
  c.cursor = windowClass.arrowCursor ? KORVEX_HOST_IDC_ARROW : 0;
  c.background = windowClass.blackBackground ? KORVEX_HOST_BLACK_BRUSH : KORVEX_HOST_NULL_BRUSH;
  c.name = windowClass.name;
  return KorvexHost_RegisterClass(&c) != 0;
}

bool UnregisterWindowClass(const char* name, ModuleHandle instance) {
  return KorvexHost_UnregisterClass(name, instance) != 0;
}

WindowHandle CreateWindowOfClass(uint32_t exStyle, const char* className, const char* title,
                                 uint32_t style, int x, int y, int width, int height,
                                 WindowHandle parent, uintptr_t id, ModuleHandle instance) {
  return KorvexHost_CreateWindow(exStyle, className, title, style, x, y, width, height, parent, id,
                                 instance);
}

bool DestroyWindow(WindowHandle window) { return KorvexHost_DestroyWindow(window) != 0; }

bool GetClientRect(WindowHandle window, WindowRect* rect) {
  return KorvexHost_GetClientRect(window, reinterpret_cast<KorvexHostRect*>(rect)) != 0;
}

bool IsWindowVisible(WindowHandle window) { return KorvexHost_IsWindowVisible(window) != 0; }

bool ShowWindow(WindowHandle window, int command) {
  return KorvexHost_ShowWindow(window, command) != 0;
}

WindowHandle SetFocus(WindowHandle window) { return KorvexHost_SetFocus(window); }

bool UpdateWindow(WindowHandle window) { return KorvexHost_UpdateWindow(window) != 0; }

bool AdjustWindowRectEx(WindowRect* rect, uint32_t style, bool hasMenu, uint32_t exStyle) {
  return KorvexHost_AdjustWindowRectEx(reinterpret_cast<KorvexHostRect*>(rect), style,
                                       hasMenu ? 1 : 0, exStyle) != 0;
}

int ScreenWidth() { return KorvexHost_GetSystemMetrics(KORVEX_HOST_SM_CXSCREEN); }
int ScreenHeight() { return KorvexHost_GetSystemMetrics(KORVEX_HOST_SM_CYSCREEN); }

DeviceContext GetDC(WindowHandle window) {
  return reinterpret_cast<DeviceContext>(KorvexHost_GetDC(window));
}

bool ReleaseDC(WindowHandle window, DeviceContext dc) {
  return KorvexHost_ReleaseDC(window, ToHost(dc)) != 0;
}

}  // namespace korvex::platform
