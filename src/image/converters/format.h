// Format converters for display, image files and recording: depth, channel
// order and row order. "Flip" variants write the rectangle's rows in reverse
// (destination row i from source row H - 1 - i), as bottom-up formats expect.
// A 10-bit sample reduces to 8 bits as (v >> 2) & 255, a 12-bit one as
// (v >> 4) & 255. The Expand converters widen to full 16-bit range for
// files: by 6 bits for 10 significant bits, by 4 (the From12 variants) for 12.
#pragma once

#include "image/converters/converter.h"

namespace korvex::image {

KORVEX_REGION_CONVERTER(Reduce16To8);        // 16-bit gray -> 8-bit gray
KORVEX_REGION_CONVERTER(Reduce16To8Flip);    // same, rows reversed
KORVEX_REGION_CONVERTER(Reduce16To8Flip12);  // 12-bit samples, rows reversed
KORVEX_REGION_CONVERTER(Reduce48To24);       // 48/64-bit colour -> 24-bit
KORVEX_REGION_CONVERTER(Reduce48To24Flip);
KORVEX_REGION_CONVERTER(Copy32To24);  // first three bytes
KORVEX_REGION_CONVERTER(Copy24Flip);  // 24/32-bit -> 24-bit, rows reversed
// Any format, rows reversed: each row copied whole, the smaller of the two
// row lengths from the rectangle's first column to the end of the row.
KORVEX_REGION_CONVERTER(FlipRows);
KORVEX_REGION_CONVERTER(Expand16);
KORVEX_REGION_CONVERTER(Expand16From12);
KORVEX_REGION_CONVERTER(Expand48);  // blue, green, red kept
KORVEX_REGION_CONVERTER(Expand48From12);
KORVEX_REGION_CONVERTER(Expand48Rgb);  // written red, green, blue
KORVEX_REGION_CONVERTER(Expand48RgbFrom12);
KORVEX_REGION_CONVERTER(Expand64);  // fourth word 0xFFFF
KORVEX_REGION_CONVERTER(Expand64From12);
KORVEX_REGION_CONVERTER(Expand64Rgb);
KORVEX_REGION_CONVERTER(Expand64RgbFrom12);
KORVEX_REGION_CONVERTER(Swap24);   // 24/32-bit -> 24-bit red, green, blue
KORVEX_REGION_CONVERTER(Alpha32);  // fourth byte = NOT source's fourth byte

// The Expand converter for a pixel size (2, 6 or 8 bytes), channel order and
// significant bits (12 selects the 4-bit shift, anything else the 6-bit one);
// nullptr for other pixel sizes.
RegionConverter SelectExpand(int bytesPerPixel, bool rgbOrder, int significantBits);

}  // namespace korvex::image
