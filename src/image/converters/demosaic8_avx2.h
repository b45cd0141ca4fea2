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

// Where the kernels' steps start. A step of `step` pixels (32 or 64) writes
// 3 x step bytes, so when 3 x lands on a step-byte boundary of out the step
// stores whole cache lines (or halves) rather than split ones. Steps start
// on even columns (pixel pairs), which can land there only when out's offset
// in its line is even: with x = 2 j, 6 j = -offset (mod step), that is
// 3 j = -offset / 2 (mod step / 2), and 3 x 11 = 1 modulo 16 and 32. The
// first step starts at column 2; the next at the first such column after
// it (or step further on when there is none), then every step columns, and
// the last at lastX. Steps overlap rather than leave gaps; overlapped
// pixels get the same bytes twice.
inline int32_t NextStep(const uint8_t* out, int32_t x, int32_t step, int32_t lastX) {
  const uint32_t half = static_cast<uint32_t>(step) / 2;
  const uint32_t offset = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(out)) & (2 * half - 1);
  int32_t next = x + step;
  if (offset % 2 == 0) {
    const int32_t phase = static_cast<int32_t>(2 * (((half - offset / 2) * 11) & (half - 1)));
    const int32_t ahead = (phase - x) & (step - 1);
    if (ahead != 0) next = x + ahead;
  }
  return next < lastX ? next : lastX;
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
