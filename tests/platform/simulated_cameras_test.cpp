// Reading the number of simulated cameras from KORVEX_SIMULATED_CAMERAS.
#include "platform/simulated_cameras.h"

#include <gtest/gtest.h>

namespace korvex::platform {
namespace {

TEST(SimulatedCameras, WholeNumbersFromOneToThirtyTwoAreTaken) {
  EXPECT_EQ(ParseSimulatedCameras("1"), 1);
  EXPECT_EQ(ParseSimulatedCameras("2"), 2);
  EXPECT_EQ(ParseSimulatedCameras("32"), 32);
  EXPECT_EQ(ParseSimulatedCameras("007"), 7);
}

TEST(SimulatedCameras, AnythingElseMeansTheRealDriver) {
  EXPECT_EQ(ParseSimulatedCameras(nullptr), 0);
  EXPECT_EQ(ParseSimulatedCameras(""), 0);
  EXPECT_EQ(ParseSimulatedCameras("0"), 0);
  EXPECT_EQ(ParseSimulatedCameras("33"), 0);
  EXPECT_EQ(ParseSimulatedCameras("99999999999999999999"), 0);
  EXPECT_EQ(ParseSimulatedCameras("-1"), 0);
  EXPECT_EQ(ParseSimulatedCameras("2 "), 0);
  EXPECT_EQ(ParseSimulatedCameras("two"), 0);
  EXPECT_EQ(ParseSimulatedCameras("0x2"), 0);
}

}  // namespace
}  // namespace korvex::platform
