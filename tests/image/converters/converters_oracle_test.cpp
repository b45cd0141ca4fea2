// Fast converters against their plain reference versions: byte-identical
// output on random pictures, every mode and the parameter extremes.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "image/converters/converters.h"
#include "image/converters/reference/reference.h"
#include "image/converters/vector_level.h"
#include "image_util.h"

namespace korvex::image::test {
namespace {

struct Dims {
  int32_t w, h;
};
// From 36 columns the 8-bit rows go 32 pixels at a time: 38 and 36 take one
// step and an overlapping last one, 67 (odd) leaves a last pixel to the
// general rule, and 4 rows are border rows only.
// Widths around the vector kernels' narrowest rows (36 and 68 pixels) too.
const Dims kSmall[] = {{6, 6}, {8, 6}, {10, 14}, {9, 7}, {38, 26}, {67, 9}, {36, 4}, {68, 5}, {133, 6}};
constexpr Dims kFull{2560, 1920};

// Runs both converters from equal inputs into equal (pre-filled) outputs and
// compares every byte, including those a converter must leave alone.
void ExpectSame(RegionConverter fast, RegionConverter ref, const Img& src, int dstBpp,
                std::vector<int32_t> block, bool inPlace, std::mt19937& rng) {
  Img a(src.width, src.height, dstBpp), b;
  if (inPlace) {
    a = src;
  } else {
    Randomize(a, rng, 65536);
  }
  b = a;
  std::vector<int32_t> blockA = block, blockB = block;
  Apply(fast, a, inPlace ? a : src, blockA.data());
  Apply(ref, b, inPlace ? b : src, blockB.data());
  ASSERT_EQ(blockA, blockB);
  ASSERT_TRUE(a.bytes == b.bytes) << src.width << "x" << src.height << " bpp " << src.bpp
                                  << "->" << dstBpp << " block[0] " << block[0];
}

// Runs body once per vector level the processor has, the portable loops
// first, and lifts the limit again afterwards.
template <typename Body>
void AtEveryVectorLevel(Body body) {
  for (int level = 0; level <= static_cast<int>(DetectedVectorLevel()); ++level) {
    SCOPED_TRACE(testing::Message() << "vector level " << level);
    LimitVectorLevel(static_cast<VectorLevel>(level));
    body();
  }
  LimitVectorLevel(VectorLevel::kAvx512);
}

TEST(ConverterOracle, DemosaicEveryModeGainAndPixelSize) {
  AtEveryVectorLevel([] {
  std::mt19937 rng(1);
  const int32_t gains[][2] = {{100, 100}, {400, 37}, {0, 250}, {-5, 1}, {5000, 3}};
  for (const Dims d : kSmall) {
    for (int deep = 0; deep < 2; ++deep) {
      Img mosaic(d.w, d.h, deep ? 2 : 1);
      // Deep mosaics also carry words beyond 10 bits, which must clamp alike.
      Randomize(mosaic, rng, d.w == 38 ? 65536 : 1024);
      for (int mode = 0; mode < 4; ++mode) {
        for (const auto& g : gains) {
          for (int step : {3, 4}) {
            const std::vector<int32_t> block = {mode, g[0], 77, g[1]};
            const int bpp = step * (deep ? 2 : 1);
            if (deep) {
              ExpectSame(Demosaic16, reference::Demosaic16, mosaic, bpp, block, false, rng);
              ExpectSame(Demosaic16Border, reference::Demosaic16Border, mosaic, bpp, block,
                         false, rng);
            } else {
              ExpectSame(Demosaic8, reference::Demosaic8, mosaic, bpp, block, false, rng);
              ExpectSame(Demosaic8Border, reference::Demosaic8Border, mosaic, bpp, block, false,
                         rng);
            }
          }
        }
      }
    }
  }
  });
}

TEST(ConverterOracle, DemosaicFullFrame) {
  std::mt19937 rng(2);
  Img m8(kFull.w, kFull.h, 1), m16(kFull.w, kFull.h, 2);
  Randomize(m8, rng);
  Randomize(m16, rng);
  ExpectSame(Demosaic8, reference::Demosaic8, m8, 3, {3, 180, 100, 90}, false, rng);
  ExpectSame(Demosaic8Border, reference::Demosaic8Border, m8, 3, {0, 100, 100, 400}, false, rng);
  ExpectSame(Demosaic16, reference::Demosaic16, m16, 6, {1, 130, 100, 250}, false, rng);
}

TEST(ConverterOracle, MosaicMeasurementsAndGrayGain) {
  AtEveryVectorLevel([] {
  std::mt19937 rng(3);
  std::vector<Dims> dims(std::begin(kSmall), std::end(kSmall));
  dims.push_back(kFull);
  for (const Dims d : dims) {
    Img m8(d.w, d.h, 1), m16(d.w, d.h, 2);
    Randomize(m8, rng);
    Randomize(m16, rng);
    for (int mode = 0; mode < 4; ++mode) {
      ExpectSame(MeasureWhiteBalance8, reference::MeasureWhiteBalance8, m8, 1, {0, 0, 0, mode},
                 true, rng);
      ExpectSame(MeasureWhiteBalance16, reference::MeasureWhiteBalance16, m16, 2,
                 {0, 0, 0, mode}, true, rng);
      const std::vector<int32_t> gray = {mode, 256, 128, 37, 1000, -255, 0, 12, 300, 10};
      ExpectSame(GrayGainOffset8, reference::GrayGainOffset8, m8, 1, gray, true, rng);
      ExpectSame(GrayGainOffset16, reference::GrayGainOffset16, m16, 2, gray, true, rng);
      if (d.w > 100) break;  // one mode on the full frame
    }
  }
  });
}

struct Stage {
  const char* name;
  RegionConverter fast, ref;
  int sampleSize, channels;
  std::vector<int32_t> settings;
};

TEST(ConverterOracle, FiltersEverySettingExtremeAndPixelSize) {
  AtEveryVectorLevel([] {
  const std::vector<int32_t> gamma = {-5, 0, 1, 50, 99, 101, 150, 200, 300};
  const std::vector<int32_t> contrast = {-200, -127, -1, 1, 64, 127, 200};
  const std::vector<int32_t> bright = {-300, -255, -1, 1, 100, 255, 300};
  const std::vector<int32_t> sharp = {-1, 1, 15, 30, 40};
  const Stage stages[] = {
      {"Gamma8", Gamma8, reference::Gamma8, 1, 1, gamma},
      {"Gamma16", Gamma16, reference::Gamma16, 2, 1, gamma},
      {"Gamma24", Gamma24, reference::Gamma24, 1, 3, gamma},
      {"Gamma48", Gamma48, reference::Gamma48, 2, 3, gamma},
      {"Contrast8", Contrast8, reference::Contrast8, 1, 1, contrast},
      {"Contrast16", Contrast16, reference::Contrast16, 2, 1, contrast},
      {"Contrast24", Contrast24, reference::Contrast24, 1, 3, contrast},
      {"Contrast48", Contrast48, reference::Contrast48, 2, 3, contrast},
      {"Brightness8", Brightness8, reference::Brightness8, 1, 1, bright},
      {"Brightness16", Brightness16, reference::Brightness16, 2, 1, bright},
      {"Brightness24", Brightness24, reference::Brightness24, 1, 3, bright},
      {"Brightness48", Brightness48, reference::Brightness48, 2, 3, bright},
      {"Sharpen8", Sharpen8, reference::Sharpen8, 1, 1, sharp},
      {"Sharpen16", Sharpen16, reference::Sharpen16, 2, 1, sharp},
      {"Sharpen24", Sharpen24, reference::Sharpen24, 1, 3, sharp},
      {"Sharpen48", Sharpen48, reference::Sharpen48, 2, 3, sharp},
  };
  std::mt19937 rng(4);
  for (const Stage& s : stages) {
    SCOPED_TRACE(s.name);
    const bool sharpen = s.fast == Sharpen8 || s.fast == Sharpen16 || s.fast == Sharpen24 ||
                         s.fast == Sharpen48;
    const std::vector<int> pixelSizes =
        s.channels == 1 ? std::vector<int>{s.sampleSize} : std::vector<int>{3 * s.sampleSize, 4 * s.sampleSize};
    for (const Dims d : kSmall) {
      for (int bpp : pixelSizes) {
        Img img(d.w, d.h, bpp);
        // Deep images include out-of-range words on the largest size.
        Randomize(img, rng, d.w == 38 ? 65536 : 1024);
        for (int32_t v : s.settings) {
          for (int32_t bits : {10, 12}) {
            if (s.sampleSize == 1 && bits == 12) continue;
            ExpectSame(s.fast, s.ref, img, bpp, {v, bits}, !sharpen, rng);
            // Per-value stages also from one image into another (an odd
            // width: the vector loops' last samples).
            if (!sharpen && d.w == 67) ExpectSame(s.fast, s.ref, img, bpp, {v, bits}, false, rng);
          }
        }
      }
    }
  }
  });
}

TEST(ConverterOracle, FiltersFullFrame) {
  std::mt19937 rng(5);
  Img colour(kFull.w, kFull.h, 3), gray(kFull.w, kFull.h, 1);
  Randomize(colour, rng);
  Randomize(gray, rng);
  ExpectSame(Gamma24, reference::Gamma24, colour, 3, {140, 10}, true, rng);
  ExpectSame(Contrast24, reference::Contrast24, colour, 3, {-40, 10}, true, rng);
  ExpectSame(Brightness24, reference::Brightness24, colour, 3, {77, 10}, true, rng);
  ExpectSame(Sharpen8, reference::Sharpen8, gray, 1, {30, 10}, false, rng);
  ExpectSame(HueSaturation24, reference::HueSaturation24, colour, 3, {-100, 0, 60, 10}, true,
             rng);
}

TEST(ConverterOracle, HueSaturationEveryExtreme) {
  AtEveryVectorLevel([] {
  std::mt19937 rng(6);
  const int32_t hues[] = {-400, -360, -60, -1, 0, 1, 60, 180, 359, 360};
  const int32_t sats[] = {-300, -255, -1, 0, 1, 128, 255};
  for (int bpp : {3, 4, 6, 8}) {
    Img img(40, 30, bpp);  // 1200 random colours per size
    Randomize(img, rng, bpp > 4 ? 65536 : 1024);
    for (int32_t h : hues) {
      for (int32_t s : sats) {
        const std::vector<int32_t> block = {h, 0, s, 10};
        if (bpp > 4) {
          // Deep words are reduced to 8 bits by the significant bits: none,
          // two and eight bits shifted out.
          for (int32_t bits : {8, 10, 16}) {
            ExpectSame(HueSaturation48, reference::HueSaturation48, img, bpp, {h, 0, s, bits},
                       true, rng);
          }
        } else {
          ExpectSame(HueSaturation24, reference::HueSaturation24, img, bpp, block, true, rng);
        }
      }
    }
  }
  });
}

// Pixels of four bytes keep their fourth byte through the stages' chunked
// row loops: rows longer than a chunk (256 and 512 pixels) and not a
// multiple of the vector step, in place and into an image of other bytes.
TEST(ConverterOracle, FourBytePixelsAcrossChunks) {
  AtEveryVectorLevel([] {
    std::mt19937 rng(7);
    Img img(1100, 6, 4);
    Randomize(img, rng);
    for (bool inPlace : {true, false}) {
      SCOPED_TRACE(inPlace ? "in place" : "into another image");
      ExpectSame(HueSaturation24, reference::HueSaturation24, img, 4, {60, 0, 90, 10}, inPlace,
                 rng);
      ExpectSame(Gamma24, reference::Gamma24, img, 4, {140, 10}, inPlace, rng);
      ExpectSame(Brightness24, reference::Brightness24, img, 4, {-70, 10}, inPlace, rng);
    }
    ExpectSame(Sharpen24, reference::Sharpen24, img, 4, {25, 10}, false, rng);
  });
}

// Deep pictures whose samples stay below 4096 take 16-bit sums in the
// demosaic and in sharpness (at most 10 bits of depth there, gains below
// 16 in the demosaic). Pictures of sharp edges (0 and 2047, within the
// limit), and at the limit and past it: all 4095; a 4 x 4 block of 4096 on
// zeros (sums of 65536); a block of 5000 around one small sample; words
// beyond the limit only in the last row the kernels read.
TEST(ConverterOracle, DeepPicturesAtTheLimitOfSixteenBitSums) {
  AtEveryVectorLevel([] {
    std::mt19937 rng(8);
    const int32_t w = 45, h = 11;
    enum Kind { kEdges, kAll4095, kBlock4096, kBlock5000, kLastRow };
    auto picture = [&](int bpp, Kind kind) {
      Img img(w, h, bpp);
      for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
          for (int c = 0; c < bpp / 2; ++c) {
            const bool inBlock = x >= w - 6 && y >= h - 6 && y < h - 2;
            uint32_t v = kind == kBlock4096 || rng() % 2 ? 0 : 2047;
            if (kind == kAll4095) v = 4095;
            if (inBlock && kind == kBlock4096) v = 4096;
            // One small sample amid 5000s: its box sum exceeds 65535. Only in
            // the last colour channel (red), the one a check misses first.
            if (inBlock && kind == kBlock5000 && c == std::min(2, bpp / 2 - 1)) {
              v = x == w - 4 && y == h - 4 ? 1000 : 5000;
            }
            if (y == h - 2 && kind == kLastRow) v = 65535;
            img.Set(x, y, c, v);
          }
      return img;
    };
    for (Kind kind : {kEdges, kAll4095, kBlock4096, kBlock5000, kLastRow}) {
      SCOPED_TRACE(testing::Message() << "picture " << kind);
      const Img mosaic = picture(2, kind);
      // 1599 and 1600 percent: gains 2046 / 128 and 2048 / 128.
      for (const auto& gains : {std::pair{100, 100}, {1599, 1599}, {1600, 100}, {100, 1600}}) {
        for (int bpp : {6, 8}) {
          ExpectSame(Demosaic16, reference::Demosaic16, mosaic, bpp,
                     {1, gains.first, 100, gains.second}, false, rng);
        }
      }
      for (int bpp : {2, 6, 8}) {
        const Img img = picture(bpp, kind);
        for (int32_t bits : {8, 10, 11}) {
          ExpectSame(bpp == 2 ? Sharpen16 : Sharpen48,
                     bpp == 2 ? reference::Sharpen16 : reference::Sharpen48, img, bpp, {30, bits},
                     false, rng);
        }
      }
    }
  });
}

// Every colour the hue rule can meet, at hues that put each sector first and
// saturations at both ends: a fault in one lane of a vector kernel shows.
TEST(ConverterOracle, HueSaturationEveryColour) {
  Img all(4096, 4096, 3);
  for (uint32_t c = 0; c < (1u << 24); ++c) {
    uint8_t* p = all.At(static_cast<int32_t>(c % 4096), static_cast<int32_t>(c / 4096));
    p[0] = static_cast<uint8_t>(c), p[1] = static_cast<uint8_t>(c >> 8);
    p[2] = static_cast<uint8_t>(c >> 16);
  }
  for (const auto& hs : {std::pair{47, -255}, std::pair{-133, 255}}) {
    std::vector<int32_t> block = {hs.first, 0, hs.second, 10};
    Img expected = all;
    Apply(reference::HueSaturation24, expected, block.data());
    AtEveryVectorLevel([&] {
      Img got = all;
      Apply(HueSaturation24, got, block.data());
      ASSERT_TRUE(got.bytes == expected.bytes) << "hue " << hs.first << " saturation " << hs.second;
    });
  }
}

}  // namespace
}  // namespace korvex::image::test

namespace korvex::image::test {
namespace {

// Two cameras' pipelines running the hue stage at once with different
// saturations must not disturb each other (no tables are shared).
TEST(ConverterHueSaturation, ConcurrentCallsWithDifferentSettingsAgreeWithSerialOnes) {
  std::mt19937 rng(9);
  Img base(320, 64, 3);
  Randomize(base, rng);
  std::vector<int32_t> blocks[2] = {{30, 0, -200, 10}, {-90, 0, 180, 10}};
  Img expected[2] = {base, base}, got[2] = {base, base};
  for (int i = 0; i < 2; ++i) Apply(HueSaturation24, expected[i], blocks[i].data());
  std::thread threads[2];
  for (int i = 0; i < 2; ++i) {
    threads[i] = std::thread([&, i] {
      for (int round = 0; round < 20; ++round) {
        got[i] = base;
        std::vector<int32_t> b = blocks[i];
        Apply(HueSaturation24, got[i], b.data());
      }
    });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < 2; ++i) EXPECT_EQ(got[i].bytes, expected[i].bytes) << i;
}

}  // namespace
}  // namespace korvex::image::test
