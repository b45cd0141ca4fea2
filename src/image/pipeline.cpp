#include "image/pipeline.h"

#include "image/converters/converters.h"

#include <algorithm>
#include <cstring>

namespace korvex::image {

namespace {

bool DeepMode(int mode) { return mode == 1 || mode == 4 || mode == 5; }

int32_t AdjustedMode(const CameraSettings& s) {
  return AdjustBayerMode(s.filter.BayerMode, s.analog.V_Mirror != 0, s.analog.H_Mirror != 0);
}

ScalingConverter FirstStage(bool deep, bool mirrorV, bool mirrorH) {
  static constexpr ScalingConverter k8[2][2] = {{MergeFields8, MergeFields8MirrorH},
                                                {MergeFields8MirrorV, MergeFields8MirrorVH}};
  static constexpr ScalingConverter k16[2][2] = {{MergeFields16, MergeFields16MirrorH},
                                                 {MergeFields16MirrorV, MergeFields16MirrorVH}};
  return (deep ? k16 : k8)[mirrorV ? 1 : 0][mirrorH ? 1 : 0];
}

// Converters of the finishing stages by colour mode: 8-bit gray, 16-bit
// gray, 24/32-bit colour, 48/64-bit colour.
int Family(int mode) {
  switch (mode) {
    case 0: return 0;
    case 1: return 1;
    case 2: case 3: return 2;
    default: return 3;
  }
}

constexpr RegionConverter kGamma[4] = {Gamma8, Gamma16, Gamma24, Gamma48};
constexpr RegionConverter kContrast[4] = {Contrast8, Contrast16, Contrast24, Contrast48};
constexpr RegionConverter kSharpen[4] = {Sharpen8, Sharpen16, Sharpen24, Sharpen48};
constexpr RegionConverter kBrightness[4] = {Brightness8, Brightness16, Brightness24, Brightness48};

int32_t InPlace(const ImageView& image, RegionConverter converter, int32_t* block) {
  return ConvertRegion(image, converter, image, nullptr, 0, 0, &block);
}

void GrayBayerConvert(const ImageView& gray, bool deep, CameraSettings& settings,
                      const PipelineHooks& hooks) {
  FilterGroup& f = settings.filter;
  int32_t block[kGrayBlockSize] = {AdjustedMode(settings), f.GainR1, f.GainG1, f.GainG2,
                                   f.GainB1, f.OffsetR1, f.OffsetG1, f.OffsetG2, f.OffsetB1,
                                   deep ? 10 : 8};
  if (f.GrayCalibrate != 0) {
    InPlace(gray, MeasureGrayGains, block);
    f.GainR1 = block[kGrayGainR1];
    f.GainG1 = block[kGrayGainG1];
    f.GainG2 = block[kGrayGainG2];
    f.GainB1 = block[kGrayGainB1];
    f.OffsetR1 = block[kGrayOffsetR1];
    f.OffsetG1 = block[kGrayOffsetG1];
    f.OffsetG2 = block[kGrayOffsetG2];
    f.OffsetB1 = block[kGrayOffsetB1];
    if (hooks.refreshImageDialog) hooks.refreshImageDialog();
    f.GrayCalibrate = f.GrayCalibrate - 1;
  }
  // Offsets alone do not start the stage: with four unity gains nothing runs.
  if (block[kGrayGainR1] == 128 && block[kGrayGainG1] == 128 && block[kGrayGainG2] == 128 &&
      block[kGrayGainB1] == 128)
    return;
  InPlace(gray, deep ? GrayGainOffset16 : GrayGainOffset8, block);
}

}  // namespace

ImageView OutputImage(const FrameImages& images, int colorMode) {
  switch (colorMode) {
    case 0: return images.gray8;
    case 1: return images.gray16;
    case 2: return images.color24;
    case 3: return images.color32;
    case 4: return images.color48;
    case 5: return images.color64;
    default: return {};
  }
}

void AutoIrisRectangles(int32_t width, int32_t height, Rect (&out)[5]) {
  static constexpr double kCorners[5][4] = {{0.1, 0.1, 0.2, 0.2},
                                            {0.1, 0.8, 0.2, 0.9},
                                            {0.45, 0.45, 0.55, 0.55},
                                            {0.8, 0.1, 0.9, 0.2},
                                            {0.8, 0.8, 0.9, 0.9}};
  for (int k = 0; k < 5; ++k) {
    out[k] = Rect{static_cast<int32_t>(kCorners[k][0] * width),
                  static_cast<int32_t>(kCorners[k][1] * height),
                  static_cast<int32_t>(kCorners[k][2] * width),
                  static_cast<int32_t>(kCorners[k][3] * height)};
  }
}

double AutoIrisFactor(const int32_t (&means)[5]) {
  const int32_t first = means[0];
  double d = first > 200 ? 0.85 : first > 160 ? 0.9 : first < 50 ? 1.1 : first < 100 ? 1.05 : 1.0;
  for (int k = 1; k < 5; ++k) {
    const int32_t m = means[k];
    if (m > 200)
      d -= 0.15;
    else if (m > 160)
      d -= 0.1;
    else if (m < 50)
      d += 0.1;
    else if (m < 100)
      d += 0.05;
  }
  return d;
}

void RunAutoIris(const ImageView& raw, CameraSettings& settings, SensorControl& sensor,
                 const PipelineHooks& hooks) {
  const int32_t mode = settings.analog.AutoIris;
  if (mode != 1 && mode != 2) return;
  Rect rects[5];
  AutoIrisRectangles(raw.width, raw.height, rects);
  const RegionConverter mean = raw.bits == 16 ? RegionMean16 : RegionMean8;
  int32_t means[5];
  for (int k = 0; k < 5; ++k) {
    means[k] = ConvertRegion(raw, mean, raw, &rects[k], rects[k].left, rects[k].top, nullptr);
  }
  const double d = AutoIrisFactor(means);
  if (d > 0.6 && d < 1.2) return;

  AnalogGroup& a = settings.analog;
  if (mode == 2) {
    const int32_t g = std::max(sensor.GlobalGain(), 4);
    const int32_t gain = std::clamp(static_cast<int32_t>(g * d), 0, 1023);
    sensor.SetGlobalGain(gain);
    a.Global = gain;
    a.ColorG1 = gain;
    a.ColorR = gain;
    a.ColorB = gain;
    a.ColorG2 = gain;
    if (hooks.setAnalogDialogValue) hooks.setAnalogDialogValue(kAnalogGainEdit, gain);
  } else {
    int32_t e = sensor.Exposure();
    if (e == 1014) e = 2028;
    int32_t exposure = static_cast<uint16_t>(static_cast<int32_t>(e * d));
    if (exposure < 1) exposure = 1;
    if (exposure == 1014) exposure = 2028;  // 1014 means 2028 lines, so it is out of range
    exposure = std::clamp(exposure, 0, 1014);
    sensor.SetExposure(exposure);
    a.Exposure = exposure;
    if (hooks.setAnalogDialogValue) hooks.setAnalogDialogValue(kAnalogExposureEdit, exposure);
  }
}

void BalanceAndDemosaic(const ImageView& color, const ImageView& gray, CameraSettings& settings,
                        const PipelineHooks& hooks) {
  FilterGroup& f = settings.filter;
  const int32_t adjusted = AdjustedMode(settings);
  const bool deep = gray.bits == 16;
  // Without a mosaic there is nothing to measure, and nothing is written back.
  if (f.BayerGainAuto != 0 && !gray.Empty()) {
    int32_t result[kWbResultSize] = {0, 0, 0, adjusted};
    InPlace(gray, deep ? MeasureWhiteBalance16 : MeasureWhiteBalance8, result);
    f.R_Gain = std::min(result[kWbResultRed], 400);
    f.G_Gain = std::min(result[kWbResultGreen], 400);
    f.B_Gain = std::min(result[kWbResultBlue], 400);
    if (hooks.refreshImageDialog) hooks.refreshImageDialog();
    if (f.BayerGainOnce1 != 0 && f.BayerGainOnce2 != 0) {  // a one-shot balance
      f.BayerGainAuto = 0;
      f.BayerGainOnce1 = 0;
      f.BayerGainOnce2 = 0;
    }
  }
  int32_t block[kWbBlockSize] = {adjusted, f.R_Gain, f.G_Gain, f.B_Gain};
  int32_t* p = block;
  ConvertRegion(color, deep ? Demosaic16 : Demosaic8, gray, nullptr, 0, 0, &p);
  ConvertRegion(color, deep ? Demosaic16Border : Demosaic8Border, gray, nullptr, 0, 0, &p);
}

void ProcessFrame(const FrameImages& images, CameraSettings& settings, SensorControl* sensor,
                  const PipelineHooks& hooks) {
  ProcessFrame(images, settings.video.Color, settings, sensor, hooks);
}

void ProcessFrame(const FrameImages& images, int mode, CameraSettings& settings,
                  SensorControl* sensor, const PipelineHooks& hooks) {
  if (mode < 0 || mode > 5) return;
  const bool deep = DeepMode(mode);
  // The raw frame's depth is the mode's: raw samples of another depth are
  // never read as this one's.
  if (!images.raw.Empty() && images.raw.bits != (deep ? 16 : 8)) return;
  const ImageView& gray = deep ? images.gray16 : images.gray8;

  // 1. Field merge with mirroring.
  ConvertScaled(gray,
                FirstStage(deep, settings.analog.V_Mirror != 0, settings.analog.H_Mirror != 0),
                images.raw, nullptr, nullptr);
  // 2. Automatic brightness.
  if (sensor) RunAutoIris(images.raw, settings, *sensor, hooks);
  // 3. Gray stages.
  if (mode == 0 || mode == 1) {
    switch (settings.filter.Mode.Get()) {
      case 1:
        GrayBayerConvert(gray, deep, settings, hooks);
        break;
      case 2:
        if (mode == 0) {
          BalanceAndDemosaic(images.color24, images.gray8, settings, hooks);
          ConvertRegion(images.gray8, ColorToGray, images.color24, nullptr, 0, 0, nullptr);
        }
        break;
      default:
        break;
    }
  }
  // 4. Colour.
  switch (mode) {
    case 2: BalanceAndDemosaic(images.color24, images.gray8, settings, hooks); break;
    case 3: BalanceAndDemosaic(images.color32, images.gray8, settings, hooks); break;
    case 4: BalanceAndDemosaic(images.color48, images.gray16, settings, hooks); break;
    case 5: BalanceAndDemosaic(images.color64, images.gray16, settings, hooks); break;
    default: break;
  }
  // 5. Finishing stages on the output image, each only when not neutral.
  const ImageView out = OutputImage(images, mode);
  const FilterGroup& f = settings.filter;
  const int family = Family(mode);
  const int32_t hue = f.Hue, saturation = f.Saturation;
  if (family >= 2 && (hue != 0 || saturation != 0)) {
    int32_t block[kHsBlockSize] = {hue, 0, saturation, 10};
    InPlace(out, family == 2 ? HueSaturation24 : HueSaturation48, block);
  }
  if (const int32_t gamma = f.Gamma; gamma != 100) {
    int32_t block[kFilterBlockSize] = {gamma, 10};
    InPlace(out, kGamma[family], block);
  }
  if (const int32_t contrast = f.Contrast; contrast != 0) {
    int32_t block[kFilterBlockSize] = {contrast, 10};
    InPlace(out, kContrast[family], block);
  }
  if (const int32_t sharpness = f.Sharpness; sharpness != 0) {
    const ImageView& copy = images.current;
    if (!out.Empty() && !copy.Empty() && copy.stride == out.stride && copy.height == out.height) {
      std::memcpy(copy.pixels, out.pixels, static_cast<size_t>(out.height) * out.stride);
      int32_t block[kFilterBlockSize] = {sharpness, 10};
      int32_t* p = block;
      ConvertRegion(out, kSharpen[family], copy, nullptr, 0, 0, &p);
    }
  }
  if (const int32_t brightness = f.Brightness; brightness != 0) {
    int32_t block[kFilterBlockSize] = {brightness, 10};
    InPlace(out, kBrightness[family], block);
  }
}

}  // namespace korvex::image
