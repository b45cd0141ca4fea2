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

// Rows are taken in chunks through a local copy, so source and destination
// may be the same memory while the kernels see distinct arrays.
constexpr int32_t kChunk = 1024;

// Each kernel is a body compiled once per level that gains from it; the
// Kernels tables below pick one per call.
using LookUp8Fn = void (*)(const uint8_t*, uint8_t*, int32_t, const uint32_t*, const uint8_t*);
using LookUp16Fn = void (*)(const uint16_t*, uint16_t*, int32_t, const uint32_t*, uint32_t);
using Factor8Fn = void (*)(const uint8_t*, uint8_t*, int32_t, float);
using Factor16Fn = void (*)(const uint16_t*, uint16_t*, int32_t, float, uint32_t);

// 8-bit look-up through the table widened to 32 bits, so that it can run
// as vector gathers.
KORVEX_KERNEL_BODY void LookUp8Body(const uint8_t* __restrict in, uint8_t* __restrict out,
                                    int32_t n, const uint32_t* __restrict table) {
  for (int32_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(table[in[i]]);
}

KORVEX_KERNEL_BODY void LookUp16Body(const uint16_t* __restrict in, uint16_t* __restrict out,
                                     int32_t n, const uint32_t* __restrict table, uint32_t limit) {
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t v = in[i];
    out[i] = static_cast<uint16_t>(table[v < limit ? v : limit]);
  }
}

KORVEX_KERNEL_BODY void Factor16Body(const uint16_t* __restrict in, uint16_t* __restrict out,
                                     int32_t n, float f, uint32_t max) {
  const float top = static_cast<float>(max);
  for (int32_t i = 0; i < n; ++i) {
    const float p = static_cast<float>(static_cast<int32_t>(in[i])) * f;
    // p >= 0; at or above max the truncation is at least max.
    const int32_t t = static_cast<int32_t>(p < top ? p : top);
    out[i] = static_cast<uint16_t>(t);
  }
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
void LookUp16Portable(const uint16_t* in, uint16_t* out, int32_t n, const uint32_t* table,
                      uint32_t limit) {
  LookUp16Body(in, out, n, table, limit);
}
void Factor8Portable(const uint8_t* in, uint8_t* out, int32_t n, float f) {
  Factor8Body(in, out, n, f);
}
void Factor16Portable(const uint16_t* in, uint16_t* out, int32_t n, float f, uint32_t max) {
  Factor16Body(in, out, n, f, max);
}

#ifdef KORVEX_X86_KERNELS
KORVEX_TARGET_AVX2 void LookUp8Avx2(const uint8_t* in, uint8_t* out, int32_t n,
                                    const uint32_t* wide, const uint8_t*) {
  LookUp8Body(in, out, n, wide);
}
KORVEX_TARGET_AVX2 void LookUp16Avx2(const uint16_t* in, uint16_t* out, int32_t n,
                                     const uint32_t* table, uint32_t limit) {
  LookUp16Body(in, out, n, table, limit);
}
KORVEX_TARGET_AVX2 void Factor8Avx2(const uint8_t* in, uint8_t* out, int32_t n, float f) {
  Factor8Body(in, out, n, f);
}
KORVEX_TARGET_AVX2 void Factor16Avx2(const uint16_t* in, uint16_t* out, int32_t n, float f,
                                     uint32_t max) {
  Factor16Body(in, out, n, f, max);
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

// Runs kernel(in, out, count) over the channel samples of every row. The
// kernels take distinct arrays, unless `sameArray` says that the kernel
// also works with in == out. Where 8-bit pixels hold only the channels, a
// row goes straight from the source to the destination when the two do
// not overlap (or are the same and the kernel allows it), and otherwise
// through a local copy of its source samples, the kernel writing the
// destination row. Other pixels go through packed copies both ways (16-bit
// samples are never accessed in the image memory through a uint16_t
// pointer).
template <typename S, int channels, typename Kernel>
void ForChannelsOf(const Region& r, bool sameArray, Kernel kernel) {
  S in[kChunk], out[kChunk];
  const int ss = r.srcBpp / static_cast<int>(sizeof(S));
  const int ds = r.dstBpp / static_cast<int>(sizeof(S));
  const bool packed = ss == channels && ds == channels;
  const bool rowsDirect = packed && sizeof(S) == 1;
  const int32_t pixelsPerChunk = kChunk / channels;
  const uintptr_t rowBytes = static_cast<uintptr_t>(r.width) * channels * sizeof(S);
  for (int32_t y = 0; y < r.height; ++y) {
    const uint8_t* srow = r.SrcRow(y);
    uint8_t* drow = r.DstRow(y);
    const uintptr_t s = reinterpret_cast<uintptr_t>(srow), d = reinterpret_cast<uintptr_t>(drow);
    if constexpr (sizeof(S) == 1) {
      if (rowsDirect && (s + rowBytes <= d || d + rowBytes <= s || (sameArray && s == d))) {
        kernel(srow, drow, r.width * channels);
        continue;
      }
    }
    for (int32_t x0 = 0; x0 < r.width; x0 += pixelsPerChunk) {
      const int32_t count = std::min(pixelsPerChunk, r.width - x0);
      const int32_t samples = count * channels;
      if constexpr (sizeof(S) == 1) {
        if (rowsDirect) {
          const size_t at = static_cast<size_t>(x0) * channels;
          std::memcpy(in, srow + at, static_cast<size_t>(samples));
          kernel(in, drow + at, samples);
          continue;
        }
      }
      if (packed) {
        std::memcpy(in, srow + static_cast<size_t>(x0) * channels * sizeof(S),
                    static_cast<size_t>(samples) * sizeof(S));
        kernel(in, out, samples);
        std::memcpy(drow + static_cast<size_t>(x0) * channels * sizeof(S), out,
                    static_cast<size_t>(samples) * sizeof(S));
        continue;
      }
      for (int32_t x = 0; x < count; ++x) {
        std::memcpy(in + x * channels, srow + static_cast<size_t>(x0 + x) * ss * sizeof(S),
                    channels * sizeof(S));
      }
      kernel(in, out, samples);
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
      [&](const uint8_t* in, uint8_t* out, int32_t n) { lookUp(in, out, n, wide, table); },
      lookUp == kLookUp8.avx512);
}

void ApplyTable16(const Region& r, int channels, const uint16_t* table, uint32_t n,
                  uint16_t above) {
  std::vector<uint32_t> wide(n + 1);
  for (uint32_t i = 0; i < n; ++i) wide[i] = table[i];
  wide[n] = above;
  const LookUp16Fn lookUp = kLookUp16.Pick();
  ForChannels<uint16_t>(r, channels, [&](const uint16_t* in, uint16_t* out, int32_t count) {
    lookUp(in, out, count, wide.data(), n);
  });
}

void ApplyFactor8(const Region& r, int channels, float f) {
  const Factor8Fn factor = kFactor8.Pick();
  ForChannels<uint8_t>(r, channels, [&](const uint8_t* in, uint8_t* out, int32_t count) {
    factor(in, out, count, f);
  });
}

void ApplyBrightness8(const Region& r, int channels, float f, const uint8_t table[256]) {
  uint32_t wide[256];
  for (int i = 0; i < 256; ++i) wide[i] = table[i];
  const Brightness8Fn brighten = kBrightness8.Pick();
  ForChannels<uint8_t>(
      r, channels,
      [&](const uint8_t* in, uint8_t* out, int32_t count) {
        brighten(in, out, count, f, wide, table);
      },
      brighten == kBrightness8.avx512);
}

void ApplyFactor16(const Region& r, int channels, float f, uint32_t max) {
  const Factor16Fn factor = kFactor16.Pick();
  ForChannels<uint16_t>(r, channels, [&](const uint16_t* in, uint16_t* out, int32_t count) {
    factor(in, out, count, f, max);
  });
}

}  // namespace korvex::image::detail
