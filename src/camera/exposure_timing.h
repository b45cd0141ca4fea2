// The exposure timing read-out of one camera: line length, fixed offset,
// clock period and effective lines of the last exposure setting read out,
// and the exposure in microseconds they give,
//   (2894 x lines + 1480) x the single-precision period of 1/24000 ms x 1000,
// with the setting 1014 standing for 2028 lines.
//
// Thread safe: refreshed by Korvex_GetRealExposureTime on the application's
// threads and by every acquisition preparation. It has a lock of its own, so
// the read-out works in every acquisition state without the acquisition lock.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"

#include <cstdint>

namespace korvex {

class ExposureTiming {
 public:
  // Reads out the timing of `exposureSetting` (0..1014 sensor lines) and
  // returns the exposure in microseconds.
  int32_t Refresh(int32_t exposureSetting);

 private:
  Mutex mutex_;
  int32_t lineLength_ KORVEX_GUARDED_BY(mutex_) = 0;
  int32_t lineOffset_ KORVEX_GUARDED_BY(mutex_) = 0;
  int32_t effectiveLines_ KORVEX_GUARDED_BY(mutex_) = 1;
  double clockFactor_ KORVEX_GUARDED_BY(mutex_) = 1.0;
  int32_t realExposure_ KORVEX_GUARDED_BY(mutex_) = 0;
};

}  // namespace korvex
