// Pixel converters: the common vocabulary.
//
// Every image stage is a plain function of one of two signatures, so the
// pipeline can keep stages as function pointers picked from tables:
//
//  * RegionConverter: works on a rectangle of the source and writes it at a
//    position of the destination. Both images are raw memory: a pointer to
//    memory row 0, bytes per row (stride) and bytes per pixel. The
//    rectangle's rows are memory rows of the source (right and bottom are
//    exclusive). Settings arrive as a block of 32-bit integers reached
//    through `params` (a pointer to the block pointer; measuring converters
//    write their results into the block). `extra` is never read.
//    Returns 1, except RegionMean8/16, which return the mean.
//
//  * ScalingConverter: destination and source rectangles plus both image
//    sizes, used by the field merge and the display stretch. Returns 1.
//
// How the dispatcher calls them (ConvertRegion): with no rectangle the
// rectangle is the whole source image and the destination position (0, 0):
//
//     int32_t block[kFilterBlockSize] = {gamma, 10};
//     int32_t* p = block;
//     Rect all{0, 0, width, height};
//     Gamma24(out.bits, out.bits, all, 0, 0, 3, 3, out.stride, out.stride, &p, nullptr);
//
// In-place stages (gray gain and offset, the per-value filters, hue and
// saturation, the measurements, PadRows) are given the same image as
// destination and source; they read the source and write the destination at
// the same position, so aliasing is expected. Sharpen needs a separate copy
// as its source. Mosaic stages take a pixel's colour from its row and column
// numbers counted from the rectangle's first row and column.
//
// Converters never allocate anything but small tables, never fail, and never
// touch bytes outside the rectangle they are given (the field merge, which
// ignores its rectangles, instead stays within the image sizes it is given).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace korvex::image {

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;   // exclusive
  int32_t bottom = 0;  // exclusive
  constexpr int32_t Width() const { return right - left; }
  constexpr int32_t Height() const { return bottom - top; }
};

struct Size {
  int32_t width = 0;
  int32_t height = 0;
};

using RegionConverter = int32_t (*)(uint8_t* dst, const uint8_t* src, const Rect& srcRect,
                                    int32_t dstX, int32_t dstY, uint16_t dstBytesPerPixel,
                                    uint16_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride,
                                    int32_t* const* params, void* extra);

using ScalingConverter = int32_t (*)(uint8_t* dst, const uint8_t* src, const Rect& dstRect,
                                     const Rect& srcRect, Size dstSize, Size srcSize,
                                     uint16_t dstBytesPerPixel, uint16_t srcBytesPerPixel,
                                     int32_t dstStride, int32_t srcStride, int32_t reserved1,
                                     int32_t reserved2);

// Parameter block layouts (indices into the int32_t block).
enum GrayBlock : int {
  kGrayBayerMode = 0,
  kGrayGainR1 = 1,  // (even row, odd column)
  kGrayGainG1 = 2,  // (even row, even column)
  kGrayGainG2 = 3,  // (odd row, odd column)
  kGrayGainB1 = 4,  // (odd row, even column)
  kGrayOffsetR1 = 5,
  kGrayOffsetG1 = 6,
  kGrayOffsetG2 = 7,
  kGrayOffsetB1 = 8,
  kGrayBits = 9,  // 8 for 8-bit samples, 10 for 16-bit samples
  kGrayBlockSize = 10
};

// Demosaic input: adjusted Bayer mode and white-balance gains in percent.
enum WhiteBalanceBlock : int {
  kWbBayerMode = 0,
  kWbRGain = 1,
  kWbGGain = 2,
  kWbBGain = 3,
  kWbBlockSize = 4
};

// White-balance measurement result; kWbResultBayerMode is an input.
enum WhiteBalanceResult : int {
  kWbResultBlue = 0,
  kWbResultGreen = 1,
  kWbResultRed = 2,
  kWbResultBayerMode = 3,
  kWbResultSize = 4
};

// Gamma, contrast, sharpness, brightness: setting value and significant bits.
enum FilterBlock : int { kFilterValue = 0, kFilterBits = 1, kFilterBlockSize = 2 };

enum HueSaturationBlock : int {
  kHsHue = 0,
  kHsLightness = 1,  // always 0; other values are treated as 0
  kHsSaturation = 2,
  kHsBits = 3,
  kHsBlockSize = 4
};

// The Bayer mode as the mosaic stages must see it after mirroring: a
// vertical mirror exchanges 0<->1 and 2<->3, a horizontal one 0<->2, 1<->3.
constexpr int32_t AdjustBayerMode(int32_t mode, bool mirrorV, bool mirrorH) {
  int32_t m = mode & 3;
  if (mirrorV) m ^= 1;
  if (mirrorH) m ^= 2;
  return m;
}

namespace detail {

// The rectangle of a region converter turned into row pointers.
struct Region {
  uint8_t* dst;
  const uint8_t* src;
  int32_t width;
  int32_t height;
  ptrdiff_t dstStride;
  ptrdiff_t srcStride;
  int dstBpp;
  int srcBpp;
  bool Empty() const { return width <= 0 || height <= 0 || dst == nullptr || src == nullptr; }
  uint8_t* DstRow(int32_t y) const { return dst + y * dstStride; }
  const uint8_t* SrcRow(int32_t y) const { return src + y * srcStride; }
};

inline Region MakeRegion(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t dstX,
                         int32_t dstY, uint16_t dstBpp, uint16_t srcBpp, int32_t dstStride,
                         int32_t srcStride) {
  Region r{};
  r.width = rect.Width() > 0 ? rect.Width() : 0;
  r.height = rect.Height() > 0 ? rect.Height() : 0;
  r.dstStride = dstStride;
  r.srcStride = srcStride;
  r.dstBpp = dstBpp;
  r.srcBpp = srcBpp;
  r.dst =
      dst ? dst + static_cast<ptrdiff_t>(dstY) * dstStride + static_cast<ptrdiff_t>(dstX) * dstBpp
          : nullptr;
  r.src = src ? src + static_cast<ptrdiff_t>(rect.top) * srcStride +
                    static_cast<ptrdiff_t>(rect.left) * srcBpp
              : nullptr;
  return r;
}

inline int32_t* BlockOf(int32_t* const* params) { return params ? *params : nullptr; }

// 16-bit samples are little-endian words, read in place (the SDK runs on
// little-endian hosts only); the alias attribute keeps byte buffers legal.
using Word = uint16_t __attribute__((may_alias));
inline Word* Words(uint8_t* p) { return reinterpret_cast<Word*>(p); }
inline const Word* Words(const uint8_t* p) { return reinterpret_cast<const Word*>(p); }

// The OR of the first `words` source words of rows top .. bottom - 1, the
// fourth word of every four left out with `skipFourth` (pixels of four
// words whose fourth is not a channel): whether any sample reaches a power
// of two, in one pass that vectorises. Inlined into each caller's level.
__attribute__((always_inline)) inline uint16_t OrOfWords(const Region& r, int32_t top,
                                                         int32_t bottom, int32_t words,
                                                         bool skipFourth) {
  if (skipFourth) {
    uint64_t any = 0;
    for (int32_t y = top; y < bottom; ++y) {
      const uint8_t* row = r.SrcRow(y);
      for (int32_t x = 0; x < words / 4; ++x) {
        uint64_t pixel;
        std::memcpy(&pixel, row + 8 * static_cast<size_t>(x), sizeof pixel);
        any |= pixel;
      }
    }
    return static_cast<uint16_t>(any | any >> 16 | any >> 32);
  }
  uint16_t any = 0;
  for (int32_t y = top; y < bottom; ++y) {
    const Word* row = Words(r.SrcRow(y));
    for (int32_t i = 0; i < words; ++i) any = static_cast<uint16_t>(any | row[i]);
  }
  return any;
}

// Significant bits of a deep sample, limited to 8..16.
inline int ClampBits(int32_t bits) { return bits < 8 ? 8 : (bits > 16 ? 16 : bits); }

}  // namespace detail

#define KORVEX_REGION_CONVERTER(name)                                                            \
  int32_t name(uint8_t* dst, const uint8_t* src, const ::korvex::image::Rect& srcRect,           \
               int32_t dstX, int32_t dstY, uint16_t dstBytesPerPixel, uint16_t srcBytesPerPixel, \
               int32_t dstStride, int32_t srcStride, int32_t* const* params, void* extra)

#define KORVEX_SCALING_CONVERTER(name)                                                             \
  int32_t name(uint8_t* dst, const uint8_t* src, const ::korvex::image::Rect& dstRect,             \
               const ::korvex::image::Rect& srcRect, ::korvex::image::Size dstSize,                \
               ::korvex::image::Size srcSize, uint16_t dstBytesPerPixel,                           \
               uint16_t srcBytesPerPixel, int32_t dstStride, int32_t srcStride, int32_t reserved1, \
               int32_t reserved2)

}  // namespace korvex::image
