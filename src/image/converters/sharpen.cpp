#include "image/converters/sharpen.h"

#include "image/converters/four_sample_pixels.h"
#include "image/converters/per_value.h"
#include "image/converters/vector_level.h"

namespace korvex::image {
namespace {

// One output row: o + ((o - m) x s) / 10 with m the box mean from four
// neighbouring column sums. 8-bit samples stay within 16-bit lanes: the
// difference times s is at most 255 x 30.
KORVEX_KERNEL_BODY void SharpenRow8(const uint16_t* col, const uint8_t* in, uint8_t* out,
                                    int32_t first, int32_t last, int32_t step, int32_t s) {
  const int16_t gain = static_cast<int16_t>(s);
  for (int32_t i = first; i < last; ++i) {
    const int16_t o = in[i];
    const int16_t m = static_cast<int16_t>(
        static_cast<uint16_t>(col[i - 2 * step] + col[i - step] + col[i] + col[i + step]) >> 4);
    const int16_t d = static_cast<int16_t>(o - m);
    const int16_t q = static_cast<int16_t>(static_cast<int16_t>(d * gain) / 10);
    int16_t v = static_cast<int16_t>(o + q);
    v = v < 0 ? 0 : (v > 255 ? 255 : v);
    out[i] = static_cast<uint8_t>(v);
  }
}

KORVEX_KERNEL_BODY void SharpenRow16(const uint32_t* col, const detail::Word* in, uint16_t* out,
                                     int32_t first, int32_t last, int32_t step, int32_t s,
                                     int32_t max) {
  for (int32_t i = first; i < last; ++i) {
    const int32_t o = in[i];
    const int32_t m =
        static_cast<int32_t>((col[i - 2 * step] + col[i - step] + col[i] + col[i + step]) >> 4);
    int32_t d = o - m;
    d = d < -max ? -max : (d > max + 1 ? max + 1 : d);  // the difference table's range
    int32_t v = o + d * s / 10;
    v = v < 0 ? 0 : (v > max ? max : v);
    out[i] = static_cast<uint16_t>(v);
  }
}

// The same for 16-bit samples of at most 10 bits (max <= 1023) when no
// sample of the region exceeds 4095 (the pipeline's deep pictures): column
// sums (at most 4 x 4095) and box sums (16 x 4095) fit 16 bits, and the
// clamped difference times s (at most 1024 x 30) fits a 16-bit lane, so the
// result is SharpenRow16's in lanes half as wide.
KORVEX_KERNEL_BODY void SharpenRow10(const uint16_t* col, const detail::Word* in, uint16_t* out,
                                     int32_t first, int32_t last, int32_t step, int32_t s,
                                     int32_t max) {
  const int16_t gain = static_cast<int16_t>(s);
  const int16_t low = static_cast<int16_t>(-max), high = static_cast<int16_t>(max + 1);
  const int16_t top = static_cast<int16_t>(max);
  for (int32_t i = first; i < last; ++i) {
    const int16_t o = static_cast<int16_t>(in[i]);
    const int16_t m = static_cast<int16_t>(
        static_cast<uint16_t>(col[i - 2 * step] + col[i - step] + col[i] + col[i + step]) >> 4);
    int16_t d = static_cast<int16_t>(o - m);
    d = d < low ? low : (d > high ? high : d);
    const int16_t q = static_cast<int16_t>(static_cast<int16_t>(d * gain) / 10);
    int16_t v = static_cast<int16_t>(o + q);
    v = v < 0 ? 0 : (v > top ? top : v);
    out[i] = static_cast<uint16_t>(v);
  }
}

KORVEX_KERNEL_BODY void MoveColumns8(uint16_t* col, const uint8_t* add, const uint8_t* sub,
                                     int32_t n) {
  for (int32_t i = 0; i < n; ++i) col[i] = static_cast<uint16_t>(col[i] + add[i] - sub[i]);
}

KORVEX_KERNEL_BODY void MoveColumns16(uint32_t* col, const detail::Word* add,
                                      const detail::Word* sub, int32_t n) {
  for (int32_t i = 0; i < n; ++i) col[i] = col[i] + add[i] - sub[i];
}
KORVEX_KERNEL_BODY void MoveColumns10(uint16_t* col, const detail::Word* add,
                                      const detail::Word* sub, int32_t n) {
  for (int32_t i = 0; i < n; ++i) col[i] = static_cast<uint16_t>(col[i] + add[i] - sub[i]);
}

KORVEX_KERNEL_BODY void SharpenRow(const uint16_t* col, const uint8_t* in, uint8_t* out,
                                   int32_t first, int32_t last, int32_t step, int32_t s, int32_t) {
  SharpenRow8(col, in, out, first, last, step, s);
}
KORVEX_KERNEL_BODY void SharpenRow(const uint32_t* col, const detail::Word* in, uint16_t* out,
                                   int32_t first, int32_t last, int32_t step, int32_t s,
                                   int32_t max) {
  SharpenRow16(col, in, out, first, last, step, s, max);
}
KORVEX_KERNEL_BODY void SharpenRow(const uint16_t* col, const detail::Word* in, uint16_t* out,
                                   int32_t first, int32_t last, int32_t step, int32_t s,
                                   int32_t max) {
  SharpenRow10(col, in, out, first, last, step, s, max);
}
KORVEX_KERNEL_BODY void MoveColumns(uint16_t* col, const uint8_t* add, const uint8_t* sub,
                                    int32_t n) {
  MoveColumns8(col, add, sub, n);
}
KORVEX_KERNEL_BODY void MoveColumns(uint16_t* col, const detail::Word* add, const detail::Word* sub,
                                    int32_t n) {
  MoveColumns10(col, add, sub, n);
}
KORVEX_KERNEL_BODY void MoveColumns(uint32_t* col, const detail::Word* add, const detail::Word* sub,
                                    int32_t n) {
  MoveColumns16(col, add, sub, n);
}

// The 4 x 4 box as running sums: per sample column a vertical sum of four
// rows, updated by one row in and one row out per output row, then four
// vertical sums side by side. Samples of a row are handled as one array with
// pixel step `step` (1, 3 or 4), so the loops run over contiguous memory.
// T is the stored sample, O the plain sample type, U the column sum.
template <typename T, typename O, typename U>
KORVEX_KERNEL_BODY void Rows(const detail::Region& r, int32_t s, int step, int channels, int bits,
                             RowScratch& scratch) {
  const int32_t max = (1 << bits) - 1;
  const int32_t n = r.width * step;
  const int ds = r.dstBpp / static_cast<int>(sizeof(T));
  // Every column sum is formed before it is read; the result row is read
  // only where SharpenRow wrote it.
  U* const column = scratch.Take<U>(static_cast<size_t>(n));
  auto row = [&](int32_t y) { return reinterpret_cast<const T*>(r.SrcRow(y)); };
  for (int32_t i = 0; i < n; ++i) {
    column[i] = static_cast<U>(U(row(0)[i]) + row(1)[i] + row(2)[i] + row(3)[i]);
  }
  const bool direct = ds == step && channels == step;
  O* const result = direct ? nullptr : scratch.Take<O>(static_cast<size_t>(n));
  const int32_t first = 2 * step, last = (r.width - 2) * step;  // [first, last)
  for (int32_t y = 2; y <= r.height - 3; ++y) {
    if (y > 2) MoveColumns(column, row(y + 1), row(y - 3), n);
    O* out = reinterpret_cast<O*>(r.DstRow(y));
    if (direct) {
      SharpenRow(column, row(y), out, first, last, step, s, max);
    } else {
      SharpenRow(column, row(y), result, first, last, step, s, max);
      if (ds == 4 && step == 4 && channels == 3) {
        detail::CopyKeepingFourth(result, out, 2, r.width - 2);
        continue;
      }
      for (int32_t x = 2; x < r.width - 2; ++x) {
        for (int c = 0; c < channels; ++c) out[x * ds + c] = result[x * step + c];
      }
    }
  }
}

// Samples of up to 10 bits take 16-bit sums where the region's values allow.
template <typename T, typename O, typename U>
KORVEX_KERNEL_BODY void AnyRows(const detail::Region& r, int32_t s, int step, int channels,
                                int bits, RowScratch& scratch) {
  if constexpr (sizeof(T) == 2) {
    // Rows reads rows 0 .. height - 2; the results of a fourth sample that
    // is not a channel are dropped.
    if (bits <= 10 &&
        detail::OrOfWords(r, 0, r.height - 1, r.width * step, step == 4 && channels == 3) < 4096) {
      Rows<T, O, uint16_t>(r, s, step, channels, bits, scratch);
      return;
    }
  }
  Rows<T, O, U>(r, s, step, channels, bits, scratch);
}

template <typename T, typename O, typename U>
void RowsPortable(const detail::Region& r, int32_t s, int step, int channels, int bits,
                  RowScratch& scratch) {
  AnyRows<T, O, U>(r, s, step, channels, bits, scratch);
}
#ifdef KORVEX_X86_KERNELS
template <typename T, typename O, typename U>
KORVEX_TARGET_AVX2 void RowsAvx2(const detail::Region& r, int32_t s, int step, int channels,
                                 int bits, RowScratch& scratch) {
  AnyRows<T, O, U>(r, s, step, channels, bits, scratch);
}
#endif

template <typename T, typename O, typename U>
int32_t Run(const detail::Region& r, const int32_t* block, int step, int channels, int bits,
            RowScratch* scratch) {
  if (!block || r.Empty() || r.width < 5 || r.height < 5) return 1;
  if (r.dst == r.src) return 1;
  const int32_t s =
      block[kFilterValue] < 0 ? 0 : (block[kFilterValue] > 30 ? 30 : block[kFilterValue]);
  using Fn = void (*)(const detail::Region&, int32_t, int, int, int, RowScratch&);
  const Kernels<Fn> kernels{RowsPortable<T, O, U>, nullptr, KORVEX_X86_ONLY((RowsAvx2<T, O, U>))};
  RowScratch own;
  RowScratch& rows = scratch ? *scratch : own;
  rows.Reset();
  kernels.Pick()(r, s, step, channels, bits, rows);
  return 1;
}

// The four converters, by sample kind.
int32_t Sharpen(SharpenKind kind, uint8_t* dst, const uint8_t* src, const Rect& srcRect,
                int32_t dstX, int32_t dstY, uint16_t dstBytesPerPixel, uint16_t srcBytesPerPixel,
                int32_t dstStride, int32_t srcStride, int32_t* const* params, RowScratch* scratch) {
  // Gray pixels are one sample whatever the caller says.
  const bool gray = kind == SharpenKind::kGray8 || kind == SharpenKind::kGray16;
  const uint16_t grayBpp = kind == SharpenKind::kGray16 ? 2 : 1;
  const detail::Region r =
      detail::MakeRegion(dst, src, srcRect, dstX, dstY, gray ? grayBpp : dstBytesPerPixel,
                         gray ? grayBpp : srcBytesPerPixel, dstStride, srcStride);
  const int32_t* block = detail::BlockOf(params);
  switch (kind) {
    case SharpenKind::kGray8:
      return Run<uint8_t, uint8_t, uint16_t>(r, block, 1, 1, 8, scratch);
    case SharpenKind::kGray16:
      if (!block) return 1;
      return Run<detail::Word, uint16_t, uint32_t>(r, block, 1, 1,
                                                   detail::ClampBits(block[kFilterBits]), scratch);
    case SharpenKind::kColour24:
      if (!detail::HoldsColour(r, 1) || r.srcBpp > 4) return 1;
      return Run<uint8_t, uint8_t, uint16_t>(r, block, r.srcBpp, 3, 8, scratch);
    case SharpenKind::kColour48:
      if (!detail::HoldsColour(r, 2) || r.srcBpp > 8) return 1;
      if (!block) return 1;
      return Run<detail::Word, uint16_t, uint32_t>(
          r, block, r.srcBpp / 2, 3, detail::ClampBits(block[kFilterBits]), scratch);
  }
  return 1;
}

}  // namespace

KORVEX_REGION_CONVERTER(Sharpen8) {
  (void)extra;
  return Sharpen(SharpenKind::kGray8, dst, src, srcRect, dstX, dstY, dstBytesPerPixel,
                 srcBytesPerPixel, dstStride, srcStride, params, nullptr);
}
KORVEX_REGION_CONVERTER(Sharpen16) {
  (void)extra;
  return Sharpen(SharpenKind::kGray16, dst, src, srcRect, dstX, dstY, dstBytesPerPixel,
                 srcBytesPerPixel, dstStride, srcStride, params, nullptr);
}
KORVEX_REGION_CONVERTER(Sharpen24) {
  (void)extra;
  return Sharpen(SharpenKind::kColour24, dst, src, srcRect, dstX, dstY, dstBytesPerPixel,
                 srcBytesPerPixel, dstStride, srcStride, params, nullptr);
}
KORVEX_REGION_CONVERTER(Sharpen48) {
  (void)extra;
  return Sharpen(SharpenKind::kColour48, dst, src, srcRect, dstX, dstY, dstBytesPerPixel,
                 srcBytesPerPixel, dstStride, srcStride, params, nullptr);
}

int32_t SharpenRows(SharpenKind kind, uint8_t* dst, const uint8_t* src, const Rect& srcRect,
                    uint16_t bytesPerPixel, int32_t dstStride, int32_t srcStride,
                    int32_t* const* params, RowScratch& scratch) {
  return Sharpen(kind, dst, src, srcRect, 0, 0, bytesPerPixel, bytesPerPixel, dstStride,
                 srcStride, params, &scratch);
}

}  // namespace korvex::image
