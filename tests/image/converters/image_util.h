// Raw-memory images for the converter tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "image/converters/converter.h"

namespace korvex::image::test {

struct Img {
  int32_t width = 0, height = 0, bpp = 1, stride = 0;
  std::vector<uint8_t> bytes;

  Img() = default;
  Img(int32_t w, int32_t h, int32_t bytesPerPixel, uint8_t fill = 0)
      : width(w),
        height(h),
        bpp(bytesPerPixel),
        stride((w * bytesPerPixel + 3) & ~3),
        bytes(static_cast<size_t>(stride) * h, fill) {}

  uint8_t* data() { return bytes.data(); }
  const uint8_t* data() const { return bytes.data(); }
  uint8_t* At(int32_t x, int32_t y) { return data() + y * stride + x * bpp; }
  const uint8_t* At(int32_t x, int32_t y) const { return data() + y * stride + x * bpp; }
  uint32_t Get(int32_t x, int32_t y, int c = 0) const {
    const uint8_t* p = At(x, y);
    if (bpp == 1 || bpp == 3 || bpp == 4) return p[c];
    return static_cast<uint32_t>(p[2 * c] | (p[2 * c + 1] << 8));
  }
  void Set(int32_t x, int32_t y, int c, uint32_t v) {
    uint8_t* p = At(x, y);
    if (bpp == 1 || bpp == 3 || bpp == 4) {
      p[c] = static_cast<uint8_t>(v);
    } else {
      p[2 * c] = static_cast<uint8_t>(v);
      p[2 * c + 1] = static_cast<uint8_t>(v >> 8);
    }
  }
  Rect All() const { return Rect{0, 0, width, height}; }
};

// Random content: bytes for 8-bit channels; words below `limit` otherwise.
inline void Randomize(Img& img, std::mt19937& rng, uint32_t limit = 1024) {
  if (img.bpp == 1 || img.bpp == 3 || img.bpp == 4) {
    for (auto& b : img.bytes) b = static_cast<uint8_t>(rng());
    return;
  }
  for (int32_t y = 0; y < img.height; ++y) {
    for (int32_t x = 0; x < img.width; ++x) {
      for (int c = 0; c < img.bpp / 2; ++c) img.Set(x, y, c, rng() % limit);
    }
  }
}

// A full-image region call.
inline int32_t Apply(RegionConverter f, Img& dst, const Img& src, int32_t* block) {
  int32_t* p = block;
  return f(dst.data(), src.data(), src.All(), 0, 0, static_cast<uint16_t>(dst.bpp),
           static_cast<uint16_t>(src.bpp), dst.stride, src.stride, &p, nullptr);
}

// In place.
inline int32_t Apply(RegionConverter f, Img& img, int32_t* block) {
  return Apply(f, img, img, block);
}

}  // namespace korvex::image::test
