#include "image/converters/field_merge.h"

#include <algorithm>
#include <cstring>

#include "image/converters/vector_level.h"

#ifdef KORVEX_X86_KERNELS
#include <immintrin.h>
#endif

namespace korvex::image {
namespace {

// A row copied as it is. Vector moves of our own rather than the C
// library's memcpy, whose speed differs from one system's library to
// another's (the Windows one is markedly slower on these rows when both
// pipeline threads copy at once).
using CopyFn = void (*)(uint8_t*, const uint8_t*, size_t);
void CopyPortable(uint8_t* out, const uint8_t* in, size_t bytes) { std::memcpy(out, in, bytes); }
#ifdef KORVEX_X86_KERNELS
KORVEX_TARGET_AVX2 void CopyAvx2(uint8_t* out, const uint8_t* in, size_t bytes) {
  size_t i = 0;
  for (; i + 128 <= bytes; i += 128) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i + 32));
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i + 64));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i + 96));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), a);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 32), b);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 64), c);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 96), d);
  }
  for (; i + 32 <= bytes; i += 32) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i)));
  }
  for (; i < bytes; ++i) out[i] = in[i];
}
#endif
constexpr Kernels<CopyFn> kCopy{CopyPortable, nullptr, KORVEX_X86_ONLY(CopyAvx2)};

// A row in reverse order. Compiled again for AVX2, where the compiler turns
// it into byte shuffles (the baseline has no byte shuffle, so 8-bit rows
// would go a byte at a time).
template <typename T>
KORVEX_KERNEL_BODY void ReverseBody(T* __restrict out, const T* __restrict in, int32_t n) {
  for (int32_t j = 0; j < n; ++j) out[j] = in[n - 1 - j];
}
template <typename T>
using ReverseFn = void (*)(T*, const T*, int32_t);
template <typename T>
void ReversePortable(T* out, const T* in, int32_t n) {
  ReverseBody(out, in, n);
}
#ifdef KORVEX_X86_KERNELS
template <typename T>
KORVEX_TARGET_AVX2 void ReverseAvx2(T* out, const T* in, int32_t n) {
  ReverseBody(out, in, n);
}
#endif

// Destination rows first..last - 1 of the merge (clipped to the rows it
// writes).
template <typename T, bool kMirrorV, bool kMirrorH>
int32_t Merge(uint8_t* dst, const uint8_t* src, Size dstSize, Size srcSize, int32_t dstStride,
              int32_t srcStride, int32_t first, int32_t last) {
  if (!dst || !src) return 1;
  const int32_t rows = std::min(dstSize.height, kPictureHeight);
  const int32_t cols = std::min({dstSize.width, srcSize.width, kPictureWidth});
  if (rows <= 0 || cols <= 0) return 1;
  first = std::max(first, 0);
  last = std::min(last, rows);
  [[maybe_unused]] ReverseFn<T> reverse = nullptr;
  [[maybe_unused]] const CopyFn copy = kCopy.Pick();
  if constexpr (kMirrorH) {
    constexpr Kernels<ReverseFn<T>> kReverse{ReversePortable<T>, nullptr,
                                             KORVEX_X86_ONLY(ReverseAvx2<T>)};
    reverse = kReverse.Pick();
  }
  for (int32_t r = first; r < last; ++r) {
    const int32_t picture = kMirrorV ? rows - 1 - r : r;
    const int32_t raw =
        (picture & 1) ? kField2FirstRow + picture / 2 : kField1FirstRow + picture / 2;
    if (raw >= srcSize.height) continue;
    const T* in = reinterpret_cast<const T*>(src + static_cast<ptrdiff_t>(raw) * srcStride);
    T* out = reinterpret_cast<T*>(dst + static_cast<ptrdiff_t>(r) * dstStride);
    if constexpr (kMirrorH) {
      reverse(out, in, cols);
    } else {
      copy(reinterpret_cast<uint8_t*>(out), reinterpret_cast<const uint8_t*>(in),
           static_cast<size_t>(cols) * sizeof(T));
    }
  }
  return 1;
}

using W = detail::Word;

template <typename T>
int32_t PadRows(uint8_t* dst, const Rect& rect, int32_t dstStride) {
  if (!dst || rect.Width() <= 0 || rect.Height() <= 0) return 1;
  const size_t packed = static_cast<size_t>(rect.Width()) * sizeof(T);
  if (static_cast<size_t>(dstStride) < packed) return 1;  // would not fit: leave as is
  for (int32_t r = rect.Height() - 1; r > 0; --r) {
    std::memmove(dst + static_cast<ptrdiff_t>(r) * dstStride, dst + r * packed, packed);
  }
  return 1;
}

}  // namespace

#define KORVEX_MERGE(name, T, v, h)                                                             \
  KORVEX_SCALING_CONVERTER(name) {                                                              \
    (void)dstRect, (void)srcRect, (void)dstBytesPerPixel, (void)srcBytesPerPixel;               \
    (void)reserved1, (void)reserved2;                                                           \
    return Merge<T, v, h>(dst, src, dstSize, srcSize, dstStride, srcStride, 0, dstSize.height); \
  }

KORVEX_MERGE(MergeFields8, uint8_t, false, false)
KORVEX_MERGE(MergeFields8MirrorV, uint8_t, true, false)
KORVEX_MERGE(MergeFields8MirrorH, uint8_t, false, true)
KORVEX_MERGE(MergeFields8MirrorVH, uint8_t, true, true)
KORVEX_MERGE(MergeFields16, W, false, false)
KORVEX_MERGE(MergeFields16MirrorV, W, true, false)
KORVEX_MERGE(MergeFields16MirrorH, W, false, true)
KORVEX_MERGE(MergeFields16MirrorVH, W, true, true)
#undef KORVEX_MERGE

void MergeFieldRows(bool sixteenBit, bool mirrorV, bool mirrorH, uint8_t* dst, const uint8_t* src,
                    Size dstSize, Size srcSize, int32_t dstStride, int32_t srcStride, int32_t first,
                    int32_t last) {
  using Rows =
      int32_t (*)(uint8_t*, const uint8_t*, Size, Size, int32_t, int32_t, int32_t, int32_t);
  static constexpr Rows kTable[2][4] = {
      {Merge<uint8_t, false, false>, Merge<uint8_t, true, false>, Merge<uint8_t, false, true>,
       Merge<uint8_t, true, true>},
      {Merge<W, false, false>, Merge<W, true, false>, Merge<W, false, true>, Merge<W, true, true>}};
  kTable[sixteenBit ? 1 : 0][(mirrorV ? 1 : 0) | (mirrorH ? 2 : 0)](
      dst, src, dstSize, srcSize, dstStride, srcStride, first, last);
}

ScalingConverter SelectMergeFields(bool sixteenBit, bool mirrorV, bool mirrorH) {
  static constexpr ScalingConverter kTable[2][4] = {
      {MergeFields8, MergeFields8MirrorV, MergeFields8MirrorH, MergeFields8MirrorVH},
      {MergeFields16, MergeFields16MirrorV, MergeFields16MirrorH, MergeFields16MirrorVH}};
  return kTable[sixteenBit ? 1 : 0][(mirrorV ? 1 : 0) | (mirrorH ? 2 : 0)];
}

KORVEX_REGION_CONVERTER(PadRows8) {
  (void)src, (void)dstX, (void)dstY, (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  (void)srcStride, (void)params, (void)extra;
  return PadRows<uint8_t>(dst, srcRect, dstStride);
}

KORVEX_REGION_CONVERTER(PadRows16) {
  (void)src, (void)dstX, (void)dstY, (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  (void)srcStride, (void)params, (void)extra;
  return PadRows<uint16_t>(dst, srcRect, dstStride);
}

}  // namespace korvex::image
