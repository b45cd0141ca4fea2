// The per-frame pipeline: stage order, automatic brightness, white balance
// and the dispatcher's rows.
#include "image/converters/converters.h"
#include "image/dispatch.h"
#include "image/pipeline.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/frame_buffers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace korvex::image {
namespace {

using test::FrameBuffers;
using test::NeutralSettings;
using test::OwnedImage;
using Buffers = FrameBuffers;

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

class FakeSensor : public SensorControl {
 public:
  int GlobalGain() override { return gain; }
  void SetGlobalGain(int g) override {
    gain = g;
    ++writes;
  }
  int Exposure() override { return exposure; }
  void SetExposure(int e) override {
    exposure = e;
    ++writes;
  }
  int gain = 512, exposure = 1014, writes = 0;
};

// A region converter that records what the dispatcher hands it.
Rect g_seen;
int32_t g_seenX, g_seenY;
KORVEX_REGION_CONVERTER(RecordRegion) {
  (void)dst, (void)src, (void)dstBytesPerPixel, (void)srcBytesPerPixel, (void)dstStride,
      (void)srcStride, (void)params, (void)extra;
  g_seen = srcRect;
  g_seenX = dstX;
  g_seenY = dstY;
  return 1;
}

TEST(Dispatch, AutoIrisRectanglesCoverTheDocumentedRawRows) {
  OwnedImage raw(2560, 2008, 8);
  Rect rects[5];
  AutoIrisRectangles(2560, 2008, rects);
  const struct { int top, bottom, left, right; } expected[5] = {
      {1607, 1808, 256, 512}, {201, 402, 256, 512}, {904, 1105, 1152, 1408},
      {1607, 1808, 2048, 2304}, {201, 402, 2048, 2304}};
  for (int k = 0; k < 5; ++k) {
    ASSERT_EQ(ConvertRegion(raw.view, RecordRegion, raw.view, &rects[k], rects[k].left,
                            rects[k].top, nullptr),
              1);
    EXPECT_EQ(g_seen.top, expected[k].top) << k;
    EXPECT_EQ(g_seen.bottom, expected[k].bottom) << k;
    EXPECT_EQ(g_seen.left, expected[k].left) << k;
    EXPECT_EQ(g_seen.right, expected[k].right) << k;
    EXPECT_EQ(g_seenY, expected[k].top) << "destination row in memory order";
  }
}

TEST(Dispatch, ClipsToBothImagesAndSkipsEmptyOnes) {
  OwnedImage small(10, 6, 8), large(20, 12, 8), empty;
  EXPECT_EQ(ConvertRegion(small.view, RecordRegion, large.view, nullptr, 0, 0, nullptr), 1);
  EXPECT_EQ(g_seen.Width(), 10);
  EXPECT_EQ(g_seen.Height(), 6);
  EXPECT_EQ(g_seen.top, 6) << "the bottom rows of the picture map onto the smaller image";
  const Rect outside{0, 0, 4, 4};
  EXPECT_EQ(ConvertRegion(small.view, RecordRegion, large.view, &outside, 10, 0, nullptr), 0);
  EXPECT_EQ(ConvertRegion(empty.view, RecordRegion, large.view, nullptr, 0, 0, nullptr), 0);
  EXPECT_EQ(ConvertRegion(small.view, nullptr, large.view, nullptr, 0, 0, nullptr), 0);
}

TEST(AutoIris, FactorBands) {
  EXPECT_DOUBLE_EQ(AutoIrisFactor({201, 201, 201, 201, 201}), 0.85 - 4 * 0.15);
  EXPECT_DOUBLE_EQ(AutoIrisFactor({0, 0, 0, 0, 0}), 1.1 + 4 * 0.1);
  EXPECT_DOUBLE_EQ(AutoIrisFactor({100, 160, 130, 100, 160}), 1.0);
  EXPECT_NEAR(AutoIrisFactor({161, 99, 50, 49, 200}), 0.9 + 0.05 + 0.05 + 0.1 - 0.1, 1e-12);
}

TEST(AutoIris, BrightFramesCutExposureDarkFramesRaiseGain) {
  OwnedImage raw(2560, 2008, 8);
  CameraSettings settings;
  FakeSensor sensor;
  std::vector<std::pair<AnalogField, int>> dialog;
  PipelineHooks hooks;
  hooks.analogChanged = [&](AnalogField field, int value) { dialog.push_back({field, value}); };

  std::memset(raw.bytes.data(), 255, raw.bytes.size());
  settings.analog.AutoIris = 1;
  RunAutoIris(raw.view, settings, sensor, hooks);
  // 1014 counts as 2028 lines; the factor 0.85 - 4 x 0.15 is just below 0.25
  // in double precision, so the product truncates to 506.
  EXPECT_EQ(sensor.exposure, 506);
  EXPECT_EQ(settings.analog.Exposure, 506);
  ASSERT_EQ(dialog.size(), 1u);
  EXPECT_EQ(dialog[0], std::make_pair(AnalogField::kExposure, 506));

  std::memset(raw.bytes.data(), 0, raw.bytes.size());
  settings.analog.AutoIris = 2;
  sensor.gain = 100;
  RunAutoIris(raw.view, settings, sensor, hooks);
  EXPECT_EQ(sensor.gain, 150);
  EXPECT_EQ(settings.analog.Global, 150);
  EXPECT_EQ(settings.analog.ColorR, 150);
  EXPECT_EQ(settings.analog.ColorG2, 150);
  sensor.gain = 1000;
  RunAutoIris(raw.view, settings, sensor, hooks);
  EXPECT_EQ(sensor.gain, 1023) << "clamped to the gain range";

  // Mid-gray keeps everything; mode 0 never measures.
  std::memset(raw.bytes.data(), 130, raw.bytes.size());
  const int writes = sensor.writes;
  RunAutoIris(raw.view, settings, sensor, hooks);
  settings.analog.AutoIris = 0;
  std::memset(raw.bytes.data(), 255, raw.bytes.size());
  RunAutoIris(raw.view, settings, sensor, hooks);
  EXPECT_EQ(sensor.writes, writes);
}

TEST(AutoIris, ExposureNeverBecomesTheLongExposureByRounding) {
  OwnedImage raw(2560, 2008, 16);  // all zero: dark, d = 1.5
  CameraSettings settings;
  settings.analog.AutoIris = 1;
  FakeSensor sensor;
  sensor.exposure = 676;  // 676 * 1.5 = 1014, which would mean 2028 lines
  RunAutoIris(raw.view, settings, sensor, {});
  EXPECT_EQ(sensor.exposure, 1014) << "clamped back into range";
  sensor.exposure = 0;
  RunAutoIris(raw.view, settings, sensor, {});
  EXPECT_EQ(sensor.exposure, 1) << "never below one line";
}

TEST(WhiteBalance, AutomaticEveryFrameOneShotOnceAndCapped) {
  Buffers buffers(2, 64, 48);
  CameraSettings settings;
  NeutralSettings(settings, 2);
  // A mosaic whose blue sites are very dark: blue gain would exceed 400.
  // Adjusted mode 1 puts red on (even row, even column), blue on (odd, odd).
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool red = (y % 2 == 0) && (x % 2 == 0), blue = (y % 2 == 1) && (x % 2 == 1);
      buffers.gray8.bytes[y * buffers.gray8.view.stride + x] = red ? 100 : blue ? 10 : 200;
    }
  }
  int refreshes = 0;
  PipelineHooks hooks;
  hooks.filterChanged = [&] { ++refreshes; };
  settings.filter.BayerGainAuto = 1;
  BalanceAndDemosaic(buffers.color24.view, buffers.gray8.view, settings, hooks);
  EXPECT_EQ(settings.filter.R_Gain, 200);
  EXPECT_EQ(settings.filter.G_Gain, 100);
  EXPECT_EQ(settings.filter.B_Gain, 400) << "capped";
  EXPECT_EQ(settings.filter.BayerGainAuto, 1) << "automatic: measures again next frame";
  EXPECT_EQ(refreshes, 1);

  settings.filter.BayerGainOnce1 = 1;
  settings.filter.BayerGainOnce2 = 1;
  settings.filter.R_Gain = 100;
  BalanceAndDemosaic(buffers.color24.view, buffers.gray8.view, settings, hooks);
  EXPECT_EQ(settings.filter.R_Gain, 200);
  EXPECT_EQ(settings.filter.BayerGainAuto, 0);
  EXPECT_EQ(settings.filter.BayerGainOnce1, 0);
  EXPECT_EQ(settings.filter.BayerGainOnce2, 0);
  settings.filter.R_Gain = 100;
  BalanceAndDemosaic(buffers.color24.view, buffers.gray8.view, settings, hooks);
  EXPECT_EQ(settings.filter.R_Gain, 100) << "a one-shot balance measures once";
  EXPECT_EQ(refreshes, 2);
}

TEST(Pipeline, NeutralSettingsGiveTheFirstStagePlusDemosaic) {
  for (int mode : {0, 1, 2, 3, 4, 5}) {
    Buffers buffers(mode);
    FillRandom(buffers.raw, 40 + mode);
    CameraSettings settings;
    NeutralSettings(settings, mode);
    ProcessFrame(buffers.Views(), settings, nullptr, {});

    Buffers expected(mode);
    expected.raw.bytes = buffers.raw.bytes;
    const bool deep = mode == 1 || mode == 4 || mode == 5;
    const ImageView gray = deep ? expected.gray16.view : expected.gray8.view;
    ConvertScaled(gray, deep ? MergeFields16 : MergeFields8, expected.raw.view, nullptr, nullptr);
    const ImageView out = OutputImage(expected.Views(), mode);
    if (mode >= 2) {
      int32_t block[kWbBlockSize] = {1, 100, 100, 100};
      int32_t* p = block;
      ConvertRegion(out, deep ? Demosaic16 : Demosaic8, gray, nullptr, 0, 0, &p);
      ConvertRegion(out, deep ? Demosaic16Border : Demosaic8Border, gray, nullptr, 0, 0, &p);
    }
    const ImageView got = OutputImage(buffers.Views(), mode);
    ASSERT_EQ(std::memcmp(got.pixels, out.pixels, static_cast<size_t>(out.height) * out.stride), 0)
        << "mode " << mode;
  }
}

TEST(Pipeline, GrayStagesFollowTheGrayMode) {
  Buffers buffers(0);
  FillRandom(buffers.raw, 7);
  CameraSettings settings;
  NeutralSettings(settings, 0);
  ProcessFrame(buffers.Views(), settings, nullptr, {});
  const std::vector<uint8_t> mosaic = buffers.gray8.bytes;

  settings.filter.Mode = 1;
  settings.filter.OffsetR1 = 40;  // offsets alone do not start the stage
  ProcessFrame(buffers.Views(), settings, nullptr, {});
  EXPECT_EQ(buffers.gray8.bytes, mosaic);

  settings.filter.GainG1 = 200;
  ProcessFrame(buffers.Views(), settings, nullptr, {});
  EXPECT_NE(buffers.gray8.bytes, mosaic);

  // Gray mode 2 in the 16-bit mode leaves the mosaic as merged.
  Buffers deep(1);
  FillRandom(deep.raw, 8);
  CameraSettings deepSettings;
  NeutralSettings(deepSettings, 1);
  ProcessFrame(deep.Views(), deepSettings, nullptr, {});
  const std::vector<uint8_t> merged = deep.gray16.bytes;
  deepSettings.filter.Mode = 2;
  ProcessFrame(deep.Views(), deepSettings, nullptr, {});
  EXPECT_EQ(deep.gray16.bytes, merged);
}

TEST(Pipeline, GrayCalibrationWritesGainsBackAndCountsDown) {
  Buffers buffers(0, 64, 48);
  FillRandom(buffers.raw, 9);
  CameraSettings settings;
  NeutralSettings(settings, 0);
  settings.filter.Mode = 1;
  settings.filter.GrayCalibrate = 1;
  int refreshes = 0;
  PipelineHooks hooks;
  hooks.filterChanged = [&] { ++refreshes; };
  ProcessFrame(buffers.Views(), settings, nullptr, hooks);
  EXPECT_EQ(settings.filter.GrayCalibrate, 0);
  EXPECT_EQ(refreshes, 1);
  ProcessFrame(buffers.Views(), settings, nullptr, hooks);
  EXPECT_EQ(refreshes, 1) << "one frame only";
  settings.filter.GrayCalibrate = -1;  // every frame
  ProcessFrame(buffers.Views(), settings, nullptr, hooks);
  ProcessFrame(buffers.Views(), settings, nullptr, hooks);
  EXPECT_EQ(refreshes, 3);
}

TEST(Pipeline, SmallerBuffersAreNeverWrittenPast) {
  // The buffers are guarded by the sanitizers; every stage active.
  for (int mode : {0, 2, 4}) {
    Buffers buffers(mode, 640, 480);
    FillRandom(buffers.raw, 11);
    CameraSettings settings;
    NeutralSettings(settings, mode);
    settings.filter.Hue = 30;
    settings.filter.Saturation = 20;
    settings.filter.Gamma = 80;
    settings.filter.Contrast = 10;
    settings.filter.Sharpness = 5;
    settings.filter.Brightness = 12;
    settings.filter.BayerGainAuto = 1;
    ProcessFrame(buffers.Views(), settings, nullptr, {});
  }
}

TEST(Pipeline, SimulatedCameraBalancesToNeutralGray) {
  KorvexHost_SimReset();
  Buffers buffers(2);
  ASSERT_EQ(KorvexHost_SimRenderFrame(0, 0, buffers.raw.bytes.data(), buffers.raw.bytes.size()),
            buffers.raw.bytes.size());
  CameraSettings settings;
  NeutralSettings(settings, 2);
  settings.filter.BayerGainAuto = 1;
  ProcessFrame(buffers.Views(), settings, nullptr, {});
  EXPECT_NE(settings.filter.R_Gain, 100) << "the camera's colour cast needs correcting";
  // Light gray steps: picture rows 1300 to 1500, columns of steps 6 to 8.
  for (int step = 6; step <= 8; ++step) {
    double sum[3] = {0, 0, 0};
    int count = 0;
    for (int y = 1300; y < 1500; ++y) {
      const uint8_t* row = buffers.color24.bytes.data() + y * buffers.color24.view.stride;
      for (int x = step * 128 + 16; x < step * 128 + 112; ++x) {
        for (int c = 0; c < 3; ++c) sum[c] += row[x * 3 + c];
        ++count;
      }
    }
    const double blue = sum[0] / count, green = sum[1] / count, red = sum[2] / count;
    EXPECT_NEAR(red / green, 1.0, 0.06) << "step " << step;
    EXPECT_NEAR(blue / green, 1.0, 0.06) << "step " << step;
  }
}

}  // namespace
}  // namespace korvex::image
