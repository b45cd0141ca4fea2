// The pipeline's single pass, stripe by stripe on worker threads: every
// colour mode with every stage active gives the bytes of the plain reference
// converters applied to the whole picture one stage after another, whatever
// the thread count, the stripe height or the vector instructions used.
#include "image/converters/converters.h"
#include "image/converters/reference/reference.h"
#include "image/converters/vector_level.h"
#include "image/dispatch.h"
#include "image/frame_pass.h"
#include "image/pipeline.h"
#include "image/pipeline_workers.h"
#include "support/frame_buffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace korvex::image {
namespace {

using test::FrameBuffers;
using test::OwnedImage;

bool Deep(int mode) { return mode == 1 || mode == 4 || mode == 5; }

void FillRandom(OwnedImage& image, uint32_t seed) {
  std::mt19937 random(seed);
  if (image.view.bits == 16) {
    for (size_t i = 0; i + 1 < image.bytes.size(); i += 2) {
      const uint16_t v = random() & 1023;
      image.bytes[i] = v & 0xFF;
      image.bytes[i + 1] = v >> 8;
    }
  } else {
    for (auto& b : image.bytes) b = random() & 0xFF;
  }
}

// One whole-picture converter call.
void Whole(RegionConverter converter, const ImageView& dst, const ImageView& src, int32_t* block) {
  int32_t* p = block;
  converter(dst.pixels, src.pixels, Rect{0, 0, src.width, src.height}, 0, 0,
            static_cast<uint16_t>(dst.bits / 8), static_cast<uint16_t>(src.bits / 8), dst.stride,
            src.stride, &p, nullptr);
}

// The pipeline written out with the plain converters (no mirrors, no auto
// iris, no calibration): returns the output image and the white-balance
// gains it stored.
struct Expected {
  std::vector<uint8_t> output;
  int32_t rGain = 0, bGain = 0;
};

Expected PlainPipeline(int mode, const OwnedImage& raw, const CameraSettings& s, int32_t width,
                       int32_t height) {
  namespace ref = reference;
  FrameBuffers b(mode, width, height);
  b.raw.bytes = raw.bytes;
  const bool deep = Deep(mode);
  const ImageView gray = deep ? b.gray16.view : b.gray8.view;
  ConvertScaled(gray, deep ? MergeFields16 : MergeFields8, b.raw.view, nullptr, nullptr);
  const int32_t bayer = s.filter.BayerMode;
  const FilterGroup& f = s.filter;
  Expected e{{}, f.R_Gain, f.B_Gain};
  if (mode <= 1 && f.Mode == 1) {
    int32_t block[kGrayBlockSize] = {bayer,      f.GainR1,   f.GainG1,   f.GainG2,   f.GainB1,
                                     f.OffsetR1, f.OffsetG1, f.OffsetG2, f.OffsetB1, deep ? 10 : 8};
    Whole(deep ? ref::GrayGainOffset16 : ref::GrayGainOffset8, gray, gray, block);
  } else if (mode == 0) {  // gray mode 2: through the colour picture and back to gray
    int32_t result[kWbResultSize] = {0, 0, 0, bayer};
    Whole(ref::MeasureWhiteBalance8, gray, gray, result);
    e.rGain = std::min(result[kWbResultRed], 400);
    e.bGain = std::min(result[kWbResultBlue], 400);
    int32_t block[kWbBlockSize] = {bayer, e.rGain, 100, e.bGain};
    Whole(ref::Demosaic8, b.color24.view, gray, block);
    Whole(ref::Demosaic8Border, b.color24.view, gray, block);
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* c = b.color24.view.pixels + static_cast<size_t>(y) * b.color24.view.stride;
      uint8_t* g = gray.pixels + static_cast<size_t>(y) * gray.stride;
      for (int32_t x = 0; x < width; ++x) {
        g[x] = static_cast<uint8_t>((c[3 * x + 2] * 30 + c[3 * x + 1] * 59 + c[3 * x] * 11) / 100);
      }
    }
  } else if (mode >= 2) {
    if (f.BayerGainAuto != 0) {
      int32_t result[kWbResultSize] = {0, 0, 0, bayer};
      Whole(deep ? ref::MeasureWhiteBalance16 : ref::MeasureWhiteBalance8, gray, gray, result);
      e.rGain = std::min(result[kWbResultRed], 400);
      e.bGain = std::min(result[kWbResultBlue], 400);
    }
    const ImageView colour = OutputImage(b.Views(), static_cast<ColorMode>(mode));
    int32_t block[kWbBlockSize] = {bayer, e.rGain, 100, e.bGain};
    Whole(deep ? ref::Demosaic16 : ref::Demosaic8, colour, gray, block);
    Whole(deep ? ref::Demosaic16Border : ref::Demosaic8Border, colour, gray, block);
  }
  const ImageView out = OutputImage(b.Views(), static_cast<ColorMode>(mode));
  const int family = mode <= 1 ? mode : (deep ? 3 : 2);
  if (family >= 2) {
    int32_t block[kHsBlockSize] = {f.Hue, 0, f.Saturation, 10};
    Whole(family == 2 ? ref::HueSaturation24 : ref::HueSaturation48, out, out, block);
  }
  const RegionConverter gamma[4] = {ref::Gamma8, ref::Gamma16, ref::Gamma24, ref::Gamma48};
  const RegionConverter contrast[4] = {ref::Contrast8, ref::Contrast16, ref::Contrast24,
                                       ref::Contrast48};
  const RegionConverter sharpen[4] = {ref::Sharpen8, ref::Sharpen16, ref::Sharpen24,
                                      ref::Sharpen48};
  const RegionConverter brightness[4] = {ref::Brightness8, ref::Brightness16, ref::Brightness24,
                                         ref::Brightness48};
  int32_t g[kFilterBlockSize] = {f.Gamma, 10}, c[kFilterBlockSize] = {f.Contrast, 10};
  int32_t sh[kFilterBlockSize] = {f.Sharpness, 10}, br[kFilterBlockSize] = {f.Brightness, 10};
  Whole(gamma[family], out, out, g);
  Whole(contrast[family], out, out, c);
  std::memcpy(b.current.view.pixels, out.pixels, static_cast<size_t>(out.height) * out.stride);
  Whole(sharpen[family], out, b.current.view, sh);
  Whole(brightness[family], out, out, br);
  e.output.assign(out.pixels, out.pixels + static_cast<size_t>(out.height) * out.stride);
  return e;
}

// Settings with every stage active; the second turns the other way and
// keeps fixed white-balance gains; the third (gray modes) takes the gray
// picture through the colour one.
constexpr int kVariants = 3;
void EveryStage(CameraSettings& s, int mode, int variant) {
  test::NeutralSettings(s, mode);
  FilterGroup& f = s.filter;
  f.Mode = variant == 2 ? 2 : 1;  // gray modes: gain and offset per site, or grayscale
  if (variant == 0 || variant == 2) {
    f.Hue = 20, f.Saturation = 40, f.Gamma = 80, f.Contrast = 20, f.Sharpness = 10;
    f.Brightness = 15, f.BayerGainAuto = 1, f.GainG1 = 140, f.OffsetB1 = -7;
  } else {
    f.Hue = -150, f.Saturation = -90, f.Gamma = 170, f.Contrast = -30, f.Sharpness = 30;
    f.Brightness = -40, f.R_Gain = 180, f.B_Gain = 70, f.BayerMode = 2, f.GainR1 = 97;
    f.OffsetG2 = 11;
  }
}

struct Split {
  int threads;
  int32_t stripeRows;  // 0: by the image's stride
};

TEST(PipelineStripes, EveryModeMatchesThePlainConvertersForAnyThreadsStripesAndVectors) {
  // Odd sizes: none of the stripe heights but 1 divides 158 rows (so the
  // last stripe of a band is short, and stripes of 1 to 3 rows are thinner
  // than the sharpness halo), and rows hold an odd number of pixels, more
  // than the widest vector step.
  constexpr int32_t kWidth = 263, kHeight = 158;
  const Split splits[] = {{1, 13}, {2, 7}, {3, 3}, {8, 5}, {8, 1}};
  for (int mode = 0; mode < 6; ++mode) {
    OwnedImage raw(2560, 2008, Deep(mode) ? 16 : 8);
    FillRandom(raw, 100 + mode);
    const int variants = mode <= 1 ? kVariants : 2;
    Expected expected[kVariants];
    for (int variant = 0; variant < variants; ++variant) {
      CameraSettings s;
      EveryStage(s, mode, variant);
      expected[variant] = PlainPipeline(mode, raw, s, kWidth, kHeight);
    }
    const int top = static_cast<int>(DetectedVectorLevel());
    // Shows in the XML report which levels a platform ran (Wine included).
    RecordProperty("detected_vector_level", top);
    for (int level = 0; level <= top; ++level) {
      LimitVectorLevel(static_cast<VectorLevel>(level));
      for (const Split split : splits) {
        // One set of workers through every setting: its tables follow them.
        PipelineWorkers workers(split.threads, split.stripeRows);
        for (int variant = 0; variant < variants; ++variant) {
          SCOPED_TRACE(testing::Message()
                       << "mode " << mode << " variant " << variant << " level " << level
                       << " threads " << split.threads << " stripe rows " << split.stripeRows);
          FrameBuffers b(mode, kWidth, kHeight);
          b.raw.bytes = raw.bytes;
          CameraSettings s;
          EveryStage(s, mode, variant);
          ProcessFrame(b.Views(), s, nullptr, {}, &workers);
          const ImageView out = OutputImage(b.Views(), static_cast<ColorMode>(mode));
          const std::vector<uint8_t> got(out.pixels,
                                         out.pixels + static_cast<size_t>(out.height) * out.stride);
          EXPECT_TRUE(got == expected[variant].output);
          EXPECT_EQ(s.filter.R_Gain, expected[variant].rGain);
          EXPECT_EQ(s.filter.B_Gain, expected[variant].bGain);
        }
      }
    }
    LimitVectorLevel(VectorLevel::kAvx512);
  }
}

// The field merge on the workers, in every mirror variant and at every
// vector level, against the merge converter on the whole picture; the
// destinations start alike with random bytes, so bytes the merge must leave
// alone are compared too (a destination larger than the picture).
TEST(PipelineStripes, FieldMergeInStripesEqualsTheConverterInEveryVariant) {
  const Split splits[] = {{1, 0}, {2, 7}, {3, 13}, {8, 1}};
  const Size sizes[] = {{263, 158}, {40, 1930}};  // the second taller than the picture
  for (const int bits : {8, 16}) {
    OwnedImage raw(2560, 2008, bits);
    FillRandom(raw, 300 + bits);
    for (int level = 0; level <= static_cast<int>(DetectedVectorLevel()); ++level) {
      LimitVectorLevel(static_cast<VectorLevel>(level));
      for (const Size size : sizes) {
        for (int mirror = 0; mirror < 4; ++mirror) {
          const bool v = (mirror & 1) != 0, h = (mirror & 2) != 0;
          OwnedImage expected(size.width, size.height, bits);
          FillRandom(expected, 7);
          ConvertScaled(expected.view, SelectMergeFields(bits == 16, v, h), raw.view, nullptr,
                        nullptr);
          for (const Split split : splits) {
            SCOPED_TRACE(testing::Message()
                         << bits << " bits, " << size.width << " x " << size.height << ", mirror "
                         << mirror << ", level " << level << ", threads " << split.threads);
            PipelineWorkers workers(split.threads, split.stripeRows);
            OwnedImage got(size.width, size.height, bits);
            FillRandom(got, 7);
            MergeFieldsStriped(workers, got.view, raw.view, v, h);
            EXPECT_TRUE(got.bytes == expected.bytes);
          }
        }
      }
    }
  }
  LimitVectorLevel(VectorLevel::kAvx512);
}

// The gray calibration's measurement in stripes against the converter on
// the whole mosaic: every Bayer mode, both sample sizes (with saturated and
// zero samples, which do not count), and a mosaic where one site class has
// no usable sample (the block is left alone).
TEST(PipelineStripes, GrayGainMeasurementInStripesEqualsTheConverter) {
  const Split splits[] = {{1, 0}, {2, 7}, {3, 13}, {8, 1}};
  for (const int bits : {8, 16}) {
    for (const bool starved : {false, true}) {
      OwnedImage mosaic(263, 158, bits);
      FillRandom(mosaic, 400 + bits);
      const int32_t sat = bits == 8 ? 255 : 1023;
      for (int32_t y = 0; y < mosaic.view.height; ++y) {
        for (int32_t x = 0; x < mosaic.view.width; ++x) {
          uint8_t* p = mosaic.view.pixels + y * mosaic.view.stride + x * (bits / 8);
          const int32_t v = (x + y) % 11 == 0 ? sat : (starved && (y & 1) && (x & 1)) ? 0 : -1;
          if (v < 0) continue;
          p[0] = static_cast<uint8_t>(v);
          if (bits == 16) p[1] = static_cast<uint8_t>(v >> 8);
        }
      }
      for (int mode = 0; mode < 4; ++mode) {
        int32_t expected[kGrayBlockSize] = {mode, 1, 2, 3, 4, 5, 6, 7, 8, bits == 8 ? 8 : 10};
        int32_t* p = expected;
        ConvertRegion(mosaic.view, MeasureGrayGains, mosaic.view, nullptr, 0, 0, &p);
        if (starved) {
          EXPECT_EQ(expected[kGrayGainR1], 1) << "no usable sample: left alone";
        }
        for (const Split split : splits) {
          SCOPED_TRACE(testing::Message() << bits << " bits, mode " << mode << ", threads "
                                          << split.threads << (starved ? ", starved" : ""));
          PipelineWorkers workers(split.threads, split.stripeRows);
          int32_t got[kGrayBlockSize] = {mode, 1, 2, 3, 4, 5, 6, 7, 8, bits == 8 ? 8 : 10};
          MeasureGrayGainsStriped(workers, mosaic.view, got);
          EXPECT_TRUE(std::equal(got, got + kGrayBlockSize, expected));
        }
      }
    }
  }
}

TEST(PipelineStripes, FullFramesOnTwoThreadsEqualOneThreadAndThePlainConverters) {
  for (int mode : {2, 4}) {
    SCOPED_TRACE(testing::Message() << "mode " << mode);
    OwnedImage raw(2560, 2008, Deep(mode) ? 16 : 8);
    FillRandom(raw, 200 + mode);
    std::vector<uint8_t> outputs[2];
    for (int threads = 1; threads <= 2; ++threads) {
      FrameBuffers b(mode);
      b.raw.bytes = raw.bytes;
      CameraSettings t;
      EveryStage(t, mode, 0);
      PipelineWorkers workers(threads);
      ProcessFrame(b.Views(), t, nullptr, {}, &workers);
      const ImageView out = OutputImage(b.Views(), static_cast<ColorMode>(mode));
      outputs[threads - 1].assign(out.pixels,
                                  out.pixels + static_cast<size_t>(out.height) * out.stride);
    }
    EXPECT_TRUE(outputs[0] == outputs[1]);
    if (mode == 2) {
      CameraSettings s;
      EveryStage(s, mode, 0);
      EXPECT_TRUE(outputs[1] == PlainPipeline(mode, raw, s, 2560, 1920).output);
    }
  }
}

}  // namespace
}  // namespace korvex::image
