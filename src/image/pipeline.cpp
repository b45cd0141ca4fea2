#include "image/pipeline.h"

#include "image/converters/converters.h"
#include "image/frame_pass.h"
#include "image/pipeline_workers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace korvex::image {

namespace {

int32_t AdjustedMode(const CameraSettings& s) {
  return AdjustBayerMode(s.filter.BayerMode, s.analog.V_Mirror != 0, s.analog.H_Mirror != 0);
}

SampleFamily FamilyOfMode(ColorMode mode) {
  if (IsGray(mode)) return IsDeep(mode) ? SampleFamily::kGray10 : SampleFamily::kGray8;
  return IsDeep(mode) ? SampleFamily::kColor10 : SampleFamily::kColor8;
}

// The gray calibration, then the gray gain and offset the pass applies;
// false when the gains are unity.
bool GrayBayerConvert(const ImageView& gray, bool deep, CameraSettings& settings,
                      const PipelineHooks& hooks, PipelineWorkers& workers, GrayGainParams& apply) {
  FilterGroup& f = settings.filter;
  int32_t block[kGrayBlockSize] = {AdjustedMode(settings),
                                   f.GainR1,
                                   f.GainG1,
                                   f.GainG2,
                                   f.GainB1,
                                   f.OffsetR1,
                                   f.OffsetG1,
                                   f.OffsetG2,
                                   f.OffsetB1,
                                   deep ? 10 : 8};
  const int32_t request = f.GrayCalibrate;
  if (request != 0) {
    MeasureGrayGainsStriped(workers, gray, block);
    // The measured ratio has no upper bound (one site class far darker than
    // the others); the gains are kept within their fields' range for this
    // frame and in the settings.
    for (const int gain : {kGrayGainR1, kGrayGainG1, kGrayGainG2, kGrayGainB1}) {
      block[gain] = std::min(block[gain], kGrayGainMax);
    }
    f.GainR1 = block[kGrayGainR1];
    f.GainG1 = block[kGrayGainG1];
    f.GainG2 = block[kGrayGainG2];
    f.GainB1 = block[kGrayGainB1];
    f.OffsetR1 = block[kGrayOffsetR1];
    f.OffsetG1 = block[kGrayOffsetG1];
    f.OffsetG2 = block[kGrayOffsetG2];
    f.OffsetB1 = block[kGrayOffsetB1];
    if (hooks.filterChanged) hooks.filterChanged();
    // The request seen before the measurement is counted down only if it is
    // still there: the dialog's thread may have switched calibration off (0)
    // or asked for one frame (1) meanwhile, and that choice stands.
    // Continuous calibration (negative) stops counting at the lowest value.
    if (request != INT32_MIN) f.GrayCalibrate.CompareExchange(request, request - 1);
  }
  // Offsets alone do not start the stage: with four unity gains nothing runs.
  if (block[kGrayGainR1] == 128 && block[kGrayGainG1] == 128 && block[kGrayGainG2] == 128 &&
      block[kGrayGainB1] == 128)
    return false;
  apply.bayerMode = block[kGrayBayerMode];
  for (int k = 0; k < 4; ++k) {
    apply.gain[k] = block[kGrayGainR1 + k];
    apply.offset[k] = block[kGrayOffsetR1 + k];
  }
  return true;
}

// The automatic white balance, writing its gains back; then the demosaic's
// settings.
DemosaicParams WhiteBalance(const ImageView& gray, CameraSettings& settings,
                            const PipelineHooks& hooks, PipelineWorkers& workers) {
  FilterGroup& f = settings.filter;
  const int32_t adjusted = AdjustedMode(settings);
  // Without a mosaic there is nothing to measure, and nothing is written back.
  if (f.BayerGainAuto != 0 && !gray.Empty()) {
    int32_t result[kWbResultSize] = {0, 0, 0, adjusted};
    MeasureWhiteBalanceStriped(workers, gray, result);
    f.R_Gain = std::min(result[kWbResultRed], kBayerGainMax);
    f.G_Gain = std::min(result[kWbResultGreen], kBayerGainMax);
    f.B_Gain = std::min(result[kWbResultBlue], kBayerGainMax);
    if (hooks.filterChanged) hooks.filterChanged();
    if (f.BayerGainOnce1 != 0 && f.BayerGainOnce2 != 0) {  // a one-shot balance
      f.BayerGainAuto = 0;
      f.BayerGainOnce1 = 0;
      f.BayerGainOnce2 = 0;
    }
  }
  return DemosaicParams{adjusted, f.R_Gain, f.B_Gain};
}

FinishingParams FinishingOf(const FilterGroup& f) {
  FinishingParams p;
  p.hue = f.Hue;
  p.saturation = f.Saturation;
  p.gamma = f.Gamma;
  p.contrast = f.Contrast;
  p.sharpness = f.Sharpness;
  p.brightness = f.Brightness;
  return p;
}

bool SameLayout(const ImageView& a, const ImageView& b) {
  return !a.Empty() && !b.Empty() && a.width == b.width && a.height == b.height &&
         a.stride == b.stride && a.bits == b.bits;
}

}  // namespace

ImageView OutputImage(const FrameImages& images, ColorMode mode) {
  switch (mode) {
    case ColorMode::kGray8: return images.gray8;
    case ColorMode::kGray16: return images.gray16;
    case ColorMode::kColor24: return images.color24;
    case ColorMode::kColor32: return images.color32;
    case ColorMode::kColor48: return images.color48;
    case ColorMode::kColor64: return images.color64;
  }
  return {};
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
    if (hooks.analogChanged) hooks.analogChanged(AnalogField::kGain, gain);
  } else {
    int32_t e = sensor.Exposure();
    if (e == 1014) e = 2028;
    int32_t exposure = static_cast<uint16_t>(static_cast<int32_t>(e * d));
    if (exposure < 1) exposure = 1;
    if (exposure == 1014) exposure = 2028;  // 1014 means 2028 lines, so it is out of range
    exposure = std::clamp(exposure, 0, 1014);
    sensor.SetExposure(exposure);
    a.Exposure = exposure;
    if (hooks.analogChanged) hooks.analogChanged(AnalogField::kExposure, exposure);
  }
}

void MergeFieldsStriped(PipelineWorkers& workers, const ImageView& mosaic, const ImageView& raw,
                        bool mirrorV, bool mirrorH) {
  if (mosaic.Empty() || raw.Empty()) return;
  const bool deep = raw.bits == 16;
  const Size dstSize{mosaic.width, mosaic.height}, srcSize{raw.width, raw.height};
  workers.ForEachStripe(0, mosaic.height, mosaic.stride,
                        [&](int32_t top, int32_t bottom, SlotScratch&) {
                          MergeFieldRows(deep, mirrorV, mirrorH, mosaic.pixels, raw.pixels, dstSize,
                                         srcSize, mosaic.stride, raw.stride, top, bottom);
                        });
}

void BalanceAndDemosaic(const ImageView& color, const ImageView& gray, CameraSettings& settings,
                        const PipelineHooks& hooks, PipelineWorkers* workers) {
  std::optional<PipelineWorkers> oneThread;
  PipelineWorkers& w = workers ? *workers : oneThread.emplace(1);
  FramePass pass;
  pass.mosaic = gray;
  pass.out = color;
  pass.family = FamilyOf(color.bits);
  pass.first = FirstStage::kDemosaic;
  pass.demosaic = WhiteBalance(gray, settings, hooks, w);
  RunFramePass(w, pass);
}

void ProcessFrame(const FrameImages& images, CameraSettings& settings, SensorControl* sensor,
                  const PipelineHooks& hooks, PipelineWorkers* workers) {
  const std::optional<ColorMode> mode = ColorModeOf(settings.video.Color);
  if (mode) ProcessFrame(images, *mode, settings, sensor, hooks, workers);
}

void ProcessFrame(const FrameImages& images, ColorMode mode, CameraSettings& settings,
                  SensorControl* sensor, const PipelineHooks& hooks, PipelineWorkers* workers) {
  std::optional<PipelineWorkers> oneThread;
  PipelineWorkers& w = workers ? *workers : oneThread.emplace(1);
  const bool deep = IsDeep(mode);
  // The raw frame's depth is the mode's: raw samples of another depth are
  // never read as this one's.
  if (!images.raw.Empty() && images.raw.bits != (deep ? 16 : 8)) return;
  const ImageView& gray = deep ? images.gray16 : images.gray8;
  // Settings are read once: a setter on another thread changes the next frame.
  const FinishingParams finishing = FinishingOf(settings.filter);
  const int32_t grayMode = IsGray(mode) ? settings.filter.Mode.Get() : 0;
  // Gray mode 2 goes through the colour picture, which must exist.
  const bool grayToGray = mode == ColorMode::kGray8 && grayMode == 2 && !images.color24.Empty();

  FramePass pass;
  pass.out = OutputImage(images, mode);
  pass.family = FamilyOfMode(mode);
  pass.finishing = finishing;
  // In the gray modes the mosaic is the output. When a stage reads rows
  // around its own (sharpness, the demosaic), stripes must not change the
  // mosaic under their neighbours: the mosaic then goes to the current-output
  // copy, which has the output's layout and is otherwise unused.
  pass.mosaic = gray;
  if (IsGray(mode) && (finishing.sharpness != 0 || grayToGray) &&
      SameLayout(images.current, gray)) {
    pass.mosaic = images.current;
  }

  // 1. Field merge with mirroring.
  MergeFieldsStriped(w, pass.mosaic, images.raw, settings.analog.V_Mirror != 0,
                     settings.analog.H_Mirror != 0);
  // 2. Automatic brightness.
  if (sensor) RunAutoIris(images.raw, settings, *sensor, hooks);
  // 3. Gray stages and 4. colour: the measurements on the whole mosaic, and
  // the first per-pixel stage the pass runs.
  if (IsGray(mode)) {
    if (grayMode == 1 && GrayBayerConvert(pass.mosaic, deep, settings, hooks, w, pass.grayGain)) {
      pass.first = FirstStage::kGrayGain;
    } else if (mode == ColorMode::kGray8 && grayMode == 2) {
      pass.demosaic = WhiteBalance(pass.mosaic, settings, hooks, w);
      if (grayToGray) pass.first = FirstStage::kDemosaicToGray;
    }
  } else {
    pass.first = FirstStage::kDemosaic;
    pass.demosaic = WhiteBalance(pass.mosaic, settings, hooks, w);
  }
  // 5. Every per-pixel stage, stripe by stripe.
  RunFramePass(w, pass);
}

}  // namespace korvex::image
