// A camera on the simulated camera at its fast pace, without a preview
// window, holding one snapshot of a 32 x 16 region: the picture the file
// name tests save and record. `Folder` is the temporary folder the test's
// files go to.
#pragma once

#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host_sim.h"
#include "support/error_codes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace korvex::test {

template <class Folder>
class SnapshotCamera : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    handle_ = Korvex_Initialize(nullptr);
    ASSERT_NE(handle_, 0u);
    ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Korvex_SetCaptureWindowEx(handle_, 2560, 0, 32, 2560, 0, 16), 1);
    ASSERT_EQ(Korvex_SnapShot(handle_, nullptr, 0, 1), 1);
  }
  void TearDown() override { EXPECT_EQ(Korvex_Release(handle_), 1); }
  std::vector<uint32_t> Errors() { return DrainErrors(handle_); }

  Folder folder_;
  KORVEX_HANDLE handle_ = 0;
};

}  // namespace korvex::test
