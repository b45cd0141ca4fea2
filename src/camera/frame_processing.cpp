// The camera object's side of the per-frame pipeline: its image buffers,
// the model driver as the automatic brightness loop's sensor, and the dialog
// refreshes after settings were written back.
#include "camera/korvex.h"

#include "device/korvex740k3xln_sdk.h"
#include "image/dib_image.h"
#include "image/pipeline.h"

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
  std::lock_guard<platform::CriticalSection> guard(frameLock_);
  pipelineHooks_ = std::move(hooks);
}

void CKorvex::ProcessFrame() {
  std::lock_guard<platform::CriticalSection> guard(frameLock_);
  if (!HasDevice()) return;
  const image::FrameImages images{View(images_[kRawFrame]), View(images_[kGray8]),
                                  View(images_[kGray16]),   View(images_[kColor24]),
                                  View(images_[kColor32]),  View(images_[kColor48]),
                                  View(images_[kColor64]),  View(images_[kCurrentOutput])};
  DriverSensor sensor(*device_);
  // The mode the buffers were prepared for, not one stored since.
  image::ProcessFrame(images, FrameMode(), settings_, &sensor, pipelineHooks_);
}

}  // namespace korvex
