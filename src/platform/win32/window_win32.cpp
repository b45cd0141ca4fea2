// The on-screen window seam on the Win32 user interface functions (ANSI
// forms). Window classes registered here pass every message to
// DefWindowProcA.
#include <windows.h>

#include "platform/window.h"

namespace korvex::platform {
namespace {

static_assert(sizeof(WindowRect) == sizeof(RECT));
static_assert(kWsChild == WS_CHILD && kWsVisible == WS_VISIBLE &&
              kWsClipSiblings == WS_CLIPSIBLINGS && kWsClipChildren == WS_CLIPCHILDREN &&
              kWsOverlappedWindow == WS_OVERLAPPEDWINDOW && kSwShow == SW_SHOW);

HWND ToWin(WindowHandle window) { return reinterpret_cast<HWND>(window); }
HINSTANCE ToWin(ModuleHandle module) { return reinterpret_cast<HINSTANCE>(module); }

}  // namespace

ModuleHandle ExecutableModule() {
  return reinterpret_cast<ModuleHandle>(::GetModuleHandleA(nullptr));
}

bool RegisterWindowClass(const WindowClass& windowClass) {
  WNDCLASSA c{};
  c.style = windowClass.style;
  c.lpfnWndProc = ::DefWindowProcA;
  c.hInstance = ToWin(windowClass.instance);
  c.hCursor = windowClass.arrowCursor ? ::LoadCursorA(nullptr, IDC_ARROW) : nullptr;
  c.hbrBackground =
      windowClass.blackBackground ? static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)) : nullptr;
  c.lpszClassName = windowClass.name;
  return ::RegisterClassA(&c) != 0;
}

bool UnregisterWindowClass(const char* name, ModuleHandle instance) {
  return ::UnregisterClassA(name, ToWin(instance)) != FALSE;
}

WindowHandle CreateWindowOfClass(uint32_t exStyle, const char* className, const char* title,
                                 uint32_t style, int x, int y, int width, int height,
                                 WindowHandle parent, uintptr_t id, ModuleHandle instance) {
  return reinterpret_cast<WindowHandle>(
      ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, ToWin(parent),
                        reinterpret_cast<HMENU>(id), ToWin(instance), nullptr));
}

bool DestroyWindow(WindowHandle window) { return ::DestroyWindow(ToWin(window)) != FALSE; }

bool GetClientRect(WindowHandle window, WindowRect* rect) {
  return ::GetClientRect(ToWin(window), reinterpret_cast<RECT*>(rect)) != FALSE;
}

bool IsWindowVisible(WindowHandle window) { return ::IsWindowVisible(ToWin(window)) != FALSE; }

bool ShowWindow(WindowHandle window, int command) {
  return ::ShowWindow(ToWin(window), command) != FALSE;
}

WindowHandle SetFocus(WindowHandle window) {
  return reinterpret_cast<WindowHandle>(::SetFocus(ToWin(window)));
}

bool UpdateWindow(WindowHandle window) { return ::UpdateWindow(ToWin(window)) != FALSE; }

bool AdjustWindowRectEx(WindowRect* rect, uint32_t style, bool hasMenu, uint32_t exStyle) {
  return ::AdjustWindowRectEx(reinterpret_cast<RECT*>(rect), style, hasMenu ? TRUE : FALSE,
                              exStyle) != FALSE;
}

int ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

DeviceContext GetDC(WindowHandle window) {
  return reinterpret_cast<DeviceContext>(::GetDC(ToWin(window)));
}

bool ReleaseDC(WindowHandle window, DeviceContext dc) {
  return ::ReleaseDC(ToWin(window), reinterpret_cast<HDC>(dc)) != 0;
}

}  // namespace korvex::platform
