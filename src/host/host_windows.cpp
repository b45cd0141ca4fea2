// On-screen windows: creation and destruction, placement, frames,
// visibility and focus.
#include "korvex/host_windows.h"

#include "host/screen.h"
#include "host/window_table.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

using namespace korvex::host;
using namespace korvex::host::screen;
using korvex::LockGuard;
using korvex::Mutex;

namespace korvex::host {
int DestroyScreenWindow(KorvexHostWindow handle) {
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  std::vector<KorvexHostWindow> doomed;
  CollectTree(screen, handle, &doomed);
  if (doomed.empty()) return 0;
  for (KorvexHostWindow h : doomed) {
    auto it = screen.windows.find(Id(h));
    std::shared_ptr<ScreenWindow> w = it->second;
    screen.windows.erase(it);
    UnregisterWindow(h);  // its queued messages go with it
    ReleaseSurface(*w);
    auto cls = screen.classes.find(w->classKey);
    if (cls != screen.classes.end()) --cls->second.windows;
    if (ScreenWindow* parent = Find(screen, w->parent)) {
      auto& siblings = parent->children;
      siblings.erase(std::remove(siblings.begin(), siblings.end(), h), siblings.end());
    }
    if (screen.focus == h) screen.focus = nullptr;
  }
  return 1;
}

}  // namespace korvex::host

extern "C" {

KorvexHostWindow KorvexHost_CreateWindow(uint32_t exStyle, const char* className, const char* title,
                                         uint32_t style, int32_t x, int32_t y, int32_t width,
                                         int32_t height, KorvexHostWindow parent, uintptr_t id,
                                         uint64_t instance) {
  if (className == nullptr || width < 0 || height < 0 || Faulty(KORVEX_HOST_WINDOW_FAIL_CREATE))
    return nullptr;
  const bool child = (style & KORVEX_HOST_WS_CHILD) != 0;
  if (child != (parent != nullptr)) return nullptr;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  const std::string key = ClassKey(className, instance);
  auto cls = screen.classes.find(key);
  if (cls == screen.classes.end()) return nullptr;
  ScreenWindow* parentWindow = nullptr;
  if (child && (parentWindow = Find(screen, parent)) == nullptr) return nullptr;

  auto w = std::make_shared<ScreenWindow>();
  w->classKey = key;
  w->title = title ? title : "";
  w->style = style;
  w->exStyle = exStyle;
  w->parent = parent;
  w->id = child ? id : 0;
  w->x = x, w->y = y, w->width = width, w->height = height;
  w->background = cls->second.fields.background;
  auto window = std::make_shared<Window>();
  window->owner = std::this_thread::get_id();
  window->screen = w;
  const KorvexHostWindow handle = RegisterWindow(std::move(window));
  w->handle = handle;
  screen.windows[Id(handle)] = w;
  ++cls->second.windows;
  if (parentWindow) parentWindow->children.push_back(handle);
  return handle;
}

int KorvexHost_GetWindowInfo(KorvexHostWindow window, KorvexHostWindowInfo* out) {
  if (out == nullptr) return 0;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  const ScreenWindow* w = Find(screen, window);
  if (w == nullptr) return 0;
  *out = KorvexHostWindowInfo{};
  auto cls = screen.classes.find(w->classKey);
  if (cls != screen.classes.end())
    std::strncpy(out->className, cls->second.name.c_str(), sizeof out->className - 1);
  std::strncpy(out->title, w->title.c_str(), sizeof out->title - 1);
  out->style = w->style;
  out->exStyle = w->exStyle;
  out->parent = w->parent;
  out->id = w->id;
  out->x = w->x, out->y = w->y, out->width = w->width, out->height = w->height;
  return 1;
}

int KorvexHost_GetClientRect(KorvexHostWindow window, KorvexHostRect* rect) {
  if (rect == nullptr) return 0;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  const ScreenWindow* w = Find(screen, window);
  if (w == nullptr) return 0;
  rect->left = rect->top = 0;
  ClientSize(*w, &rect->right, &rect->bottom);
  return 1;
}

int KorvexHost_MoveWindow(KorvexHostWindow window, int32_t x, int32_t y, int32_t width,
                          int32_t height) {
  if (width < 0 || height < 0) return 0;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  ScreenWindow* w = Find(screen, window);
  if (w == nullptr) return 0;
  w->x = x, w->y = y, w->width = width, w->height = height;
  FitSurface(*w);
  return 1;
}

int KorvexHost_ShowWindow(KorvexHostWindow window, int command) {
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  ScreenWindow* w = Find(screen, window);
  if (w == nullptr) return 0;
  const int wasVisible = (w->style & KORVEX_HOST_WS_VISIBLE) != 0 ? 1 : 0;
  switch (command) {
    case KORVEX_HOST_SW_HIDE: w->style &= ~KORVEX_HOST_WS_VISIBLE; break;
    case KORVEX_HOST_SW_SHOW: w->style |= KORVEX_HOST_WS_VISIBLE; break;
    case KORVEX_HOST_SW_SHOWNORMAL:
    case KORVEX_HOST_SW_RESTORE:
      w->style = (w->style | KORVEX_HOST_WS_VISIBLE) & ~KORVEX_HOST_WS_MINIMIZE;
      break;
    case KORVEX_HOST_SW_SHOWMINIMIZED:
    case KORVEX_HOST_SW_MINIMIZE:
      w->style |= KORVEX_HOST_WS_VISIBLE | KORVEX_HOST_WS_MINIMIZE;
      break;
    default: break;
  }
  FitSurface(*w);
  return wasVisible;
}

int KorvexHost_IsWindowVisible(KorvexHostWindow window) {
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  const ScreenWindow* w = Find(screen, window);
  if (w == nullptr) return 0;
  for (; w != nullptr; w = Find(screen, w->parent)) {
    if ((w->style & KORVEX_HOST_WS_VISIBLE) == 0) return 0;
  }
  return 1;
}

KorvexHostWindow KorvexHost_SetFocus(KorvexHostWindow window) {
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  if (window != nullptr && Find(screen, window) == nullptr) return nullptr;
  return std::exchange(screen.focus, window);
}

KorvexHostWindow KorvexHost_GetFocus(void) {
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  return screen.focus;
}

int KorvexHost_UpdateWindow(KorvexHostWindow window) {
  if (Faulty(KORVEX_HOST_WINDOW_FAIL_UPDATE)) return 0;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  return Find(screen, window) != nullptr ? 1 : 0;
}

int KorvexHost_AdjustWindowRectEx(KorvexHostRect* rect, uint32_t style, int hasMenu,
                                  uint32_t exStyle) {
  if (rect == nullptr || Faulty(KORVEX_HOST_WINDOW_FAIL_ADJUST)) return 0;
  const Frame f = FrameOf(style, hasMenu != 0, exStyle);
  rect->left -= f.left;
  rect->top -= f.top;
  rect->right += f.right;
  rect->bottom += f.bottom;
  return 1;
}

int KorvexHost_GetSystemMetrics(int index) {
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  switch (index) {
    case KORVEX_HOST_SM_CXSCREEN: return screen.width;
    case KORVEX_HOST_SM_CYSCREEN: return screen.height;
    default: return 0;
  }
}

void KorvexHost_SetScreenSize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  screen.width = width;
  screen.height = height;
}

KorvexHostWindow KorvexHost_FindWindowEx(KorvexHostWindow parent, KorvexHostWindow after,
                                         const char* className, const char* title) {
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  const std::string wanted = className ? Lower(className) : std::string();
  auto it = after ? screen.windows.upper_bound(Id(after)) : screen.windows.begin();
  for (; it != screen.windows.end(); ++it) {
    const ScreenWindow& w = *it->second;
    if (w.parent != parent) continue;
    if (title != nullptr && w.title != title) continue;
    if (className != nullptr) {
      auto cls = screen.classes.find(w.classKey);
      if (cls == screen.classes.end() || Lower(cls->second.name.c_str()) != wanted) continue;
    }
    return w.handle;
  }
  return nullptr;
}

void KorvexHost_SetWindowFaults(uint32_t mask) { g_faults.store(mask); }

}  // extern "C"
