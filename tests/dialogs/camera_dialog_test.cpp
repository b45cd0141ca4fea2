// The camera dialog on the simulated camera: it works on the stored copy of
// the video format and size presets, worked through the host's hands.
#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"
#include "support/dialog_hands.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

using korvex::test::DialogThread;
using korvex::test::ListText;
using korvex::test::Read;
using korvex::test::ReadDword;
using korvex::test::Text;
using korvex::test::WriteDword;

constexpr int kOk = 1, kCancel = 2, kApply = 1002;
constexpr int kColorList = 1009, kSizeList = 1010, kSubSampleList = 1012, kClockList = 1014;
constexpr int kWaitTime = 1045;
const std::string kCamera = korvex::test::kRoot + "\\Camera_00";

std::string PresetKey(int n) {
  char name[16];
  std::snprintf(name, sizeof name, "\\Size_%02d", n);
  return kCamera + name;
}

void WritePreset(int n, uint32_t eh, uint32_t ev) {
  const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
  const uint32_t values[] = {2560, 2560, eh, ev, 0, 0, 4};
  for (int i = 0; i < 7; ++i) WriteDword(PresetKey(n), names[i], values[i]);
}

class CameraDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    korvex::test::UseSystemLanguage(1033);
    handle_ = Korvex_Initialize(nullptr);  // creates the stored defaults
    ASSERT_NE(handle_, 0u);
    ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
  }
  void TearDown() override { Korvex_Release(handle_); }
  DialogThread Open() {
    return DialogThread([h = handle_] { return Korvex_SetCameraDlg(h, nullptr); });
  }

  korvex::test::ScopedRegistryRoot registry_;
  KORVEX_HANDLE handle_ = 0;
};

TEST_F(CameraDialog, CancelAfterAColourChangeChangesNothingAndRestartsThePreview) {
  ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
  ASSERT_EQ(Korvex_StartPreview(handle_), 1);
  DialogThread dialog = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  ASSERT_NE(box, nullptr);
  // The acquisition is stopped while the dialog is open.
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
  ASSERT_EQ(KorvexHost_HandPick(box, kColorList, 3), 1);
  EXPECT_TRUE(Read(box, kApply).enabled);
  ASSERT_EQ(KorvexHost_HandClick(box, kCancel), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(ReadDword(kCamera, "Color"), 2u);
  EXPECT_EQ(Korvex_GetColorMode(handle_), 8);
  const uint32_t served = KorvexHost_SimFramesServed(0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (KorvexHost_SimFramesServed(0) == served && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_GT(KorvexHost_SimFramesServed(0), served);
}

TEST_F(CameraDialog, OkAfterColor32WritesTheRegistryAndTheCameraReloads) {
  DialogThread dialog = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  EXPECT_EQ(ListText(box, kColorList, 3), "Color 32bit");
  ASSERT_EQ(KorvexHost_HandPick(box, kColorList, 3), 1);
  ASSERT_EQ(KorvexHost_HandType(box, kWaitTime, "abc"), 1);
  ASSERT_EQ(KorvexHost_HandClick(box, kOk), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(ReadDword(kCamera, "Color"), 3u);
  EXPECT_EQ(ReadDword(kCamera, "WaitTime"), 0u);
  EXPECT_EQ(Korvex_GetColorMode(handle_), 32);
  EXPECT_EQ(Korvex_GetWaitTime(handle_), 0);
}

// The wait time is a non-negative 32-bit number: a larger one typed or
// stored means the largest, never -1 (which reads as "handle not open").
TEST_F(CameraDialog, AWaitTimePastTheLargestIsKeptAsTheLargest) {
  DialogThread dialog = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  ASSERT_EQ(KorvexHost_HandType(box, kWaitTime, "4294967295"), 1);
  ASSERT_EQ(KorvexHost_HandClick(box, kApply), 1);
  EXPECT_EQ(Text(box, kWaitTime), "2147483647");
  EXPECT_EQ(ReadDword(kCamera, "WaitTime"), 2147483647u);
  ASSERT_EQ(KorvexHost_HandType(box, kWaitTime, "99999999999"), 1);
  ASSERT_EQ(KorvexHost_HandClick(box, kOk), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(ReadDword(kCamera, "WaitTime"), 2147483647u);
  EXPECT_EQ(Korvex_GetWaitTime(handle_), 2147483647);

  // Stored by something else: the dialog shows, and the camera loads, the
  // largest wait time.
  WriteDword(kCamera, "WaitTime", 0xFFFFFFFFu);
  DialogThread again = Open();
  box = korvex::test::WaitForDialog();
  EXPECT_EQ(Text(box, kWaitTime), "2147483647");
  ASSERT_EQ(KorvexHost_HandClick(box, kCancel), 1);
  EXPECT_EQ(again.Join(), 1);
  const KORVEX_HANDLE other = Korvex_Initialize(nullptr);
  ASSERT_NE(other, 0u);
  EXPECT_EQ(Korvex_GetWaitTime(other), 2147483647);
  EXPECT_EQ(Korvex_SetWaitTime(other, 2147483647), 1);
  EXPECT_EQ(Korvex_SetWaitTime(other, -1), 0);
  EXPECT_EQ(Korvex_GetWaitTime(other), 2147483647);
  EXPECT_EQ(Korvex_Release(other), 1);
}

// A stored colour mode or clock that no list entry names leaves its list
// without a selection; OK then stores the default, never -1.
TEST_F(CameraDialog, AStoredColourOrClockOutsideItsListBecomesTheDefaultOnOk) {
  WriteDword(kCamera, "Color", 9);
  WriteDword(kCamera, "Clock", 3);
  DialogThread dialog = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  EXPECT_EQ(Read(box, kColorList).selection, -1);
  EXPECT_EQ(Read(box, kClockList).selection, -1);
  ASSERT_EQ(KorvexHost_HandType(box, kWaitTime, "5"), 1);
  ASSERT_EQ(KorvexHost_HandClick(box, kOk), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(ReadDword(kCamera, "Color"), 2u);
  EXPECT_EQ(ReadDword(kCamera, "Clock"), 2u);
  EXPECT_EQ(Korvex_GetColorMode(handle_), 24);

  // A valid stored value is kept as it is.
  WriteDword(kCamera, "Color", 4);
  WriteDword(kCamera, "Clock", 1);
  DialogThread again = Open();
  box = korvex::test::WaitForDialog();
  ASSERT_EQ(KorvexHost_HandClick(box, kOk), 1);
  EXPECT_EQ(again.Join(), 1);
  EXPECT_EQ(ReadDword(kCamera, "Color"), 4u);
  EXPECT_EQ(ReadDword(kCamera, "Clock"), 1u);
}

// A launch refused because a camera dialog is open already leaves a running
// preview alone: no stop, no restart.
TEST_F(CameraDialog, ARefusedSecondLaunchDoesNotInterruptTheRunningPreview) {
  DialogThread dialog = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(Korvex_StartPreview(handle_), 1);
  // The streaming thread opens its own handle once it runs: counted from its
  // first frame on, so only a stop and restart can add opens.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (KorvexHost_SimFramesServed(0) == 0 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_GT(KorvexHost_SimFramesServed(0), 0u);
  const uint32_t opens = KorvexHost_SimOpenCount(0);
  while (Korvex_GetLastError(handle_) != 0) {
  }
  EXPECT_EQ(Korvex_SetCameraDlg(handle_, nullptr), 0);
  EXPECT_EQ(Korvex_GetLastError(handle_), static_cast<uint32_t>(KORVEX_ERR_NOT_POSSIBLE));
  EXPECT_EQ(KorvexHost_SimOpenCount(0), opens) << "the preview was stopped and started again";
  ASSERT_EQ(KorvexHost_HandClick(box, kCancel), 1);
  EXPECT_EQ(dialog.Join(), 1);
  // The first dialog found the camera idle: the preview runs on.
  const uint32_t served = KorvexHost_SimFramesServed(0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (KorvexHost_SimFramesServed(0) == served && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_GT(KorvexHost_SimFramesServed(0), served);
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
}

TEST_F(CameraDialog, ApplyThenCancelKeepsTheRegistryButNotTheCamera) {
  DialogThread dialog = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  EXPECT_FALSE(Read(box, kApply).enabled);
  ASSERT_EQ(KorvexHost_HandType(box, kWaitTime, "25"), 1);
  ASSERT_EQ(KorvexHost_HandClick(box, kApply), 1);
  EXPECT_FALSE(Read(box, kApply).enabled);
  EXPECT_EQ(ReadDword(kCamera, "WaitTime"), 25u);
  ASSERT_EQ(KorvexHost_HandClick(box, kCancel), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(ReadDword(kCamera, "WaitTime"), 25u);
  EXPECT_EQ(Korvex_GetWaitTime(handle_), 1);
}

TEST_F(CameraDialog, TriggeredAcquisitionIsPausedAndResumed) {
  ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
  ASSERT_EQ(Korvex_Trigger(handle_, nullptr, nullptr, 0, 1), 1);
  DialogThread dialog = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  // While paused the worker takes no new frames: of three triggers at most
  // the first reaches a capture that was already waiting when it paused.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const uint32_t paused = KorvexHost_SimFramesServed(0);
  for (int i = 0; i < 3; ++i) {
    KorvexHost_SimTrigger(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  EXPECT_LE(KorvexHost_SimFramesServed(0), paused + 1);
  const uint32_t before = KorvexHost_SimFramesServed(0);
  ASSERT_EQ(KorvexHost_HandClick(box, kCancel), 1);
  EXPECT_EQ(dialog.Join(), 1);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (KorvexHost_SimFramesServed(0) == before && std::chrono::steady_clock::now() < deadline) {
    KorvexHost_SimTrigger(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_GT(KorvexHost_SimFramesServed(0), before);
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
}

TEST_F(CameraDialog, JapaneseLanguageUsesTemplate101AndJapaneseListTexts) {
  if (!korvex::test::UseSystemLanguage(1041)) GTEST_SKIP() << "the system language is not Japanese";
  DialogThread dialog = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  KorvexHostDialogInfo info{};
  ASSERT_EQ(KorvexHost_GetDialogInfo(box, &info), 1);
  EXPECT_EQ(info.resourceId, 101);
  EXPECT_STREQ(info.title, "プロパティ");
  EXPECT_EQ(Text(box, kCancel), "キャンセル");
  EXPECT_EQ(Text(box, kApply), "適用(&A)");
  EXPECT_EQ(ListText(box, 1001, 0), "ストリーム形式");
  EXPECT_EQ(ListText(box, kColorList, 1), "白黒 10bit ※");
  EXPECT_EQ(ListText(box, kClockList, 2), "高速(40MHz)");
  EXPECT_EQ(ListText(box, kSizeList, 1), "カスタム");
  KorvexHost_HandClick(box, kCancel);
  dialog.Join();
}

TEST_F(CameraDialog, EnglishLanguageUsesTemplate106AndEnglishListTexts) {
  if (!korvex::test::UseSystemLanguage(1033)) GTEST_SKIP() << "the system language is not English";
  DialogThread english = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  KorvexHostDialogInfo info{};
  ASSERT_EQ(KorvexHost_GetDialogInfo(box, &info), 1);
  EXPECT_EQ(info.resourceId, 106);
  EXPECT_EQ(ListText(box, kClockList, 0), "Nomal(24MHz)");
  EXPECT_EQ(ListText(box, kClockList, 2), "High(40MHz)");
  EXPECT_EQ(ListText(box, kSizeList, 0), "2560 x 1920");
  KorvexHost_HandClick(box, kCancel);
  english.Join();
}

TEST_F(CameraDialog, PresetsAreListedAndTheStoredSizeSelected) {
  WritePreset(1, 1280, 960);
  WriteDword(kCamera, "Size", 1);
  DialogThread dialog = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  const KorvexHostDialogItemInfo sizes = Read(box, kSizeList);
  EXPECT_EQ(sizes.count, 3);
  EXPECT_EQ(sizes.selection, 1);
  EXPECT_EQ(ListText(box, kSizeList, 1), "1280 x 960");
  EXPECT_EQ(ListText(box, kSizeList, 2), "Custom");
  EXPECT_EQ(Text(box, 1041), "1280");
  EXPECT_EQ(Text(box, 1042), "960");
  // Only the colour mode and the wait time can be changed.
  for (int id : {kSizeList, kSubSampleList, kClockList, 1039, 1040, 1041, 1042, 1043, 1044})
    EXPECT_FALSE(Read(box, id).enabled) << id;
  EXPECT_TRUE(Read(box, kColorList).enabled);
  EXPECT_TRUE(Read(box, kWaitTime).enabled);
  EXPECT_EQ(KorvexHost_HandPick(box, kSizeList, 0), 0);
  EXPECT_EQ(KorvexHost_HandType(box, 1041, "640"), 0);
  KorvexHost_HandClick(box, kCancel);
  dialog.Join();
}

// With all 100 presets in use and "Custom" selected, the custom size takes
// the place of the last preset instead of a 101st.
TEST_F(CameraDialog, CustomSizeWithAHundredPresetsReplacesTheLastOne) {
  // A preset key with only its width: the other values read as the defaults.
  for (int n = 1; n < 100; ++n) WriteDword(PresetKey(n), "EH", 2000 + n);
  WriteDword(kCamera, "Size", 100);
  DialogThread dialog = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  EXPECT_EQ(Read(box, kSizeList).count, 101);
  EXPECT_EQ(Read(box, kSizeList).selection, 100);
  EXPECT_EQ(Text(box, 1041), "2560");  // the initial values of "Custom"
  ASSERT_EQ(KorvexHost_HandClick(box, kOk), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(ReadDword(kCamera, "Size"), 99u);
  EXPECT_EQ(ReadDword(PresetKey(99), "EH"), 2560u);
  EXPECT_EQ(ReadDword(PresetKey(99), "EV"), 1920u);
  EXPECT_EQ(ReadDword(PresetKey(98), "EH"), 2098u);
  EXPECT_FALSE(korvex::test::KeyExists(kCamera + "\\Size_100"));
}

TEST_F(CameraDialog, AStoredSelectionPastTheListCountsAsCustom) {
  WriteDword(kCamera, "Size", 5000);
  DialogThread dialog = Open();
  KorvexHostWindow box = korvex::test::WaitForDialog();
  EXPECT_EQ(Read(box, kSizeList).selection, 1);
  ASSERT_EQ(KorvexHost_HandClick(box, kOk), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(ReadDword(kCamera, "Size"), 1u);
  EXPECT_EQ(ReadDword(PresetKey(1), "EV"), 1920u);
}

}  // namespace
