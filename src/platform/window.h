// On-screen windows: window classes, creation and destruction, placement,
// visibility, focus, frame sizes, the screen size and a window's device
// context, shaped like the Windows user interface functions.
#pragma once

#include "platform/gdi.h"
#include "platform/platform.h"

#include <cstdint>

namespace korvex::platform {

// Module handle of the executable (GetModuleHandleA(NULL)).
using ModuleHandle = uint64_t;
ModuleHandle ExecutableModule();

// Window styles used by the library.
inline constexpr uint32_t kWsChild = 0x40000000u;
inline constexpr uint32_t kWsVisible = 0x10000000u;
inline constexpr uint32_t kWsClipSiblings = 0x04000000u;
inline constexpr uint32_t kWsClipChildren = 0x02000000u;
inline constexpr uint32_t kWsOverlappedWindow = 0x00CF0000u;

inline constexpr int kSwShow = 5;

// A window class whose procedure passes every message to the default
// handling, without extra bytes, icons or menu.
struct WindowClass {
  uint32_t style = 0;
  ModuleHandle instance = 0;
  bool arrowCursor = false;      // LoadCursorA(NULL, IDC_ARROW)
  bool blackBackground = false;  // the stock black brush; otherwise none
  const char* name = nullptr;
};

struct WindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

bool RegisterWindowClass(const WindowClass& windowClass);
bool UnregisterWindowClass(const char* name, ModuleHandle instance);
// CreateWindowExA; `id` is the control id of a child window. Null on failure.
WindowHandle CreateWindowOfClass(uint32_t exStyle, const char* className, const char* title,
                                 uint32_t style, int x, int y, int width, int height,
                                 WindowHandle parent, uintptr_t id, ModuleHandle instance);
bool DestroyWindow(WindowHandle window);
bool GetClientRect(WindowHandle window, WindowRect* rect);
bool IsWindowVisible(WindowHandle window);
// Returns whether the window was visible before.
bool ShowWindow(WindowHandle window, int command);
WindowHandle SetFocus(WindowHandle window);
bool UpdateWindow(WindowHandle window);
// Grows a client rectangle to the outer rectangle of a window of that style.
bool AdjustWindowRectEx(WindowRect* rect, uint32_t style, bool hasMenu, uint32_t exStyle);
int ScreenWidth();
int ScreenHeight();
DeviceContext GetDC(WindowHandle window);
bool ReleaseDC(WindowHandle window, DeviceContext dc);

}  // namespace korvex::platform
