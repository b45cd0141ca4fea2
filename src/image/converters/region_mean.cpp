#include "image/converters/region_mean.h"

namespace korvex::image {

KORVEX_REGION_CONVERTER(RegionMean8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel, (void)params, (void)extra;
  const auto r = detail::MakeRegion(dst, src, srcRect, dstX, dstY, 1, 1, dstStride, srcStride);
  if (!r.src || r.width <= 0 || r.height <= 0) return 0;
  uint64_t sum = 0;
  for (int32_t y = 0; y < r.height; ++y) {
    const uint8_t* p = r.SrcRow(y);
    uint32_t row = 0;
    for (int32_t x = 0; x < r.width; ++x) row += p[x];
    sum += row;
  }
  return static_cast<int32_t>(sum / (static_cast<uint64_t>(r.width) * r.height));
}

KORVEX_REGION_CONVERTER(RegionMean16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel, (void)params, (void)extra;
  const auto r = detail::MakeRegion(dst, src, srcRect, dstX, dstY, 2, 2, dstStride, srcStride);
  if (!r.src || r.width <= 0 || r.height <= 0) return 0;
  uint64_t sum = 0;
  for (int32_t y = 0; y < r.height; ++y) {
    const detail::Word* p = detail::Words(r.SrcRow(y));
    uint32_t row = 0;
    for (int32_t x = 0; x < r.width; ++x) row += (p[x] >> 2) & 255u;
    sum += row;
  }
  return static_cast<int32_t>(sum / (static_cast<uint64_t>(r.width) * r.height));
}

}  // namespace korvex::image
