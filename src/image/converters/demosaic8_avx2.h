// Internal: one row of the 8-bit demosaic into 3-byte pixels with AVX2,
// 32 pixels per step, for the common case of both gains below 2048 / 128.
//
// The row is computed from the four mosaic rows y - 2 .. y + 1 (the caller
// folds rows outside the image inward, as the general rule does). Columns
// are taken in pairs (even, odd); each pair's red and blue vertical sums,
// 3 x the tap row inside the cell + the tap row two rows away, are formed
// once per row into a scratch row, and the horizontal step then reads the
// pair before and after as neighbouring words. Green is the floor mean of
// two bytes straight from the mosaic. Results are exactly those of the
// general rule; only x86-64 builds with GCC or Clang have the kernel.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvex::image::detail {

struct MosaicRows8 {
  const uint8_t* above2;  // row y - 2
  const uint8_t* up;      // row y - 1
  const uint8_t* cur;     // row y
  const uint8_t* below;   // row y + 1
};

struct Demosaic8RowRoles {
  bool redRowIsY;              // the red sites of the cell above-left of (x, y) lie on row y
  bool redEven;                // red sites lie on even columns
  uint16_t gainRed, gainBlue;  // gain in 1/128 times 32, so below 65536
};

// The mosaic rows a row's colours come from. Red and blue: the tap row
// inside the cell counts three times, the one two rows away once, named by
// the columns the colour sits on (even or odd). Green at an even column x
// is the floor mean of `shared` at the pair's even column and `other` at
// x - 1 (at an odd column, of `shared` at x - 1 and `other` at x).
struct Demosaic8Taps {
  const uint8_t *evenNear, *evenFar, *oddNear, *oddFar;
  const uint8_t *shared, *other;
};

inline Demosaic8Taps TapsOf(const MosaicRows8& rows, const Demosaic8RowRoles& roles) {
  const uint8_t* redNear = roles.redRowIsY ? rows.cur : rows.up;
  const uint8_t* redFar = roles.redRowIsY ? rows.above2 : rows.below;
  const uint8_t* blueNear = roles.redRowIsY ? rows.up : rows.cur;
  const uint8_t* blueFar = roles.redRowIsY ? rows.below : rows.above2;
  const bool greenEven = roles.redRowIsY != roles.redEven;
  return Demosaic8Taps{roles.redEven ? redNear : blueNear, roles.redEven ? redFar : blueFar,
                       roles.redEven ? blueNear : redNear, roles.redEven ? blueFar : redFar,
                       greenEven ? rows.cur : rows.up,     greenEven ? rows.up : rows.cur};
}

// Narrowest row the kernel takes: one step of 32 pixels and the two
// columns on either side it reads.
inline constexpr int32_t kDemosaic8Avx2MinWidth = 36;

// Words of scratch a row of this width needs.
inline size_t Demosaic8Avx2Scratch(int32_t width) { return static_cast<size_t>(width) + 64; }

// Writes pixels 2 .. n - 1 of the row into out (row y of the picture, 3
// bytes per pixel) and returns n, which is width - 2 or width - 3; the
// caller computes the pixels from n on. Rows narrower than
// kDemosaic8Avx2MinWidth are left alone (returns 2).
int32_t Demosaic8RowAvx2(uint8_t* out, const MosaicRows8& rows, int32_t width,
                         const Demosaic8RowRoles& roles, uint16_t* scratch);

}  // namespace korvex::image::detail
