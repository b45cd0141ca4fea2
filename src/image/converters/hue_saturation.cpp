#include "image/converters/hue_saturation.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "image/converters/per_value.h"

namespace korvex::image {
namespace {

constexpr int32_t ClampHue(int32_t hue) { return hue < -360 ? -360 : (hue > 360 ? 360 : hue); }

// The byte k in all three channels.
constexpr uint32_t Gray(uint32_t k) { return k * 0x010101u; }

// 0xFF0000 / k, the reciprocal of a chroma in 16.16.
constexpr std::array<uint32_t, 256> kReciprocal = [] {
  std::array<uint32_t, 256> q{};
  for (uint32_t k = 1; k < 256; ++k) q[k] = 0xFF0000u / k;
  return q;
}();

// Per hue sector: which channels hold the maximum, and which channel moves
// by how much; repeated so that any base + shift sector is a valid index.
constexpr uint32_t kMask[18] = {0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF,
                                0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF,
                                0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF};
constexpr int32_t kStep[18] = {-1, 256, -65536, 1, -256, 65536, -1, 256, -65536,
                               1,  -256, 65536, -1, 256, -65536, 1, -256, 65536};

int32_t ShiftFromTurn(uint16_t h) {
  const int32_t x = (static_cast<int32_t>(h) * 6) >> 8;
  int32_t m = x % 512;
  if (m >= 256) m -= 512;
  const int32_t k = ((x + 256) >> 9) % 3;
  int32_t a = m + 510 * k;
  if (a < 0) a += 1530;
  if (a > 1529) a -= 1530;
  return a;
}

// The per-pixel rule without branches, on packed blue-green-red bytes, for
// the tables of lightness shift 0 (level[L] = L, limit[L] = min(L, 511 - L))
// and the saturation table as its formula, so the compiler can run it as
// vectors. Identical in result to HueSaturationPixel.
KORVEX_VECTOR_CLONES void HueChunk(const uint8_t* __restrict in, uint8_t* __restrict out,
                                   int32_t count, int32_t factor, int32_t shift) {
  const int32_t shiftMod = shift % 255, shiftSector = shift / 255;
  const uint32_t* reciprocal = kReciprocal.data();
  for (int32_t i = 0; i < count; ++i) {
    const int32_t B = in[3 * i], G = in[3 * i + 1], R = in[3 * i + 2];
    const bool redFirst = R >= G;
    int32_t base = redFirst ? 1 : 3;
    const int32_t low = redFirst ? G : R;
    const int32_t high = redFirst ? R : G;
    int32_t t = redFirst ? G - B : B - R;
    const int32_t mn = B < low ? B : low;
    const bool blueTop = high < B;
    base = blueTop ? 5 : base;
    const int32_t mx = blueTop ? B : high;
    t = blueTop ? R - G : t;
    const int32_t L = mx + mn, K = mx - mn;
    base = t < 0 ? base - 1 : base;
    t = t < 0 ? t + K : t;
    const int32_t limit = L < 256 ? L : 511 - L;
    const int32_t sat = (factor * K + 0x8000) >> 16;
    const int32_t kp = limit < sat ? limit : sat;
    const int32_t lo = (L - kp) >> 1;
    int32_t v = static_cast<int32_t>(
                    (static_cast<uint32_t>(t) * reciprocal[K] + 0x8000u) >> 16) +
                shiftMod;
    const int32_t sector = (v > 254 ? 1 : 0) + base + shiftSector;
    v = v >= 255 ? v - 255 : v;
    const int32_t w = ((L + kp) >> 1) - lo;
    const uint32_t move = (Gray(static_cast<uint32_t>(w)) & kMask[sector]) +
                          static_cast<uint32_t>(((w * v + 128) >> 8) * kStep[sector]);
    const uint32_t result = Gray(static_cast<uint32_t>(lo)) + (K != 0 ? move : 0u);
    out[3 * i] = static_cast<uint8_t>(result);
    out[3 * i + 1] = static_cast<uint8_t>(result >> 8);
    out[3 * i + 2] = static_cast<uint8_t>(result >> 16);
  }
}

// Rows go through packed 8-bit copies of the three channels in chunks; the
// deep variant reduces each word by shiftBits first and widens it back.
template <typename T>
void Walk(const detail::Region& r, int32_t saturation, int32_t shift, int shiftBits) {
  constexpr int32_t kChunk = 512;
  uint8_t in[3 * kChunk], out[3 * kChunk];
  const int32_t sat = saturation < -255 ? -255 : (saturation > 255 ? 255 : saturation);
  const int32_t factor = (sat + 256) * 256;
  const int ss = r.srcBpp / static_cast<int>(sizeof(T));
  const int ds = r.dstBpp / static_cast<int>(sizeof(T));
  for (int32_t y = 0; y < r.height; ++y) {
    const T* srow = reinterpret_cast<const T*>(r.SrcRow(y));
    T* drow = reinterpret_cast<T*>(r.DstRow(y));
    for (int32_t x0 = 0; x0 < r.width; x0 += kChunk) {
      const int32_t count = std::min(kChunk, r.width - x0);
      if constexpr (sizeof(T) == 1) {
        if (ss == 3) {
          std::memcpy(in, srow + 3 * x0, 3 * static_cast<size_t>(count));
        } else {
          for (int32_t x = 0; x < count; ++x) std::memcpy(in + 3 * x, srow + (x0 + x) * ss, 3);
        }
      } else {
        for (int32_t x = 0; x < count; ++x) {
          for (int c = 0; c < 3; ++c) {
            const uint32_t v = static_cast<uint32_t>(srow[(x0 + x) * ss + c]) >> shiftBits;
            in[3 * x + c] = static_cast<uint8_t>(v > 255 ? 255 : v);
          }
        }
      }
      HueChunk(in, out, count, factor, shift);
      if constexpr (sizeof(T) == 1) {
        if (ds == 3) {
          std::memcpy(drow + 3 * x0, out, 3 * static_cast<size_t>(count));
        } else {
          for (int32_t x = 0; x < count; ++x) std::memcpy(drow + (x0 + x) * ds, out + 3 * x, 3);
        }
      } else {
        for (int32_t x = 0; x < count; ++x) {
          for (int c = 0; c < 3; ++c) {
            drow[(x0 + x) * ds + c] = static_cast<uint16_t>(out[3 * x + c] << shiftBits);
          }
        }
      }
    }
  }
}

}  // namespace

int32_t HueShift24(int32_t hue) {
  return ShiftFromTurn(static_cast<uint16_t>(ClampHue(hue) * 65536 / 360));
}

int32_t HueShift48(int32_t hue) { return ShiftFromTurn(static_cast<uint16_t>(ClampHue(hue) * 256)); }

void BuildHueSaturationTables(int32_t saturation, HueSaturationTables& t) {
  const int32_t sat = saturation < -255 ? -255 : (saturation > 255 ? 255 : saturation);
  const int32_t f = (sat + 256) * 256;
  for (int32_t i = 0; i < 512; ++i) {
    t.level[i] = static_cast<uint16_t>(i);
    t.limit[i] = static_cast<uint16_t>(i < 256 ? i : 511 - i);
  }
  for (int32_t i = 0; i < 256; ++i) t.saturation[i] = (f * i + 0x8000) >> 16;
}

uint32_t HueSaturationPixel(uint32_t red, uint32_t green, uint32_t blue,
                            const HueSaturationTables& t, int32_t shift) {
  const int32_t R = static_cast<int32_t>(red), G = static_cast<int32_t>(green),
                B = static_cast<int32_t>(blue);
  int32_t base, low, high, tt;
  if (R >= G) {
    base = 1, low = G, high = R, tt = G - B;
  } else {
    base = 3, low = R, high = G, tt = B - R;
  }
  const int32_t mn = B < low ? B : low;
  int32_t mx = high;
  if (high < B) base = 5, mx = B, tt = R - G;
  const int32_t L = mx + mn, K = mx - mn;
  if (tt < 0) base -= 1, tt += K;
  const int32_t limit = t.limit[L], sat = t.saturation[K];
  const int32_t kp = limit < sat ? limit : sat;
  const int32_t lp = t.level[L];
  uint32_t result = Gray(static_cast<uint32_t>((lp - kp) >> 1));
  if (K != 0) {
    int32_t v = static_cast<int32_t>((static_cast<uint32_t>(tt) * kReciprocal[K] + 0x8000u) >> 16) +
                shift % 255;
    const int sector = (v > 254 ? 1 : 0) + base + shift / 255;
    if (v >= 255) v -= 255;
    const int32_t w = ((lp + kp) >> 1) - ((lp - kp) >> 1);
    result += (Gray(static_cast<uint32_t>(w)) & kMask[sector]) +
              static_cast<uint32_t>(((w * v + 128) >> 8) * kStep[sector]);
  }
  return result;
}

KORVEX_REGION_CONVERTER(HueSaturation24) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  if (!block || r.Empty() || !detail::HoldsColour(r, 1)) return 1;
  Walk<uint8_t>(r, block[kHsSaturation], HueShift24(block[kHsHue]), 0);
  return 1;
}

KORVEX_REGION_CONVERTER(HueSaturation48) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  if (!block || r.Empty() || !detail::HoldsColour(r, 2)) return 1;
  Walk<detail::Word>(r, block[kHsSaturation], HueShift48(block[kHsHue]),
                     detail::ClampBits(block[kHsBits]) - 8);
  return 1;
}

}  // namespace korvex::image
