#include "image/converters/hue_saturation.h"

#include <array>

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

template <typename T, int kShiftBits>
void Walk(const detail::Region& r, const HueSaturationTables& t, int32_t shift, int shiftBits) {
  const int ss = r.srcBpp / static_cast<int>(sizeof(T));
  const int ds = r.dstBpp / static_cast<int>(sizeof(T));
  const int sb = kShiftBits >= 0 ? kShiftBits : shiftBits;
  for (int32_t y = 0; y < r.height; ++y) {
    const T* in = reinterpret_cast<const T*>(r.SrcRow(y));
    T* out = reinterpret_cast<T*>(r.DstRow(y));
    for (int32_t x = 0; x < r.width; ++x) {
      const T* p = in + x * ss;
      uint32_t b = p[0], g = p[1], rd = p[2];
      if constexpr (sizeof(T) == 2) {
        b = b >> sb > 255 ? 255 : b >> sb;
        g = g >> sb > 255 ? 255 : g >> sb;
        rd = rd >> sb > 255 ? 255 : rd >> sb;
      }
      const uint32_t v = HueSaturationPixel(rd, g, b, t, shift);
      T* q = out + x * ds;
      q[0] = static_cast<T>((v & 255) << sb);
      q[1] = static_cast<T>(((v >> 8) & 255) << sb);
      q[2] = static_cast<T>(((v >> 16) & 255) << sb);
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
  HueSaturationTables tables;
  BuildHueSaturationTables(block[kHsSaturation], tables);
  const int32_t shift = HueShift24(block[kHsHue]);
  if (r.srcBpp == 3 && r.dstBpp == 3) {
    Walk<uint8_t, 0>(r, tables, shift, 0);
  } else {
    Walk<uint8_t, -1>(r, tables, shift, 0);
  }
  return 1;
}

KORVEX_REGION_CONVERTER(HueSaturation48) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  if (!block || r.Empty() || !detail::HoldsColour(r, 2)) return 1;
  HueSaturationTables tables;
  BuildHueSaturationTables(block[kHsSaturation], tables);
  const int32_t shift = HueShift48(block[kHsHue]);
  const int shiftBits = detail::ClampBits(block[kHsBits]) - 8;
  if (shiftBits == 2) {
    Walk<detail::Word, 2>(r, tables, shift, shiftBits);
  } else {
    Walk<detail::Word, -1>(r, tables, shift, shiftBits);
  }
  return 1;
}

}  // namespace korvex::image
