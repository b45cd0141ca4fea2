#include "image/converters/stretch.h"

#include <vector>

namespace korvex::image {
namespace {

template <int kBpp>
int32_t Stretch(uint8_t* dst, const uint8_t* src, const Rect& dstRect, const Rect& srcRect,
                Size dstSize, Size srcSize, int32_t dstStride, int32_t srcStride) {
  const int32_t dw = dstRect.Width(), dh = dstRect.Height();
  if (!dst || !src || dw <= 0 || dh <= 0 || srcSize.width <= 0 || srcSize.height <= 0) return 1;
  const float fx = static_cast<float>(srcRect.Width()) / static_cast<float>(dw);
  const float fy = static_cast<float>(srcRect.Height()) / static_cast<float>(dh);
  auto clampTo = [](float v, int32_t hi) {
    if (!(v > 0.0f)) return 0;
    if (v >= static_cast<float>(hi)) return hi;
    return static_cast<int32_t>(v);
  };
  // Columns are the same for every row: compute them once.
  std::vector<int32_t> column(static_cast<size_t>(dw));
  for (int32_t j = 0; j < dw; ++j) {
    column[j] = clampTo(static_cast<float>(j) * fx, srcSize.width - 1);
  }
  for (int32_t i = 0; i < dh; ++i) {
    const int32_t y = dstRect.top + i;
    if (y < 0 || y >= dstSize.height) continue;
    const int32_t ry = clampTo(static_cast<float>(i) * fy, srcSize.height - 1);
    int32_t row = srcRect.bottom - 1 - ry;
    row = row < 0 ? 0 : (row >= srcSize.height ? srcSize.height - 1 : row);
    const uint8_t* in = src + static_cast<ptrdiff_t>(row) * srcStride;
    uint8_t* out = dst + static_cast<ptrdiff_t>(y) * dstStride;
    for (int32_t j = 0; j < dw; ++j) {
      const int32_t x = dstRect.left + j;
      if (x < 0 || x >= dstSize.width) continue;
      const uint8_t* p = in + static_cast<ptrdiff_t>(column[j]) * kBpp;
      uint8_t* q = out + static_cast<ptrdiff_t>(x) * kBpp;
      for (int c = 0; c < kBpp; ++c) q[c] = p[c];
    }
  }
  return 1;
}

}  // namespace

KORVEX_SCALING_CONVERTER(StretchFlip8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel, (void)reserved1, (void)reserved2;
  return Stretch<1>(dst, src, dstRect, srcRect, dstSize, srcSize, dstStride, srcStride);
}

KORVEX_SCALING_CONVERTER(StretchFlip24) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel, (void)reserved1, (void)reserved2;
  return Stretch<3>(dst, src, dstRect, srcRect, dstSize, srcSize, dstStride, srcStride);
}

}  // namespace korvex::image
