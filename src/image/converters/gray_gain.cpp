#include "image/converters/gray_gain.h"

#include <algorithm>
#include <array>

namespace korvex::image {

int32_t GraySaturation(int32_t bits) {
  switch (bits) {
    case 8: return 255;
    case 10: return 1023;
    case 12: return 4095;
    case 14: return 16383;
    default: return 65535;
  }
}

namespace {

inline int64_t GainOffset(int64_t v, int64_t gain, int64_t offset, int64_t max) {
  const int64_t x = offset + (v * gain) / 128;
  return x < 0 ? 0 : (x > max ? max : x);
}

}  // namespace

namespace {

// The region's usable samples by site; its row 0 has row parity rowBit.
void SumSites(const detail::Region& r, const int32_t* block, int rowBit, GraySiteSums& s) {
  const bool eight = block[kGrayBits] == 8;
  const uint32_t sat = static_cast<uint32_t>(eight ? 255 : GraySaturation(block[kGrayBits]));
  const int colBit = (block[kGrayBayerMode] >> 1) & 1;
  for (int32_t y = 0; y < r.height; ++y) {
    const int rp = (y & 1) ^ rowBit;
    const uint8_t* row8 = r.SrcRow(y);
    const detail::Word* row16 = detail::Words(row8);
    for (int32_t x = 0; x < r.width; ++x) {
      const uint32_t v = eight ? row8[x] : row16[x];
      const int cp = (x & 1) ^ colBit;
      if (v < sat) {
        s.sum[rp][cp] += v;
        if (v != 0) ++s.count[rp][cp];
      }
    }
  }
}

}  // namespace

void GraySiteSums::Add(const GraySiteSums& other) {
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      sum[i][j] += other.sum[i][j];
      count[i][j] += other.count[i][j];
    }
  }
}

GraySiteSums SumGraySites(const uint8_t* pixels, int32_t width, int32_t stride, int32_t top,
                          int32_t bottom, const int32_t* block) {
  GraySiteSums sums;
  const Rect rows{0, top, width, bottom};
  const auto r = detail::MakeRegion(nullptr, pixels, rows, 0, 0, 0, 0, 0, stride);
  if (!r.src || r.width <= 0 || r.height <= 0) return sums;
  SumSites(r, block, (block[kGrayBayerMode] ^ top) & 1, sums);
  return sums;
}

void FinishGrayGains(int32_t* block, const GraySiteSums& sums) {
  double mean[2][2];
  double top = 0.0;
  for (int rp = 0; rp < 2; ++rp) {
    for (int cp = 0; cp < 2; ++cp) {
      if (sums.count[rp][cp] == 0) return;
      mean[rp][cp] =
          static_cast<double>(sums.sum[rp][cp]) / static_cast<double>(sums.count[rp][cp]);
      top = std::max(top, mean[rp][cp]);
    }
  }
  for (int rp = 0; rp < 2; ++rp) {
    for (int cp = 0; cp < 2; ++cp) {
      block[kGraySiteGain[rp][cp]] = static_cast<int32_t>(top / mean[rp][cp] * 128.0);
    }
  }
}

KORVEX_REGION_CONVERTER(MeasureGrayGains) {
  (void)extra, (void)srcBytesPerPixel;
  int32_t* block = detail::BlockOf(params);
  if (!block) return 1;
  const bool eight = block[kGrayBits] == 8;
  const auto r = detail::MakeRegion(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, eight ? 1 : 2,
                                    dstStride, srcStride);
  if (!r.src || r.width <= 0 || r.height <= 0) return 1;
  GraySiteSums sums;
  SumSites(r, block, block[kGrayBayerMode] & 1, sums);
  FinishGrayGains(block, sums);
  return 1;
}

// 8-bit: one 256-entry table per site class; a row uses two of them.
KORVEX_REGION_CONVERTER(GrayGainOffset8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel, (void)extra;
  const int32_t* block = detail::BlockOf(params);
  if (!block) return 1;
  const auto r = detail::MakeRegion(dst, src, srcRect, dstX, dstY, 1, 1, dstStride, srcStride);
  if (r.Empty()) return 1;
  std::array<std::array<uint8_t, 256>, 4> table;
  for (int c = 0; c < 4; ++c) {
    const int gainIndex = kGrayGainR1 + c;
    for (int v = 0; v < 256; ++v) {
      table[c][v] =
          static_cast<uint8_t>(GainOffset(v, block[gainIndex], block[gainIndex + 4], 255));
    }
  }
  const int rowBit = block[kGrayBayerMode] & 1;
  const int colBit = (block[kGrayBayerMode] >> 1) & 1;
  for (int32_t y = 0; y < r.height; ++y) {
    const int rp = (y & 1) ^ rowBit;
    const uint8_t* even = table[kGraySiteGain[rp][colBit] - kGrayGainR1].data();
    const uint8_t* odd = table[kGraySiteGain[rp][colBit ^ 1] - kGrayGainR1].data();
    const uint8_t* in = r.SrcRow(y);
    uint8_t* out = r.DstRow(y);
    int32_t x = 0;
    for (; x + 1 < r.width; x += 2) {
      const uint8_t a = in[x], b = in[x + 1];
      out[x] = even[a];
      out[x + 1] = odd[b];
    }
    if (x < r.width) out[x] = even[in[x]];
  }
  return 1;
}

KORVEX_REGION_CONVERTER(GrayGainOffset16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel, (void)extra;
  const int32_t* block = detail::BlockOf(params);
  if (!block) return 1;
  const auto r = detail::MakeRegion(dst, src, srcRect, dstX, dstY, 2, 2, dstStride, srcStride);
  if (r.Empty()) return 1;
  const int64_t max = GraySaturation(block[kGrayBits]);
  const int rowBit = block[kGrayBayerMode] & 1;
  const int colBit = (block[kGrayBayerMode] >> 1) & 1;
  for (int32_t y = 0; y < r.height; ++y) {
    const int rp = (y & 1) ^ rowBit;
    const int ge = kGraySiteGain[rp][colBit], go = kGraySiteGain[rp][colBit ^ 1];
    const int64_t gainE = block[ge], offE = block[ge + 4];
    const int64_t gainO = block[go], offO = block[go + 4];
    const detail::Word* in = detail::Words(r.SrcRow(y));
    detail::Word* out = detail::Words(r.DstRow(y));
    int32_t x = 0;
    for (; x + 1 < r.width; x += 2) {
      const int64_t a = in[x], b = in[x + 1];
      out[x] = static_cast<uint16_t>(GainOffset(a, gainE, offE, max));
      out[x + 1] = static_cast<uint16_t>(GainOffset(b, gainO, offO, max));
    }
    if (x < r.width) out[x] = static_cast<uint16_t>(GainOffset(in[x], gainE, offE, max));
  }
  return 1;
}

}  // namespace korvex::image
