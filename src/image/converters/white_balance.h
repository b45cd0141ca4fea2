// White-balance measurement on a colour mosaic.
#pragma once

#include "image/converters/converter.h"

namespace korvex::image {

// Reads the mosaic and fills the result block: [0] blue ratio, [1] 100,
// [2] red ratio, percentages that would bring the blue and red means to the
// green mean. [3] is the adjusted Bayer mode (input). A mosaic without
// usable data (a colour without sites, or a green mean of 0) gives 100, 100,
// 100; a blue or red mean of 0 with some green gives INT32_MAX for that
// ratio (the caller caps the gains).
KORVEX_REGION_CONVERTER(MeasureWhiteBalance8);
KORVEX_REGION_CONVERTER(MeasureWhiteBalance16);

namespace detail {
// The ratio arithmetic shared by both depths.
void FinishWhiteBalance(int32_t* block, uint64_t sumG, uint64_t countG, uint64_t sumB,
                        uint64_t countB, uint64_t sumR, uint64_t countR);
}  // namespace detail

}  // namespace korvex::image
