// Display scaling by nearest neighbour, rows reversed for the bottom-up
// display surface: destination rectangle row i, column j takes source column
// trunc(j x fx) and source memory row (source rectangle bottom - 1 -
// trunc(i x fy)), with fx, fy the single-precision ratios of the rectangle
// sizes; source coordinates are kept inside the source image and pixels
// falling outside the destination image are not written.
#pragma once

#include "image/converters/converter.h"

namespace korvex::image {

KORVEX_SCALING_CONVERTER(StretchFlip8);
KORVEX_SCALING_CONVERTER(StretchFlip24);

}  // namespace korvex::image
