#include "image/converters/white_balance.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "image/converters/vector_level.h"

#ifdef KORVEX_X86_KERNELS
#include <immintrin.h>
#endif

namespace korvex::image {
namespace detail {

namespace {
int32_t Ratio(double value) {
  if (!(value < 2147483647.0)) return std::numeric_limits<int32_t>::max();  // also NaN
  return static_cast<int32_t>(value);
}
}  // namespace

void FinishWhiteBalance(int32_t* block, uint64_t sumG, uint64_t countG, uint64_t sumB,
                        uint64_t countB, uint64_t sumR, uint64_t countR) {
  if (countG == 0 || countB == 0 || countR == 0 || sumG == 0) {
    block[kWbResultBlue] = block[kWbResultGreen] = block[kWbResultRed] = 100;
    return;
  }
  const double mG = static_cast<double>(sumG) / static_cast<double>(countG);
  const double mB = static_cast<double>(sumB) / static_cast<double>(countB);
  const double mR = static_cast<double>(sumR) / static_cast<double>(countR);
  const double s = mG + mB + mR;
  const double k = s / mG / 3.0;
  block[kWbResultBlue] =
      mB > 0.0 ? Ratio(s / mB / 3.0 * 100.0 / k) : std::numeric_limits<int32_t>::max();
  block[kWbResultGreen] = 100;
  block[kWbResultRed] =
      mR > 0.0 ? Ratio(s / mR / 3.0 * 100.0 / k) : std::numeric_limits<int32_t>::max();
}

}  // namespace detail

namespace {

// One row's samples summed by column parity: 32-bit partial sums (they
// vectorise well) over chunks that cannot overflow.
template <typename T>
KORVEX_KERNEL_BODY void SumEvenOdd(const T* p, int32_t x, int32_t n, uint64_t& even,
                                   uint64_t& odd) {
  while (x + 1 < n) {
    const int32_t end = x + std::min<int32_t>((n - x) / 2, 16384) * 2;
    uint32_t e = 0, o = 0;
    for (; x < end; x += 2) {
      e += p[x];
      o += p[x + 1];
    }
    even += e;
    odd += o;
  }
  if (x < n) even += p[x];
}

template <typename T>
using SumRowFn = void (*)(const T* p, int32_t n, uint64_t& even, uint64_t& odd);

template <typename T>
void SumRowPortable(const T* p, int32_t n, uint64_t& even, uint64_t& odd) {
  SumEvenOdd(p, 0, n, even, odd);
}

#ifdef KORVEX_X86_KERNELS
template <typename T>
KORVEX_TARGET_AVX2 void SumRowAvx2(const T* p, int32_t n, uint64_t& even, uint64_t& odd) {
  SumEvenOdd(p, 0, n, even, odd);
}

// Bytes 32 at a time: the even bytes (low byte of each 16-bit pair) and the
// odd ones, each summed into 64-bit lanes by a sum of absolute differences
// from zero; the rest of the row by the plain loop.
template <>
KORVEX_TARGET_AVX2 void SumRowAvx2<uint8_t>(const uint8_t* p, int32_t n, uint64_t& even,
                                            uint64_t& odd) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i low = _mm256_set1_epi16(0x00FF);
  __m256i e = zero, o = zero;
  int32_t x = 0;
  for (; x + 32 <= n; x += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + x));
    e = _mm256_add_epi64(e, _mm256_sad_epu8(_mm256_and_si256(v, low), zero));
    o = _mm256_add_epi64(o, _mm256_sad_epu8(_mm256_srli_epi16(v, 8), zero));
  }
  uint64_t le[4], lo[4];
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(le), e);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lo), o);
  even += le[0] + le[1] + le[2] + le[3];
  odd += lo[0] + lo[1] + lo[2] + lo[3];
  SumEvenOdd(p, x, n, even, odd);
}

template <typename T>
KORVEX_TARGET_AVX512 void SumRowAvx512(const T* p, int32_t n, uint64_t& even, uint64_t& odd) {
  SumRowAvx2(p, n, even, odd);
}

// The same with 64 bytes at a time.
template <>
KORVEX_TARGET_AVX512 void SumRowAvx512<uint8_t>(const uint8_t* p, int32_t n, uint64_t& even,
                                                uint64_t& odd) {
  const __m512i zero = _mm512_setzero_si512();
  const __m512i low = _mm512_set1_epi16(0x00FF);
  __m512i e = zero, o = zero;
  int32_t x = 0;
  for (; x + 64 <= n; x += 64) {
    const __m512i v = _mm512_loadu_si512(p + x);
    e = _mm512_add_epi64(e, _mm512_sad_epu8(_mm512_and_si512(v, low), zero));
    o = _mm512_add_epi64(o, _mm512_sad_epu8(_mm512_srli_epi16(v, 8), zero));
  }
  uint64_t le[8], lo[8];
  _mm512_storeu_si512(le, e);
  _mm512_storeu_si512(lo, o);
  for (int i = 0; i < 8; ++i) {
    even += le[i];
    odd += lo[i];
  }
  SumEvenOdd(p, x, n, even, odd);
}
#endif

// Rows are summed by column parity; the row's parity tells which colours
// its even and odd columns hold.
template <typename T>
void SumSites(const detail::Region& r, int rowBit, int colBit, WhiteBalanceSums& out) {
  const uint64_t evenCount = static_cast<uint64_t>(r.width + 1) / 2;
  const uint64_t oddCount = static_cast<uint64_t>(r.width) / 2;
  const Kernels<SumRowFn<T>> kernels{SumRowPortable<T>, nullptr, KORVEX_X86_ONLY(SumRowAvx2<T>),
                                     KORVEX_X86_ONLY(SumRowAvx512<T>)};
  const SumRowFn<T> sumRow = kernels.Pick();
  for (int32_t y = 0; y < r.height; ++y) {
    uint64_t even = 0, odd = 0;
    sumRow(reinterpret_cast<const T*>(r.SrcRow(y)), r.width, even, odd);
    const int rp = (y & 1) ^ rowBit;
    out.sum[rp][colBit] += even;
    out.sum[rp][colBit ^ 1] += odd;
    out.count[rp][colBit] += evenCount;
    out.count[rp][colBit ^ 1] += oddCount;
  }
}

template <typename T>
int32_t Measure(int32_t* block, const detail::Region& r) {
  WhiteBalanceSums sums;
  SumSites<T>(r, block[kWbResultBayerMode] & 1, (block[kWbResultBayerMode] >> 1) & 1, sums);
  FinishWhiteBalance(block, sums);
  return 1;
}

}  // namespace

void WhiteBalanceSums::Add(const WhiteBalanceSums& other) {
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      sum[i][j] += other.sum[i][j];
      count[i][j] += other.count[i][j];
    }
  }
}

WhiteBalanceSums SumWhiteBalanceSites(const uint8_t* pixels, int32_t width, int32_t stride,
                                      int bytesPerSample, int32_t top, int32_t bottom,
                                      int32_t bayerMode) {
  WhiteBalanceSums sums;
  const Rect rows{0, top, width, bottom};
  const auto r = detail::MakeRegion(nullptr, pixels, rows, 0, 0, 0, 0, 0, stride);
  if (!r.src || r.width <= 0 || r.height <= 0) return sums;
  const int rowBit = (bayerMode ^ top) & 1, colBit = (bayerMode >> 1) & 1;
  if (bytesPerSample == 2) {
    SumSites<detail::Word>(r, rowBit, colBit, sums);
  } else {
    SumSites<uint8_t>(r, rowBit, colBit, sums);
  }
  return sums;
}

void FinishWhiteBalance(int32_t* block, const WhiteBalanceSums& s) {
  detail::FinishWhiteBalance(block, s.sum[0][0] + s.sum[1][1], s.count[0][0] + s.count[1][1],
                             s.sum[0][1], s.count[0][1], s.sum[1][0], s.count[1][0]);
}

KORVEX_REGION_CONVERTER(MeasureWhiteBalance8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel, (void)extra;
  int32_t* block = detail::BlockOf(params);
  if (!block) return 1;
  const auto r = detail::MakeRegion(dst, src, srcRect, dstX, dstY, 1, 1, dstStride, srcStride);
  if (!r.src) return 1;
  return Measure<uint8_t>(block, r);
}

KORVEX_REGION_CONVERTER(MeasureWhiteBalance16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel, (void)extra;
  int32_t* block = detail::BlockOf(params);
  if (!block) return 1;
  const auto r = detail::MakeRegion(dst, src, srcRect, dstX, dstY, 2, 2, dstStride, srcStride);
  if (!r.src) return 1;
  return Measure<detail::Word>(block, r);
}

}  // namespace korvex::image
