#include "image/converters/demosaic8_avx512.h"
#include "image/converters/vector_level.h"

#ifdef KORVEX_X86_KERNELS
#include <immintrin.h>

#include <algorithm>

namespace korvex::image::detail {

namespace {

#define KORVEX_AVX512_HELPER \
  __attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline

KORVEX_AVX512_HELPER __m512i Load(const void* p) { return _mm512_loadu_si512(p); }
KORVEX_AVX512_HELPER __m512i Three(__m512i v) {
  return _mm512_add_epi16(_mm512_slli_epi16(v, 1), v);
}

// Byte permutes that interleave 64 pixels from their blue, green and red
// planes into 192 bytes. Inside each 16-byte lane, blue and red hold the
// even pixels in bytes 0..7 and the odd ones in bytes 8..15 (as the
// saturating pack leaves them); green is in pixel order. Output block b
// (bytes 64b .. 64b + 63) takes blue and green with one two-source permute
// and then red under a mask.
struct Interleave64 {
  alignas(64) uint8_t blueGreen[3][64];
  alignas(64) uint8_t red[3][64];
  uint64_t redMask[3];
  static constexpr uint8_t Split(int pixel) {
    const int q = pixel % 16;
    return static_cast<uint8_t>(16 * (pixel / 16) + (q % 2) * 8 + q / 2);
  }
  constexpr Interleave64() : blueGreen{}, red{}, redMask{} {
    for (int b = 0; b < 3; ++b) {
      for (int j = 0; j < 64; ++j) {
        const int n = 64 * b + j, channel = n % 3, pixel = n / 3;
        if (channel == 0) blueGreen[b][j] = Split(pixel);
        if (channel == 1) blueGreen[b][j] = static_cast<uint8_t>(64 + pixel);
        if (channel == 2) {
          red[b][j] = Split(pixel);
          redMask[b] |= uint64_t{1} << j;
        }
      }
    }
  }
};
constexpr Interleave64 kInterleave;

// Per lane byte j: the even byte of its pair (green's shared site).
struct PairLow64 {
  alignas(64) uint8_t bytes[64];
  constexpr PairLow64() : bytes{} {
    for (int k = 0; k < 64; ++k) bytes[k] = static_cast<uint8_t>((k % 16) & ~1);
  }
};
constexpr PairLow64 kPairLow;
constexpr __mmask64 kOddBytes = 0xAAAAAAAAAAAAAAAAull;

// Vertical sums of 32 column pairs from 64 bytes of each tap row.
KORVEX_AVX512_HELPER void PairSums(const uint8_t* evenNear, const uint8_t* evenFar,
                                   const uint8_t* oddNear, const uint8_t* oddFar, uint16_t* even,
                                   uint16_t* odd) {
  const __m512i low = _mm512_set1_epi16(0x00FF);
  const __m512i en = _mm512_and_si512(Load(evenNear), low);
  const __m512i ef = _mm512_and_si512(Load(evenFar), low);
  const __m512i on = _mm512_srli_epi16(Load(oddNear), 8);
  const __m512i of = _mm512_srli_epi16(Load(oddFar), 8);
  _mm512_storeu_si512(even, _mm512_add_epi16(Three(en), ef));
  _mm512_storeu_si512(odd, _mm512_add_epi16(Three(on), of));
}

// The cell's two greens: the floor mean of byte j of the pair-shared row
// (its even byte in both bytes of a pair) and of the other row's byte j - 1
// on even j, byte j on odd j.
KORVEX_AVX512_HELPER __m512i Green(const uint8_t* shared, const uint8_t* other, __m512i pairLow) {
  const __m512i a = _mm512_shuffle_epi8(Load(shared), pairLow);
  const __m512i b = _mm512_mask_blend_epi8(kOddBytes, Load(other - 1), Load(other));
  const __m512i roundedUp = _mm512_avg_epu8(a, b);
  return _mm512_sub_epi8(roundedUp, _mm512_and_si512(_mm512_xor_si512(a, b), _mm512_set1_epi8(1)));
}

// Scaled by the gain and packed with saturation, as in the AVX2 kernel.
KORVEX_AVX512_HELPER __m512i Scale(__m512i evenPixels, __m512i oddPixels, __m512i gain) {
  return _mm512_packus_epi16(_mm512_mulhi_epu16(evenPixels, gain),
                             _mm512_mulhi_epu16(oddPixels, gain));
}

KORVEX_AVX512_HELPER void StoreInterleaved64(uint8_t* out, __m512i blue, __m512i green,
                                             __m512i red) {
  for (int b = 0; b < 3; ++b) {
    const __m512i blueGreen =
        _mm512_permutex2var_epi8(blue, _mm512_load_si512(kInterleave.blueGreen[b]), green);
    const __m512i all = _mm512_mask_permutexvar_epi8(blueGreen, kInterleave.redMask[b],
                                                     _mm512_load_si512(kInterleave.red[b]), red);
    _mm512_storeu_si512(out + 64 * b, all);
  }
}

#undef KORVEX_AVX512_HELPER

}  // namespace

KORVEX_TARGET_AVX512 int32_t Demosaic8RowAvx512(uint8_t* out, const MosaicRows8& rows,
                                                int32_t width, const Demosaic8RowRoles& roles,
                                                uint16_t* scratch) {
  if (width < kDemosaic8Avx512MinWidth) return Demosaic8RowAvx2(out, rows, width, roles, scratch);
  const Demosaic8Taps t = TapsOf(rows, roles);
  // Pair k (columns 2k, 2k + 1) in even[k] and odd[k]; the last step
  // overlaps the one before rather than leaving a tail.
  uint16_t* even = scratch;
  uint16_t* odd = scratch + width / 2 + 16;
  const int32_t lastColumn = (width - 64) & ~1;
  for (int32_t c = 0;; c = std::min(c + 64, lastColumn)) {
    PairSums(t.evenNear + c, t.evenFar + c, t.oddNear + c, t.oddFar + c, even + c / 2, odd + c / 2);
    if (c == lastColumn) break;
  }

  const __m512i gainEven =
      _mm512_set1_epi16(static_cast<int16_t>(roles.redEven ? roles.gainRed : roles.gainBlue));
  const __m512i gainOdd =
      _mm512_set1_epi16(static_cast<int16_t>(roles.redEven ? roles.gainBlue : roles.gainRed));
  const __m512i pairLow = _mm512_load_si512(kPairLow.bytes);
  const int32_t lastX = (width - 2 - 64) & ~1;
  for (int32_t x = 2;; x = NextStep(out, x, 64, lastX)) {
    const int32_t k = x / 2;
    // The even colour sits on even columns: 3 x its own pair + the pair
    // before (even pixel) or after (odd pixel). The odd colour: 3 x the
    // nearer odd site + the other, i.e. pairs k - 1 and k.
    const __m512i e3 = Three(Load(even + k));
    const __m512i ePixels = Scale(_mm512_add_epi16(e3, Load(even + k - 1)),
                                  _mm512_add_epi16(e3, Load(even + k + 1)), gainEven);
    const __m512i oBefore = Load(odd + k - 1), oHere = Load(odd + k);
    const __m512i oPixels = Scale(_mm512_add_epi16(Three(oBefore), oHere),
                                  _mm512_add_epi16(Three(oHere), oBefore), gainOdd);
    const __m512i green = Green(t.shared + x, t.other + x, pairLow);
    const __m512i red = roles.redEven ? ePixels : oPixels;
    const __m512i blue = roles.redEven ? oPixels : ePixels;
    StoreInterleaved64(out + 3 * x, blue, green, red);
    if (x == lastX) break;
  }
  return lastX + 64;
}

}  // namespace korvex::image::detail

#else

namespace korvex::image::detail {
int32_t Demosaic8RowAvx512(uint8_t*, const MosaicRows8&, int32_t, const Demosaic8RowRoles&,
                           uint16_t*) {
  return 2;
}
}  // namespace korvex::image::detail

#endif
