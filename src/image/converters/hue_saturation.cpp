#include "image/converters/hue_saturation.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "image/converters/four_sample_pixels.h"
#include "image/converters/hue_saturation_avx512.h"
#include "image/converters/interleave_x86.h"
#include "image/converters/per_value.h"
#include "image/converters/vector_level.h"

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
constexpr int32_t kStep[18] = {-1, 256,  -65536, 1,  -256, 65536,  -1, 256,  -65536,
                               1,  -256, 65536,  -1, 256,  -65536, 1,  -256, 65536};

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
// and the saturation table as its formula. Identical in result to
// HueSaturationPixel.
// Each pixel is read before it is written, so in and out may be the same.
void HueChunkPortable(const uint8_t* in, uint8_t* out, int32_t count, int32_t factor,
                      int32_t shift) {
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
    int32_t v =
        static_cast<int32_t>((static_cast<uint32_t>(t) * reciprocal[K] + 0x8000u) >> 16) + shiftMod;
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

#ifdef KORVEX_X86_KERNELS
#define KORVEX_AVX2 __attribute__((target("avx2"), always_inline)) inline

// 16 words of at most 255 into 16 bytes.
KORVEX_AVX2 __m128i PackBytes(__m256i v) {
  const __m256i packed = _mm256_packus_epi16(v, v);
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(packed, 0x08));
}

// (t x Q[K] + 0x8000) >> 16 for 16 lanes: the reciprocal needs 24 bits, so
// the product is formed in two halves of eight 32-bit lanes.
KORVEX_AVX2 __m256i ScaledByReciprocal(__m256i t, __m256i k) {
  const int* table = reinterpret_cast<const int*>(kReciprocal.data());
  const __m256i round = _mm256_set1_epi32(0x8000);
  __m256i half[2];
  for (int h = 0; h < 2; ++h) {
    const __m128i t16 = h == 0 ? _mm256_castsi256_si128(t) : _mm256_extracti128_si256(t, 1);
    const __m128i k16 = h == 0 ? _mm256_castsi256_si128(k) : _mm256_extracti128_si256(k, 1);
    const __m256i q = _mm256_i32gather_epi32(table, _mm256_cvtepu16_epi32(k16), 4);
    const __m256i p = _mm256_mullo_epi32(_mm256_cvtepu16_epi32(t16), q);
    half[h] = _mm256_srli_epi32(_mm256_add_epi32(p, round), 16);
  }
  // packus works within 128-bit lanes; the permute restores pixel order.
  return _mm256_permute4x64_epi64(_mm256_packus_epi32(half[0], half[1]), 0xD8);
}

// The channel that sits in sector position s (0..5) of the hue circle: the
// new maximum, the new minimum, or the middle value moving up or down.
KORVEX_AVX2 __m256i SectorChannel(__m256i s, __m256i lo, __m256i hi, __m256i up, __m256i down) {
  const __m256i atTop = _mm256_cmpgt_epi16(s, _mm256_set1_epi16(3));
  __m256i c = _mm256_blendv_epi8(lo, hi, atTop);
  c = _mm256_blendv_epi8(c, down, _mm256_cmpeq_epi16(s, _mm256_setzero_si256()));
  return _mm256_blendv_epi8(c, up, _mm256_cmpeq_epi16(s, _mm256_set1_epi16(3)));
}

// (s + add) mod 6 for s + add in 0..11.
KORVEX_AVX2 __m256i Sector6(__m256i s, int add) {
  const __m256i v = _mm256_add_epi16(s, _mm256_set1_epi16(static_cast<int16_t>(add)));
  return _mm256_sub_epi16(
      v, _mm256_and_si256(_mm256_cmpgt_epi16(v, _mm256_set1_epi16(5)), _mm256_set1_epi16(6)));
}

// The same rule as HueChunkPortable on 16 pixels at a time in 16-bit lanes:
// every quantity but the reciprocal product fits in 16 bits. The sector
// table's mask and step become a choice per channel: in sector s blue is the
// middle moving down (s = 0), the minimum (1, 2), the middle moving up (3)
// or the maximum (4, 5); green follows the same pattern two sectors later
// and red four. Returns the number of pixels done (a multiple of 16). Each
// group of 16 pixels is loaded before it is stored: in and out may be equal.
KORVEX_TARGET_AVX2 int32_t HueChunkAvx2(const uint8_t* in, uint8_t* out, int32_t count,
                                        int32_t factor, int32_t shift) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i one = _mm256_set1_epi16(1);
  const __m256i c511 = _mm256_set1_epi16(511);
  const __m256i c254 = _mm256_set1_epi16(254);
  const __m256i c255 = _mm256_set1_epi16(255);
  const __m256i round = _mm256_set1_epi16(128);
  // (F x K + 0x8000) >> 16 with F = c x 256 equals (c x K + 128) >> 8, which
  // mulhrs gives as (64 c x 2 K + 0x4000) >> 15.
  const __m256i sat64 = _mm256_set1_epi16(static_cast<int16_t>((factor >> 8) * 64));
  const __m256i shiftMod = _mm256_set1_epi16(static_cast<int16_t>(shift % 255));
  const __m256i shiftSector = _mm256_set1_epi16(static_cast<int16_t>(shift / 255));
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i bytes[3];
    detail::LoadDeinterleaved(in + 3 * i, bytes);
    const __m256i B = _mm256_cvtepu8_epi16(bytes[0]);
    const __m256i G = _mm256_cvtepu8_epi16(bytes[1]);
    const __m256i R = _mm256_cvtepu8_epi16(bytes[2]);
    const __m256i greenFirst = _mm256_cmpgt_epi16(G, R);
    __m256i base = _mm256_blendv_epi8(one, _mm256_set1_epi16(3), greenFirst);
    const __m256i low = _mm256_min_epi16(R, G), high = _mm256_max_epi16(R, G);
    __m256i t = _mm256_blendv_epi8(_mm256_sub_epi16(G, B), _mm256_sub_epi16(B, R), greenFirst);
    const __m256i mn = _mm256_min_epi16(B, low);
    const __m256i blueTop = _mm256_cmpgt_epi16(B, high);
    base = _mm256_blendv_epi8(base, _mm256_set1_epi16(5), blueTop);
    const __m256i mx = _mm256_max_epi16(B, high);
    t = _mm256_blendv_epi8(t, _mm256_sub_epi16(R, G), blueTop);
    const __m256i L = _mm256_add_epi16(mx, mn), K = _mm256_sub_epi16(mx, mn);
    const __m256i negative = _mm256_cmpgt_epi16(zero, t);
    base = _mm256_add_epi16(base, negative);  // -1 where t < 0
    t = _mm256_add_epi16(t, _mm256_and_si256(K, negative));
    const __m256i limit = _mm256_min_epi16(L, _mm256_sub_epi16(c511, L));
    const __m256i sat = _mm256_mulhrs_epi16(sat64, _mm256_add_epi16(K, K));
    const __m256i kp = _mm256_min_epi16(limit, sat);
    const __m256i lo = _mm256_srli_epi16(_mm256_sub_epi16(L, kp), 1);
    const __m256i hi = _mm256_srli_epi16(_mm256_add_epi16(L, kp), 1);
    const __m256i w = _mm256_sub_epi16(hi, lo);
    __m256i v = _mm256_add_epi16(ScaledByReciprocal(t, K), shiftMod);
    const __m256i wraps = _mm256_cmpgt_epi16(v, c254);
    v = _mm256_sub_epi16(v, _mm256_and_si256(wraps, c255));
    // base + shift sector + 1 when v wrapped: 0..11, then mod 6.
    __m256i sector = _mm256_sub_epi16(_mm256_add_epi16(base, shiftSector), wraps);
    sector = Sector6(sector, 0);
    // w x v <= 255 x 254, so the rounded product stays within 16 bits.
    const __m256i x = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(w, v), round), 8);
    const __m256i up = _mm256_add_epi16(lo, x), down = _mm256_sub_epi16(hi, x);
    const __m128i planes[3] = {PackBytes(SectorChannel(sector, lo, hi, up, down)),
                               PackBytes(SectorChannel(Sector6(sector, 2), lo, hi, up, down)),
                               PackBytes(SectorChannel(Sector6(sector, 4), lo, hi, up, down))};
    detail::StoreInterleaved(out + 3 * i, planes);
  }
  return i;
}
#undef KORVEX_AVX2
#endif

#ifdef KORVEX_X86_KERNELS
KORVEX_TARGET_AVX2 void HueChunkAvx2Whole(const uint8_t* in, uint8_t* out, int32_t count,
                                          int32_t factor, int32_t shift) {
  const int32_t done = HueChunkAvx2(in, out, count, factor, shift);
  HueChunkPortable(in + 3 * done, out + 3 * done, count - done, factor, shift);
}
KORVEX_TARGET_AVX512 void HueChunkAvx512Whole(const uint8_t* in, uint8_t* out, int32_t count,
                                              int32_t factor, int32_t shift) {
  const int32_t done = detail::HueChunkAvx512(in, out, count, factor, shift);
  HueChunkAvx2Whole(in + 3 * done, out + 3 * done, count - done, factor, shift);
}
#endif

using HueChunkFn = void (*)(const uint8_t*, uint8_t*, int32_t, int32_t, int32_t);
constexpr Kernels<HueChunkFn> kHueChunk{HueChunkPortable, nullptr,
                                        KORVEX_X86_ONLY(HueChunkAvx2Whole),
                                        KORVEX_X86_ONLY(HueChunkAvx512Whole)};

// Deep samples to the 8-bit values the rule works on, and back.
KORVEX_KERNEL_BODY void ReduceBody(const detail::Word* in, uint8_t* __restrict out, int32_t n,
                                   int shiftBits) {
  for (int32_t j = 0; j < n; ++j) {
    const uint16_t v = static_cast<uint16_t>(in[j] >> shiftBits);
    out[j] = static_cast<uint8_t>(v > 255 ? 255 : v);
  }
}
KORVEX_KERNEL_BODY void WidenBody(const uint8_t* __restrict in, detail::Word* out, int32_t n,
                                  int shiftBits) {
  for (int32_t j = 0; j < n; ++j) out[j] = static_cast<uint16_t>(in[j] << shiftBits);
}
// Word pointers as plain uint16_t in the kernel types (a may_alias type
// cannot be a template argument); the bodies read them as aliasing words.
void ReducePortable(const uint16_t* in, uint8_t* out, int32_t n, int shiftBits) {
  ReduceBody(detail::Words(reinterpret_cast<const uint8_t*>(in)), out, n, shiftBits);
}
void WidenPortable(const uint8_t* in, uint16_t* out, int32_t n, int shiftBits) {
  WidenBody(in, detail::Words(reinterpret_cast<uint8_t*>(out)), n, shiftBits);
}
#ifdef KORVEX_X86_KERNELS
KORVEX_TARGET_AVX2 void ReduceAvx2(const uint16_t* in, uint8_t* out, int32_t n, int shiftBits) {
  ReduceBody(detail::Words(reinterpret_cast<const uint8_t*>(in)), out, n, shiftBits);
}
KORVEX_TARGET_AVX2 void WidenAvx2(const uint8_t* in, uint16_t* out, int32_t n, int shiftBits) {
  WidenBody(in, detail::Words(reinterpret_cast<uint8_t*>(out)), n, shiftBits);
}
#endif
using ReduceFn = void (*)(const uint16_t*, uint8_t*, int32_t, int);
using WidenFn = void (*)(const uint8_t*, uint16_t*, int32_t, int);
constexpr Kernels<ReduceFn> kReduce{ReducePortable, nullptr, KORVEX_X86_ONLY(ReduceAvx2)};
constexpr Kernels<WidenFn> kWiden{WidenPortable, nullptr, KORVEX_X86_ONLY(WidenAvx2)};

// Packed deep rows in one pass where words can be permuted 32 at a time;
// returns the pixels done (none without the kernel).
using Row48Fn = int32_t (*)(const uint16_t*, uint16_t*, int32_t, int32_t, int32_t, int);
int32_t NoPixels(const uint16_t*, uint16_t*, int32_t, int32_t, int32_t, int) { return 0; }
constexpr Kernels<Row48Fn> kRow48{NoPixels, nullptr, nullptr,
                                  KORVEX_X86_ONLY(detail::HueChunk48Avx512)};

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
  const HueChunkFn hueChunk = kHueChunk.Pick();
  const ReduceFn reduce = kReduce.Pick();
  const WidenFn widen = kWiden.Pick();
  const Row48Fn row48 = kRow48.Pick();
  for (int32_t y = 0; y < r.height; ++y) {
    const T* srow = reinterpret_cast<const T*>(r.SrcRow(y));
    T* drow = reinterpret_cast<T*>(r.DstRow(y));
    int32_t start = 0;
    if constexpr (sizeof(T) == 2) {
      if (ss == 3 && ds == 3) {
        start = row48(reinterpret_cast<const uint16_t*>(srow), reinterpret_cast<uint16_t*>(drow),
                      r.width, factor, shift, shiftBits);
      }
    }
    for (int32_t x0 = start; x0 < r.width; x0 += kChunk) {
      const int32_t count = std::min(kChunk, r.width - x0);
      if constexpr (sizeof(T) == 1) {
        if (ss == 3 && ds == 3) {  // packed rows: straight from source to destination
          hueChunk(srow + 3 * x0, drow + 3 * x0, count, factor, shift);
          continue;
        }
      }
      if constexpr (sizeof(T) == 1) {
        if (ss == 3) {
          std::memcpy(in, srow + 3 * x0, 3 * static_cast<size_t>(count));
        } else if (ss == 4) {
          detail::PackFourBytePixels(srow + 4 * x0, in, count);
        } else {
          for (int32_t x = 0; x < count; ++x) std::memcpy(in + 3 * x, srow + (x0 + x) * ss, 3);
        }
      } else if (ss == 3) {
        reduce(srow + 3 * x0, in, 3 * count, shiftBits);
      } else {
        for (int32_t x = 0; x < count; ++x)
          ReducePortable(srow + (x0 + x) * ss, in + 3 * x, 3, shiftBits);
      }
      hueChunk(in, out, count, factor, shift);
      if constexpr (sizeof(T) == 1) {
        if (ds == 3) {
          std::memcpy(drow + 3 * x0, out, 3 * static_cast<size_t>(count));
        } else if (ds == 4) {
          detail::WidenToFourBytePixels(out, drow + 4 * x0, count);
        } else {
          for (int32_t x = 0; x < count; ++x) std::memcpy(drow + (x0 + x) * ds, out + 3 * x, 3);
        }
      } else if (ds == 3) {
        widen(out, drow + 3 * x0, 3 * count, shiftBits);
      } else {
        for (int32_t x = 0; x < count; ++x)
          WidenPortable(out + 3 * x, drow + (x0 + x) * ds, 3, shiftBits);
      }
    }
  }
}

}  // namespace

int32_t HueShift24(int32_t hue) {
  return ShiftFromTurn(static_cast<uint16_t>(ClampHue(hue) * 65536 / 360));
}

int32_t HueShift48(int32_t hue) {
  return ShiftFromTurn(static_cast<uint16_t>(ClampHue(hue) * 256));
}

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
