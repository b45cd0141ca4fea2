// Sharpness: setting s in 0..30 (0 neutral). The source is a copy of the
// image before the stage (it must not be the destination: a call with the
// same buffer for both changes nothing). For every pixel of rows and columns
// 2 .. size - 3, each channel becomes o + ((o - m) x s) / 10, limited to the
// channel range, where o is the source value and m the mean (sum >> 4) of
// the 4 x 4 source block of columns x - 2 .. x + 1 and rows y - 2 .. y + 1.
// The two-pixel frame of the destination is not written.
#pragma once

#include "image/converters/converter.h"

namespace korvex::image {

KORVEX_REGION_CONVERTER(Sharpen8);
KORVEX_REGION_CONVERTER(Sharpen16);
KORVEX_REGION_CONVERTER(Sharpen24);
KORVEX_REGION_CONVERTER(Sharpen48);

}  // namespace korvex::image
