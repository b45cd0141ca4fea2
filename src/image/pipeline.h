// The per-frame pipeline: one raw frame into the output image of the
// current colour mode, with automatic brightness and white balance writing
// their results back into the settings.
#pragma once

#include "common/analog_field.h"
#include "common/camera_settings.h"
#include "common/color_mode.h"
#include "image/dispatch.h"

#include <functional>

namespace korvex::image {

class PipelineWorkers;

// The images the pipeline reads and writes; an image that has not been
// created (no pixels) makes its stages do nothing.
struct FrameImages {
  ImageView raw;     // 2560 x 2008 samples, 8 or 16 bits
  ImageView gray8;   // mosaic after the first stage; output of mode 0
  ImageView gray16;  // mosaic after the first stage; output of mode 1
  ImageView color24;
  ImageView color32;
  ImageView color48;
  ImageView color64;
  ImageView current;  // copy of the output image, the sharpness stage's source
};

// The sensor settings the automatic brightness loop adjusts.
class SensorControl {
 public:
  virtual ~SensorControl() = default;
  virtual int GlobalGain() = 0;  // last gain written, 0..1023
  virtual void SetGlobalGain(int gain) = 0;
  virtual int Exposure() = 0;  // last exposure written, 0..1014
  virtual void SetExposure(int exposure) = 0;
};

using korvex::AnalogField;

// What the pipeline reports after it wrote settings back, so that an open
// dialog can show the new values; either may be empty. Called on the thread
// that runs the pipeline, with the frame lock held.
struct PipelineHooks {
  // The automatic white balance or the gray calibration changed the filter
  // group's gains.
  std::function<void()> filterChanged;
  // The automatic brightness loop set a new gain or exposure.
  std::function<void(AnalogField field, int value)> analogChanged;
};

// The output image of a colour mode.
ImageView OutputImage(const FrameImages& images, ColorMode mode);

// Processes one frame in colour mode `mode` (the mode the images were made
// for); the first form takes the mode from the settings and does nothing
// when the stored index is not a mode. workers: the
// camera's stripe pool and tables; without them the frame runs on the
// calling thread alone, with the same result.
void ProcessFrame(const FrameImages& images, CameraSettings& settings, SensorControl* sensor,
                  const PipelineHooks& hooks, PipelineWorkers* workers = nullptr);
void ProcessFrame(const FrameImages& images, ColorMode mode, CameraSettings& settings,
                  SensorControl* sensor, const PipelineHooks& hooks,
                  PipelineWorkers* workers = nullptr);

// The stages, exposed for tests.
// The field merge of `raw` (8- or 16-bit samples) into `mosaic`, stripe by
// stripe on the workers: the bytes of the merge converter for that depth
// and those mirror flags.
void MergeFieldsStriped(PipelineWorkers& workers, const ImageView& mosaic, const ImageView& raw,
                        bool mirrorV, bool mirrorH);
void RunAutoIris(const ImageView& raw, CameraSettings& settings, SensorControl& sensor,
                 const PipelineHooks& hooks);
void BalanceAndDemosaic(const ImageView& color, const ImageView& gray, CameraSettings& settings,
                        const PipelineHooks& hooks, PipelineWorkers* workers = nullptr);
// The factor the auto iris derives from the five region means.
double AutoIrisFactor(const int32_t (&means)[5]);
// The five measuring rectangles for a raw frame of width x height, in the
// dispatcher's bottom-up rows.
void AutoIrisRectangles(int32_t width, int32_t height, Rect (&out)[5]);

}  // namespace korvex::image
