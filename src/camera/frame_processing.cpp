// The camera object's side of the per-frame pipeline: its image buffers,
// the model driver as the automatic brightness loop's sensor, and the dialog
// refreshes after settings were written back.
#include "camera/korvex.h"

#include "device/korvex740k3xln_sdk.h"
#include "image/dib_image.h"
#include "image/pipeline.h"
#include "image/pipeline_workers.h"

namespace korvex {

namespace {

class DriverSensor : public image::SensorControl {
 public:
  explicit DriverSensor(CKorvex740K3XLNSdk& driver) : driver_(driver) {}
  int GlobalGain() override { return driver_.GetGlobalGain(); }
  void SetGlobalGain(int gain) override { driver_.SetGlobalGain(static_cast<uint16_t>(gain)); }
  int Exposure() override { return driver_.GetExposure(); }
  void SetExposure(int exposure) override { driver_.SetExposure(static_cast<uint16_t>(exposure)); }

 private:
  CKorvex740K3XLNSdk& driver_;
};

image::ImageView View(const std::unique_ptr<CDibImage>& image) {
  return image ? image::ViewOf(*image) : image::ImageView{};
}

}  // namespace

void CKorvex::SetPipelineHooks(image::PipelineHooks hooks) {
  LockGuard<RecursiveMutex> guard(frameLock_);
  pipelineHooks_ = std::move(hooks);
}

void CKorvex::ProcessFrame() {
  LockGuard<RecursiveMutex> guard(frameLock_);
  if (!HasDevice()) return;
  const image::FrameImages images{View(images_[kRawFrame]), View(images_[kGray8]),
                                  View(images_[kGray16]),   View(images_[kColor24]),
                                  View(images_[kColor32]),  View(images_[kColor48]),
                                  View(images_[kColor64]),  View(images_[kCurrentOutput])};
  DriverSensor sensor(*device_);
  // Results are noted for the open dialogs, which see them once the frame
  // lock is left. The pipeline calls these under the frame lock, which the
  // analysis cannot follow through the std::function.
  image::PipelineHooks hooks;
  hooks.filterChanged = [this]() KORVEX_NO_THREAD_SAFETY_ANALYSIS {
    dialogNotices_.filter = true;
    if (pipelineHooks_.filterChanged) pipelineHooks_.filterChanged();
  };
  hooks.analogChanged = [this](image::AnalogField field, int value)
                            KORVEX_NO_THREAD_SAFETY_ANALYSIS {
                              if (field == image::AnalogField::kGain) {
                                dialogNotices_.gain = true;
                                dialogNotices_.gainValue = value;
                              } else {
                                dialogNotices_.exposure = true;
                                dialogNotices_.exposureValue = value;
                              }
                              if (pipelineHooks_.analogChanged)
                                pipelineHooks_.analogChanged(field, value);
                            };
  // The mode the buffers were prepared for, not one stored since.
  const std::optional<ColorMode> mode = FrameMode();
  if (mode) image::ProcessFrame(images, *mode, settings_, &sensor, hooks, pipelineWorkers_.get());
}

void CKorvex::DeliverDialogNotices(bool worker) {
  DialogNotices notices;
  {
    LockGuard<RecursiveMutex> guard(frameLock_);
    notices = std::exchange(dialogNotices_, DialogNotices{});
  }
  if (notices.Empty()) return;
  dialogLink_.Deliver(notices,
                      [this, worker] { return worker && workerRun_.load() == WorkerRun::kStop; });
}

}  // namespace korvex
