#include "image/converters/four_sample_pixels.h"

#ifdef KORVEX_X86_KERNELS
#include <immintrin.h>
#endif

namespace korvex::image::detail {
namespace {

void PackPortable(const uint8_t* pixels, uint8_t* packed, int32_t count) {
  for (int32_t x = 0; x < count; ++x) std::memcpy(packed + 3 * x, pixels + 4 * x, 3);
}
void WidenPortable(const uint8_t* packed, uint8_t* pixels, int32_t count) {
  for (int32_t x = 0; x < count; ++x) std::memcpy(pixels + 4 * x, packed + 3 * x, 3);
}

#ifdef KORVEX_X86_KERNELS
// 16 pixels at a time: each 16 bytes of pixels shuffled to 12 packed bytes
// and back (0x80 zeroes a byte), the rest by the plain loops.
KORVEX_TARGET_SSSE3 KORVEX_KERNEL_BODY void PackBody(const uint8_t* pixels, uint8_t* packed,
                                                     int32_t count) {
  const __m128i drop =
      _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128);
  int32_t x = 0;
  for (; x + 16 <= count; x += 16) {
    __m128i p[4];
    for (int k = 0; k < 4; ++k) {
      p[k] = _mm_shuffle_epi8(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 4 * x + 16 * k)), drop);
    }
    __m128i* o = reinterpret_cast<__m128i*>(packed + 3 * x);
    _mm_storeu_si128(o, _mm_or_si128(p[0], _mm_slli_si128(p[1], 12)));
    _mm_storeu_si128(o + 1, _mm_or_si128(_mm_srli_si128(p[1], 4), _mm_slli_si128(p[2], 8)));
    _mm_storeu_si128(o + 2, _mm_or_si128(_mm_srli_si128(p[2], 8), _mm_slli_si128(p[3], 4)));
  }
  PackPortable(pixels + 4 * x, packed + 3 * x, count - x);
}
KORVEX_TARGET_SSSE3 KORVEX_KERNEL_BODY void WidenBody(const uint8_t* packed, uint8_t* pixels,
                                                      int32_t count) {
  const __m128i spread =
      _mm_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
  const __m128i fourth = _mm_set1_epi32(static_cast<int32_t>(0xFF000000u));
  int32_t x = 0;
  for (; x + 16 <= count; x += 16) {
    const __m128i* in = reinterpret_cast<const __m128i*>(packed + 3 * x);
    const __m128i a = _mm_loadu_si128(in), b = _mm_loadu_si128(in + 1), c = _mm_loadu_si128(in + 2);
    const __m128i groups[4] = {a, _mm_alignr_epi8(b, a, 12), _mm_alignr_epi8(c, b, 8),
                               _mm_srli_si128(c, 4)};
    for (int k = 0; k < 4; ++k) {
      __m128i* o = reinterpret_cast<__m128i*>(pixels + 4 * x + 16 * k);
      const __m128i kept = _mm_and_si128(_mm_loadu_si128(o), fourth);
      _mm_storeu_si128(o, _mm_or_si128(kept, _mm_shuffle_epi8(groups[k], spread)));
    }
  }
  WidenPortable(packed + 3 * x, pixels + 4 * x, count - x);
}
#endif

using MoveFn = void (*)(const uint8_t*, uint8_t*, int32_t);
constexpr Kernels<MoveFn> kPack{
    PackPortable, KORVEX_X86_ONLY((SseEncoded<PackBody, const uint8_t*, uint8_t*, int32_t>)),
    KORVEX_X86_ONLY((AvxEncoded<PackBody, const uint8_t*, uint8_t*, int32_t>))};
constexpr Kernels<MoveFn> kWiden{
    WidenPortable, KORVEX_X86_ONLY((SseEncoded<WidenBody, const uint8_t*, uint8_t*, int32_t>)),
    KORVEX_X86_ONLY((AvxEncoded<WidenBody, const uint8_t*, uint8_t*, int32_t>))};

}  // namespace

void PackFourBytePixels(const uint8_t* pixels, uint8_t* packed, int32_t count) {
  kPack.Pick()(pixels, packed, count);
}

void WidenToFourBytePixels(const uint8_t* packed, uint8_t* pixels, int32_t count) {
  kWiden.Pick()(packed, pixels, count);
}

}  // namespace korvex::image::detail
