#include "image/converters/demosaic8_avx2.h"
#include "image/converters/vector_level.h"

#ifdef KORVEX_X86_KERNELS
#include <immintrin.h>

#include <algorithm>

#include "image/converters/interleave_x86.h"

namespace korvex::image::detail {

namespace {

#define KORVEX_AVX2_HELPER __attribute__((target("avx2"), always_inline)) inline

KORVEX_AVX2_HELPER __m256i Load(const void* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
KORVEX_AVX2_HELPER __m256i Three(__m256i v) { return _mm256_add_epi16(_mm256_slli_epi16(v, 1), v); }

// Blue and red leave the horizontal step split into even and odd pixels;
// green is in pixel order.
constexpr Interleave32Masks kMasks(true, false, true);

// Per lane byte j: the even byte of its pair (green's shared site) and the
// odd-byte selector.
struct GreenMasks {
  alignas(32) uint8_t pairLow[32];
  alignas(32) uint8_t odd[32];
  constexpr GreenMasks() : pairLow{}, odd{} {
    for (int k = 0; k < 32; ++k) {
      pairLow[k] = static_cast<uint8_t>((k % 16) & ~1);
      odd[k] = (k & 1) ? 0xFF : 0;
    }
  }
};
constexpr GreenMasks kGreen;

// Vertical sums of 16 column pairs from 32 bytes of each tap row: the even
// colour (low bytes) into even[], the odd colour (high bytes) into odd[].
KORVEX_AVX2_HELPER void PairSums(const uint8_t* evenNear, const uint8_t* evenFar,
                                 const uint8_t* oddNear, const uint8_t* oddFar, uint16_t* even,
                                 uint16_t* odd) {
  const __m256i low = _mm256_set1_epi16(0x00FF);
  const __m256i en = _mm256_and_si256(Load(evenNear), low);
  const __m256i ef = _mm256_and_si256(Load(evenFar), low);
  const __m256i on = _mm256_srli_epi16(Load(oddNear), 8);
  const __m256i of = _mm256_srli_epi16(Load(oddFar), 8);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(even), _mm256_add_epi16(Three(en), ef));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(odd), _mm256_add_epi16(Three(on), of));
}

// Floor mean of byte j of the pair-shared row (its even byte in both bytes
// of a pair) and of the other row's byte j - 1 on even j, byte j on odd j:
// the cell's two greens.
KORVEX_AVX2_HELPER __m256i Green(const uint8_t* shared, const uint8_t* other) {
  const __m256i a = _mm256_shuffle_epi8(
      Load(shared), _mm256_load_si256(reinterpret_cast<const __m256i*>(kGreen.pairLow)));
  const __m256i b =
      _mm256_blendv_epi8(Load(other - 1), Load(other),
                         _mm256_load_si256(reinterpret_cast<const __m256i*>(kGreen.odd)));
  const __m256i roundedUp = _mm256_avg_epu8(a, b);
  return _mm256_sub_epi8(roundedUp, _mm256_and_si256(_mm256_xor_si256(a, b), _mm256_set1_epi8(1)));
}

// Scaled by the gain (times 32: the high half of the product is the sum x
// gain >> 11) and packed with saturation, which is the limit to 255.
KORVEX_AVX2_HELPER __m256i Scale(__m256i evenPixels, __m256i oddPixels, __m256i gain) {
  return _mm256_packus_epi16(_mm256_mulhi_epu16(evenPixels, gain),
                             _mm256_mulhi_epu16(oddPixels, gain));
}

#undef KORVEX_AVX2_HELPER

}  // namespace

KORVEX_TARGET_AVX2 int32_t Demosaic8RowAvx2(uint8_t* out, const MosaicRows8& rows, int32_t width,
                                            const Demosaic8RowRoles& roles, uint16_t* scratch) {
  if (width < kDemosaic8Avx2MinWidth) return 2;
  const Demosaic8Taps t = TapsOf(rows, roles);
  // Pair k (columns 2k, 2k + 1) in even[k] and odd[k]; the last step
  // overlaps the one before rather than leaving a tail.
  uint16_t* even = scratch;
  uint16_t* odd = scratch + width / 2 + 16;
  const int32_t lastColumn = (width - 32) & ~1;
  for (int32_t c = 0;; c = std::min(c + 32, lastColumn)) {
    PairSums(t.evenNear + c, t.evenFar + c, t.oddNear + c, t.oddFar + c, even + c / 2, odd + c / 2);
    if (c == lastColumn) break;
  }

  const __m256i gainEven =
      _mm256_set1_epi16(static_cast<int16_t>(roles.redEven ? roles.gainRed : roles.gainBlue));
  const __m256i gainOdd =
      _mm256_set1_epi16(static_cast<int16_t>(roles.redEven ? roles.gainBlue : roles.gainRed));
  const int32_t lastX = (width - 2 - 32) & ~1;
  for (int32_t x = 2;; x = NextStep(out, x, 32, lastX)) {
    const int32_t k = x / 2;
    // The even colour sits on even columns: 3 x its own pair + the pair
    // before (even pixel) or after (odd pixel). The odd colour: 3 x the
    // nearer odd site + the other, i.e. pairs k - 1 and k.
    const __m256i e3 = Three(Load(even + k));
    const __m256i ePixels = Scale(_mm256_add_epi16(e3, Load(even + k - 1)),
                                  _mm256_add_epi16(e3, Load(even + k + 1)), gainEven);
    const __m256i oBefore = Load(odd + k - 1), oHere = Load(odd + k);
    const __m256i oPixels = Scale(_mm256_add_epi16(Three(oBefore), oHere),
                                  _mm256_add_epi16(Three(oHere), oBefore), gainOdd);
    const __m256i green = Green(t.shared + x, t.other + x);
    const __m256i red = roles.redEven ? ePixels : oPixels;
    const __m256i blue = roles.redEven ? oPixels : ePixels;
    StoreInterleaved32(out + 3 * x, blue, green, red, kMasks);
    if (x == lastX) break;
  }
  return lastX + 32;
}

}  // namespace korvex::image::detail

#else

namespace korvex::image::detail {
int32_t Demosaic8RowAvx2(uint8_t*, const MosaicRows8&, int32_t, const Demosaic8RowRoles&,
                         uint16_t*) {
  return 2;
}
}  // namespace korvex::image::detail

#endif
