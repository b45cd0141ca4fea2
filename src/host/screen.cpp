#include "host/screen.h"

#include "korvex/host_gdi.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace korvex::host::screen {

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

}  // namespace korvex::host::screen
