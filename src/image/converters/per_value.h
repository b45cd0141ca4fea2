// Internal: applying a per-value table to the channels of a region.
#pragma once

#include <cstddef>

#include "image/converters/converter.h"

namespace korvex::image::detail {

// 8-bit channels: `channels` (1 or 3) of each pixel of `bpp` bytes. When the
// channels fill the pixel the row is one run of bytes.
inline void ApplyTable8(const Region& r, int channels, const uint8_t* table) {
  for (int32_t y = 0; y < r.height; ++y) {
    const uint8_t* in = r.SrcRow(y);
    uint8_t* out = r.DstRow(y);
    if (r.srcBpp == channels && r.dstBpp == channels) {
      const int32_t n = r.width * channels;
      for (int32_t i = 0; i < n; ++i) out[i] = table[in[i]];
    } else {
      for (int32_t x = 0; x < r.width; ++x) {
        const uint8_t* p = in + static_cast<ptrdiff_t>(x) * r.srcBpp;
        uint8_t* q = out + static_cast<ptrdiff_t>(x) * r.dstBpp;
        for (int c = 0; c < channels; ++c) q[c] = table[p[c]];
      }
    }
  }
}

// 16-bit channels with a table of n entries; samples at or above n get
// above(sample).
template <typename Above>
void ApplyTable16(const Region& r, int channels, const uint16_t* table, uint32_t n,
                  Above above) {
  auto map = [&](uint32_t v) -> uint16_t { return v < n ? table[v] : above(v); };
  for (int32_t y = 0; y < r.height; ++y) {
    const Word* in = Words(r.SrcRow(y));
    Word* out = Words(r.DstRow(y));
    if (r.srcBpp == 2 * channels && r.dstBpp == 2 * channels) {
      const int32_t count = r.width * channels;
      for (int32_t i = 0; i < count; ++i) out[i] = map(in[i]);
    } else {
      const int ss = r.srcBpp / 2, ds = r.dstBpp / 2;
      for (int32_t x = 0; x < r.width; ++x) {
        for (int c = 0; c < channels; ++c) out[x * ds + c] = map(in[x * ss + c]);
      }
    }
  }
}

// Both pixels hold three channels of `sampleSize` bytes.
inline bool HoldsColour(const Region& r, int sampleSize) {
  return r.dstBpp >= 3 * sampleSize && r.srcBpp >= 3 * sampleSize && r.dstBpp % sampleSize == 0 &&
         r.srcBpp % sampleSize == 0;
}

}  // namespace korvex::image::detail

// Common opening of a region converter body: the region `r` and the
// parameter block `block`.
#define KORVEX_REGION_SETUP(dbpp, sbpp)                                                      \
  (void)extra;                                                                              \
  const auto r = detail::MakeRegion(dst, src, srcRect, dstX, dstY, dbpp, sbpp, dstStride,  \
                                    srcStride);                                             \
  const int32_t* block = detail::BlockOf(params)

