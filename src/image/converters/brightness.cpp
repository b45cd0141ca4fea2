#include "image/converters/brightness.h"

#include <vector>

#include "image/converters/per_value.h"

namespace korvex::image {

float BrightnessFactor(int32_t setting) {
  const int32_t b = setting < -255 ? -255 : (setting > 255 ? 255 : setting);
  if (b > 0) return static_cast<float>(1.0 + b * 0.0392156862745098);
  if (b < 0) return static_cast<float>(1.0 - (-b) * 0.00392156862745098);
  return 1.0f;
}

void BuildBrightnessTable8(int32_t setting, uint8_t table[256]) {
  const float f = BrightnessFactor(setting);
  for (uint32_t i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(ApplyBrightness(i, f, 255));
}

namespace {

int32_t Run8(const detail::Region& r, const int32_t* block, int channels) {
  if (!block || r.Empty()) return 1;
  detail::ApplyFactor8(r, channels, BrightnessFactor(block[kFilterValue]));
  return 1;
}

int32_t Run16(const detail::Region& r, const int32_t* block, int channels) {
  if (!block || r.Empty()) return 1;
  const int bits = detail::ClampBits(block[kFilterBits]);
  const uint32_t max = (1u << bits) - 1;
  const float f = BrightnessFactor(block[kFilterValue]);
  detail::ApplyFactor16(r, channels, f, max);
  return 1;
}

}  // namespace

KORVEX_REGION_CONVERTER(Brightness8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REGION_SETUP(1, 1);
  return Run8(r, block, 1);
}
KORVEX_REGION_CONVERTER(Brightness16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REGION_SETUP(2, 2);
  return Run16(r, block, 1);
}
KORVEX_REGION_CONVERTER(Brightness24) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  if (!detail::HoldsColour(r, 1)) return 1;
  return Run8(r, block, 3);
}
KORVEX_REGION_CONVERTER(Brightness48) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  if (!detail::HoldsColour(r, 2)) return 1;
  return Run16(r, block, 3);
}

}  // namespace korvex::image
