// Helpers the save dispatcher and the writers share: whole-image conversions
// and the choice of the converters that depend on the significant bits of
// deep samples.
#pragma once

#include "image/converters/converter.h"

namespace korvex {

class CDibImage;

namespace image::files {

// Deep samples carry 10 or 12 significant bits; conversions that widen or
// reduce them know no other depth.
constexpr bool KnownSignificantBits(int bits) { return bits == 10 || bits == 12; }

// The widening converter for 2-, 6- or 8-byte pixels, or null when the pixel
// size or the significant bits are not supported.
RegionConverter ExpandFor(int bytesPerPixel, bool rgbOrder, int significantBits);

// Converts all of `src` into `dst` at (0, 0). False when nothing could be
// converted (an empty image).
bool ConvertWhole(CDibImage& dst, RegionConverter converter, CDibImage& src);

}  // namespace image::files
}  // namespace korvex
