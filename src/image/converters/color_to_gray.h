// Colour to gray: gray = (red x 30 + green x 59 + blue x 11) / 100, from
// 24/32-bit colour into 8-bit gray.
#pragma once

#include "image/converters/converter.h"

namespace korvex::image {

KORVEX_REGION_CONVERTER(ColorToGray);

}  // namespace korvex::image
