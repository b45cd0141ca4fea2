// Internal: applying a per-value table (or the brightness factor) to the
// channels of a region.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/converters/converter.h"

namespace korvex::image::detail {

// 8-bit channels: `channels` (1 or 3) of each pixel. Looked up 64 bytes at a
// time by byte permutes where the vector level allows, otherwise through the
// table widened to 32 bits, so the look-up can run as vector gathers.
void ApplyTable8(const Region& r, int channels, const uint8_t table[256]);

// 16-bit channels with a table of n = 2^bits entries; samples at or above n
// give `above`.
void ApplyTable16(const Region& r, int channels, const uint16_t* table, uint32_t n, uint16_t above);
// The same with the table already in 32-bit entries, n + 1 of them (entry n
// for every word of n or more), each below 65536.
void ApplyWideTable16(const Region& r, int channels, const uint32_t* table, uint32_t n);

// Channels scaled: clamp(trunc(v x f), 0, max), product in single precision
// (max 255 for 8-bit channels).
void ApplyFactor8(const Region& r, int channels, float f);
void ApplyFactor16(const Region& r, int channels, float f, uint32_t max);
// 8-bit brightness with its factor and its table (BuildBrightnessTable8),
// which give the same bytes: the kernel uses whichever is faster at the
// vector level.
void ApplyBrightness8(const Region& r, int channels, float f, const uint8_t table[256]);

// Both pixels hold three channels of `sampleSize` bytes.
inline bool HoldsColour(const Region& r, int sampleSize) {
  return r.dstBpp >= 3 * sampleSize && r.srcBpp >= 3 * sampleSize && r.dstBpp % sampleSize == 0 &&
         r.srcBpp % sampleSize == 0;
}

}  // namespace korvex::image::detail

// Common opening of a region converter body: the region `r` and the
// parameter block `block`.
#define KORVEX_REGION_SETUP(dbpp, sbpp)                                                    \
  (void)extra;                                                                             \
  const auto r =                                                                           \
      detail::MakeRegion(dst, src, srcRect, dstX, dstY, dbpp, sbpp, dstStride, srcStride); \
  const int32_t* block = detail::BlockOf(params)
