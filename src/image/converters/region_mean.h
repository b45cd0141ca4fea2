// Mean brightness of a rectangle on the 0..255 scale, for the auto iris.
#pragma once

#include "image/converters/converter.h"

namespace korvex::image {

// Both return the integer mean (0 for an empty rectangle); RegionMean16
// reduces each 10-bit sample v to (v >> 2) & 255 first.
KORVEX_REGION_CONVERTER(RegionMean8);
KORVEX_REGION_CONVERTER(RegionMean16);

}  // namespace korvex::image
