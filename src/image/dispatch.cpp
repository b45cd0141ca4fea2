#include "image/dispatch.h"

#include <algorithm>

namespace korvex::image {

int32_t ConvertRegion(const ImageView& dst, RegionConverter converter, const ImageView& src,
                      const Rect* srcRect, int32_t dstX, int32_t dstY, int32_t* const* params,
                      void* extra) {
  if (converter == nullptr || dst.Empty() || src.Empty()) return 0;
  Rect s = srcRect ? *srcRect : Rect{0, 0, src.width, src.height};
  // Clip the source rectangle to the source image, moving the destination
  // position with its left and top edges.
  if (s.left < 0) {
    dstX -= s.left;
    s.left = 0;
  }
  if (s.top < 0) {
    dstY -= s.top;
    s.top = 0;
  }
  s.right = std::min(s.right, src.width);
  s.bottom = std::min(s.bottom, src.height);
  if (s.Width() <= 0 || s.Height() <= 0) return 0;

  // The destination rectangle, clipped to the destination image.
  Rect d{dstX, dstY, dstX + s.Width(), dstY + s.Height()};
  if (d.left >= dst.width || d.top >= dst.height || d.right <= 0 || d.bottom <= 0) return 0;
  if (d.left < 0) {
    s.left -= d.left;
    d.left = 0;
  }
  if (d.top < 0) {
    s.top -= d.top;
    d.top = 0;
  }
  if (d.right > dst.width) {
    s.right -= d.right - dst.width;
    d.right = dst.width;
  }
  if (d.bottom > dst.height) {
    s.bottom -= d.bottom - dst.height;
    d.bottom = dst.height;
  }
  if (s.Width() <= 0 || s.Height() <= 0) return 0;

  // Rows count from the bottom of the picture: turn them into memory rows.
  const Rect memory{s.left, src.height - s.bottom, s.right, src.height - s.top};
  const int32_t dstRow = dst.height - d.bottom;
  return converter(dst.pixels, src.pixels, memory, d.left, dstRow,
                   static_cast<uint16_t>(dst.bits / 8), static_cast<uint16_t>(src.bits / 8),
                   dst.stride, src.stride, params, extra);
}

int32_t ConvertScaled(const ImageView& dst, ScalingConverter converter, const ImageView& src,
                      const Rect* srcRect, const Rect* dstRect, int32_t value1, int32_t value2) {
  if (converter == nullptr || dst.Empty() || src.Empty()) return 0;
  const Rect s = srcRect ? *srcRect : Rect{0, 0, src.width, src.height};
  const Rect d = dstRect ? *dstRect : Rect{0, 0, dst.width, dst.height};
  return converter(dst.pixels, src.pixels, d, s, Size{dst.width, dst.height},
                   Size{src.width, src.height}, static_cast<uint16_t>(dst.bits / 8),
                   static_cast<uint16_t>(src.bits / 8), dst.stride, src.stride, value1, value2);
}

int32_t ConvertRegion(CDibImage& dst, RegionConverter converter, CDibImage& src,
                      const Rect* srcRect, int32_t dstX, int32_t dstY, int32_t* const* params,
                      void* extra) {
  return ConvertRegion(ViewOf(dst), converter, ViewOf(src), srcRect, dstX, dstY, params, extra);
}

int32_t ConvertScaled(CDibImage& dst, ScalingConverter converter, CDibImage& src,
                      const Rect* srcRect, const Rect* dstRect, int32_t value1, int32_t value2) {
  return ConvertScaled(ViewOf(dst), converter, ViewOf(src), srcRect, dstRect, value1, value2);
}

}  // namespace korvex::image

#include "image/dib_image.h"

namespace korvex::image {

ImageView ViewOf(CDibImage& image) {
  return ImageView{image.Bits(), image.Width(), image.Height(), image.Stride(),
                   image.BitsPerPixel()};
}

}  // namespace korvex::image
