// Gray mosaic calibration: per-site-class gains measured from the picture,
// and the gain and offset applied in place.
#pragma once

#include "image/converters/converter.h"

namespace korvex::image {

// The four site classes of the gray block, by (row parity, column parity)
// after the Bayer-mode adjustment: the block index of each class's gain
// (the offset index is 4 further on).
inline constexpr int kGraySiteGain[2][2] = {{kGrayGainG1, kGrayGainR1}, {kGrayGainB1, kGrayGainG2}};

// The saturated sample value for the significant bits of a gray block
// (8 -> 255, 10 -> 1023, 12 -> 4095, 14 -> 16383, anything else 65535).
int32_t GraySaturation(int32_t bits);

// Reads the mosaic (8-bit samples when the block's bits are 8, 16-bit
// otherwise) and writes the four gains into the gray block so that every
// class's mean of usable samples (neither 0 nor saturated) is lifted to the
// largest one; 128 is unity. Leaves the block alone when a class has no
// usable sample. Offsets are not changed.
KORVEX_REGION_CONVERTER(MeasureGrayGains);

// The same measurement in stripes: usable samples summed and counted by
// site class (64-bit, so the order of adding cannot change the result), the
// stripes' totals added, the gains written once.
struct GraySiteSums {
  uint64_t sum[2][2] = {};  // [row parity][column parity], after the Bayer mode
  uint64_t count[2][2] = {};
  void Add(const GraySiteSums& other);
};
// Rows top..bottom - 1 of the mosaic, whose samples and Bayer mode the gray
// block gives; parities count from row 0 of the picture.
GraySiteSums SumGraySites(const uint8_t* pixels, int32_t width, int32_t stride, int32_t top,
                          int32_t bottom, const int32_t* block);
// Writes the gains into the block from the totals, as MeasureGrayGains does.
void FinishGrayGains(int32_t* block, const GraySiteSums& sums);

// x = offset + (v * gain) / 128, clamped to 0..saturation of the block's bits.
KORVEX_REGION_CONVERTER(GrayGainOffset8);
KORVEX_REGION_CONVERTER(GrayGainOffset16);

}  // namespace korvex::image
