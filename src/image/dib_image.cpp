// CDibImage: creation, release and transfer of image buffers.
#include "image/dib_image.h"

#include "platform/page_memory.h"

#include <cstdlib>
#include <cstring>

namespace korvex {
namespace {

// Largest pixel block an image may take; beyond it sizes would not fit the
// 32-bit arithmetic of the converters.
constexpr int64_t kMaxImageBytes = 0x7FFFFFFF;

bool SupportedDepth(int bits) {
  return bits == 8 || bits == 16 || bits == 24 || bits == 32 || bits == 48 || bits == 64;
}

void FillGrayRamp(platform::RgbQuad* colors) {
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<uint8_t>(i);
    colors[i] = platform::RgbQuad{v, v, v, 0};
  }
}

}  // namespace

CDibImage::CDibImage() { info_.header.biSize = 40; }

CDibImage::~CDibImage() { Release(); }

int32_t CDibImage::StrideFor(int32_t width, int bits) {
  return static_cast<int32_t>((static_cast<int64_t>(width) * (bits / 8) + 3) & ~int64_t{3});
}

int CDibImage::Create(int width, int height, int bits) {
  if (width <= 0 || height <= 0 || !SupportedDepth(bits)) return 0;
  const int64_t stride = (static_cast<int64_t>(width) * (bits / 8) + 3) & ~int64_t{3};
  if (stride * height > kMaxImageBytes) return 0;
  Release();
  info_.header = platform::BitmapInfoHeader{};
  info_.header.biWidth = width;
  info_.header.biHeight = height;
  info_.header.biPlanes = 1;
  info_.header.biBitCount = static_cast<uint16_t>(bits);
  info_.header.biCompression = 0;
  width_ = width;
  height_ = height;
  bits_ = static_cast<uint16_t>(bits);
  stride_ = static_cast<int32_t>(stride);
  if (bits == 8) FillGrayRamp(info_.colors);
  return Allocate();
}

int CDibImage::CopyFormat(const CDibImage& other) {
  if (other.width_ <= 0 || other.height_ <= 0 || other.bits_ == 0) return 0;
  if (&other == this) {
    // Same format, fresh pixels.
    const platform::BitmapInfo256 info = info_;
    const int32_t w = width_, h = height_, s = stride_;
    const uint16_t b = bits_;
    Release();
    info_ = info;
    width_ = w, height_ = h, stride_ = s, bits_ = b;
    return Allocate();
  }
  Release();
  info_ = other.info_;
  width_ = other.width_;
  height_ = other.height_;
  stride_ = other.stride_;
  bits_ = other.bits_;
  return Allocate();
}

int CDibImage::Allocate() {
  void* bits = nullptr;
  bitmap_ = platform::CreateDIBSection(info_, &bits);
  if (bitmap_ == nullptr || bits == nullptr) {
    if (bitmap_ != nullptr) platform::DeleteObject(bitmap_);
    bitmap_ = nullptr;
    // No section: a zero-filled block the converters and file writers can
    // still use, without a device context; page memory, as a section's is,
    // so that releasing it gives it back to the system.
    pixels_ = static_cast<uint8_t*>(platform::AllocatePages(ImageSize()));
    if (pixels_ == nullptr) {
      Release();
      return 0;
    }
    heap_ = true;
    return 1;
  }
  pixels_ = static_cast<uint8_t*>(bits);
  dc_ = platform::CreateCompatibleDC(nullptr);
  if (dc_ == nullptr) {
    Release();
    return 0;
  }
  previous_ = platform::SelectObject(dc_, bitmap_);
  if (previous_ == nullptr) {
    Release();
    return 0;
  }
  return 1;
}

void CDibImage::SetGrayPalette() {
  FillGrayRamp(info_.colors);
  if (dc_ != nullptr) platform::SetDIBColorTable(dc_, 0, 256, info_.colors);
}

void CDibImage::Release() {
  if (dc_ != nullptr && previous_ != nullptr) platform::SelectObject(dc_, previous_);
  if (bitmap_ != nullptr) platform::DeleteObject(bitmap_);
  if (dc_ != nullptr) platform::DeleteDC(dc_);
  if (heap_) platform::FreePages(pixels_, ImageSize());
  info_ = platform::BitmapInfo256{};
  info_.header.biSize = 40;
  dc_ = nullptr;
  bitmap_ = nullptr;
  previous_ = nullptr;
  pixels_ = nullptr;
  heap_ = false;
  width_ = height_ = stride_ = 0;
  bits_ = 0;
}

int CDibImage::Blit(const CDibImage& source, const DibRect* rect, int x, int y) {
  if (dc_ == nullptr || source.dc_ == nullptr) return 0;
  DibRect whole{0, 0, source.width_, source.height_};
  const DibRect& r = rect != nullptr ? *rect : whole;
  return platform::BitBlt(dc_, x, y, r.right - r.left, r.bottom - r.top, source.dc_, r.left, r.top,
                          platform::kSrcCopy)
             ? 1
             : 0;
}

}  // namespace korvex
