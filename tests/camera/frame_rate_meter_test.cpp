// The preview's frame-rate measurement on a tick the test sets.
#include "camera/frame_rate_meter.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

TEST(FrameRateMeter, ReportsTenthsOfFramesPerSecondOnceAWindowOfOverASecondIsComplete) {
  FrameRateMeter meter(5000);
  for (uint32_t i = 1; i <= 30; ++i) EXPECT_EQ(meter.Count(5000 + i * 33), 0) << "frame " << i;
  // The 31st frame at 1001 ms closes the window: 31 frames in 1.001 s.
  EXPECT_EQ(meter.Count(6001), 309);
  // The rate holds through the next window, which starts at that frame.
  EXPECT_EQ(meter.Count(6500), 309);
  EXPECT_EQ(meter.Count(7001), 309) << "exactly a second is not over a second";
  EXPECT_EQ(meter.Count(7002), 29) << "three frames in 1.001 s";
}

TEST(FrameRateMeter, MeasuresAcrossTheWrapOfTheTick) {
  FrameRateMeter meter(0xFFFFFF00u);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(meter.Count(0xFFFFFF80u), 0);
  // 256 + 1744 = 2000 ms later, past the wrap: ten frames in two seconds.
  EXPECT_EQ(meter.Count(1744), 50);
}

}  // namespace
}  // namespace korvex
