#include "image/converters/format.h"

#include <algorithm>
#include <cstring>

#include "image/converters/per_value.h"

namespace korvex::image {
namespace {

using detail::Word;
using detail::Words;

// Calls pixel(out, in) for each pixel; rows reversed when kFlip.
template <bool kFlip, typename Fn>
int32_t ForEachPixel(const detail::Region& r, Fn pixel) {
  if (r.Empty()) return 1;
  for (int32_t y = 0; y < r.height; ++y) {
    const uint8_t* in = r.SrcRow(kFlip ? r.height - 1 - y : y);
    uint8_t* out = r.DstRow(y);
    for (int32_t x = 0; x < r.width; ++x) {
      pixel(out + static_cast<ptrdiff_t>(x) * r.dstBpp, in + static_cast<ptrdiff_t>(x) * r.srcBpp);
    }
  }
  return 1;
}

template <bool kFlip, int kShift>
int32_t Reduce16(const detail::Region& r) {
  return ForEachPixel<kFlip>(r, [](uint8_t* o, const uint8_t* i) {
    o[0] = static_cast<uint8_t>((Words(i)[0] >> kShift) & 255);
  });
}

template <bool kFlip>
int32_t Reduce48(const detail::Region& r) {
  if (r.srcBpp < 6 || r.dstBpp < 3) return 1;
  return ForEachPixel<kFlip>(r, [](uint8_t* o, const uint8_t* i) {
    const Word* w = Words(i);
    o[0] = static_cast<uint8_t>((w[0] >> 2) & 255);
    o[1] = static_cast<uint8_t>((w[1] >> 2) & 255);
    o[2] = static_cast<uint8_t>((w[2] >> 2) & 255);
  });
}

template <bool kFlip>
int32_t Copy3(const detail::Region& r) {
  if (r.srcBpp < 3 || r.dstBpp < 3) return 1;
  return ForEachPixel<kFlip>(r, [](uint8_t* o, const uint8_t* i) {
    o[0] = i[0];
    o[1] = i[1];
    o[2] = i[2];
  });
}

// channels: 1 (gray) or 3; kRgb writes them in reverse order; kAlpha adds a
// fourth word 0xFFFF.
template <int kChannels, bool kRgb, bool kAlpha, int kShift>
int32_t Expand(const detail::Region& r) {
  if (r.srcBpp < 2 * kChannels || r.dstBpp < 2 * (kChannels + (kAlpha ? 1 : 0))) return 1;
  return ForEachPixel<false>(r, [](uint8_t* o, const uint8_t* i) {
    const Word* s = Words(i);
    Word* d = Words(o);
    for (int c = 0; c < kChannels; ++c) {
      d[kRgb ? kChannels - 1 - c : c] = static_cast<uint16_t>(s[c] << kShift);
    }
    if constexpr (kAlpha) d[3] = 0xFFFF;
  });
}

}  // namespace

#define KORVEX_FORMAT(name, dbpp, sbpp, body)       \
  KORVEX_REGION_CONVERTER(name) {                   \
    (void)dstBytesPerPixel, (void)srcBytesPerPixel; \
    KORVEX_REGION_SETUP(dbpp, sbpp);                \
    (void)block;                                    \
    return body;                                    \
  }

KORVEX_FORMAT(Reduce16To8, 1, 2, (Reduce16<false, 2>(r)))
KORVEX_FORMAT(Reduce16To8Flip, 1, 2, (Reduce16<true, 2>(r)))
KORVEX_FORMAT(Reduce16To8Flip12, 1, 2, (Reduce16<true, 4>(r)))
KORVEX_FORMAT(Reduce48To24, dstBytesPerPixel, srcBytesPerPixel, Reduce48<false>(r))
KORVEX_FORMAT(Reduce48To24Flip, dstBytesPerPixel, srcBytesPerPixel, Reduce48<true>(r))
KORVEX_FORMAT(Copy32To24, dstBytesPerPixel, srcBytesPerPixel, Copy3<false>(r))
KORVEX_FORMAT(Copy24Flip, dstBytesPerPixel, srcBytesPerPixel, Copy3<true>(r))
KORVEX_FORMAT(Expand16, 2, 2, (Expand<1, false, false, 6>(r)))
KORVEX_FORMAT(Expand16From12, 2, 2, (Expand<1, false, false, 4>(r)))
KORVEX_FORMAT(Expand48, dstBytesPerPixel, srcBytesPerPixel, (Expand<3, false, false, 6>(r)))
KORVEX_FORMAT(Expand48From12, dstBytesPerPixel, srcBytesPerPixel, (Expand<3, false, false, 4>(r)))
KORVEX_FORMAT(Expand48Rgb, dstBytesPerPixel, srcBytesPerPixel, (Expand<3, true, false, 6>(r)))
KORVEX_FORMAT(Expand48RgbFrom12, dstBytesPerPixel, srcBytesPerPixel, (Expand<3, true, false, 4>(r)))
KORVEX_FORMAT(Expand64, dstBytesPerPixel, srcBytesPerPixel, (Expand<3, false, true, 6>(r)))
KORVEX_FORMAT(Expand64From12, dstBytesPerPixel, srcBytesPerPixel, (Expand<3, false, true, 4>(r)))
KORVEX_FORMAT(Expand64Rgb, dstBytesPerPixel, srcBytesPerPixel, (Expand<3, true, true, 6>(r)))
KORVEX_FORMAT(Expand64RgbFrom12, dstBytesPerPixel, srcBytesPerPixel, (Expand<3, true, true, 4>(r)))
#undef KORVEX_FORMAT

KORVEX_REGION_CONVERTER(Swap24) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  (void)block;
  if (r.srcBpp < 3 || r.dstBpp < 3) return 1;
  return ForEachPixel<false>(r, [](uint8_t* o, const uint8_t* i) {
    const uint8_t b = i[0], g = i[1], rd = i[2];
    o[0] = rd;
    o[1] = g;
    o[2] = b;
  });
}

KORVEX_REGION_CONVERTER(Alpha32) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  (void)block;
  if (r.srcBpp < 4 || r.dstBpp < 4) return 1;
  return ForEachPixel<false>(r, [](uint8_t* o, const uint8_t* i) {
    o[0] = i[0];
    o[1] = i[1];
    o[2] = i[2];
    o[3] = static_cast<uint8_t>(~i[3]);
  });
}

KORVEX_REGION_CONVERTER(FlipRows) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  (void)block;
  if (r.Empty()) return 1;
  const ptrdiff_t dstRoom = dstStride - static_cast<ptrdiff_t>(dstX) * dstBytesPerPixel;
  const ptrdiff_t srcRoom = srcStride - static_cast<ptrdiff_t>(srcRect.left) * srcBytesPerPixel;
  const ptrdiff_t bytes = std::min(dstRoom, srcRoom);
  if (bytes <= 0) return 1;
  for (int32_t y = 0; y < r.height; ++y) {
    std::memmove(r.DstRow(y), r.SrcRow(r.height - 1 - y), static_cast<size_t>(bytes));
  }
  return 1;
}

RegionConverter SelectExpand(int bytesPerPixel, bool rgbOrder, int significantBits) {
  const bool twelve = significantBits == 12;
  switch (bytesPerPixel) {
    case 2: return twelve ? Expand16From12 : Expand16;
    case 6:
      return rgbOrder ? (twelve ? Expand48RgbFrom12 : Expand48Rgb)
                      : (twelve ? Expand48From12 : Expand48);
    case 8:
      return rgbOrder ? (twelve ? Expand64RgbFrom12 : Expand64Rgb)
                      : (twelve ? Expand64From12 : Expand64);
    default: return nullptr;
  }
}

}  // namespace korvex::image
