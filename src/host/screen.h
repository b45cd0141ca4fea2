// The host library's screen: window classes and on-screen windows with
// their placement, frames, focus and a device context per window backed by
// a bitmap surface of the client area's size. The class, window and device
// context exports all work on this table.
//
// Everything here, and every ScreenWindow reached through it, is guarded by
// one lock. Lock order: this lock, then the message window table, then the
// bitmap surfaces.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "korvex/host_gdi.h"
#include "korvex/host_windows.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
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

namespace screen {

inline constexpr int32_t kThickFrame = 4;
inline constexpr int32_t kDialogFrame = 3;
inline constexpr int32_t kBorder = 1;
inline constexpr int32_t kClientEdge = 2;
inline constexpr int32_t kCaptionBar = 19;
inline constexpr int32_t kMenuBar = 19;

struct ClassEntry {
  std::string name;  // as registered
  KorvexHostWindowClass fields{};
  int windows = 0;
};

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

struct Frame {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

Screen& TheScreen();
extern std::atomic<uint32_t> g_faults;
bool Faulty(uint32_t bit);
uintptr_t Id(KorvexHostWindow handle);
std::string Lower(const char* text);
std::string ClassKey(const char* name, uint64_t instance);
ScreenWindow* Find(Screen& screen, KorvexHostWindow handle) KORVEX_REQUIRES(screen.mutex);
Frame FrameOf(uint32_t style, bool hasMenu, uint32_t exStyle);
void ClientSize(const ScreenWindow& w, int32_t* width, int32_t* height);
// Gray level of a stock brush; -1 for the null brush.
int BrushLevel(int32_t brush);
// Gives the window's device context a surface of the client area's size,
// filled with the class background; an empty client area gets none.
void FitSurface(ScreenWindow& w);
void ReleaseSurface(ScreenWindow& w);
// The window and its descendants, children before their parents.
void CollectTree(Screen& screen, KorvexHostWindow handle, std::vector<KorvexHostWindow>* out)
    KORVEX_REQUIRES(screen.mutex);

}  // namespace screen
}  // namespace korvex::host
