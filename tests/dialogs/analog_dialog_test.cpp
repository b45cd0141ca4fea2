// The analog gain dialog on the simulated camera, worked through the host's
// hands from the test thread while the dialog runs on a thread of its own.
#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"
#include "support/dialog_hands.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using korvex::test::DialogThread;
using korvex::test::Read;
using korvex::test::SensorExposure;
using korvex::test::SensorGain;
using korvex::test::Text;

constexpr int kOk = 1, kCancel = 2, kDefault = 3;
constexpr int kGainTrack = 1013, kGainEdit = 1015, kExposureTrack = 1026, kExposureEdit = 1027;
constexpr int kColorG1Edit = 1019, kColorG1Track = 1018, kExposureTime = 1049;
constexpr int kAutoGain = 1036, kAutoExposure = 1037, kMirrorV = 1028;

class AnalogDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    korvex::test::UseSystemLanguage(1033);
    window_ = KorvexHost_CreateMessageWindow();
    handle_ = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(window_));
    ASSERT_NE(handle_, 0u);
    ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
  }
  void TearDown() override {
    if (handle_) Korvex_Release(handle_);
    KorvexHost_DestroyWindow(window_);
  }
  DialogThread Open() {
    return DialogThread([h = handle_] { return Korvex_SetAnalogDlg(h, nullptr); });
  }
  // The page of the open sheet.
  static KorvexHostWindow PageOf(KorvexHostWindow sheet) {
    return KorvexHost_GetDialogPage(sheet, 0);
  }

  korvex::test::ScopedRegistryRoot registry_;
  KorvexHostWindow window_ = nullptr;
  KORVEX_HANDLE handle_ = 0;
};

TEST_F(AnalogDialog, OpensWithTheSensorsGainAndExposureAndTheirTime) {
  ASSERT_EQ(Korvex_SetGlobalGain(handle_, 300), 1);
  ASSERT_EQ(Korvex_SetExposureTime(handle_, 500), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  ASSERT_NE(sheet, nullptr);
  KorvexHostWindow page = PageOf(sheet);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(Text(page, kGainEdit), "300");
  EXPECT_EQ(Read(page, kGainTrack).position, 300);
  EXPECT_EQ(Read(page, kGainTrack).rangeMax, 1023);
  EXPECT_EQ(Read(page, kGainTrack).tickFrequency, 127);
  EXPECT_EQ(Text(page, kExposureEdit), "500");
  EXPECT_EQ(Read(page, kExposureTrack).tickFrequency, 126);
  EXPECT_EQ(Text(page, kExposureTime), "=60.35ms");
  EXPECT_EQ(Read(page, 1038).buddyId, kGainEdit);
  // The colour gains are shown but cannot be worked.
  EXPECT_FALSE(Read(page, kColorG1Edit).enabled);
  EXPECT_FALSE(Read(page, kColorG1Track).enabled);
  EXPECT_EQ(KorvexHost_HandType(page, kColorG1Edit, "5"), 0);
  EXPECT_EQ(KorvexHost_HandClick(sheet, kOk), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(Korvex_GetGlobalGain(handle_, nullptr), 300);
}

TEST_F(AnalogDialog, ExposureReadOutFollowsTypedValues) {
  DialogThread dialog = Open();
  KorvexHostWindow page = PageOf(korvex::test::WaitForDialog());
  ASSERT_NE(page, nullptr);
  const std::pair<const char*, const char*> cases[] = {
      {"0", "=0.06ms"}, {"100", "=12.12ms"}, {"1014", "=244.60ms"}, {"1013", "=122.21ms"}};
  for (const auto& [typed, shown] : cases) {
    ASSERT_EQ(KorvexHost_HandType(page, kExposureEdit, typed), 1);
    EXPECT_EQ(Text(page, kExposureTime), shown) << typed;
    EXPECT_EQ(SensorExposure(), std::atoi(typed)) << typed;
  }
  KorvexHost_HandClick(KorvexHost_WaitForDialog(nullptr, 0), kCancel);
  dialog.Join();
}

// A number typed past a row's ends means that end, on the sensor and in the
// edit; it is never cut to the bits the sensor register keeps.
TEST_F(AnalogDialog, TypedGainsAndExposuresStopAtTheRowsEnds) {
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow page = PageOf(sheet);
  ASSERT_NE(page, nullptr);
  const std::pair<const char*, int> gains[] = {
      {"5000", 1023}, {"-3", 0}, {"1024", 1023}, {"-1", 0}, {"99999999999", 1023}, {"700", 700}};
  for (const auto& [typed, end] : gains) {
    ASSERT_EQ(KorvexHost_HandType(page, kGainEdit, typed), 1);
    EXPECT_EQ(SensorGain(), end) << typed;
    EXPECT_EQ(Text(page, kGainEdit), std::to_string(end)) << typed;
    EXPECT_EQ(Read(page, kGainTrack).position, end) << typed;
  }
  const std::pair<const char*, int> exposures[] = {{"2000", 1014}, {"-5", 0}, {"-99999999999", 0}};
  for (const auto& [typed, end] : exposures) {
    ASSERT_EQ(KorvexHost_HandType(page, kExposureEdit, typed), 1);
    EXPECT_EQ(SensorExposure(), end) << typed;
    EXPECT_EQ(Text(page, kExposureEdit), std::to_string(end)) << typed;
  }
  EXPECT_EQ(Text(page, kExposureTime), "=0.06ms");
  ASSERT_EQ(KorvexHost_HandType(page, kExposureEdit, "1015"), 1);
  EXPECT_EQ(Text(page, kExposureTime), "=244.60ms");
  ASSERT_EQ(KorvexHost_HandClick(sheet, kOk), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(Korvex_GetGlobalGain(handle_, nullptr), 700);
  EXPECT_EQ(Korvex_GetExposureTime(handle_, nullptr), 1014);
}

// A launch that cannot show its dialog (one is open already) neither reads
// nor writes the sensor: the open dialog's live values stay.
TEST_F(AnalogDialog, ARefusedSecondLaunchLeavesTheSensorAlone) {
  ASSERT_EQ(Korvex_SetExposureTime(handle_, 200), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow page = PageOf(sheet);
  ASSERT_EQ(KorvexHost_HandDrag(page, kExposureTrack, 700), 1);
  ASSERT_EQ(KorvexHost_HandClick(page, kMirrorV), 1);
  const uint32_t opens = KorvexHost_SimOpenCount(0);
  while (Korvex_GetLastError(handle_) != 0) {
  }
  EXPECT_EQ(Korvex_SetAnalogDlg(handle_, nullptr), 0);
  EXPECT_EQ(Korvex_GetLastError(handle_), static_cast<uint32_t>(KORVEX_ERR_NOT_POSSIBLE));
  EXPECT_EQ(KorvexHost_SimOpenCount(0), opens) << "the refused launch spoke to the camera";
  EXPECT_EQ(SensorExposure(), 700);
  EXPECT_EQ(Korvex_GetMirrorV(handle_), 1);
  ASSERT_EQ(KorvexHost_HandClick(sheet, kCancel), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(SensorExposure(), 200);
  EXPECT_EQ(Korvex_GetMirrorV(handle_), 0);
}

TEST_F(AnalogDialog, DraggingTheExposureReachesTheSensorAtOnceAndCancelRestoresIt) {
  ASSERT_EQ(Korvex_SetExposureTime(handle_, 200), 1);
  ASSERT_EQ(Korvex_SetMirrorV(handle_, 0), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow page = PageOf(sheet);
  ASSERT_EQ(KorvexHost_HandDrag(page, kExposureTrack, 700), 1);
  EXPECT_EQ(SensorExposure(), 700);
  EXPECT_EQ(Text(page, kExposureEdit), "700");
  EXPECT_EQ(Korvex_GetExposureTime(handle_, nullptr), 700);
  ASSERT_EQ(KorvexHost_HandClick(page, kMirrorV), 1);
  EXPECT_EQ(Korvex_GetMirrorV(handle_), 1);
  ASSERT_EQ(KorvexHost_HandClick(sheet, kCancel), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(SensorExposure(), 200);
  EXPECT_EQ(Korvex_GetExposureTime(handle_, nullptr), 200);
  EXPECT_EQ(Korvex_GetMirrorV(handle_), 0);
}

TEST_F(AnalogDialog, DefaultWritesTheModelDefaultsAndCancelPutsTheOldValuesBack) {
  ASSERT_EQ(Korvex_SetGlobalGain(handle_, 40), 1);
  ASSERT_EQ(Korvex_SetExposureTime(handle_, 77), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow page = PageOf(sheet);
  ASSERT_EQ(KorvexHost_HandClick(sheet, kDefault), 1);
  EXPECT_EQ(SensorGain(), 512);
  EXPECT_EQ(SensorExposure(), 1014);
  EXPECT_EQ(Text(page, kGainEdit), "512");
  EXPECT_EQ(Read(page, kExposureTrack).position, 1014);
  ASSERT_EQ(KorvexHost_HandClick(sheet, kCancel), 1);
  dialog.Join();
  EXPECT_EQ(SensorGain(), 40);
  EXPECT_EQ(SensorExposure(), 77);
  EXPECT_EQ(Korvex_GetGlobalGain(handle_, nullptr), 40);
}

TEST_F(AnalogDialog, AutoIrisBoxesExcludeEachOther) {
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow page = PageOf(sheet);
  int ok = 0;
  ASSERT_EQ(KorvexHost_HandClick(page, kAutoExposure), 1);
  EXPECT_EQ(Korvex_GetAutoIris(handle_, &ok), 1);
  ASSERT_EQ(KorvexHost_HandClick(page, kAutoGain), 1);
  EXPECT_FALSE(Read(page, kAutoExposure).checked);
  EXPECT_EQ(Korvex_GetAutoIris(handle_, &ok), 2);
  ASSERT_EQ(KorvexHost_HandClick(page, kAutoGain), 1);
  EXPECT_EQ(Korvex_GetAutoIris(handle_, &ok), 0);
  ASSERT_EQ(KorvexHost_HandClick(page, kAutoGain), 1);
  ASSERT_EQ(KorvexHost_HandClick(sheet, kOk), 1);
  dialog.Join();
  EXPECT_EQ(Korvex_GetAutoIris(handle_, &ok), 2);
}

TEST_F(AnalogDialog, JapaneseLanguageUsesTheJapaneseTemplates) {
  if (!korvex::test::UseSystemLanguage(1041)) GTEST_SKIP() << "the system language is not Japanese";
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostDialogInfo info{};
  ASSERT_EQ(KorvexHost_GetDialogInfo(sheet, &info), 1);
  EXPECT_EQ(info.resourceId, 104);
  EXPECT_STREQ(info.title, "プロパティ");
  EXPECT_EQ(Text(sheet, kCancel), "キャンセル");
  EXPECT_EQ(Text(sheet, kDefault), "規定値(&D)");
  ASSERT_EQ(KorvexHost_GetDialogInfo(PageOf(sheet), &info), 1);
  EXPECT_EQ(info.resourceId, 105);
  EXPECT_EQ(info.cx, 251);
  KorvexHost_HandClick(sheet, kCancel);
  dialog.Join();
}

// Automatic brightness during a live preview writes the dialog's edits from
// the capture thread; closing the dialog or stopping while refreshes are in
// flight neither deadlocks nor touches a closed dialog.
TEST_F(AnalogDialog, AutoIrisDuringPreviewUpdatesTheEditsAndClosingMidRefreshIsSafe) {
  // A dark scene: the auto iris keeps raising exposure or gain.
  std::vector<uint8_t> dark(2560u * 2008u, 5);
  ASSERT_EQ(KorvexHost_SimSetRawFrame(0, dark.data(), dark.size()), 1);
  ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
  ASSERT_EQ(Korvex_SetWaitTime(handle_, 0), 1);
  ASSERT_EQ(Korvex_SetExposureTime(handle_, 10), 1);
  ASSERT_EQ(Korvex_SetAutoIris(handle_, 1), 1);
  ASSERT_EQ(Korvex_StartPreview(handle_), 1);
  for (int round = 0; round < 6; ++round) {
    DialogThread dialog = Open();
    KorvexHostWindow sheet = korvex::test::WaitForDialog();
    ASSERT_NE(sheet, nullptr);
    KorvexHostWindow page = PageOf(sheet);
    if (round == 0) {
      // The exposure edit follows the loop.
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (Text(page, kExposureEdit) == "10" && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      EXPECT_NE(Text(page, kExposureEdit), "10");
      KorvexHost_HandClick(page, kAutoGain);  // switch the loop to the gain
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(round * 3));
    }
    KorvexHost_HandClick(sheet, round % 2 ? kCancel : kOk);
    EXPECT_EQ(dialog.Join(), 1);
    if (round == 3) {
      ASSERT_EQ(Korvex_StopPreview(handle_), 1);
      ASSERT_EQ(Korvex_SetAutoIris(handle_, 2), 1);
      ASSERT_EQ(Korvex_StartPreview(handle_), 1);
    }
  }
  // Stopping from the dialog's own thread while refreshes come in.
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  KORVEX_HANDLE h = handle_;
  ASSERT_EQ(KorvexHost_HandRun(
                sheet, [](void* p) { Korvex_StopPreview(*static_cast<KORVEX_HANDLE*>(p)); }, &h),
            1);
  KorvexHost_HandClick(sheet, kCancel);
  EXPECT_EQ(dialog.Join(), 1);
}

TEST_F(AnalogDialog, ReleaseFromTheDialogsThreadDuringPreviewDoesNotHang) {
  std::vector<uint8_t> dark(2560u * 2008u, 5);
  ASSERT_EQ(KorvexHost_SimSetRawFrame(0, dark.data(), dark.size()), 1);
  ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
  ASSERT_EQ(Korvex_SetWaitTime(handle_, 0), 1);
  ASSERT_EQ(Korvex_SetAutoIris(handle_, 2), 1);
  ASSERT_EQ(Korvex_StartPreview(handle_), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  KORVEX_HANDLE h = handle_;
  // As an application's window procedure would, while the dialog's loop runs.
  ASSERT_EQ(KorvexHost_HandRun(
                sheet,
                [](void* p) { EXPECT_EQ(Korvex_Release(*static_cast<KORVEX_HANDLE*>(p)), 1); }, &h),
            1);
  EXPECT_EQ(dialog.Join(), 1);  // the release closed the dialog
  EXPECT_EQ(KorvexHost_IsDialog(sheet), 0);
  EXPECT_EQ(Korvex_Width(handle_), 0);
  handle_ = 0;
}

TEST_F(AnalogDialog, ReleaseFromAnotherThreadClosesTheDialog) {
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(Korvex_Release(handle_), 1);
  EXPECT_EQ(dialog.Join(), 1);
  handle_ = 0;
}

}  // namespace
