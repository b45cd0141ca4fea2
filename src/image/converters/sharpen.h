// Sharpness: setting s in 0..30 (0 neutral). The source is a copy of the
// image before the stage (it must not be the destination: a call with the
// same buffer for both changes nothing). For every pixel of rows and columns
// 2 .. size - 3, each channel becomes o + ((o - m) x s) / 10, limited to the
// channel range, where o is the source value and m the mean (sum >> 4) of
// the 4 x 4 source block of columns x - 2 .. x + 1 and rows y - 2 .. y + 1.
// The two-pixel frame of the destination is not written.
#pragma once

#include "image/converters/converter.h"
#include "image/converters/row_scratch.h"

namespace korvex::image {

KORVEX_REGION_CONVERTER(Sharpen8);
KORVEX_REGION_CONVERTER(Sharpen16);
KORVEX_REGION_CONVERTER(Sharpen24);
KORVEX_REGION_CONVERTER(Sharpen48);

// The filter of Sharpen8, Sharpen16, Sharpen24 or Sharpen48 for a caller
// that sharpens stripe after stripe: the same bytes, with the column sums
// in the calling thread's `scratch` (destination at the region's origin).
enum class SharpenKind { kGray8, kGray16, kColour24, kColour48 };
int32_t SharpenRows(SharpenKind kind, uint8_t* dst, const uint8_t* src, const Rect& srcRect,
                    uint16_t bytesPerPixel, int32_t dstStride, int32_t srcStride,
                    int32_t* const* params, RowScratch& scratch);

}  // namespace korvex::image
