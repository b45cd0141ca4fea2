#include "image/converters/color_to_gray.h"

#include "image/converters/per_value.h"

namespace korvex::image {

KORVEX_REGION_CONVERTER(ColorToGray) {
  (void)dstBytesPerPixel;
  KORVEX_REGION_SETUP(1, srcBytesPerPixel);
  (void)block;
  if (r.Empty() || r.srcBpp < 3) return 1;
  const int step = r.srcBpp;
  for (int32_t y = 0; y < r.height; ++y) {
    const uint8_t* in = r.SrcRow(y);
    uint8_t* out = r.DstRow(y);
    for (int32_t x = 0; x < r.width; ++x) {
      const uint8_t* p = in + x * step;
      out[x] = static_cast<uint8_t>((p[2] * 30u + p[1] * 59u + p[0] * 11u) / 100u);
    }
  }
  return 1;
}

}  // namespace korvex::image
