#include "render.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace korvex::viewer {

Zoom NextZoom(Zoom zoom) {
  switch (zoom) {
    case Zoom::kFit: return Zoom::k100;
    case Zoom::k100: return Zoom::k50;
    case Zoom::k50: return Zoom::k25;
    default: return Zoom::kFit;
  }
}

namespace {

// Position of one axis: centred when the picture is smaller than the client,
// else the scroll position kept so that no empty space shows.
int PlaceAxis(int imageSize, int clientSize, double scale, int scroll, int* shown) {
  *shown = std::max(1, static_cast<int>(std::lround(imageSize * scale)));
  if (*shown <= clientSize) return (clientSize - *shown) / 2;
  const int maxScroll = imageSize - static_cast<int>(clientSize / scale);
  const int s = std::clamp(scroll, 0, std::max(0, maxScroll));
  return -static_cast<int>(std::lround(s * scale));
}

}  // namespace

Placement Place(int imageWidth, int imageHeight, int clientWidth, int clientHeight, Zoom zoom,
                int scrollX, int scrollY) {
  Placement p;
  if (imageWidth <= 0 || imageHeight <= 0 || clientWidth <= 0 || clientHeight <= 0) return p;
  switch (zoom) {
    case Zoom::kFit:
      p.scale = std::min(static_cast<double>(clientWidth) / imageWidth,
                         static_cast<double>(clientHeight) / imageHeight);
      break;
    case Zoom::k100: p.scale = 1.0; break;
    case Zoom::k50: p.scale = 0.5; break;
    case Zoom::k25: p.scale = 0.25; break;
  }
  p.left = PlaceAxis(imageWidth, clientWidth, p.scale, scrollX, &p.width);
  p.top = PlaceAxis(imageHeight, clientHeight, p.scale, scrollY, &p.height);
  return p;
}

bool ImagePointAt(const Placement& p, int imageWidth, int imageHeight, int x, int y, int* ix,
                  int* iy) {
  if (p.scale <= 0) return false;
  const int px = static_cast<int>(std::floor((x - p.left) / p.scale));
  const int py = static_cast<int>(std::floor((y - p.top) / p.scale));
  if (px < 0 || py < 0 || px >= imageWidth || py >= imageHeight) return false;
  *ix = px;
  *iy = py;
  return true;
}

namespace {

struct Bgr {
  uint8_t b, g, r;
};

constexpr Bgr ToBgr(uint32_t rgb) {
  return {static_cast<uint8_t>(rgb), static_cast<uint8_t>(rgb >> 8),
          static_cast<uint8_t>(rgb >> 16)};
}

// One display pixel from the samples at `p`. Deep samples (10 significant
// bits) are shown by their top 8 bits.
template <int kBytesPerPixel, bool kDeep, bool kClip>
inline void Shade(const uint8_t* p, uint8_t* out) {
  constexpr Bgr clip = ToBgr(kClipColour);
  if constexpr (kBytesPerPixel == 1 || (kDeep && kBytesPerPixel == 2)) {
    const int v = kDeep ? (p[0] | (p[1] << 8)) : p[0];
    if (kClip && v >= (kDeep ? 1023 : 255)) {
      out[0] = clip.b, out[1] = clip.g, out[2] = clip.r;
      return;
    }
    const uint8_t g = static_cast<uint8_t>(kDeep ? std::min(v, 1023) >> 2 : v);
    out[0] = out[1] = out[2] = g;
  } else if constexpr (kDeep) {
    const int b = p[0] | (p[1] << 8), g = p[2] | (p[3] << 8), r = p[4] | (p[5] << 8);
    if (kClip && (b >= 1023 || g >= 1023 || r >= 1023)) {
      out[0] = clip.b, out[1] = clip.g, out[2] = clip.r;
      return;
    }
    out[0] = static_cast<uint8_t>(std::min(b, 1023) >> 2);
    out[1] = static_cast<uint8_t>(std::min(g, 1023) >> 2);
    out[2] = static_cast<uint8_t>(std::min(r, 1023) >> 2);
  } else {
    if (kClip && (p[0] == 255 || p[1] == 255 || p[2] == 255)) {
      out[0] = clip.b, out[1] = clip.g, out[2] = clip.r;
      return;
    }
    out[0] = p[0], out[1] = p[1], out[2] = p[2];
  }
}

template <int kBytesPerPixel, bool kDeep, bool kClip>
void RenderRows(const Frame& frame, const std::vector<int>& columns, int x0, int x1,
                const std::vector<int>& rows, int y0, int y1, const DisplayBitmap& out) {
  const int stride = frame.Stride();
  for (int y = y0; y < y1; ++y) {
    const uint8_t* src = frame.bytes.data() + static_cast<size_t>(rows[y]) * stride;
    uint8_t* dst = out.bits + static_cast<size_t>(y) * out.stride + static_cast<size_t>(x0) * 3;
    for (int x = x0; x < x1; ++x, dst += 3)
      Shade<kBytesPerPixel, kDeep, kClip>(src + columns[x], dst);
  }
}

template <bool kClip>
void RenderAll(const Frame& frame, const std::vector<int>& columns, int x0, int x1,
               const std::vector<int>& rows, int y0, int y1, const DisplayBitmap& out) {
  switch (frame.bitsPerPixel) {
    case 8: RenderRows<1, false, kClip>(frame, columns, x0, x1, rows, y0, y1, out); break;
    case 16: RenderRows<2, true, kClip>(frame, columns, x0, x1, rows, y0, y1, out); break;
    case 24: RenderRows<3, false, kClip>(frame, columns, x0, x1, rows, y0, y1, out); break;
    case 32: RenderRows<4, false, kClip>(frame, columns, x0, x1, rows, y0, y1, out); break;
    case 48: RenderRows<6, true, kClip>(frame, columns, x0, x1, rows, y0, y1, out); break;
    case 64: RenderRows<8, true, kClip>(frame, columns, x0, x1, rows, y0, y1, out); break;
    default: break;
  }
}

void Fill(const DisplayBitmap& out, int x0, int y0, int x1, int y1) {
  const Bgr bg = ToBgr(kBackground);
  for (int y = std::max(0, y0); y < std::min(out.height, y1); ++y) {
    uint8_t* p = out.bits + static_cast<size_t>(y) * out.stride;
    for (int x = std::max(0, x0); x < std::min(out.width, x1); ++x)
      p[3 * x] = bg.b, p[3 * x + 1] = bg.g, p[3 * x + 2] = bg.r;
  }
}

}  // namespace

void Render(const Frame& frame, const Placement& p, bool showClipping, const DisplayBitmap& out) {
  if (frame.Empty() || p.scale <= 0) {
    Fill(out, 0, 0, out.width, out.height);
    return;
  }
  // The picture's part of the display, and for each display column and row
  // the image column (as a byte offset) and row it shows.
  const int x0 = std::max(0, p.left), x1 = std::min(out.width, p.left + p.width);
  const int y0 = std::max(0, p.top), y1 = std::min(out.height, p.top + p.height);
  Fill(out, 0, 0, out.width, y0);
  Fill(out, 0, y1, out.width, out.height);
  Fill(out, 0, y0, x0, y1);
  Fill(out, x1, y0, out.width, y1);
  if (x0 >= x1 || y0 >= y1) return;
  std::vector<int> columns(out.width), rows(out.height);
  const int bpp = frame.BytesPerPixel();
  for (int x = x0; x < x1; ++x)
    columns[x] = std::min(frame.width - 1, static_cast<int>((x - p.left) / p.scale)) * bpp;
  for (int y = y0; y < y1; ++y)
    rows[y] = std::min(frame.height - 1, static_cast<int>((y - p.top) / p.scale));
  if (showClipping)
    RenderAll<true>(frame, columns, x0, x1, rows, y0, y1, out);
  else
    RenderAll<false>(frame, columns, x0, x1, rows, y0, y1, out);
}

}  // namespace korvex::viewer
