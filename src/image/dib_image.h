// CDibImage: the one image buffer type. A bitmap-information header with a
// 256-entry palette and a bitmap section selected into a memory device
// context, so that the converters can work on its pixels and the platform
// can draw them.
//
// Every buffer holds the picture's top row in memory row 0 although the
// header height is positive (bottom-up for the platform); whatever hands an
// image to the display or to a bottom-up file format reverses the rows.
#pragma once

#include "platform/gdi.h"

#include <cstddef>
#include <cstdint>

namespace korvex {

// A rectangle in device coordinates, right and bottom exclusive.
struct DibRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

class CDibImage {
 public:
  CDibImage();
  ~CDibImage();
  CDibImage(const CDibImage&) = delete;
  CDibImage& operator=(const CDibImage&) = delete;

  // Bytes per row: width times bytes per pixel, rounded up to a multiple of 4.
  static int32_t StrideFor(int32_t width, int bits);

  // Makes a zero-filled image of the given size and depth (8, 16, 24, 32,
  // 48 or 64 bits); 8-bit images get the gray ramp. Returns 0, keeping what
  // the image held, when the size or depth is unusable. When no bitmap
  // section can be had the pixels live in a heap block without a device
  // context (such an image cannot be drawn or blitted).
  int Create(int width, int height, int bits);
  // Makes an image of the other's header, palette and size; pixels are not
  // copied. Fails when the other image is empty.
  int CopyFormat(const CDibImage& other);
  // Gray ramp into the header's palette and the section's colour table.
  void SetGrayPalette();
  // Frees everything; the image is empty afterwards.
  void Release();
  // Copies `rect` of the source (null: all of it) to (x, y) with the
  // platform's bit-block transfer, converting between depths. 0 when either
  // image has no device context or the transfer fails.
  int Blit(const CDibImage& source, const DibRect* rect, int x, int y);

  uint8_t* Bits() { return pixels_; }
  const uint8_t* Bits() const { return pixels_; }
  uint8_t* Row(int y) { return pixels_ + static_cast<ptrdiff_t>(y) * stride_; }
  const uint8_t* Row(int y) const { return pixels_ + static_cast<ptrdiff_t>(y) * stride_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t Stride() const { return stride_; }
  int BitsPerPixel() const { return bits_; }
  size_t ImageSize() const { return static_cast<size_t>(stride_) * static_cast<size_t>(height_); }
  bool IsEmpty() const { return pixels_ == nullptr; }

  const platform::BitmapInfoHeader& Header() const { return info_.header; }
  const platform::RgbQuad* Palette() const { return info_.colors; }
  // Header and palette together, as the file writers need them.
  const platform::BitmapInfo256& Info() const { return info_; }
  platform::DeviceContext Dc() const { return dc_; }
  bool OnHeap() const { return heap_; }

 private:
  // Creates the section and DC for the header in info_; falls back to a
  // heap block when the section cannot be created.
  int Allocate();

  platform::BitmapInfo256 info_{};
  platform::DeviceContext dc_ = nullptr;
  platform::Bitmap bitmap_ = nullptr;
  uint8_t* pixels_ = nullptr;
  bool heap_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t stride_ = 0;
  uint16_t bits_ = 0;
  platform::Bitmap previous_ = nullptr;
};

}  // namespace korvex
