#include "camera/exposure_timing.h"

#include "common/camera_settings.h"

namespace korvex {

int32_t ExposureTiming::Refresh(int32_t exposureSetting) {
  LockGuard<Mutex> lock(mutex_);
  lineLength_ = kLinePeriodClocks;
  lineOffset_ = kFixedOffsetClocks;
  clockFactor_ = kClockPeriodMs;
  effectiveLines_ = exposureSetting == 1014 ? 2028 : exposureSetting;
  realExposure_ = static_cast<int32_t>(
      (effectiveLines_ * static_cast<double>(lineLength_) + lineOffset_) * clockFactor_ * 1000.0);
  return realExposure_;
}

}  // namespace korvex
