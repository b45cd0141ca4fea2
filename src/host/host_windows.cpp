// Window classes and on-screen windows: placement, frames, visibility,
// focus, and a device context per window backed by a bitmap surface of the
// client area's size.
#include "korvex/host_windows.h"

#include "host/window_table.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace korvex::host {

struct ScreenWindow {
  KorvexHostWindow handle = nullptr;
  std::string classKey;  // key of the class in the class table
  std::string title;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  KorvexHostWindow parent = nullptr;
  uintptr_t id = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t background = KORVEX_HOST_NULL_BRUSH;
  std::vector<KorvexHostWindow> children;
  // Device context, created by the first GetDC, and the surface selected
  // into it (null while the client area is empty).
  KorvexHostDC dc = nullptr;
  KorvexHostBitmap stockBitmap = nullptr;
  KorvexHostBitmap surface = nullptr;
  int32_t surfaceWidth = 0, surfaceHeight = 0;
};

}  // namespace korvex::host

using namespace korvex::host;
using korvex::LockGuard;
using korvex::Mutex;

namespace {

constexpr int32_t kThickFrame = 4;
constexpr int32_t kDialogFrame = 3;
constexpr int32_t kBorder = 1;
constexpr int32_t kClientEdge = 2;
constexpr int32_t kCaptionBar = 19;
constexpr int32_t kMenuBar = 19;

struct ClassEntry {
  std::string name;  // as registered
  KorvexHostWindowClass fields{};
  int windows = 0;
};

// Everything here, and every ScreenWindow reached through it, is guarded by
// one lock. Lock order: this lock, then the message window table, then the
// bitmap surfaces.
struct Screen {
  Mutex mutex;
  std::map<std::string, ClassEntry> classes KORVEX_GUARDED_BY(mutex);
  // By handle: creation order.
  std::map<uintptr_t, std::shared_ptr<ScreenWindow>> windows KORVEX_GUARDED_BY(mutex);
  KorvexHostWindow focus KORVEX_GUARDED_BY(mutex) = nullptr;
  int32_t width KORVEX_GUARDED_BY(mutex) = 1920;
  int32_t height KORVEX_GUARDED_BY(mutex) = 1080;
  uint16_t nextAtom KORVEX_GUARDED_BY(mutex) = 0xC000;
};

Screen& TheScreen() {
  static Screen* screen = new Screen;  // lives as long as the process
  return *screen;
}

std::atomic<uint32_t> g_faults{0};

bool Faulty(uint32_t bit) { return (g_faults.load() & bit) != 0; }

uintptr_t Id(KorvexHostWindow handle) { return reinterpret_cast<uintptr_t>(handle); }

std::string Lower(const char* text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string ClassKey(const char* name, uint64_t instance) {
  return Lower(name) + '\n' + std::to_string(instance);
}

ScreenWindow* Find(Screen& screen, KorvexHostWindow handle) KORVEX_REQUIRES(screen.mutex) {
  auto it = screen.windows.find(Id(handle));
  return it == screen.windows.end() ? nullptr : it->second.get();
}

struct Frame {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

Frame FrameOf(uint32_t style, bool hasMenu, uint32_t exStyle) {
  int32_t side = 0;
  if (style & KORVEX_HOST_WS_THICKFRAME) {
    side = kThickFrame;
  } else if (style & KORVEX_HOST_WS_DLGFRAME) {
    side = kDialogFrame;
  } else if (style & KORVEX_HOST_WS_BORDER) {
    side = kBorder;
  }
  if (exStyle & KORVEX_HOST_WS_EX_CLIENTEDGE) side += kClientEdge;
  Frame f{side, side, side, side};
  if ((style & KORVEX_HOST_WS_CAPTION) == KORVEX_HOST_WS_CAPTION) f.top += kCaptionBar;
  if (hasMenu) f.top += kMenuBar;
  return f;
}

void ClientSize(const ScreenWindow& w, int32_t* width, int32_t* height) {
  if (w.style & KORVEX_HOST_WS_MINIMIZE) {
    *width = *height = 0;
    return;
  }
  const Frame f = FrameOf(w.style, false, w.exStyle);
  *width = std::max<int32_t>(0, w.width - f.left - f.right);
  *height = std::max<int32_t>(0, w.height - f.top - f.bottom);
}

// Gray level of a stock brush; -1 for the null brush.
int BrushLevel(int32_t brush) {
  switch (brush) {
    case KORVEX_HOST_WHITE_BRUSH: return 255;
    case KORVEX_HOST_LTGRAY_BRUSH: return 192;
    case KORVEX_HOST_GRAY_BRUSH: return 128;
    case KORVEX_HOST_DKGRAY_BRUSH: return 64;
    case KORVEX_HOST_BLACK_BRUSH: return 0;
    default: return -1;
  }
}

// Gives the window's device context a surface of the client area's size,
// filled with the class background; an empty client area gets none.
void FitSurface(ScreenWindow& w) {
  if (w.dc == nullptr) return;
  int32_t cw = 0, ch = 0;
  ClientSize(w, &cw, &ch);
  if (cw == w.surfaceWidth && ch == w.surfaceHeight) return;
  KorvexHostBitmap fresh = nullptr;
  if (cw > 0 && ch > 0) {
    KorvexHostBitmapInfoHeader header{};
    header.biSize = sizeof header;
    header.biWidth = cw;
    header.biHeight = -ch;  // top-down: memory row 0 is the top of the client area
    header.biPlanes = 1;
    header.biBitCount = 24;
    void* bits = nullptr;
    fresh = KorvexHost_CreateDIBSection(&header, &bits);
    if (fresh == nullptr) return;  // keeps the old surface; transfers clip to it
    const int level = BrushLevel(w.background);
    if (level > 0) {
      KorvexHostBitmapDesc desc{};
      KorvexHost_GetBitmapDesc(fresh, &desc);
      std::memset(bits, level, static_cast<size_t>(desc.stride) * static_cast<size_t>(ch));
    }
  }
  KorvexHostBitmap previous = KorvexHost_SelectObject(w.dc, fresh ? fresh : w.stockBitmap);
  if (previous == nullptr) {
    if (fresh) KorvexHost_DeleteObject(fresh);
    return;
  }
  if (previous != w.stockBitmap) KorvexHost_DeleteObject(previous);
  w.surface = fresh;
  w.surfaceWidth = fresh ? cw : 0;
  w.surfaceHeight = fresh ? ch : 0;
}

void ReleaseSurface(ScreenWindow& w) {
  if (w.dc == nullptr) return;
  KorvexHost_DeleteDC(w.dc);
  if (w.surface) KorvexHost_DeleteObject(w.surface);
  w.dc = nullptr;
  w.surface = nullptr;
}

// The window and its descendants, children before their parents.
void CollectTree(Screen& screen, KorvexHostWindow handle, std::vector<KorvexHostWindow>* out)
    KORVEX_REQUIRES(screen.mutex) {
  ScreenWindow* w = Find(screen, handle);
  if (w == nullptr) return;
  for (KorvexHostWindow child : w->children) CollectTree(screen, child, out);
  out->push_back(handle);
}

}  // namespace

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

uint16_t KorvexHost_RegisterClass(const KorvexHostWindowClass* windowClass) {
  if (windowClass == nullptr || windowClass->name == nullptr || windowClass->name[0] == '\0' ||
      Faulty(KORVEX_HOST_WINDOW_FAIL_REGISTER))
    return 0;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  const std::string key = ClassKey(windowClass->name, windowClass->instance);
  if (screen.classes.count(key) != 0) return 0;
  ClassEntry& entry = screen.classes[key];
  entry.name = windowClass->name;
  entry.fields = *windowClass;
  entry.fields.name = nullptr;
  const uint16_t atom = screen.nextAtom;
  screen.nextAtom = static_cast<uint16_t>(screen.nextAtom == 0xFFFF ? 0xC000 : screen.nextAtom + 1);
  return atom;
}

int KorvexHost_UnregisterClass(const char* name, uint64_t instance) {
  if (name == nullptr) return 0;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  auto it = screen.classes.find(ClassKey(name, instance));
  if (it == screen.classes.end() || it->second.windows != 0) return 0;
  screen.classes.erase(it);
  return 1;
}

int KorvexHost_GetClassInfo(const char* name, uint64_t instance, KorvexHostWindowClass* out) {
  if (name == nullptr || out == nullptr) return 0;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  auto it = screen.classes.find(ClassKey(name, instance));
  if (it == screen.classes.end()) return 0;
  *out = it->second.fields;
  out->name = it->second.name.c_str();
  return 1;
}

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

KorvexHostDC KorvexHost_GetDC(KorvexHostWindow window) {
  if (Faulty(KORVEX_HOST_WINDOW_FAIL_GETDC)) return nullptr;
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  ScreenWindow* w = Find(screen, window);
  if (w == nullptr) return nullptr;
  if (w->dc == nullptr) {
    KorvexHostDC dc = KorvexHost_CreateCompatibleDC(nullptr);
    if (dc == nullptr) return nullptr;
    w->dc = dc;
    w->stockBitmap = KorvexHost_GetCurrentBitmap(dc);
    w->surfaceWidth = w->surfaceHeight = 0;
    FitSurface(*w);
  }
  return w->dc;
}

int KorvexHost_ReleaseDC(KorvexHostWindow window, KorvexHostDC dc) {
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  const ScreenWindow* w = Find(screen, window);
  return w != nullptr && dc != nullptr && w->dc == dc ? 1 : 0;
}

int KorvexHost_ReadClientPixels(KorvexHostWindow window, void* buffer, size_t size) {
  Screen& screen = TheScreen();
  LockGuard<Mutex> lock(screen.mutex);
  const ScreenWindow* w = Find(screen, window);
  if (w == nullptr) return 0;
  int32_t cw = 0, ch = 0;
  ClientSize(*w, &cw, &ch);
  const size_t row = static_cast<size_t>(cw) * 3;
  if (buffer == nullptr || size < row * static_cast<size_t>(ch)) return 0;
  uint8_t* out = static_cast<uint8_t*>(buffer);
  KorvexHostBitmapDesc desc{};
  if (w->surface == nullptr || w->surfaceWidth != cw || w->surfaceHeight != ch ||
      !KorvexHost_GetBitmapDesc(w->surface, &desc)) {
    // Nothing was ever drawn: the class background shows.
    const int level = BrushLevel(w->background);
    std::memset(out, level < 0 ? 0 : level, row * static_cast<size_t>(ch));
    return 1;
  }
  const uint8_t* pixels = static_cast<const uint8_t*>(desc.pixels);
  for (int32_t yy = 0; yy < ch; ++yy) {
    std::memcpy(out + row * static_cast<size_t>(yy),
                pixels + static_cast<size_t>(desc.stride) * static_cast<size_t>(yy), row);
  }
  return 1;
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
