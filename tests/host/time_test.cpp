// The host's sleep limit, which fuzzing uses to skip the camera protocol's
// fixed waits: every sleep is cut to the limit until it is lifted. A sleep
// that ignored the limit would outlast the test's time-out.
#include "korvex/host_base.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(HostTime, ASleepLimitCutsEverySleepShort) {
  constexpr uint32_t kAnHour = 3'600'000;
  KorvexHost_SetSleepLimit(0);
  KorvexHost_Sleep(kAnHour);
  KorvexHost_SetSleepLimit(5);
  KorvexHost_Sleep(kAnHour);
  KorvexHost_Sleep(0);
  KorvexHost_SetSleepLimit(UINT32_MAX);
  SUCCEED() << "every sleep returned";
}

}  // namespace
