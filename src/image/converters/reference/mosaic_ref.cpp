// Plain mosaic stages: gray gain and offset, white-balance measurement and
// the demosaic, pixel by pixel.
#include <cstring>

#include "image/converters/gray_gain.h"
#include "image/converters/reference/reference.h"
#include "image/converters/white_balance.h"

namespace korvex::image::reference {
namespace {

enum Colour { kGreen, kBlue, kRed };

// Colour of mosaic site (x, y) under an adjusted Bayer mode: with mode 0,
// even rows are green, blue, ... and odd rows red, green, ...; bit 0 of the
// mode inverts the row parity, bit 1 the column parity.
Colour SiteColour(int32_t x, int32_t y, int32_t mode) {
  const int rowParity = (y & 1) ^ (mode & 1);
  const int colParity = (x & 1) ^ ((mode >> 1) & 1);
  if (rowParity == colParity) return kGreen;
  return rowParity == 0 ? kBlue : kRed;
}

uint32_t Sample(const detail::Region& r, int sampleSize, int32_t x, int32_t y, int channel = 0) {
  const uint8_t* p = r.SrcRow(y) + static_cast<ptrdiff_t>(x) * r.srcBpp + channel * sampleSize;
  if (sampleSize == 1) return p[0];
  return static_cast<uint32_t>(p[0] | (p[1] << 8));
}

void Put(const detail::Region& r, int sampleSize, int32_t x, int32_t y, int channel, uint32_t v) {
  uint8_t* p = r.DstRow(y) + static_cast<ptrdiff_t>(x) * r.dstBpp + channel * sampleSize;
  p[0] = static_cast<uint8_t>(v);
  if (sampleSize == 2) p[1] = static_cast<uint8_t>(v >> 8);
}

int32_t GrayGainOffset(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t dstX,
                       int32_t dstY, int32_t dstStride, int32_t srcStride, int32_t* const* params,
                       int size) {
  const int32_t* block = detail::BlockOf(params);
  if (!block) return 1;
  const auto r = detail::MakeRegion(dst, src, rect, dstX, dstY, size, size, dstStride, srcStride);
  if (r.Empty()) return 1;
  const int64_t max = size == 1 ? 255 : GraySaturation(block[kGrayBits]);
  for (int32_t y = 0; y < r.height; ++y) {
    for (int32_t x = 0; x < r.width; ++x) {
      const int rowParity = (y & 1) ^ (block[kGrayBayerMode] & 1);
      const int colParity = (x & 1) ^ ((block[kGrayBayerMode] >> 1) & 1);
      int gainIndex;
      if (rowParity == 0 && colParity == 1)
        gainIndex = kGrayGainR1;
      else if (rowParity == 0 && colParity == 0)
        gainIndex = kGrayGainG1;
      else if (rowParity == 1 && colParity == 1)
        gainIndex = kGrayGainG2;
      else
        gainIndex = kGrayGainB1;
      const int64_t v = Sample(r, size, x, y);
      int64_t out = block[gainIndex + 4] + (v * block[gainIndex]) / 128;
      if (out < 0) out = 0;
      if (out > max) out = max;
      Put(r, size, x, y, 0, static_cast<uint32_t>(out));
    }
  }
  return 1;
}

int32_t MeasureWhiteBalance(const uint8_t* src, const Rect& rect, int32_t srcStride,
                            int32_t* const* params, int size) {
  int32_t* block = detail::BlockOf(params);
  if (!block) return 1;
  const auto r = detail::MakeRegion(nullptr, src, rect, 0, 0, size, size, 0, srcStride);
  uint64_t sum[3] = {}, count[3] = {};
  for (int32_t y = 0; y < r.height; ++y) {
    for (int32_t x = 0; x < r.width; ++x) {
      const Colour c = SiteColour(x, y, block[kWbResultBayerMode]);
      sum[c] += Sample(r, size, x, y);
      ++count[c];
    }
  }
  detail::FinishWhiteBalance(block, sum[kGreen], count[kGreen], sum[kBlue], count[kBlue], sum[kRed],
                             count[kRed]);
  return 1;
}

struct Demosaic {
  detail::Region r;
  int size = 1;
  int32_t mode = 0;
  int64_t gain[3] = {128, 128, 128};  // by Colour; green unused
  uint32_t max = 255;

  // Taps outside the image come from four rows or columns further inside.
  uint32_t Tap(int32_t x, int32_t y) const {
    if (x < 0) x += 4;
    if (x >= r.width) x -= 4;
    if (y < 0) y += 4;
    if (y >= r.height) y -= 4;
    return Sample(r, size, x, y);
  }

  // Red or blue at the centre of the cell whose lower-right corner is (x, y).
  uint32_t Interpolate(int32_t x, int32_t y, Colour colour) const {
    int32_t cx = 0, cy = 0;
    for (int32_t yy = y - 1; yy <= y; ++yy) {
      for (int32_t xx = x - 1; xx <= x; ++xx) {
        if (SiteColour(xx, yy, mode) == colour) cx = xx, cy = yy;
      }
    }
    // The next sites of that colour lie two columns / rows away on the side
    // of the cell centre.
    const int32_t dx = cx == x - 1 ? 2 : -2;
    const int32_t dy = cy == y - 1 ? 2 : -2;
    const int64_t sigma =
        9 * Tap(cx, cy) + 3 * Tap(cx + dx, cy) + 3 * Tap(cx, cy + dy) + 1 * Tap(cx + dx, cy + dy);
    const int64_t product = sigma * gain[colour];
    if (product >= (int64_t{1} << 11) * (max + 1)) return max;
    if (product < 0) return 0;
    return static_cast<uint32_t>(product >> 11);
  }

  void Pixel(int32_t x, int32_t y) const {
    uint32_t green = 0;
    for (int32_t yy = y - 1; yy <= y; ++yy) {
      for (int32_t xx = x - 1; xx <= x; ++xx) {
        if (SiteColour(xx, yy, mode) == kGreen) green += Tap(xx, yy);
      }
    }
    green >>= 1;
    if (green > max) green = max;
    Put(r, size, x, y, 0, Interpolate(x, y, kBlue));
    Put(r, size, x, y, 1, green);
    Put(r, size, x, y, 2, Interpolate(x, y, kRed));
  }
};

bool MakeDemosaic(Demosaic& d, uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t dstX,
                  int32_t dstY, uint16_t dstBpp, int32_t dstStride, int32_t srcStride,
                  int32_t* const* params, int size) {
  const int32_t* block = detail::BlockOf(params);
  if (!block) return false;
  d.r = detail::MakeRegion(dst, src, rect, dstX, dstY, dstBpp, size, dstStride, srcStride);
  if (d.r.Empty() || d.r.width < 4 || d.r.height < 4 || dstBpp < 3 * size) return false;
  d.size = size;
  d.mode = block[kWbBayerMode] & 3;
  d.gain[kRed] = static_cast<int64_t>(block[kWbRGain] * 1.28);
  d.gain[kBlue] = static_cast<int64_t>(block[kWbBGain] * 1.28);
  d.max = size == 1 ? 255 : 1023;
  return true;
}

int32_t DemosaicInterior(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t dstX,
                         int32_t dstY, uint16_t dstBpp, int32_t dstStride, int32_t srcStride,
                         int32_t* const* params, int size) {
  Demosaic d;
  if (!MakeDemosaic(d, dst, src, rect, dstX, dstY, dstBpp, dstStride, srcStride, params, size)) {
    return 1;
  }
  for (int32_t y = 2; y <= d.r.height - 3; ++y) {
    for (int32_t x = 2; x <= d.r.width - 3; ++x) d.Pixel(x, y);
  }
  return 1;
}

int32_t DemosaicBorder(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t dstX,
                       int32_t dstY, uint16_t dstBpp, int32_t dstStride, int32_t srcStride,
                       int32_t* const* params, int size) {
  Demosaic d;
  if (!MakeDemosaic(d, dst, src, rect, dstX, dstY, dstBpp, dstStride, srcStride, params, size)) {
    return 1;
  }
  const int32_t w = d.r.width, h = d.r.height;
  for (int32_t y = 0; y <= 1; ++y)
    for (int32_t x = 0; x < w; ++x) d.Pixel(x, y);
  for (int32_t y = h - 2; y <= h - 1; ++y)
    for (int32_t x = 0; x < w; ++x) d.Pixel(x, y);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x <= 1; ++x) d.Pixel(x, y);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = w - 2; x <= w - 1; ++x) d.Pixel(x, y);
  return 1;
}

}  // namespace

KORVEX_REGION_CONVERTER(GrayGainOffset8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel, (void)extra;
  return GrayGainOffset(dst, src, srcRect, dstX, dstY, dstStride, srcStride, params, 1);
}
KORVEX_REGION_CONVERTER(GrayGainOffset16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel, (void)extra;
  return GrayGainOffset(dst, src, srcRect, dstX, dstY, dstStride, srcStride, params, 2);
}
KORVEX_REGION_CONVERTER(MeasureWhiteBalance8) {
  (void)dst, (void)dstX, (void)dstY, (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  (void)dstStride, (void)extra;
  return MeasureWhiteBalance(src, srcRect, srcStride, params, 1);
}
KORVEX_REGION_CONVERTER(MeasureWhiteBalance16) {
  (void)dst, (void)dstX, (void)dstY, (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  (void)dstStride, (void)extra;
  return MeasureWhiteBalance(src, srcRect, srcStride, params, 2);
}
KORVEX_REGION_CONVERTER(Demosaic8) {
  (void)srcBytesPerPixel, (void)extra;
  return DemosaicInterior(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, dstStride, srcStride,
                          params, 1);
}
KORVEX_REGION_CONVERTER(Demosaic16) {
  (void)srcBytesPerPixel, (void)extra;
  return DemosaicInterior(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, dstStride, srcStride,
                          params, 2);
}
KORVEX_REGION_CONVERTER(Demosaic8Border) {
  (void)srcBytesPerPixel, (void)extra;
  return DemosaicBorder(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, dstStride, srcStride,
                        params, 1);
}
KORVEX_REGION_CONVERTER(Demosaic16Border) {
  (void)srcBytesPerPixel, (void)extra;
  return DemosaicBorder(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, dstStride, srcStride,
                        params, 2);
}

}  // namespace korvex::image::reference
