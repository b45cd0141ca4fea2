#include "image/converters/hue_saturation_avx512.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

namespace korvex::image::detail {

namespace {

// 0xFF0000 / K by bytes: top, middle and low byte per K.
struct ReciprocalBytes {
  alignas(64) uint8_t byte[3][256];
  constexpr ReciprocalBytes() : byte{} {
    for (uint32_t k = 1; k < 256; ++k) {
      const uint32_t q = 0xFF0000u / k;
      byte[0][k] = static_cast<uint8_t>(q >> 16);
      byte[1][k] = static_cast<uint8_t>(q >> 8);
      byte[2][k] = static_cast<uint8_t>(q);
    }
  }
};
constexpr ReciprocalBytes kReciprocalBytes;

// Byte permutes between 96 packed bytes (32 pixels) and three registers of
// 32 words, one per channel.
struct PackedPermutes {
  alignas(64) uint8_t spread[3][64];  // channel c: word i's low byte is packed byte 3i + c
  alignas(64) uint8_t first[64];      // packed bytes 0..63 from (blue, green) and red
  alignas(64) uint8_t second[64];     // packed bytes 64..95 likewise
  constexpr PackedPermutes() : spread{}, first{}, second{} {
    for (int c = 0; c < 3; ++c)
      for (int p = 0; p < 64; ++p) spread[c][p] = static_cast<uint8_t>(3 * (p / 2) + c);
    for (int p = 0; p < 64; ++p) {
      for (int half = 0; half < 2; ++half) {
        const int n = 64 * half + p;
        // Blue words are bytes 0..63 of the two-register table, green
        // 64..127; red is permuted alone into the remaining positions.
        const int c = n % 3, pixel = (n / 3) % 32;
        const uint8_t index = static_cast<uint8_t>((c == 1 ? 64 : 0) + 2 * pixel);
        (half == 0 ? first : second)[p] = index;
      }
    }
  }
};
constexpr PackedPermutes kPermutes;

// Positions n % 3 == 2 (red) of packed bytes 0..63, and of 64..95 shifted down.
constexpr uint64_t RedPositions(int offset) {
  uint64_t m = 0;
  for (int p = 0; p < 64; ++p)
    if ((p + offset) % 3 == 2) m |= uint64_t{1} << p;
  return m;
}

#define KORVEX_AVX512 \
  __attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline

KORVEX_AVX512 __m512i Load64(const uint8_t* p) { return _mm512_load_si512(p); }

// Table byte per word lane of K (0..255), zero-extended: two 128-byte
// permutes, picked by K's top bit.
KORVEX_AVX512 __m512i LookUp256(__m512i k, const uint8_t* table) {
  constexpr __mmask64 kLowBytes = 0x5555555555555555ull;
  const __m512i below = _mm512_maskz_permutex2var_epi8(kLowBytes, Load64(table), k,
                                                        Load64(table + 64));
  const __m512i above = _mm512_maskz_permutex2var_epi8(kLowBytes, Load64(table + 128), k,
                                                        Load64(table + 192));
  return _mm512_mask_blend_epi16(_mm512_test_epi16_mask(k, _mm512_set1_epi16(0x80)), below,
                                 above);
}

// (t x Q[K] + 0x8000) >> 16 in 16-bit lanes.
KORVEX_AVX512 __m512i ScaledByReciprocal(__m512i t, __m512i k) {
  const __m512i high = LookUp256(k, kReciprocalBytes.byte[0]);
  const __m512i low = _mm512_or_si512(_mm512_slli_epi16(LookUp256(k, kReciprocalBytes.byte[1]), 8),
                                      LookUp256(k, kReciprocalBytes.byte[2]));
  const __m512i lowProduct = _mm512_mullo_epi16(t, low);
  return _mm512_add_epi16(_mm512_add_epi16(_mm512_mullo_epi16(t, high),
                                           _mm512_mulhi_epu16(t, low)),
                          _mm512_srli_epi16(lowProduct, 15));
}

// (s + add) mod 6 for s + add in 0..11.
KORVEX_AVX512 __m512i Sector6(__m512i s, int add) {
  const __m512i v = _mm512_add_epi16(s, _mm512_set1_epi16(static_cast<int16_t>(add)));
  return _mm512_mask_sub_epi16(v, _mm512_cmpgt_epi16_mask(v, _mm512_set1_epi16(5)), v,
                               _mm512_set1_epi16(6));
}

// The channel in sector position s: the minimum (1, 2), the maximum (4, 5),
// the middle moving down (0) or up (3).
KORVEX_AVX512 __m512i SectorChannel(__m512i s, __m512i lo, __m512i hi, __m512i up,
                                    __m512i down) {
  __m512i c = _mm512_mask_blend_epi16(_mm512_cmpgt_epi16_mask(s, _mm512_set1_epi16(3)), lo, hi);
  c = _mm512_mask_mov_epi16(c, _mm512_cmpeq_epi16_mask(s, _mm512_setzero_si512()), down);
  return _mm512_mask_mov_epi16(c, _mm512_cmpeq_epi16_mask(s, _mm512_set1_epi16(3)), up);
}

#undef KORVEX_AVX512

}  // namespace

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int32_t HueChunkAvx512(
    const uint8_t* in, uint8_t* out, int32_t count, int32_t factor, int32_t shift) {
  const __m512i zero = _mm512_setzero_si512();
  const __m512i one = _mm512_set1_epi16(1);
  const __m512i c511 = _mm512_set1_epi16(511);
  const __m512i c254 = _mm512_set1_epi16(254);
  const __m512i c255 = _mm512_set1_epi16(255);
  const __m512i round = _mm512_set1_epi16(128);
  const __m512i sat64 = _mm512_set1_epi16(static_cast<int16_t>((factor >> 8) * 64));
  const __m512i shiftMod = _mm512_set1_epi16(static_cast<int16_t>(shift % 255));
  const __m512i shiftSector = _mm512_set1_epi16(static_cast<int16_t>(shift / 255));
  constexpr __mmask64 kLowBytes = 0x5555555555555555ull;
  constexpr __mmask64 kRedFirst = RedPositions(0), kRedSecond = RedPositions(64);
  int32_t i = 0;
  for (; i + 32 <= count; i += 32) {
    const uint8_t* p = in + 3 * i;
    const __m512i a = _mm512_loadu_si512(p);
    const __m512i b = _mm512_maskz_loadu_epi8(0xFFFFFFFFull, p + 64);  // bytes 64..95
    const __m512i B = _mm512_maskz_permutex2var_epi8(kLowBytes, a, Load64(kPermutes.spread[0]), b);
    const __m512i G = _mm512_maskz_permutex2var_epi8(kLowBytes, a, Load64(kPermutes.spread[1]), b);
    const __m512i R = _mm512_maskz_permutex2var_epi8(kLowBytes, a, Load64(kPermutes.spread[2]), b);

    const __mmask32 greenFirst = _mm512_cmpgt_epi16_mask(G, R);
    __m512i base = _mm512_mask_blend_epi16(greenFirst, one, _mm512_set1_epi16(3));
    const __m512i low = _mm512_min_epi16(R, G), high = _mm512_max_epi16(R, G);
    __m512i t = _mm512_mask_blend_epi16(greenFirst, _mm512_sub_epi16(G, B),
                                        _mm512_sub_epi16(B, R));
    const __m512i mn = _mm512_min_epi16(B, low);
    const __mmask32 blueTop = _mm512_cmpgt_epi16_mask(B, high);
    base = _mm512_mask_blend_epi16(blueTop, base, _mm512_set1_epi16(5));
    const __m512i mx = _mm512_max_epi16(B, high);
    t = _mm512_mask_blend_epi16(blueTop, t, _mm512_sub_epi16(R, G));
    const __m512i L = _mm512_add_epi16(mx, mn), K = _mm512_sub_epi16(mx, mn);
    const __mmask32 negative = _mm512_cmpgt_epi16_mask(zero, t);
    base = _mm512_mask_sub_epi16(base, negative, base, one);
    t = _mm512_mask_add_epi16(t, negative, t, K);
    const __m512i limit = _mm512_min_epi16(L, _mm512_sub_epi16(c511, L));
    const __m512i sat = _mm512_mulhrs_epi16(sat64, _mm512_add_epi16(K, K));
    const __m512i kp = _mm512_min_epi16(limit, sat);
    const __m512i lo = _mm512_srli_epi16(_mm512_sub_epi16(L, kp), 1);
    const __m512i hi = _mm512_srli_epi16(_mm512_add_epi16(L, kp), 1);
    const __m512i w = _mm512_sub_epi16(hi, lo);
    __m512i v = _mm512_add_epi16(ScaledByReciprocal(t, K), shiftMod);
    const __mmask32 wraps = _mm512_cmpgt_epi16_mask(v, c254);
    v = _mm512_mask_sub_epi16(v, wraps, v, c255);
    __m512i sector = _mm512_add_epi16(base, shiftSector);
    sector = Sector6(_mm512_mask_add_epi16(sector, wraps, sector, one), 0);
    const __m512i x = _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(w, v), round), 8);
    const __m512i up = _mm512_add_epi16(lo, x), down = _mm512_sub_epi16(hi, x);
    const __m512i blue = SectorChannel(sector, lo, hi, up, down);
    const __m512i green = SectorChannel(Sector6(sector, 2), lo, hi, up, down);
    const __m512i red = SectorChannel(Sector6(sector, 4), lo, hi, up, down);

    uint8_t* o = out + 3 * i;
    __m512i first = _mm512_permutex2var_epi8(blue, Load64(kPermutes.first), green);
    first = _mm512_mask_permutexvar_epi8(first, kRedFirst, Load64(kPermutes.first), red);
    __m512i second = _mm512_permutex2var_epi8(blue, Load64(kPermutes.second), green);
    second = _mm512_mask_permutexvar_epi8(second, kRedSecond, Load64(kPermutes.second), red);
    _mm512_storeu_si512(o, first);
    _mm512_mask_storeu_epi8(o + 64, 0xFFFFFFFFull, second);
  }
  return i;
}

}  // namespace korvex::image::detail

#else

namespace korvex::image::detail {
int32_t HueChunkAvx512(const uint8_t*, uint8_t*, int32_t, int32_t, int32_t) { return 0; }
}  // namespace korvex::image::detail

#endif
