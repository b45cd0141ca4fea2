// Converter definitions pinned by hand-computed cases.
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/converters/converters.h"
#include "image_util.h"

namespace korvex::image::test {
namespace {

int32_t Rsh11(int32_t sigma, int32_t gain) { return (sigma * gain) >> 11; }

TEST(ConverterDemosaic, TapsOfModeZeroAtEvenPixelAndBorderReads) {
  Img m(8, 8, 1);
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x)
      m.Set(x, y, 0, static_cast<uint32_t>(1 + 3 * x + 7 * y) % 13 + 2);
  }
  auto p = [&](int32_t x, int32_t y) { return static_cast<int32_t>(m.Get(x, y)); };
  Img out(8, 8, 3);
  int32_t block[] = {0, 100, 100, 100};
  Apply(Demosaic8, out, m, block);
  Apply(Demosaic8Border, out, m, block);
  // Interior (4, 4): even column and row of mode 0.
  EXPECT_EQ(out.Get(4, 4, 1), static_cast<uint32_t>((p(3, 3) + p(4, 4)) >> 1));
  EXPECT_EQ(out.Get(4, 4, 2),
            static_cast<uint32_t>(Rsh11(9 * p(4, 3) + 3 * p(2, 3) + 3 * p(4, 5) + p(2, 5), 128)));
  EXPECT_EQ(out.Get(4, 4, 0),
            static_cast<uint32_t>(Rsh11(9 * p(3, 4) + 3 * p(3, 2) + 3 * p(5, 4) + p(5, 2), 128)));
  // Row 0: taps in rows -2 and -1 come from rows 2 and 3.
  EXPECT_EQ(out.Get(4, 0, 1), static_cast<uint32_t>((p(3, 3) + p(4, 0)) >> 1));
  EXPECT_EQ(out.Get(4, 0, 2),
            static_cast<uint32_t>(Rsh11(9 * p(4, 3) + 3 * p(2, 3) + 3 * p(4, 1) + p(2, 1), 128)));
  EXPECT_EQ(out.Get(4, 0, 0),
            static_cast<uint32_t>(Rsh11(9 * p(3, 0) + 3 * p(3, 2) + 3 * p(5, 0) + p(5, 2), 128)));
  // Column W - 1 = 7 at row 4: taps in column 8 come from column 4.
  EXPECT_EQ(out.Get(7, 4, 2),
            static_cast<uint32_t>(Rsh11(9 * p(6, 3) + 3 * p(4, 3) + 3 * p(6, 5) + p(4, 5), 128)));
  EXPECT_EQ(out.Get(7, 4, 0),
            static_cast<uint32_t>(Rsh11(9 * p(7, 4) + 3 * p(5, 4) + 3 * p(7, 2) + p(5, 2), 128)));
  EXPECT_EQ(out.Get(7, 4, 1), static_cast<uint32_t>((p(7, 3) + p(6, 4)) >> 1));
}

TEST(ConverterDemosaic, UniformMosaicGivesUniformGrayAndGainsActOnRedAndBlueOnly) {
  for (int deep = 0; deep < 2; ++deep) {
    const uint32_t v = deep ? 1000 : 200;
    Img m(10, 8, deep ? 2 : 1);
    for (int32_t y = 0; y < 8; ++y)
      for (int32_t x = 0; x < 10; ++x) m.Set(x, y, 0, v);
    RegionConverter inner = deep ? Demosaic16 : Demosaic8;
    RegionConverter border = deep ? Demosaic16Border : Demosaic8Border;
    for (int mode = 0; mode < 4; ++mode) {
      Img out(10, 8, deep ? 8 : 4, 0xAB);
      int32_t block[] = {mode, 100, 100, 100};
      Apply(inner, out, m, block);
      Apply(border, out, m, block);
      for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 10; ++x) {
          for (int c = 0; c < 3; ++c) ASSERT_EQ(out.Get(x, y, c), v) << x << "," << y;
          if (!deep) {
            ASSERT_EQ(out.At(x, y)[3], 0xAB);  // fourth byte untouched
          }
        }
      }
    }
    // R_Gain 400 is a factor 512: 4 x the value, clamped; G_Gain changes nothing.
    Img a(10, 8, deep ? 6 : 3), b(10, 8, deep ? 6 : 3);
    int32_t strong[] = {0, 400, 0, 100}, weak[] = {0, 400, 400, 100};
    Apply(inner, a, m, strong);
    Apply(inner, b, m, weak);
    EXPECT_EQ(a.bytes, b.bytes);
    EXPECT_EQ(a.Get(4, 4, 2), deep ? 1023u : 255u);
    EXPECT_EQ(a.Get(4, 4, 0), v);
  }
  Img m(6, 6, 1, 50), out(6, 6, 3);
  int32_t block[] = {2, 400, 100, 100};
  Apply(Demosaic8, out, m, block);
  EXPECT_EQ(out.Get(2, 2, 2), 200u);
}

TEST(ConverterMosaic, BayerModeFollowsTheMirrors) {
  EXPECT_EQ(AdjustBayerMode(0, true, true), 3);
  EXPECT_EQ(AdjustBayerMode(0, true, false), 1);
  EXPECT_EQ(AdjustBayerMode(2, true, false), 3);
  EXPECT_EQ(AdjustBayerMode(1, false, true), 3);
  EXPECT_EQ(AdjustBayerMode(3, false, true), 1);
}

TEST(ConverterMosaic, GrayGainAndOffsetPerSiteClass) {
  // Mode 0 classes: R1 (even row, odd col), G1 (even, even), G2 (odd, odd), B1 (odd, even).
  Img m(4, 2, 1);
  const uint8_t values[] = {100, 200, 100, 200, 200, 100, 200, 100};
  std::memcpy(m.At(0, 0), values, 4);
  std::memcpy(m.At(0, 1), values + 4, 4);
  int32_t block[] = {0, 256, 128, 512, 128, 0, 0, -255, -255, 8};
  Apply(GrayGainOffset8, m, block);
  EXPECT_EQ(m.Get(0, 0), 100u);  // G1 unity
  EXPECT_EQ(m.Get(1, 0), 255u);  // R1 doubled 200, clamped
  EXPECT_EQ(m.Get(0, 1), 0u);    // B1: 200 - 255 -> 0
  EXPECT_EQ(m.Get(1, 1), 145u);  // G2: 400 - 255
  Img w(2, 2, 2);
  w.Set(1, 0, 0, 600);
  int32_t deep[] = {0, 256, 128, 128, 128, 0, 0, 0, 0, 10};
  Apply(GrayGainOffset16, w, deep);
  EXPECT_EQ(w.Get(1, 0), 1023u);
}

TEST(ConverterMosaic, MeasureGrayGains) {
  Img m(4, 4, 1);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      // G1 100, R1 50, B1 200, G2 100; saturated samples are not counted.
      const uint32_t v = (y % 2 == 0) ? (x % 2 == 0 ? 100 : 50) : (x % 2 == 0 ? 200 : 100);
      m.Set(x, y, 0, v);
    }
  }
  m.Set(0, 0, 0, 255);
  int32_t block[] = {0, 1, 2, 3, 4, 9, 9, 9, 9, 8};
  Apply(MeasureGrayGains, m, block);
  EXPECT_EQ(block[kGrayGainG1], 256);
  EXPECT_EQ(block[kGrayGainR1], 512);
  EXPECT_EQ(block[kGrayGainB1], 128);
  EXPECT_EQ(block[kGrayGainG2], 256);
  EXPECT_EQ(block[kGrayOffsetR1], 9);
  // A class entirely 0 or saturated leaves the block as it was.
  for (int32_t x = 1; x < 4; x += 2) m.Set(x, 0, 0, (x == 1) ? 0 : 255), m.Set(x, 2, 0, 0);
  int32_t kept[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 8};
  Apply(MeasureGrayGains, m, kept);
  EXPECT_EQ(kept[1], 1);
  EXPECT_EQ(kept[2], 2);
}

TEST(ConverterMosaic, WhiteBalanceRatiosAndRegionMean) {
  Img m(6, 4, 1);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 6; ++x) {
      const bool evenRow = y % 2 == 0, evenCol = x % 2 == 0;
      m.Set(x, y, 0, evenRow == evenCol ? 100 : (evenRow ? 50 : 200));  // G, B, R of mode 0
    }
  }
  int32_t result[] = {0, 0, 0, 0};
  Apply(MeasureWhiteBalance8, m, result);
  EXPECT_NEAR(result[kWbResultBlue], 200, 1);
  EXPECT_EQ(result[kWbResultGreen], 100);
  EXPECT_NEAR(result[kWbResultRed], 50, 1);
  Img dark(4, 4, 1);
  int32_t none[] = {0, 0, 0, 0};
  Apply(MeasureWhiteBalance8, dark, none);
  EXPECT_EQ(none[0], 100);
  EXPECT_EQ(none[2], 100);

  Img w(4, 2, 2);
  for (int32_t x = 0; x < 4; ++x) w.Set(x, 0, 0, 1023), w.Set(x, 1, 0, 0x7FF);  // -> 255, 255
  w.Set(0, 1, 0, 8);                                                            // -> 2
  int32_t* none2 = nullptr;
  Rect all = w.All();
  EXPECT_EQ(RegionMean16(w.data(), w.data(), all, 0, 0, 2, 2, w.stride, w.stride, &none2, nullptr),
            (255 * 7 + 2) / 8);
  Rect empty{1, 1, 1, 2};
  EXPECT_EQ(RegionMean8(m.data(), m.data(), empty, 0, 0, 1, 1, m.stride, m.stride, &none2, nullptr),
            0);
}

uint32_t HuePixel(int32_t hue, int32_t sat, uint8_t r, uint8_t g, uint8_t b) {
  Img img(1, 1, 3);
  img.At(0, 0)[0] = b, img.At(0, 0)[1] = g, img.At(0, 0)[2] = r;
  int32_t block[] = {hue, 0, sat, 10};
  Apply(HueSaturation24, img, block);
  return img.At(0, 0)[2] << 16 | img.At(0, 0)[1] << 8 | img.At(0, 0)[0];
}

TEST(ConverterHueSaturation, HueTurnsAndSaturationFlattens) {
  EXPECT_EQ(HuePixel(60, 0, 255, 0, 0), 0xFFFF00u);  // red -> yellow
  EXPECT_EQ(HueShift24(180), 764);
  EXPECT_EQ(HueShift24(-60), 1274);
  EXPECT_EQ(HueShift24(360), 0);
  // A full turn: every channel within 1 of where it was.
  std::mt19937 rng(7);
  Img img(64, 64, 3);
  Randomize(img, rng);
  Img turned = img;
  int32_t block[] = {360, 0, 0, 10};
  Apply(HueSaturation24, turned, block);
  for (size_t i = 0; i < img.bytes.size(); ++i) {
    ASSERT_LE(std::abs(int(img.bytes[i]) - int(turned.bytes[i])), 1) << i;
  }
  EXPECT_EQ(HuePixel(360, 0, 255, 0, 0), 0xFF0000u);
  // Saturation -255 makes a chroma of 127 or less gray.
  const uint32_t gray = HuePixel(0, -255, 200, 73, 150);
  EXPECT_EQ(gray & 0xFF, (gray >> 8) & 0xFF);
  EXPECT_EQ(gray & 0xFF, (gray >> 16) & 0xFF);
  EXPECT_EQ(HuePixel(120, 0, 90, 90, 90), 0x5A5A5Au);  // gray keeps its value
}

TEST(ConverterFilters, ContrastBrightnessAndGammaExtremes) {
  Img g(256, 1, 1);
  for (int32_t x = 0; x < 256; ++x) g.Set(x, 0, 0, static_cast<uint32_t>(x));
  Img c = g;
  int32_t contrast[] = {127, 10};
  Apply(Contrast8, c, contrast);
  EXPECT_EQ(c.Get(127, 0), 0u);
  EXPECT_EQ(c.Get(128, 0), 128u);
  EXPECT_EQ(c.Get(129, 0), 255u);

  Img b = g, d = g;
  int32_t up[] = {255, 10}, down[] = {-255, 10};
  Apply(Brightness8, b, up);
  Apply(Brightness8, d, down);
  EXPECT_EQ(b.Get(20, 0), 220u);
  EXPECT_EQ(b.Get(24, 0), 255u);
  for (int32_t x = 0; x < 256; ++x) ASSERT_EQ(d.Get(x, 0), 0u);

  int32_t gamma0[] = {0, 10};
  Img g8 = g;
  Apply(Gamma8, g8, gamma0);
  Img g24(256, 1, 3);
  for (int32_t x = 0; x < 256; ++x)
    for (int ch = 0; ch < 3; ++ch) g24.Set(x, 0, ch, x);
  Apply(Gamma24, g24, gamma0);
  Img g16(2, 1, 2), g48(2, 1, 6);
  g16.Set(1, 0, 0, 500);
  g48.Set(1, 0, 2, 5000);  // beyond 10 bits: the last entry
  Apply(Gamma16, g16, gamma0);
  Apply(Gamma48, g48, gamma0);
  for (int32_t x = 0; x < 256; ++x) ASSERT_EQ(g8.Get(x, 0), 255u);
  EXPECT_EQ(g24.Get(0, 0, 0), 0u);
  for (int32_t x = 1; x < 256; ++x) ASSERT_GE(g24.Get(x, 0, 1), 253u);
  for (int32_t x = 0; x < 2; ++x) {
    EXPECT_EQ(g16.Get(x, 0), 1023u);
    for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(g48.Get(x, 0, ch), 1023u);
  }
}

TEST(ConverterFilters, SharpenLeavesTheTwoPixelFrameAndNeedsACopy) {
  std::mt19937 rng(8);
  for (int bpp : {1, 2, 3, 6}) {
    Img src(12, 10, bpp), dst(12, 10, bpp, 0x5C);
    Randomize(src, rng);
    int32_t block[] = {30, 10};
    RegionConverter f = bpp == 1   ? Sharpen8
                        : bpp == 2 ? Sharpen16
                        : bpp == 3 ? Sharpen24
                                   : Sharpen48;
    Apply(f, dst, src, block);
    int changed = 0;
    for (int32_t y = 0; y < 10; ++y) {
      for (int32_t x = 0; x < 12; ++x) {
        const bool frame = x < 2 || y < 2 || x >= 10 || y >= 8;
        const bool untouched =
            std::all_of(dst.At(x, y), dst.At(x, y) + bpp, [](uint8_t v) { return v == 0x5C; });
        ASSERT_EQ(frame, untouched) << x << "," << y;
        changed += !untouched;
      }
    }
    EXPECT_EQ(changed, 8 * 6);
    Img same = src;
    Apply(f, same, same, block);
    EXPECT_EQ(same.bytes, src.bytes);
  }
  // A flat picture stays flat.
  Img flat(8, 8, 1, 90), out(8, 8, 1, 90);
  int32_t block[] = {30, 10};
  Apply(Sharpen8, out, flat, block);
  EXPECT_EQ(out.bytes, flat.bytes);
}

}  // namespace
}  // namespace korvex::image::test
