// A window's device context, backed by a bitmap surface of its client
// area's size, and the pixels drawn into it.
#include "korvex/host_windows.h"

#include "host/screen.h"
#include "host/window_table.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace korvex::host;
using namespace korvex::host::screen;
using korvex::LockGuard;
using korvex::Mutex;

extern "C" {

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

}  // extern "C"
