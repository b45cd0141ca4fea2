// Hue rotation and saturation in place on 24/32-bit (8-bit channels) and
// 48/64-bit (10-bit channels, worked on as their top 8 bits) colour.
//
// The lightness/saturation tables depend only on the saturation setting and
// are built on the stack at every call (768 entries, negligible beside a
// frame); the other tables are constants. Nothing is shared between calls,
// so any number of cameras may run the stage at once.
#pragma once

#include <cstdint>

#include "image/converters/converter.h"

namespace korvex::image {

KORVEX_REGION_CONVERTER(HueSaturation24);
KORVEX_REGION_CONVERTER(HueSaturation48);

// The hue shift in 1/1530 turn for a hue setting (degrees, -360..360).
// The deep variant takes the setting as hue x 256 without the division by
// 360, so the same number turns the colours by a different angle there.
int32_t HueShift24(int32_t hue);
int32_t HueShift48(int32_t hue);

struct HueSaturationTables {
  uint16_t level[512];
  uint16_t limit[512];
  int32_t saturation[256];
};
// Saturation limited to -255..255; lightness shift 0.
void BuildHueSaturationTables(int32_t saturation, HueSaturationTables& tables);

// One pixel, channels 0..255, returned packed as blue | green << 8 | red << 16.
uint32_t HueSaturationPixel(uint32_t red, uint32_t green, uint32_t blue,
                            const HueSaturationTables& tables, int32_t shift);

}  // namespace korvex::image
