// The per-frame pipeline: stage order, automatic brightness, white balance
// and the dispatcher's rows.
#include "image/converters/converters.h"
#include "image/dispatch.h"
#include "image/pipeline.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/frame_buffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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
  const struct {
    int top, bottom, left, right;
  } expected[5] = {{1607, 1808, 256, 512},
                   {201, 402, 256, 512},
                   {904, 1105, 1152, 1408},
                   {1607, 1808, 2048, 2304},
                   {201, 402, 2048, 2304}};
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

TEST(WhiteBalance, GainsAreWrittenBackOnlyWhenAMeasurementRan) {
  CameraSettings settings;
  NeutralSettings(settings, 4);
  settings.filter.R_Gain = 150;
  settings.filter.G_Gain = 160;
  settings.filter.B_Gain = 170;
  settings.filter.BayerGainAuto = 1;
  int refreshes = 0;
  PipelineHooks hooks;
  hooks.filterChanged = [&] { ++refreshes; };
  // A mode whose images do not exist: nothing is measured.
  BalanceAndDemosaic(ImageView{}, ImageView{}, settings, hooks);
  EXPECT_EQ(settings.filter.R_Gain, 150);
  EXPECT_EQ(settings.filter.G_Gain, 160);
  EXPECT_EQ(settings.filter.B_Gain, 170);
  EXPECT_EQ(refreshes, 0);
}

TEST(Pipeline, TheFramesModeNotTheStoredOneChoosesTheStages) {
  // Buffers of 8-bit gray; the stored mode asks for deep colour meanwhile.
  Buffers buffers(0, 64, 48);
  FillRandom(buffers.raw, 7);
  CameraSettings settings;
  NeutralSettings(settings, 4);
  settings.filter.BayerGainAuto = 1;
  ProcessFrame(buffers.Views(), ColorMode::kGray8, settings, nullptr, {});
  Buffers expected(0, 64, 48);
  expected.raw.bytes = buffers.raw.bytes;
  ConvertScaled(expected.gray8.view, MergeFields8, expected.raw.view, nullptr, nullptr);
  EXPECT_EQ(buffers.gray8.bytes, expected.gray8.bytes);
  EXPECT_EQ(settings.filter.R_Gain, 100) << "no colour stage ran";
  // Raw samples of the wrong depth for the mode are not read at all.
  Buffers deep(1, 64, 48);
  Buffers shallow(0, 64, 48);
  deep.raw = shallow.raw;
  ProcessFrame(deep.Views(), ColorMode::kGray16, settings, nullptr, {});
  EXPECT_EQ(std::count(deep.gray16.bytes.begin(), deep.gray16.bytes.end(), 0),
            static_cast<long>(deep.gray16.bytes.size()));
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
    const ImageView out = OutputImage(expected.Views(), static_cast<ColorMode>(mode));
    if (mode >= 2) {
      int32_t block[kWbBlockSize] = {1, 100, 100, 100};
      int32_t* p = block;
      ConvertRegion(out, deep ? Demosaic16 : Demosaic8, gray, nullptr, 0, 0, &p);
      ConvertRegion(out, deep ? Demosaic16Border : Demosaic8Border, gray, nullptr, 0, 0, &p);
    }
    const ImageView got = OutputImage(buffers.Views(), static_cast<ColorMode>(mode));
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

// A site class far darker than the others asks for gains beyond the gray
// gain fields' range: the settings and the frame get 255.
TEST(Pipeline, GrayCalibrationKeepsGainsWithinTheirRange) {
  Buffers buffers(0, 64, 48);
  for (size_t i = 0; i < buffers.raw.bytes.size(); ++i) {
    buffers.raw.bytes[i] = i % 2 == 0 ? 10 : 200;  // even columns dark
  }
  CameraSettings settings;
  NeutralSettings(settings, 0);
  settings.filter.Mode = 1;
  settings.filter.GrayCalibrate = 1;
  ProcessFrame(buffers.Views(), settings, nullptr, {});
  EXPECT_EQ(settings.filter.GainG1, 255);
  EXPECT_EQ(settings.filter.GainB1, 255);
  EXPECT_EQ(settings.filter.GainR1, 128);
  EXPECT_EQ(settings.filter.GainG2, 128);
  // 10 x 255 / 128 = 19 on the dark sites.
  EXPECT_EQ(buffers.gray8.bytes[0], 19);
  EXPECT_EQ(buffers.gray8.bytes[1], 200);
}

// A request changed while its frame is measured is not counted down: the
// hook runs between the measurement and the count, where a click on the
// dialog's thread can land.
TEST(Pipeline, GrayCalibrationChangedDuringTheMeasurementIsLeftAsSet) {
  Buffers buffers(0, 64, 48);
  FillRandom(buffers.raw, 9);
  CameraSettings settings;
  NeutralSettings(settings, 0);
  settings.filter.Mode = 1;
  for (const int32_t changedTo : {0, 1, -1}) {
    SCOPED_TRACE(changedTo);
    settings.filter.GrayCalibrate = -5;
    PipelineHooks hooks;
    hooks.filterChanged = [&] { settings.filter.GrayCalibrate = changedTo; };
    ProcessFrame(buffers.Views(), settings, nullptr, hooks);
    EXPECT_EQ(settings.filter.GrayCalibrate, changedTo);
  }
  // Unchanged, it counts down as before, and continuous calibration never
  // wraps round to a count of frames.
  settings.filter.GrayCalibrate = -5;
  ProcessFrame(buffers.Views(), settings, nullptr, {});
  EXPECT_EQ(settings.filter.GrayCalibrate, -6);
  settings.filter.GrayCalibrate = INT32_MIN;
  ProcessFrame(buffers.Views(), settings, nullptr, {});
  EXPECT_EQ(settings.filter.GrayCalibrate, INT32_MIN);
}

// Puts guard bytes after every image of the set and re-points the views.
constexpr size_t kGuardBytes = 4096;
constexpr uint8_t kGuardValue = 0xA5;
void AddGuards(Buffers& buffers) {
  for (OwnedImage* image : {&buffers.gray8, &buffers.gray16, &buffers.color24, &buffers.color32,
                            &buffers.color48, &buffers.color64, &buffers.current}) {
    if (image->bytes.empty()) continue;
    image->bytes.resize(image->bytes.size() + kGuardBytes, kGuardValue);
    image->view.pixels = image->bytes.data();
  }
}
bool GuardsIntact(const OwnedImage& image) {
  if (image.bytes.empty()) return true;
  for (size_t i = image.bytes.size() - kGuardBytes; i < image.bytes.size(); ++i)
    if (image.bytes[i] != kGuardValue) return false;
  return true;
}

TEST(Pipeline, SmallerBuffersAreNeverWrittenPast) {
  // Every stage active on images smaller than the picture; guard bytes after
  // each image must come through untouched, and the output must be written.
  for (int mode : {0, 1, 2, 3, 4, 5}) {
    SCOPED_TRACE(mode);
    Buffers buffers(mode, 640, 480);
    AddGuards(buffers);
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
    settings.filter.Mode = mode <= 1 ? 1 : 0;
    settings.filter.GrayCalibrate = 1;
    ProcessFrame(buffers.Views(), settings, nullptr, {});
    for (const OwnedImage* image :
         {&buffers.gray8, &buffers.gray16, &buffers.color24, &buffers.color32, &buffers.color48,
          &buffers.color64, &buffers.current}) {
      EXPECT_TRUE(GuardsIntact(*image))
          << "written past an image of " << image->view.bits << " bits";
    }
    const ImageView out = OutputImage(buffers.Views(), static_cast<ColorMode>(mode));
    const uint8_t* pixels = out.pixels;
    const size_t bytes = static_cast<size_t>(out.height) * out.stride;
    EXPECT_NE(std::count(pixels, pixels + bytes, uint8_t{0}), static_cast<long>(bytes))
        << "the output image was written";
  }
}

// ---- Mosaic stages under mirroring, gray mode 2, and the finishing order.
// Expectations follow from the documented formulas, worked out here on
// pictures whose content is known in picture coordinates.

// Writes an 8-bit raw frame whose merged picture has value(row, column):
// picture row 2n comes from raw row 5 + n, row 2n + 1 from raw row 1019 + n.
template <class Value>
void RawFromPicture(OwnedImage& raw, Value value) {
  for (int p = 0; p < 1920; ++p) {
    const int rawRow = p % 2 == 0 ? 5 + p / 2 : 1019 + p / 2;
    uint8_t* row = raw.bytes.data() + static_cast<size_t>(rawRow) * raw.view.stride;
    for (int c = 0; c < 2560; ++c) row[c] = value(p, c);
  }
}

enum Site { kGreen, kBlue, kRed };
// Colour of a picture site under a Bayer mode: with mode 0, green on
// (even, even) and (odd, odd), blue on (even row, odd column), red on
// (odd row, even column); bit 0 flips the row parity, bit 1 the column's.
Site SiteOf(int bayerMode, int row, int column) {
  const int r = (row & 1) ^ (bayerMode & 1), c = (column & 1) ^ ((bayerMode >> 1) & 1);
  return r == c ? kGreen : r == 0 ? kBlue : kRed;
}

constexpr uint8_t kGreenValue = 180, kBlueValue = 40, kRedValue = 90;

TEST(Pipeline, MirrorFlagsReachDemosaicWhiteBalanceAndGrayGainThroughTheAdjustedBayerMode) {
  // The picture's colours sit on its own sites; mirroring moves them in
  // memory, and the adjusted Bayer mode must follow so that every stage
  // still finds them.
  for (int bayer : {0, 3}) {
    for (int mirror = 0; mirror < 4; ++mirror) {
      const int mirrorV = mirror & 1, mirrorH = mirror >> 1;
      SCOPED_TRACE(::testing::Message()
                   << "Bayer " << bayer << " V " << mirrorV << " H " << mirrorH);
      Buffers colour(2);
      RawFromPicture(colour.raw, [&](int p, int c) {
        const Site site = SiteOf(bayer, p, c);
        return site == kGreen ? kGreenValue : site == kBlue ? kBlueValue : kRedValue;
      });
      CameraSettings settings;
      NeutralSettings(settings, 2);
      settings.filter.BayerMode = bayer;
      settings.analog.V_Mirror = mirrorV;
      settings.analog.H_Mirror = mirrorH;

      // Demosaic at unity gains: every pixel, border included, has the
      // three colours of its cell.
      ProcessFrame(colour.Views(), settings, nullptr, {});
      const uint8_t unity[3] = {kBlueValue, kGreenValue, kRedValue};
      size_t wrong = 0;
      for (int y = 0; y < 1920; ++y) {
        const uint8_t* row =
            colour.color24.bytes.data() + static_cast<size_t>(y) * colour.color24.view.stride;
        for (int x = 0; x < 2560; ++x) wrong += std::memcmp(row + 3 * x, unity, 3) != 0;
      }
      EXPECT_EQ(wrong, 0u) << "pixels with another colour";

      // White balance: blue 100 x 180 / 40 = 450, capped at 400; red 200.
      settings.filter.BayerGainAuto = 1;
      ProcessFrame(colour.Views(), settings, nullptr, {});
      EXPECT_EQ(settings.filter.B_Gain, 400);
      EXPECT_EQ(settings.filter.G_Gain, 100);
      EXPECT_EQ(settings.filter.R_Gain, 200);
      // Red: 16 x 90 x trunc(200 x 1.28) >> 11 = 180; blue: 16 x 40 x 512 >> 11 = 160.
      const uint8_t balanced[3] = {160, kGreenValue, 180};
      EXPECT_EQ(std::memcmp(colour.color24.bytes.data() + 3 * 1000, balanced, 3), 0);
      EXPECT_EQ(
          std::memcmp(colour.color24.bytes.data() + 700 * colour.color24.view.stride + 3 * 2559,
                      balanced, 3),
          0);

      // Gray gain and offset: each site class has its own gain, by the
      // picture's own rows and columns.
      Buffers gray(0);
      auto value = [](int p, int c) { return static_cast<uint8_t>(20 + (p * 3 + c * 5) % 97); };
      RawFromPicture(gray.raw, value);
      CameraSettings g;
      NeutralSettings(g, 0);
      g.filter.BayerMode = bayer;
      g.analog.V_Mirror = mirrorV;
      g.analog.H_Mirror = mirrorH;
      g.filter.Mode = 1;
      g.filter.GainR1 = 256;  // (even row, odd column)
      g.filter.GainG1 = 128;  // (even, even)
      g.filter.GainG2 = 64;   // (odd, odd)
      g.filter.GainB1 = 192;  // (odd row, even column)
      ProcessFrame(gray.Views(), g, nullptr, {});
      wrong = 0;
      for (int y = 0; y < 1920; ++y) {
        const int p = mirrorV ? 1919 - y : y;
        const uint8_t* row =
            gray.gray8.bytes.data() + static_cast<size_t>(y) * gray.gray8.view.stride;
        for (int x = 0; x < 2560; ++x) {
          const int c = mirrorH ? 2559 - x : x;
          const int r = (p & 1) ^ (bayer & 1), k = (c & 1) ^ ((bayer >> 1) & 1);
          const int gain = r == 0 ? (k == 1 ? 256 : 128) : (k == 1 ? 64 : 192);
          wrong += row[x] != value(p, c) * gain / 128;
        }
      }
      EXPECT_EQ(wrong, 0u) << "samples with another gain";
    }
  }
}

TEST(Pipeline, GrayModeTwoInColourModeZeroGivesTheWeightedGrayOfTheColours) {
  Buffers buffers(0);
  RawFromPicture(buffers.raw, [](int p, int c) {
    const Site site = SiteOf(1, p, c);
    return static_cast<uint8_t>(site == kGreen ? 100 : site == kBlue ? 50 : 150);
  });
  CameraSettings settings;
  NeutralSettings(settings, 0);  // Bayer mode 1
  settings.filter.Mode = 2;
  ProcessFrame(buffers.Views(), settings, nullptr, {});
  // (150 x 30 + 100 x 59 + 50 x 11) / 100 = 109 everywhere.
  EXPECT_EQ(std::count(buffers.gray8.bytes.begin(), buffers.gray8.bytes.end(), uint8_t{109}),
            static_cast<long>(buffers.gray8.bytes.size()));
}

// The finishing stages by their documented formulas, 8-bit.
int GammaOf(int i, int g) {
  const double e = g > 100 ? (g - 100) / 10.0 + 1 : g / 100.0;
  return static_cast<int>(std::pow(i / 255.0, e) * 255);
}
int ContrastOf(int i, int k) {
  if (i < k) return 0;
  if (i > 255 - k) return 255;
  return static_cast<int>(256.0 / (256 - 2 * k) * (i - k));
}
int BrightnessOf(int i, int b) {
  const float f = b > 0 ? static_cast<float>(1 + b * 0.0392156862745098)
                        : static_cast<float>(1 - -b * 0.00392156862745098);
  return std::clamp(static_cast<int>(static_cast<float>(i) * f), 0, 255);
}

constexpr int kGamma = 70, kContrast = 30, kSharpness = 20, kBrightness = -60;

TEST(Pipeline, FinishingStagesRunHueGammaContrastSharpnessBrightnessInThatOrder) {
  // Gray: a picture that varies along its rows only, so the sharpness
  // stage's 4 x 4 blur is four times the sum of four columns. With these
  // settings every other order of the four stages gives another picture.
  auto column = [](int c) { return (c * 37) % 200 + 30; };
  Buffers gray(0);
  RawFromPicture(gray.raw, [&](int, int c) { return static_cast<uint8_t>(column(c)); });
  CameraSettings settings;
  NeutralSettings(settings, 0);
  settings.filter.Gamma = kGamma;
  settings.filter.Contrast = kContrast;
  settings.filter.Sharpness = kSharpness;
  settings.filter.Brightness = kBrightness;
  ProcessFrame(gray.Views(), settings, nullptr, {});
  std::vector<int> before(2560), edge(2560), inner(2560);
  for (int c = 0; c < 2560; ++c) before[c] = ContrastOf(GammaOf(column(c), kGamma), kContrast);
  for (int c = 0; c < 2560; ++c) {
    edge[c] = BrightnessOf(before[c], kBrightness);  // the two-pixel frame is not sharpened
    int sharp = before[c];
    if (c >= 2 && c <= 2557) {
      const int blur = (4 * (before[c - 2] + before[c - 1] + before[c] + before[c + 1])) >> 4;
      sharp = std::clamp(before[c] + (before[c] - blur) * kSharpness / 10, 0, 255);
    }
    inner[c] = BrightnessOf(sharp, kBrightness);
  }
  for (int y : {0, 1, 2, 960, 1917, 1918, 1919}) {
    const uint8_t* row = gray.gray8.bytes.data() + static_cast<size_t>(y) * gray.gray8.view.stride;
    const bool frameRow = y < 2 || y > 1917;
    int wrong = 0;
    for (int c = 0; c < 2560; ++c) wrong += row[c] != (frameRow ? edge[c] : inner[c]);
    EXPECT_EQ(wrong, 0) << "row " << y;
  }

  // Colour: saturation -255 turns the demosaiced (50, 100, 150) into the
  // gray (100, 100, 100) before gamma, contrast and brightness act on it.
  Buffers colour(2);
  RawFromPicture(colour.raw, [](int p, int c) {
    const Site site = SiteOf(1, p, c);
    return static_cast<uint8_t>(site == kGreen ? 100 : site == kBlue ? 50 : 150);
  });
  CameraSettings c;
  NeutralSettings(c, 2);
  c.filter.Saturation = -255;
  c.filter.Gamma = kGamma;
  c.filter.Contrast = kContrast;
  c.filter.Brightness = kBrightness;
  ProcessFrame(colour.Views(), c, nullptr, {});
  const uint8_t v =
      static_cast<uint8_t>(BrightnessOf(ContrastOf(GammaOf(100, kGamma), kContrast), kBrightness));
  for (size_t offset :
       {size_t{0}, size_t{3 * 1280 + 960 * 7680}, colour.color24.bytes.size() - 3}) {
    EXPECT_EQ(colour.color24.bytes[offset], v) << offset;
    EXPECT_EQ(colour.color24.bytes[offset + 1], v) << offset;
    EXPECT_EQ(colour.color24.bytes[offset + 2], v) << offset;
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
