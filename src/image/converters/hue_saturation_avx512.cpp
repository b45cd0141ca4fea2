#include "image/converters/hue_saturation_avx512.h"
#include "image/converters/vector_level.h"

#ifdef KORVEX_X86_KERNELS
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

#define KORVEX_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline

KORVEX_AVX512 __m512i Load64(const uint8_t* p) { return _mm512_load_si512(p); }

// Table byte per word lane of K (0..255), zero-extended: two 128-byte
// permutes, picked by K's top bit.
KORVEX_AVX512 __m512i LookUp256(__m512i k, const uint8_t* table) {
  constexpr __mmask64 kLowBytes = 0x5555555555555555ull;
  const __m512i below =
      _mm512_maskz_permutex2var_epi8(kLowBytes, Load64(table), k, Load64(table + 64));
  const __m512i above =
      _mm512_maskz_permutex2var_epi8(kLowBytes, Load64(table + 128), k, Load64(table + 192));
  return _mm512_mask_blend_epi16(_mm512_test_epi16_mask(k, _mm512_set1_epi16(0x80)), below, above);
}

// (t x Q[K] + 0x8000) >> 16 in 16-bit lanes.
KORVEX_AVX512 __m512i ScaledByReciprocal(__m512i t, __m512i k) {
  const __m512i high = LookUp256(k, kReciprocalBytes.byte[0]);
  const __m512i low = _mm512_or_si512(_mm512_slli_epi16(LookUp256(k, kReciprocalBytes.byte[1]), 8),
                                      LookUp256(k, kReciprocalBytes.byte[2]));
  const __m512i lowProduct = _mm512_mullo_epi16(t, low);
  return _mm512_add_epi16(_mm512_add_epi16(_mm512_mullo_epi16(t, high), _mm512_mulhi_epu16(t, low)),
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
KORVEX_AVX512 __m512i SectorChannel(__m512i s, __m512i lo, __m512i hi, __m512i up, __m512i down) {
  __m512i c = _mm512_mask_blend_epi16(_mm512_cmpgt_epi16_mask(s, _mm512_set1_epi16(3)), lo, hi);
  c = _mm512_mask_mov_epi16(c, _mm512_cmpeq_epi16_mask(s, _mm512_setzero_si512()), down);
  return _mm512_mask_mov_epi16(c, _mm512_cmpeq_epi16_mask(s, _mm512_set1_epi16(3)), up);
}

#undef KORVEX_AVX512

// Word permutes between 96 packed words (32 pixels of three words) and
// three registers of 32 words.
struct WordPermutes {
  alignas(64) uint16_t spread[3][32];  // channel c, pixel i: packed word 3i + c, mod 64
  alignas(64) uint16_t pack[3][32];    // packed word 32k + j from blue (0..31), green (32..63), red
  constexpr WordPermutes() : spread{}, pack{} {
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < 32; ++i) spread[c][i] = static_cast<uint16_t>((3 * i + c) % 64);
    for (int k = 0; k < 3; ++k)
      for (int j = 0; j < 32; ++j) {
        const int n = 32 * k + j, c = n % 3, pixel = n / 3;
        pack[k][j] = static_cast<uint16_t>((c == 1 ? 32 : 0) + pixel);
      }
  }
};
constexpr WordPermutes kWordPermutes;

// Lanes i (0..31) where packed word 3i + c lies at or beyond 64, and packed
// words 32k + j that are red.
constexpr uint32_t WordsBeyond64(int c) {
  uint32_t m = 0;
  for (int i = 0; i < 32; ++i)
    if (3 * i + c >= 64) m |= uint32_t{1} << i;
  return m;
}
constexpr uint32_t RedWords(int k) {
  uint32_t m = 0;
  for (int j = 0; j < 32; ++j)
    if ((32 * k + j) % 3 == 2) m |= uint32_t{1} << j;
  return m;
}

// The rule on 32 pixels given as channel words of at most 255.
class HueRule {
 public:
  __attribute__((target("avx512f,avx512bw,avx512vbmi"))) HueRule(int32_t factor, int32_t shift)
      : sat64_(_mm512_set1_epi16(static_cast<int16_t>((factor >> 8) * 64))),
        shiftMod_(_mm512_set1_epi16(static_cast<int16_t>(shift % 255))),
        shiftSector_(_mm512_set1_epi16(static_cast<int16_t>(shift / 255))) {}

  __attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline void Apply(
      __m512i B, __m512i G, __m512i R, __m512i& blue, __m512i& green, __m512i& red) const {
    const __m512i one = _mm512_set1_epi16(1);
    const __mmask32 greenFirst = _mm512_cmpgt_epi16_mask(G, R);
    __m512i base = _mm512_mask_blend_epi16(greenFirst, one, _mm512_set1_epi16(3));
    const __m512i low = _mm512_min_epi16(R, G), high = _mm512_max_epi16(R, G);
    __m512i t = _mm512_mask_blend_epi16(greenFirst, _mm512_sub_epi16(G, B), _mm512_sub_epi16(B, R));
    const __m512i mn = _mm512_min_epi16(B, low);
    const __mmask32 blueTop = _mm512_cmpgt_epi16_mask(B, high);
    base = _mm512_mask_blend_epi16(blueTop, base, _mm512_set1_epi16(5));
    const __m512i mx = _mm512_max_epi16(B, high);
    t = _mm512_mask_blend_epi16(blueTop, t, _mm512_sub_epi16(R, G));
    const __m512i L = _mm512_add_epi16(mx, mn), K = _mm512_sub_epi16(mx, mn);
    const __mmask32 negative = _mm512_cmpgt_epi16_mask(_mm512_setzero_si512(), t);
    base = _mm512_mask_sub_epi16(base, negative, base, one);
    t = _mm512_mask_add_epi16(t, negative, t, K);
    const __m512i limit = _mm512_min_epi16(L, _mm512_sub_epi16(_mm512_set1_epi16(511), L));
    const __m512i sat = _mm512_mulhrs_epi16(sat64_, _mm512_add_epi16(K, K));
    const __m512i kp = _mm512_min_epi16(limit, sat);
    const __m512i lo = _mm512_srli_epi16(_mm512_sub_epi16(L, kp), 1);
    const __m512i hi = _mm512_srli_epi16(_mm512_add_epi16(L, kp), 1);
    const __m512i w = _mm512_sub_epi16(hi, lo);
    __m512i v = _mm512_add_epi16(ScaledByReciprocal(t, K), shiftMod_);
    const __mmask32 wraps = _mm512_cmpgt_epi16_mask(v, _mm512_set1_epi16(254));
    v = _mm512_mask_sub_epi16(v, wraps, v, _mm512_set1_epi16(255));
    __m512i sector = _mm512_add_epi16(base, shiftSector_);
    sector = Sector6(_mm512_mask_add_epi16(sector, wraps, sector, one), 0);
    const __m512i x =
        _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(w, v), _mm512_set1_epi16(128)), 8);
    const __m512i up = _mm512_add_epi16(lo, x), down = _mm512_sub_epi16(hi, x);
    blue = SectorChannel(sector, lo, hi, up, down);
    green = SectorChannel(Sector6(sector, 2), lo, hi, up, down);
    red = SectorChannel(Sector6(sector, 4), lo, hi, up, down);
  }

 private:
  __m512i sat64_, shiftMod_, shiftSector_;
};

}  // namespace

KORVEX_TARGET_AVX512 int32_t HueChunkAvx512(const uint8_t* in, uint8_t* out, int32_t count,
                                            int32_t factor, int32_t shift) {
  const HueRule rule(factor, shift);
  constexpr __mmask64 kLowBytes = 0x5555555555555555ull;
  constexpr __mmask64 kRedFirst = RedPositions(0), kRedSecond = RedPositions(64);
  int32_t i = 0;
  for (; i + 32 <= count; i += 32) {
    const uint8_t* p = in + 3 * i;
    const __m512i a = _mm512_loadu_si512(p);
    // Bytes 64..95 are read and written 32 bytes wide. A masked 64-byte
    // store still covers 64 bytes for the processor: in place, the next
    // group's load overlaps it and waits until it is written, which made the
    // loop two and a half times slower.
    const __m512i b =
        _mm512_zextsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 64)));
    __m512i blue, green, red;
    rule.Apply(_mm512_maskz_permutex2var_epi8(kLowBytes, a, Load64(kPermutes.spread[0]), b),
               _mm512_maskz_permutex2var_epi8(kLowBytes, a, Load64(kPermutes.spread[1]), b),
               _mm512_maskz_permutex2var_epi8(kLowBytes, a, Load64(kPermutes.spread[2]), b), blue,
               green, red);
    uint8_t* o = out + 3 * i;
    __m512i first = _mm512_permutex2var_epi8(blue, Load64(kPermutes.first), green);
    first = _mm512_mask_permutexvar_epi8(first, kRedFirst, Load64(kPermutes.first), red);
    __m512i second = _mm512_permutex2var_epi8(blue, Load64(kPermutes.second), green);
    second = _mm512_mask_permutexvar_epi8(second, kRedSecond, Load64(kPermutes.second), red);
    _mm512_storeu_si512(o, first);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + 64), _mm512_castsi512_si256(second));
  }
  return i;
}

KORVEX_TARGET_AVX512 int32_t HueChunk48Avx512(const uint16_t* in, uint16_t* out, int32_t count,
                                              int32_t factor, int32_t shift, int shiftBits) {
  const HueRule rule(factor, shift);
  const __m128i bits = _mm_cvtsi32_si128(shiftBits);
  const __m512i c255 = _mm512_set1_epi16(255);
  auto reduce = [&](__m512i v) __attribute__((target("avx512f,avx512bw"), always_inline)) {
    return _mm512_min_epu16(_mm512_srl_epi16(v, bits), c255);
  };
  int32_t i = 0;
  for (; i + 32 <= count; i += 32) {
    const uint16_t* p = in + 3 * i;
    const __m512i w0 = _mm512_loadu_si512(p), w1 = _mm512_loadu_si512(p + 32);
    const __m512i w2 = _mm512_loadu_si512(p + 64);
    __m512i plane[3];
    for (int c = 0; c < 3; ++c) {
      const __m512i index = _mm512_load_si512(kWordPermutes.spread[c]);
      const __m512i v = _mm512_permutex2var_epi16(w0, index, w1);
      plane[c] = reduce(_mm512_mask_permutexvar_epi16(v, WordsBeyond64(c), index, w2));
    }
    __m512i result[3];
    rule.Apply(plane[0], plane[1], plane[2], result[0], result[1], result[2]);
    for (int k = 0; k < 3; ++k) {
      const __m512i index = _mm512_load_si512(kWordPermutes.pack[k]);
      __m512i v = _mm512_permutex2var_epi16(result[0], index, result[1]);
      v = _mm512_mask_permutexvar_epi16(v, RedWords(k), index, result[2]);
      _mm512_storeu_si512(out + 3 * i + 32 * k, _mm512_sll_epi16(v, bits));
    }
  }
  return i;
}

}  // namespace korvex::image::detail

#else

namespace korvex::image::detail {
int32_t HueChunkAvx512(const uint8_t*, uint8_t*, int32_t, int32_t, int32_t) { return 0; }
int32_t HueChunk48Avx512(const uint16_t*, uint16_t*, int32_t, int32_t, int32_t, int) { return 0; }
}  // namespace korvex::image::detail

#endif
