// Internal: the 24-bit hue and saturation rule on packed blue-green-red
// bytes with AVX-512 (BW and VBMI), 32 pixels per step in 16-bit lanes.
//
// The same arithmetic as the AVX2 and portable loops of hue_saturation.cpp;
// two things differ in how it is reached. The packed bytes are spread into
// word lanes, and gathered back, by byte permutes across the whole
// register. The reciprocal of the chroma, a 24-bit table entry, is looked
// up by byte permutes from 256-byte tables of its three bytes instead of a
// gather, and the 32-bit product t x Q[K] is taken apart into 16-bit ones:
// (t x Q + 0x8000) >> 16 = t x Qhigh + ((t x Qlow + 0x8000) >> 16), where
// Qhigh is Q's top byte and Qlow its low 16 bits.
#pragma once

#include <cstdint>

namespace korvex::image::detail {

// Pixels first .. count - 1 done from in into out (in and out may be the
// same: each step loads before it stores); returns the pixels done, a
// multiple of 32. factor and shift as the portable loop takes them. Only
// x86-64 builds with GCC or Clang have the kernel; elsewhere it returns 0.
int32_t HueChunkAvx512(const uint8_t* in, uint8_t* out, int32_t count, int32_t factor,
                       int32_t shift);

// The same on packed pixels of three 16-bit words: each word is reduced to
// 8 bits (shifted right by shiftBits, limited to 255) as the rule takes it,
// and the results widened back (shifted left), in one pass.
int32_t HueChunk48Avx512(const uint16_t* in, uint16_t* out, int32_t count, int32_t factor,
                         int32_t shift, int shiftBits);

}  // namespace korvex::image::detail
