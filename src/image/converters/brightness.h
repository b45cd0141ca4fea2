// Brightness: setting b in -255..255 (0 neutral) scales every channel by a
// single-precision factor, 1 + b x 10/255 above 0 and 1 - |b|/255 below,
// truncated and limited to the channel's range.
#pragma once

#include <cstdint>

#include "image/converters/converter.h"

namespace korvex::image {

KORVEX_REGION_CONVERTER(Brightness8);
KORVEX_REGION_CONVERTER(Brightness16);
KORVEX_REGION_CONVERTER(Brightness24);
KORVEX_REGION_CONVERTER(Brightness48);

float BrightnessFactor(int32_t setting);
// One channel value: clamp(trunc(v x f), 0, max), product in single precision.
inline uint32_t ApplyBrightness(uint32_t v, float f, uint32_t max) {
  const float p = static_cast<float>(v) * f;
  if (!(p < static_cast<float>(max))) return max;
  return p <= 0.0f ? 0u : static_cast<uint32_t>(p);
}
void BuildBrightnessTable8(int32_t setting, uint8_t table[256]);

}  // namespace korvex::image
