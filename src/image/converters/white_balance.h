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

// Sample sums and counts of a mosaic by site, for measuring a picture in
// stripes: each stripe is summed on its own (64-bit, so the order of adding
// cannot change the result) and the totals are finished once.
struct WhiteBalanceSums {
  uint64_t sum[2][2] = {};  // [row parity][column parity], after the Bayer mode
  uint64_t count[2][2] = {};
  void Add(const WhiteBalanceSums& other);
};
// Rows top..bottom - 1 of a mosaic with `bytesPerSample` 1 or 2; parities
// count from row 0 of the picture, so a stripe may start on any row.
WhiteBalanceSums SumWhiteBalanceSites(const uint8_t* pixels, int32_t width, int32_t stride,
                                      int bytesPerSample, int32_t top, int32_t bottom,
                                      int32_t bayerMode);
// Fills the result block (as MeasureWhiteBalance8/16 do) from the totals.
void FinishWhiteBalance(int32_t* block, const WhiteBalanceSums& sums);

}  // namespace korvex::image
