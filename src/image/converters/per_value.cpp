#include "image/converters/four_sample_pixels.h"
#include "image/converters/per_value.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/converters/brightness.h"
#include "image/converters/vector_level.h"

#ifdef KORVEX_X86_KERNELS
#include <immintrin.h>
#endif

namespace korvex::image::detail {
namespace {

// Rows that cannot go straight from source to destination are taken in
// chunks of this many samples through local copies.
constexpr int32_t kChunk = 1024;

// Each kernel is a body compiled once per level that gains from it; the
// Kernels tables below pick one per call.
using LookUp8Fn = void (*)(const uint8_t*, uint8_t*, int32_t, const uint32_t*, const uint8_t*);
using Factor8Fn = void (*)(const uint8_t*, uint8_t*, int32_t, float);
// The 16-bit kernels take n samples as words in byte memory (read and
// written through memcpy, so rows need no alignment), allow in == out, and
// with keepFourth leave every fourth sample (a pixel's fourth channel) as
// out holds it.
using LookUp16Fn = void (*)(const uint8_t*, uint8_t*, int32_t, const uint32_t*, uint32_t, bool);
using Factor16Fn = void (*)(const uint8_t*, uint8_t*, int32_t, float, uint32_t, bool);

// 8-bit look-up through the table widened to 32 bits, so that it can run
// as vector gathers.
KORVEX_KERNEL_BODY void LookUp8Body(const uint8_t* __restrict in, uint8_t* __restrict out,
                                    int32_t n, const uint32_t* __restrict table) {
  for (int32_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(table[in[i]]);
}

inline uint16_t LoadWord(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void StoreWord(uint8_t* p, uint16_t v) { std::memcpy(p, &v, sizeof v); }

// The plain 16-bit loop: each sample read, then written.
template <typename One>
void EachWord(const uint8_t* in, uint8_t* out, int32_t n, bool keepFourth, One one) {
  for (int32_t i = 0; i < n; ++i) {
    if (keepFourth && (i & 3) == 3) continue;
    StoreWord(out + 2 * i, one(LoadWord(in + 2 * i)));
  }
}

inline uint16_t LookUp16One(uint32_t v, const uint32_t* table, uint32_t limit) {
  return static_cast<uint16_t>(table[v < limit ? v : limit]);
}

inline uint16_t Factor16One(uint32_t v, float f, float top) {
  const float p = static_cast<float>(static_cast<int32_t>(v)) * f;
  // At or above max the truncation is at least max.
  return static_cast<uint16_t>(static_cast<int32_t>(p < top ? p : top));
}

KORVEX_KERNEL_BODY void Factor8Body(const uint8_t* __restrict in, uint8_t* __restrict out,
                                    int32_t n, float f) {
  for (int32_t i = 0; i < n; ++i) {
    // 0 <= p <= 255 x 11: the truncation cannot overflow, so limit after it.
    const int32_t t = static_cast<int32_t>(static_cast<float>(static_cast<int32_t>(in[i])) * f);
    out[i] = static_cast<uint8_t>(t < 255 ? t : 255);
  }
}

void LookUp8Portable(const uint8_t* in, uint8_t* out, int32_t n, const uint32_t* wide,
                     const uint8_t*) {
  LookUp8Body(in, out, n, wide);
}
void LookUp16Portable(const uint8_t* in, uint8_t* out, int32_t n, const uint32_t* table,
                      uint32_t limit, bool keepFourth) {
  EachWord(in, out, n, keepFourth, [&](uint32_t v) { return LookUp16One(v, table, limit); });
}
void Factor8Portable(const uint8_t* in, uint8_t* out, int32_t n, float f) {
  Factor8Body(in, out, n, f);
}
void Factor16Portable(const uint8_t* in, uint8_t* out, int32_t n, float f, uint32_t max,
                      bool keepFourth) {
  const float top = static_cast<float>(max);
  EachWord(in, out, n, keepFourth, [&](uint32_t v) { return Factor16One(v, f, top); });
}

#ifdef KORVEX_X86_KERNELS
KORVEX_TARGET_AVX2 void LookUp8Avx2(const uint8_t* in, uint8_t* out, int32_t n,
                                    const uint32_t* wide, const uint8_t*) {
  LookUp8Body(in, out, n, wide);
}
KORVEX_TARGET_AVX2 void Factor8Avx2(const uint8_t* in, uint8_t* out, int32_t n, float f) {
  Factor8Body(in, out, n, f);
}
// 16 samples at a time, as two halves of eight 32-bit lanes; `map` turns a
// half into results in the low 16 bits of each lane. The words are loaded
// before they are stored, so `in` may be `out`; the last samples go through
// the plain loop (16 is a multiple of 4, so every fourth sample stays the
// fourth).
template <typename Map>
KORVEX_TARGET_AVX2 inline void EachWordAvx2(const uint8_t* in, uint8_t* out, int32_t n,
                                            bool keepFourth, Map map) {
  const __m256i low16 = _mm256_set1_epi32(0xffff);
  int32_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 2 * i));
    const __m256i a = _mm256_and_si256(map(_mm256_cvtepu16_epi32(_mm256_castsi256_si128(words))), low16);
    const __m256i b = _mm256_and_si256(map(_mm256_cvtepu16_epi32(_mm256_extracti128_si256(words, 1))), low16);
    // Packing works within 128-bit lanes: put the four quarters back in order.
    __m256i r = _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xd8);
    if (keepFourth) {
      r = _mm256_blend_epi16(r, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(out + 2 * i)), 0x88);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * i), r);
  }
  in += 2 * i;
  out += 2 * i;
  n -= i;
  for (int32_t j = 0; j < n; ++j) {
    if (keepFourth && (j & 3) == 3) continue;
    const __m256i v = map(_mm256_set1_epi32(LoadWord(in + 2 * j)));
    StoreWord(out + 2 * j, static_cast<uint16_t>(_mm256_cvtsi256_si32(v)));
  }
}

KORVEX_TARGET_AVX2 void LookUp16Avx2(const uint8_t* in, uint8_t* out, int32_t n,
                                     const uint32_t* table, uint32_t limit, bool keepFourth) {
  const __m256i top = _mm256_set1_epi32(static_cast<int>(limit));
  EachWordAvx2(in, out, n, keepFourth, [&](__m256i v) KORVEX_TARGET_AVX2 {
    return _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), _mm256_min_epu32(v, top), 4);
  });
}

KORVEX_TARGET_AVX2 void Factor16Avx2(const uint8_t* in, uint8_t* out, int32_t n, float f,
                                     uint32_t max, bool keepFourth) {
  const __m256 factor = _mm256_set1_ps(f), top = _mm256_set1_ps(static_cast<float>(max));
  EachWordAvx2(in, out, n, keepFourth, [&](__m256i v) KORVEX_TARGET_AVX2 {
    // min(p, top) is p < top ? p : top, as the plain loop has it.
    return _mm256_cvttps_epi32(_mm256_min_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(v), factor), top));
  });
}

// 64 bytes at a time: two byte permutes each look up half of the table (the
// low seven bits of the value pick the entry), and bit 7 picks the half;
// the last bytes one by one. Each byte is read before it is written, so
// `in` and `out` may be the same array.
KORVEX_TARGET_AVX512 void LookUp8Avx512(const uint8_t* in, uint8_t* out, int32_t n, const uint32_t*,
                                        const uint8_t* table) {
  const __m512i t0 = _mm512_loadu_si512(table), t1 = _mm512_loadu_si512(table + 64);
  const __m512i t2 = _mm512_loadu_si512(table + 128), t3 = _mm512_loadu_si512(table + 192);
  int32_t i = 0;
  for (; i + 64 <= n; i += 64) {
    const __m512i v = _mm512_loadu_si512(in + i);
    const __m512i low = _mm512_permutex2var_epi8(t0, v, t1);
    const __m512i high = _mm512_permutex2var_epi8(t2, v, t3);
    _mm512_storeu_si512(out + i, _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), low, high));
  }
  for (; i < n; ++i) out[i] = table[in[i]];
}
#endif

#ifdef KORVEX_X86_KERNELS
// 8-bit brightness through its table where bytes can be looked up 64 at a
// time (the same bytes as the factor).
KORVEX_TARGET_AVX512 void Brightness8Avx512(const uint8_t* in, uint8_t* out, int32_t n, float,
                                            const uint32_t* wide, const uint8_t* table) {
  LookUp8Avx512(in, out, n, wide, table);
}
#endif
using Brightness8Fn = void (*)(const uint8_t*, uint8_t*, int32_t, float, const uint32_t*,
                               const uint8_t*);
void Brightness8Portable(const uint8_t* in, uint8_t* out, int32_t n, float f, const uint32_t*,
                         const uint8_t*) {
  Factor8Body(in, out, n, f);
}
#ifdef KORVEX_X86_KERNELS
KORVEX_TARGET_AVX2 void Brightness8Avx2(const uint8_t* in, uint8_t* out, int32_t n, float f,
                                        const uint32_t*, const uint8_t*) {
  Factor8Body(in, out, n, f);
}
#endif

constexpr Kernels<Brightness8Fn> kBrightness8{Brightness8Portable, nullptr,
                                              KORVEX_X86_ONLY(Brightness8Avx2),
                                              KORVEX_X86_ONLY(Brightness8Avx512)};
constexpr Kernels<LookUp8Fn> kLookUp8{LookUp8Portable, nullptr, KORVEX_X86_ONLY(LookUp8Avx2),
                                      KORVEX_X86_ONLY(LookUp8Avx512)};
constexpr Kernels<LookUp16Fn> kLookUp16{LookUp16Portable, nullptr, KORVEX_X86_ONLY(LookUp16Avx2)};
constexpr Kernels<Factor8Fn> kFactor8{Factor8Portable, nullptr, KORVEX_X86_ONLY(Factor8Avx2)};
constexpr Kernels<Factor16Fn> kFactor16{Factor16Portable, nullptr, KORVEX_X86_ONLY(Factor16Avx2)};

// Runs kernel(in, out, count, keepFourth) over the channel samples of every
// row, in and out as byte memory. Rows go straight from the source to the
// destination when the two do not overlap, or are the same and the kernel
// allows in == out (the 16-bit kernels always do; 8-bit ones when
// `sameArray` says so), and when the pixels hold only the channels or, for
// 16-bit samples, three channels and a fourth the kernel leaves alone.
// Other rows go in chunks through local copies, pixel by pixel where the
// pixels differ from the packed channels (8-bit pixels of four bytes as
// masked pixel words).
template <typename S, int channels, typename Kernel>
void ForChannelsOf(const Region& r, bool sameArray, Kernel kernel) {
  S in[kChunk], out[kChunk];
  uint8_t* const inBytes = reinterpret_cast<uint8_t*>(in);
  uint8_t* const outBytes = reinterpret_cast<uint8_t*>(out);
  const int ss = r.srcBpp / static_cast<int>(sizeof(S));
  const int ds = r.dstBpp / static_cast<int>(sizeof(S));
  const bool packed = ss == channels && ds == channels;
  const bool fourth = sizeof(S) == 2 && channels == 3 && ss == 4 && ds == 4;
  const bool fourth8 = sizeof(S) == 1 && channels == 3 && ss == 4 && ds == 4;
  const bool rowsDirect = packed || fourth;
  const bool inPlace = sizeof(S) == 2 || sameArray;
  const int directSamples = fourth ? 4 : channels;
  const int32_t pixelsPerChunk = kChunk / channels;
  const uintptr_t rowBytes = static_cast<uintptr_t>(r.width) * directSamples * sizeof(S);
  for (int32_t y = 0; y < r.height; ++y) {
    const uint8_t* srow = r.SrcRow(y);
    uint8_t* drow = r.DstRow(y);
    const uintptr_t s = reinterpret_cast<uintptr_t>(srow), d = reinterpret_cast<uintptr_t>(drow);
    if (rowsDirect && (s + rowBytes <= d || d + rowBytes <= s || (inPlace && s == d))) {
      kernel(srow, drow, r.width * directSamples, fourth);
      continue;
    }
    if (fourth8) {
      // Whole pixels through the kernel into the chunk, then their channels
      // into the row: the kernel's results for the fourth bytes are dropped.
      for (int32_t x0 = 0; x0 < r.width; x0 += kChunk / 4) {
        const int32_t count = std::min(kChunk / 4, r.width - x0);
        kernel(srow + static_cast<size_t>(x0) * 4, outBytes, count * 4, false);
        CopyKeepingFourth(outBytes, drow + static_cast<size_t>(x0) * 4, 0, count);
      }
      continue;
    }
    for (int32_t x0 = 0; x0 < r.width; x0 += pixelsPerChunk) {
      const int32_t count = std::min(pixelsPerChunk, r.width - x0);
      const int32_t samples = count * channels;
      if constexpr (sizeof(S) == 1) {
        if (packed) {
          const size_t at = static_cast<size_t>(x0) * channels;
          std::memcpy(in, srow + at, static_cast<size_t>(samples));
          kernel(inBytes, drow + at, samples, false);
          continue;
        }
      }
      if (packed) {
        std::memcpy(in, srow + static_cast<size_t>(x0) * channels * sizeof(S),
                    static_cast<size_t>(samples) * sizeof(S));
        kernel(inBytes, outBytes, samples, false);
        std::memcpy(drow + static_cast<size_t>(x0) * channels * sizeof(S), out,
                    static_cast<size_t>(samples) * sizeof(S));
        continue;
      }
      for (int32_t x = 0; x < count; ++x) {
        std::memcpy(in + x * channels, srow + static_cast<size_t>(x0 + x) * ss * sizeof(S),
                    channels * sizeof(S));
      }
      kernel(inBytes, outBytes, samples, false);
      for (int32_t x = 0; x < count; ++x) {
        std::memcpy(drow + static_cast<size_t>(x0 + x) * ds * sizeof(S), out + x * channels,
                    channels * sizeof(S));
      }
    }
  }
}

// The channel count as a constant, so that the per-pixel copies of pixels
// with a fourth channel are fixed-size moves rather than library calls.
template <typename S, typename Kernel>
void ForChannels(const Region& r, int channels, Kernel kernel, bool sameArray = false) {
  if (channels == 3) {
    ForChannelsOf<S, 3>(r, sameArray, kernel);
  } else {
    ForChannelsOf<S, 1>(r, sameArray, kernel);
  }
}

}  // namespace

void ApplyTable8(const Region& r, int channels, const uint8_t table[256]) {
  uint32_t wide[256];
  for (int i = 0; i < 256; ++i) wide[i] = table[i];
  const LookUp8Fn lookUp = kLookUp8.Pick();
  ForChannels<uint8_t>(
      r, channels,
      [&](const uint8_t* in, uint8_t* out, int32_t n, bool) { lookUp(in, out, n, wide, table); },
      lookUp == kLookUp8.avx512);
}

void ApplyTable16(const Region& r, int channels, const uint16_t* table, uint32_t n,
                  uint16_t above) {
  std::vector<uint32_t> wide(n + 1);
  for (uint32_t i = 0; i < n; ++i) wide[i] = table[i];
  wide[n] = above;
  ApplyWideTable16(r, channels, wide.data(), n);
}

void ApplyWideTable16(const Region& r, int channels, const uint32_t* table, uint32_t n) {
  const LookUp16Fn lookUp = kLookUp16.Pick();
  ForChannels<uint16_t>(r, channels,
                        [&](const uint8_t* in, uint8_t* out, int32_t count, bool keepFourth) {
                          lookUp(in, out, count, table, n, keepFourth);
                        });
}

void ApplyFactor8(const Region& r, int channels, float f) {
  const Factor8Fn factor = kFactor8.Pick();
  ForChannels<uint8_t>(r, channels, [&](const uint8_t* in, uint8_t* out, int32_t count, bool) {
    factor(in, out, count, f);
  });
}

void ApplyBrightness8(const Region& r, int channels, float f, const uint8_t table[256]) {
  uint32_t wide[256];
  for (int i = 0; i < 256; ++i) wide[i] = table[i];
  const Brightness8Fn brighten = kBrightness8.Pick();
  ForChannels<uint8_t>(
      r, channels,
      [&](const uint8_t* in, uint8_t* out, int32_t count, bool) {
        brighten(in, out, count, f, wide, table);
      },
      brighten == kBrightness8.avx512);
}

void ApplyFactor16(const Region& r, int channels, float f, uint32_t max) {
  const Factor16Fn factor = kFactor16.Pick();
  ForChannels<uint16_t>(r, channels,
                        [&](const uint8_t* in, uint8_t* out, int32_t count, bool keepFourth) {
                          factor(in, out, count, f, max, keepFourth);
                        });
}

}  // namespace korvex::image::detail
