// Plain filter stages: hue and saturation, gamma, contrast, sharpness and
// brightness, evaluated sample by sample.
#include <cmath>
#include <cstdint>
#include <vector>

#include "image/converters/reference/reference.h"

namespace korvex::image::reference {
namespace {

struct Image {
  detail::Region r;
  int size = 1;  // bytes per sample
  uint32_t Get(int32_t x, int32_t y, int c) const {
    const uint8_t* p = r.SrcRow(y) + static_cast<ptrdiff_t>(x) * r.srcBpp + c * size;
    return size == 1 ? p[0] : static_cast<uint32_t>(p[0] | (p[1] << 8));
  }
  void Set(int32_t x, int32_t y, int c, uint32_t v) const {
    uint8_t* p = r.DstRow(y) + static_cast<ptrdiff_t>(x) * r.dstBpp + c * size;
    p[0] = static_cast<uint8_t>(v);
    if (size == 2) p[1] = static_cast<uint8_t>(v >> 8);
  }
};

template <typename Fn>
int32_t EachSample(const Image& im, int channels, Fn fn) {
  if (im.r.Empty()) return 1;
  if (channels == 3 && (im.r.srcBpp < 3 * im.size || im.r.dstBpp < 3 * im.size)) return 1;
  for (int32_t y = 0; y < im.r.height; ++y) {
    for (int32_t x = 0; x < im.r.width; ++x) {
      for (int c = 0; c < channels; ++c) im.Set(x, y, c, fn(im.Get(x, y, c)));
    }
  }
  return 1;
}

int32_t Bits(const int32_t* block, int index) {
  const int32_t b = block[index];
  return b < 8 ? 8 : (b > 16 ? 16 : b);
}

// ---- hue and saturation -------------------------------------------------

struct HsTables {
  uint32_t gray[256];     // A
  uint32_t inverse[256];  // Q
  int32_t level[512], limit[512];
  int32_t sat[256];
  uint32_t mask[18];
  int32_t step[18];
};

void BuildHs(HsTables& t, int32_t saturation) {
  for (uint32_t k = 0; k < 256; ++k) {
    t.gray[k] = k * 0x010101u;
    t.inverse[k] = k == 0 ? 0 : 0xFF0000u / k;
  }
  const int64_t f = (static_cast<int64_t>(saturation) + 256) * 256;
  for (int i = 0; i < 512; ++i) {
    t.level[i] = i;
    t.limit[i] = i < 256 ? i : 511 - i;
  }
  for (int i = 0; i < 256; ++i) t.sat[i] = static_cast<int32_t>((f * i + 0x8000) >> 16);
  const uint32_t masks[6] = {0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF};
  const int32_t steps[6] = {-1, 256, -65536, 1, -256, 65536};
  for (int i = 0; i < 18; ++i) t.mask[i] = masks[i % 6], t.step[i] = steps[i % 6];
}

int32_t Shift(uint16_t h) {
  const int32_t X = (h * 6) >> 8;
  int32_t m = X % 512;
  if (m >= 256) m -= 512;
  const int32_t k = ((X + 256) >> 9) % 3;
  int32_t a = m + 510 * k;
  if (a < 0) a += 1530;
  if (a > 1529) a -= 1530;
  return a;
}

void HsPixel(const HsTables& T, int32_t a, int32_t& R, int32_t& G, int32_t& B) {
  int32_t base, low, high, t, mx;
  if (R >= G) {
    base = 1;
    low = G;
    high = R;
    t = G - B;
  } else {
    base = 3;
    low = R;
    high = G;
    t = B - R;
  }
  const int32_t mn = B < low ? B : low;
  if (high < B) {
    base = 5;
    mx = B;
    t = R - G;
  } else {
    mx = high;
  }
  const int32_t L = mx + mn, K = mx - mn;
  if (t < 0) {
    base -= 1;
    t += K;
  }
  const int32_t Kp = T.limit[L] < T.sat[K] ? T.limit[L] : T.sat[K];
  const int32_t Lp = T.level[L];
  int64_t result = T.gray[(Lp - Kp) >> 1];
  if (K != 0) {
    int64_t v = ((static_cast<int64_t>(t) * T.inverse[K] + 0x8000) >> 16) + a % 255;
    const int sector = (v > 254 ? 1 : 0) + base + a / 255;
    if (v >= 255) v -= 255;
    const int64_t w = ((Lp + Kp) >> 1) - ((Lp - Kp) >> 1);
    result += (T.gray[w] & T.mask[sector]) + ((w * v + 128) >> 8) * T.step[sector];
  }
  B = static_cast<int32_t>(result & 255);
  G = static_cast<int32_t>((result >> 8) & 255);
  R = static_cast<int32_t>((result >> 16) & 255);
}

int32_t HueSaturation(const Image& im, const int32_t* block, bool deep) {
  if (!block || im.r.Empty()) return 1;
  if (im.r.srcBpp < 3 * im.size || im.r.dstBpp < 3 * im.size) return 1;
  int32_t hue = block[kHsHue];
  hue = hue < -360 ? -360 : (hue > 360 ? 360 : hue);
  int32_t sat = block[kHsSaturation];
  sat = sat < -255 ? -255 : (sat > 255 ? 255 : sat);
  HsTables tables;
  BuildHs(tables, sat);
  const int32_t a = deep ? Shift(static_cast<uint16_t>(hue * 256))
                         : Shift(static_cast<uint16_t>(hue * 65536 / 360));
  const int shift = deep ? Bits(block, kHsBits) - 8 : 0;
  for (int32_t y = 0; y < im.r.height; ++y) {
    for (int32_t x = 0; x < im.r.width; ++x) {
      int32_t ch[3];
      for (int c = 0; c < 3; ++c) {
        const uint32_t v = im.Get(x, y, c) >> shift;
        ch[c] = static_cast<int32_t>(v > 255 ? 255 : v);
      }
      HsPixel(tables, a, ch[2], ch[1], ch[0]);
      for (int c = 0; c < 3; ++c) im.Set(x, y, c, static_cast<uint32_t>(ch[c]) << shift);
    }
  }
  return 1;
}

// ---- gamma, contrast, brightness ----------------------------------------

double Exponent(int32_t g) {
  g = g < 0 ? 0 : (g > 200 ? 200 : g);
  if (g > 100) return (g - 100) / 10.0 + 1.0;
  return g / 100.0;
}

uint32_t Gamma8Value(uint32_t v, double e) {
  return static_cast<uint32_t>(std::pow(v / 255.0, e) * 255.0);
}

uint32_t Gamma16Value(uint32_t v, double e, int bits) {
  const uint32_t n = 1u << bits;
  if (v >= n) v = n - 1;
  return static_cast<uint32_t>(std::pow(static_cast<double>(v) / n, e) * (n - 1));
}

uint32_t Contrast8Value(uint32_t v, int32_t k) {
  const int32_t i = static_cast<int32_t>(v);
  if (i < k) return 0;
  if (i > 255 - k) return 255;
  return static_cast<uint32_t>(256.0 / (256 - 2 * k) * (i - k));
}

uint32_t Contrast16Value(uint32_t v, int32_t k, int bits) {
  const int64_t n = int64_t{1} << bits;
  const int64_t kk = static_cast<int64_t>(k) * (int64_t{1} << (bits - 8));
  const int64_t i = v;
  if (i >= n) return static_cast<uint32_t>(n - 1);
  if (i < kk) return 0;
  if (i > n - 1 - kk) return static_cast<uint32_t>(n - 1);
  return static_cast<uint32_t>(static_cast<double>(n) / static_cast<double>(n - 2 * kk) *
                               static_cast<double>(i - kk));
}

int32_t ClampContrast(int32_t k) { return k < -127 ? -127 : (k > 127 ? 127 : k); }

float Factor(int32_t b) {
  b = b < -255 ? -255 : (b > 255 ? 255 : b);
  double f = 1.0;
  if (b > 0) f = 1.0 + b * 0.0392156862745098;
  if (b < 0) f = 1.0 - (-b) * 0.00392156862745098;
  return static_cast<float>(f);
}

uint32_t BrightValue(uint32_t v, float f, int64_t max) {
  const float product = static_cast<float>(v) * f;
  const int64_t t = static_cast<int64_t>(product);
  return static_cast<uint32_t>(t < 0 ? 0 : (t > max ? max : t));
}

// ---- sharpness ------------------------------------------------------------

int32_t Sharpen(const Image& im, const int32_t* block, int channels, int bits) {
  if (!block || im.r.Empty() || im.r.width < 5 || im.r.height < 5) return 1;
  if (im.r.dst == im.r.src) return 1;
  if (channels == 3 && (im.r.srcBpp < 3 * im.size || im.r.dstBpp < 3 * im.size)) return 1;
  int32_t s = block[kFilterValue];
  s = s < 0 ? 0 : (s > 30 ? 30 : s);
  const int32_t max = (1 << bits) - 1;
  std::vector<int32_t> D(2u << bits);
  for (size_t i = 0; i < D.size(); ++i) D[i] = ((static_cast<int32_t>(i) - max) * s) / 10;
  const int32_t w = im.r.width, h = im.r.height;
  // Pass 1: the 4 x 4 box mean into the destination.
  for (int32_t y = 2; y <= h - 3; ++y) {
    for (int32_t x = 2; x <= w - 3; ++x) {
      for (int c = 0; c < channels; ++c) {
        uint32_t sum = 0;
        for (int32_t yy = y - 2; yy <= y + 1; ++yy) {
          for (int32_t xx = x - 2; xx <= x + 1; ++xx) sum += im.Get(xx, yy, c);
        }
        im.Set(x, y, c, sum >> 4);
      }
    }
  }
  // Pass 2: push each sample away from its mean.
  Image out = im;
  out.r.src = im.r.dst;
  out.r.srcStride = im.r.dstStride;
  out.r.srcBpp = im.r.dstBpp;
  for (int32_t y = 2; y <= h - 3; ++y) {
    for (int32_t x = 2; x <= w - 3; ++x) {
      for (int c = 0; c < channels; ++c) {
        const int32_t o = static_cast<int32_t>(im.Get(x, y, c));
        const int32_t m = static_cast<int32_t>(out.Get(x, y, c));
        int64_t index = int64_t{max} + o - m;
        if (index < 0) index = 0;
        if (index >= static_cast<int64_t>(D.size())) index = static_cast<int64_t>(D.size()) - 1;
        int32_t v = o + D[static_cast<size_t>(index)];
        v = v < 0 ? 0 : (v > max ? max : v);
        im.Set(x, y, c, static_cast<uint32_t>(v));
      }
    }
  }
  return 1;
}

Image Make(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t dstX, int32_t dstY,
           uint16_t dbpp, uint16_t sbpp, int32_t dstStride, int32_t srcStride, int size) {
  Image im;
  im.r = detail::MakeRegion(dst, src, rect, dstX, dstY, dbpp, sbpp, dstStride, srcStride);
  im.size = size;
  return im;
}

}  // namespace

#define KORVEX_REF_OPEN(dbpp, sbpp, size)                                                       \
  (void)extra;                                                                                  \
  const Image im = Make(dst, src, srcRect, dstX, dstY, dbpp, sbpp, dstStride, srcStride, size); \
  const int32_t* block = detail::BlockOf(params);                                               \
  if (!block) return 1

KORVEX_REGION_CONVERTER(HueSaturation24) {
  KORVEX_REF_OPEN(dstBytesPerPixel, srcBytesPerPixel, 1);
  return HueSaturation(im, block, false);
}
KORVEX_REGION_CONVERTER(HueSaturation48) {
  KORVEX_REF_OPEN(dstBytesPerPixel, srcBytesPerPixel, 2);
  return HueSaturation(im, block, true);
}

KORVEX_REGION_CONVERTER(Gamma8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REF_OPEN(1, 1, 1);
  const double e = Exponent(block[kFilterValue]);
  return EachSample(im, 1, [&](uint32_t v) { return Gamma8Value(v, e); });
}
KORVEX_REGION_CONVERTER(Gamma24) {
  KORVEX_REF_OPEN(dstBytesPerPixel, srcBytesPerPixel, 1);
  double e = Exponent(block[kFilterValue]);
  if (e <= 0.001) e = 0.001;
  if (e >= 99.999) e = 99.999;
  return EachSample(im, 3, [&](uint32_t v) { return Gamma8Value(v, e); });
}
KORVEX_REGION_CONVERTER(Gamma16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REF_OPEN(2, 2, 2);
  const double e = Exponent(block[kFilterValue]);
  const int bits = Bits(block, kFilterBits);
  return EachSample(im, 1, [&](uint32_t v) { return Gamma16Value(v, e, bits); });
}
KORVEX_REGION_CONVERTER(Gamma48) {
  KORVEX_REF_OPEN(dstBytesPerPixel, srcBytesPerPixel, 2);
  const double e = Exponent(block[kFilterValue]);
  const int bits = Bits(block, kFilterBits);
  return EachSample(im, 3, [&](uint32_t v) { return Gamma16Value(v, e, bits); });
}

KORVEX_REGION_CONVERTER(Contrast8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REF_OPEN(1, 1, 1);
  const int32_t k = ClampContrast(block[kFilterValue]);
  return EachSample(im, 1, [&](uint32_t v) { return Contrast8Value(v, k); });
}
KORVEX_REGION_CONVERTER(Contrast24) {
  KORVEX_REF_OPEN(dstBytesPerPixel, srcBytesPerPixel, 1);
  const int32_t k = ClampContrast(block[kFilterValue]);
  return EachSample(im, 3, [&](uint32_t v) { return Contrast8Value(v, k); });
}
KORVEX_REGION_CONVERTER(Contrast16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REF_OPEN(2, 2, 2);
  const int32_t k = ClampContrast(block[kFilterValue]);
  const int bits = Bits(block, kFilterBits);
  return EachSample(im, 1, [&](uint32_t v) { return Contrast16Value(v, k, bits); });
}
KORVEX_REGION_CONVERTER(Contrast48) {
  KORVEX_REF_OPEN(dstBytesPerPixel, srcBytesPerPixel, 2);
  const int32_t k = ClampContrast(block[kFilterValue]);
  const int bits = Bits(block, kFilterBits);
  return EachSample(im, 3, [&](uint32_t v) { return Contrast16Value(v, k, bits); });
}

KORVEX_REGION_CONVERTER(Brightness8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REF_OPEN(1, 1, 1);
  const float f = Factor(block[kFilterValue]);
  return EachSample(im, 1, [&](uint32_t v) { return BrightValue(v, f, 255); });
}
KORVEX_REGION_CONVERTER(Brightness24) {
  KORVEX_REF_OPEN(dstBytesPerPixel, srcBytesPerPixel, 1);
  const float f = Factor(block[kFilterValue]);
  return EachSample(im, 3, [&](uint32_t v) { return BrightValue(v, f, 255); });
}
KORVEX_REGION_CONVERTER(Brightness16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REF_OPEN(2, 2, 2);
  const float f = Factor(block[kFilterValue]);
  const int64_t max = (int64_t{1} << Bits(block, kFilterBits)) - 1;
  return EachSample(im, 1, [&](uint32_t v) { return BrightValue(v, f, max); });
}
KORVEX_REGION_CONVERTER(Brightness48) {
  KORVEX_REF_OPEN(dstBytesPerPixel, srcBytesPerPixel, 2);
  const float f = Factor(block[kFilterValue]);
  const int64_t max = (int64_t{1} << Bits(block, kFilterBits)) - 1;
  return EachSample(im, 3, [&](uint32_t v) { return BrightValue(v, f, max); });
}

KORVEX_REGION_CONVERTER(Sharpen8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REF_OPEN(1, 1, 1);
  return Sharpen(im, block, 1, 8);
}
KORVEX_REGION_CONVERTER(Sharpen24) {
  KORVEX_REF_OPEN(dstBytesPerPixel, srcBytesPerPixel, 1);
  return Sharpen(im, block, 3, 8);
}
KORVEX_REGION_CONVERTER(Sharpen16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REF_OPEN(2, 2, 2);
  return Sharpen(im, block, 1, Bits(block, kFilterBits));
}
KORVEX_REGION_CONVERTER(Sharpen48) {
  KORVEX_REF_OPEN(dstBytesPerPixel, srcBytesPerPixel, 2);
  return Sharpen(im, block, 3, Bits(block, kFilterBits));
}

}  // namespace korvex::image::reference
