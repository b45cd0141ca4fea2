// The two converter dispatchers: they clip rectangles to the images, turn
// them into memory rows and call a converter on the images' pixels.
#pragma once

#include "image/converters/converter.h"

#include <cstdint>

namespace korvex {

class CDibImage;

namespace image {

// The part of an image buffer a converter works on.
struct ImageView {
  uint8_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;
  int32_t bits = 0;
  bool Empty() const { return pixels == nullptr || width <= 0 || height <= 0 || bits <= 0; }
};

ImageView ViewOf(CDibImage& image);

// Rectangles here count rows from the bottom of the picture, as the
// platform's bottom-up bitmaps do; the dispatcher turns them into memory
// rows. Without a rectangle the whole source is converted at (dstX, dstY).
// Returns the converter's result, or 0 when nothing remains after clipping,
// an image has no pixels or no converter is given.
int32_t ConvertRegion(const ImageView& dst, RegionConverter converter, const ImageView& src,
                      const Rect* srcRect, int32_t dstX, int32_t dstY, int32_t* const* params,
                      void* extra = nullptr);
int32_t ConvertRegion(CDibImage& dst, RegionConverter converter, CDibImage& src,
                      const Rect* srcRect, int32_t dstX, int32_t dstY, int32_t* const* params,
                      void* extra = nullptr);

// Both rectangles default to their whole images.
int32_t ConvertScaled(const ImageView& dst, ScalingConverter converter, const ImageView& src,
                      const Rect* srcRect, const Rect* dstRect, int32_t value1 = 0,
                      int32_t value2 = 0);
int32_t ConvertScaled(CDibImage& dst, ScalingConverter converter, CDibImage& src,
                      const Rect* srcRect, const Rect* dstRect, int32_t value1 = 0,
                      int32_t value2 = 0);

}  // namespace image
}  // namespace korvex
