// Internal: pixels of four samples whose fourth sample is not a channel
// (32-bit and 64-bit colour). Stages work on the three channels; these move
// the channels in and out of such pixels and leave each fourth sample as it
// was.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "image/converters/vector_level.h"

namespace korvex::image::detail {

// Pixels x0..x1 - 1 of `from` into `to`, samples of O (bytes or words), the
// fourth sample of `to` kept: one masked word per pixel rather than a copy
// per sample (the compiler turns it into vector ands and ors).
template <typename O>
KORVEX_KERNEL_BODY void CopyKeepingFourth(const O* from, O* to, int32_t x0, int32_t x1) {
  using Pixel = std::conditional_t<sizeof(O) == 1, uint32_t, uint64_t>;
  constexpr Pixel kFourth = std::bit_cast<Pixel>(std::array<O, 4>{0, 0, 0, O(~O(0))});
  for (int32_t x = x0; x < x1; ++x) {
    Pixel f, t;
    std::memcpy(&f, from + 4 * x, sizeof f);
    std::memcpy(&t, to + 4 * x, sizeof t);
    const Pixel v = (t & kFourth) | (f & ~kFourth);
    std::memcpy(to + 4 * x, &v, sizeof v);
  }
}

// `count` 8-bit pixels of four bytes into packed blue-green-red bytes.
void PackFourBytePixels(const uint8_t* pixels, uint8_t* packed, int32_t count);
// `count` packed blue-green-red pixels into pixels of four bytes, each
// pixel's fourth byte kept.
void WidenToFourBytePixels(const uint8_t* packed, uint8_t* pixels, int32_t count);

}  // namespace korvex::image::detail
