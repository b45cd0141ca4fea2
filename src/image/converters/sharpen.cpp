#include "image/converters/sharpen.h"

#include <vector>

#include "image/converters/per_value.h"

namespace korvex::image {
namespace {

// The 4 x 4 box as running sums: per sample column a vertical sum of four
// rows, updated by one row in and one row out per output row, then four
// vertical sums side by side. Samples of a row are handled as one array with
// pixel step `step` (1, 3 or 4), so the loops run over contiguous memory.
template <typename T, typename U>
int32_t Run(const detail::Region& r, const int32_t* block, int step, int channels, int bits) {
  if (!block || r.Empty() || r.width < 5 || r.height < 5) return 1;
  if (r.dst == r.src) return 1;
  const int32_t s = block[kFilterValue] < 0 ? 0 : (block[kFilterValue] > 30 ? 30 : block[kFilterValue]);
  const int32_t max = (1 << bits) - 1;
  const int32_t n = r.width * step;
  const int ds = r.dstBpp / static_cast<int>(sizeof(T));
  std::vector<U> column(static_cast<size_t>(n));
  auto row = [&](int32_t y) { return reinterpret_cast<const T*>(r.SrcRow(y)); };
  for (int32_t i = 0; i < n; ++i) {
    column[i] = static_cast<U>(U(row(0)[i]) + row(1)[i] + row(2)[i] + row(3)[i]);
  }
  std::vector<T> result(static_cast<size_t>(n));
  for (int32_t y = 2; y <= r.height - 3; ++y) {
    if (y > 2) {
      const T* add = row(y + 1);
      const T* sub = row(y - 3);
      for (int32_t i = 0; i < n; ++i) column[i] = static_cast<U>(column[i] + add[i] - sub[i]);
    }
    const T* in = row(y);
    const int32_t first = 2 * step, last = (r.width - 2) * step;  // [first, last)
    for (int32_t i = first; i < last; ++i) {
      const int32_t o = in[i];
      const int32_t m =
          static_cast<int32_t>((U(column[i - 2 * step]) + column[i - step] + column[i] +
                                column[i + step]) >> 4);
      int32_t d = o - m;
      if constexpr (sizeof(T) == 2) d = d < -max ? -max : (d > max + 1 ? max + 1 : d);
      int32_t v = o + d * s / 10;
      v = v < 0 ? 0 : (v > max ? max : v);
      result[i] = static_cast<T>(v);
    }
    T* out = reinterpret_cast<T*>(r.DstRow(y));
    if (ds == step && channels == step) {
      for (int32_t i = first; i < last; ++i) out[i] = result[i];
    } else {
      for (int32_t x = 2; x < r.width - 2; ++x) {
        for (int c = 0; c < channels; ++c) out[x * ds + c] = result[x * step + c];
      }
    }
  }
  return 1;
}

}  // namespace

KORVEX_REGION_CONVERTER(Sharpen8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REGION_SETUP(1, 1);
  return Run<uint8_t, uint16_t>(r, block, 1, 1, 8);
}
KORVEX_REGION_CONVERTER(Sharpen16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REGION_SETUP(2, 2);
  if (!block) return 1;
  return Run<detail::Word, uint32_t>(r, block, 1, 1, detail::ClampBits(block[kFilterBits]));
}
KORVEX_REGION_CONVERTER(Sharpen24) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  if (!detail::HoldsColour(r, 1) || r.srcBpp > 4) return 1;
  return Run<uint8_t, uint16_t>(r, block, r.srcBpp, 3, 8);
}
KORVEX_REGION_CONVERTER(Sharpen48) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  if (!detail::HoldsColour(r, 2) || r.srcBpp > 8) return 1;
  if (!block) return 1;
  return Run<detail::Word, uint32_t>(r, block, r.srcBpp / 2, 3,
                                     detail::ClampBits(block[kFilterBits]));
}

}  // namespace korvex::image
