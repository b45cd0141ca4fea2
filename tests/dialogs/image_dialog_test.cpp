// The image filter and gray dialog on the simulated camera, worked through
// the host's hands while it runs on a thread of its own.
#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"
#include "support/dialog_hands.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

using korvex::test::DialogThread;
using korvex::test::Read;
using korvex::test::Text;

constexpr int kOk = 1, kCancel = 2, kDefault = 3, kTab = 1001;
constexpr int kOnce = 2074, kAllFrames = 1035;

class ImageDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    korvex::test::UseSystemLanguage(1033);
    handle_ = Korvex_Initialize(nullptr);
    ASSERT_NE(handle_, 0u);
  }
  void TearDown() override { Korvex_Release(handle_); }
  DialogThread Open() {
    return DialogThread([h = handle_] { return Korvex_SetImageDlg(h, nullptr); });
  }

  korvex::test::ScopedRegistryRoot registry_;
  KORVEX_HANDLE handle_ = 0;
};

TEST_F(ImageDialog, MonochromeShowsBothTabsWithTheColourRowsDisabled) {
  ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(Read(sheet, kTab).count, 2);
  EXPECT_EQ(korvex::test::ListText(sheet, kTab, 1), "Gray Filter");
  KorvexHostWindow filter = KorvexHost_GetDialogPage(sheet, 0);
  KorvexHostWindow gray = KorvexHost_GetDialogPage(sheet, 1);
  ASSERT_NE(gray, nullptr);
  for (int id : {2002, 2012, 2042, 2082}) EXPECT_TRUE(Read(filter, id).enabled) << id;
  for (int id : {2021, 2022, 2024, 2032, 2052, 2062, 2072, kOnce, kAllFrames, 1030, 1033})
    EXPECT_FALSE(Read(filter, id).enabled) << id;
  EXPECT_TRUE(Read(filter, 2002).visible);
  EXPECT_FALSE(Read(gray, 2101).visible);
  // Picking the gray tab swaps the pages.
  ASSERT_EQ(KorvexHost_HandPick(sheet, kTab, 1), 1);
  EXPECT_TRUE(Read(gray, 2101).visible);
  EXPECT_FALSE(Read(filter, 2002).visible);
  EXPECT_EQ(KorvexHost_HandType(filter, 2002, "5"), 0);  // hidden now
  KorvexHost_HandClick(sheet, kCancel);
  EXPECT_EQ(dialog.Join(), 1);
}

TEST_F(ImageDialog, ColourModeShowsOnlyTheFilterTabWithEveryRowEnabled) {
  ASSERT_EQ(Korvex_SetColorMode(handle_, 24), 1);
  ASSERT_EQ(Korvex_SetHue(handle_, -45), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  EXPECT_EQ(Read(sheet, kTab).count, 1);
  EXPECT_EQ(KorvexHost_GetDialogPage(sheet, 1), nullptr);
  KorvexHostWindow filter = KorvexHost_GetDialogPage(sheet, 0);
  for (int id : {2002, 2022, 2032, 2052, 2062, 2072, 2082, kOnce, kAllFrames, 1031})
    EXPECT_TRUE(Read(filter, id).enabled) << id;
  EXPECT_EQ(Text(filter, 2022), "-45");
  EXPECT_EQ(Read(filter, 2021).rangeMin, -360);
  EXPECT_EQ(Read(filter, 2021).tickFrequency, 90);
  EXPECT_TRUE(Read(filter, 1031).checked);  // Bayer mode 1 from the stored defaults
  ASSERT_EQ(KorvexHost_HandDrag(filter, 2001, -100), 1);
  EXPECT_EQ(Korvex_GetBrightness(handle_, nullptr), -100);
  EXPECT_EQ(Text(filter, 2002), "-100");
  ASSERT_EQ(KorvexHost_HandClick(filter, 1033), 1);
  EXPECT_EQ(Korvex_GetBayerMode(handle_, nullptr), 3);
  KorvexHost_HandClick(sheet, kOk);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(Korvex_GetBrightness(handle_, nullptr), -100);
  EXPECT_EQ(Korvex_GetBayerMode(handle_, nullptr), 3);
}

TEST_F(ImageDialog, OnceBalancesTheNextColourFrameAndThePageShowsTheNewGains) {
  ASSERT_EQ(Korvex_SetColorMode(handle_, 24), 1);
  // A reddish frame: white balance moves the gains away from 100.
  std::vector<uint8_t> raw(2560u * 2008u);
  for (size_t i = 0; i < raw.size(); ++i)
    raw[i] = static_cast<uint8_t>(40 + (i % 2) * 90 + (i / 2560 % 2) * 30);
  ASSERT_EQ(KorvexHost_SimSetRawFrame(0, raw.data(), raw.size()), 1);
  ASSERT_EQ(Korvex_Capture(handle_), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow filter = KorvexHost_GetDialogPage(sheet, 0);
  ASSERT_EQ(KorvexHost_HandClick(filter, kAllFrames), 1);
  ASSERT_EQ(KorvexHost_HandClick(filter, kOnce), 1);
  EXPECT_FALSE(Read(filter, kAllFrames).checked);
  EXPECT_EQ(Korvex_GetBayerGainAuto(handle_, nullptr), 1);
  ASSERT_EQ(Korvex_SnapShot(handle_, nullptr, 0, 1), 1);
  // The flags are cleared and the page shows what the pipeline measured.
  EXPECT_EQ(Korvex_GetBayerGainAuto(handle_, nullptr), 0);
  const int red = Korvex_GetBayerGainRed(handle_, nullptr);
  const int blue = Korvex_GetBayerGainBlue(handle_, nullptr);
  EXPECT_NE(red, 100);
  EXPECT_EQ(Text(filter, 2052), std::to_string(red));
  EXPECT_EQ(Read(filter, 2051).position, red);
  EXPECT_EQ(Text(filter, 2072), std::to_string(blue));
  KorvexHost_HandClick(sheet, kOk);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(Korvex_GetBayerGainRed(handle_, nullptr), red);
}

TEST_F(ImageDialog, GrayAllFramesTogglesCalibrationAndOnceRequestsOne) {
  ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow gray = KorvexHost_GetDialogPage(sheet, 1);
  ASSERT_EQ(KorvexHost_HandPick(sheet, kTab, 1), 1);
  int ok = 0;
  ASSERT_EQ(KorvexHost_HandClick(gray, kAllFrames), 1);
  EXPECT_EQ(Korvex_GetFilterValue(handle_, KORVEX_FILTER_GRAY_CALIBRATE, &ok), -1);
  ASSERT_EQ(KorvexHost_HandClick(gray, kAllFrames), 1);
  EXPECT_EQ(Korvex_GetFilterValue(handle_, KORVEX_FILTER_GRAY_CALIBRATE, &ok), 0);
  ASSERT_EQ(KorvexHost_HandClick(gray, kOnce), 1);
  EXPECT_EQ(Korvex_GetFilterValue(handle_, KORVEX_FILTER_GRAY_CALIBRATE, &ok), 1);
  ASSERT_EQ(KorvexHost_HandClick(gray, 1048), 1);
  EXPECT_EQ(Korvex_GetGrayMode(handle_, nullptr), 2);
  KorvexHost_HandClick(sheet, kCancel);
  EXPECT_EQ(dialog.Join(), 1);
  // Cancel put the calibration request and the mode back.
  EXPECT_EQ(Korvex_GetFilterValue(handle_, KORVEX_FILTER_GRAY_CALIBRATE, &ok), 0);
  EXPECT_EQ(Korvex_GetGrayMode(handle_, nullptr), 0);
}

TEST_F(ImageDialog, DefaultThenCancelRestoresTheWholeGroup) {
  ASSERT_EQ(Korvex_SetColorMode(handle_, 16), 1);
  ASSERT_EQ(Korvex_SetContrast(handle_, 20), 1);
  ASSERT_EQ(Korvex_SetGamma(handle_, 150), 1);
  ASSERT_EQ(Korvex_SetGrayGainG2(handle_, 90), 1);
  ASSERT_EQ(Korvex_SetGrayOffsetB(handle_, -7), 1);
  ASSERT_EQ(Korvex_SetBayerMode(handle_, 2), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow filter = KorvexHost_GetDialogPage(sheet, 0);
  KorvexHostWindow gray = KorvexHost_GetDialogPage(sheet, 1);
  ASSERT_EQ(KorvexHost_HandClick(sheet, kDefault), 1);
  EXPECT_EQ(Korvex_GetContrast(handle_, nullptr), 0);
  EXPECT_EQ(Korvex_GetGamma(handle_, nullptr), 100);
  EXPECT_EQ(Korvex_GetGrayGainG2(handle_, nullptr), 128);
  EXPECT_EQ(Korvex_GetGrayOffsetB(handle_, nullptr), 0);
  EXPECT_EQ(Text(filter, 2082), "100");
  EXPECT_EQ(Text(gray, 2107), "128");
  EXPECT_TRUE(Read(filter, 1031).checked);
  KorvexHost_HandClick(sheet, kCancel);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(Korvex_GetContrast(handle_, nullptr), 20);
  EXPECT_EQ(Korvex_GetGamma(handle_, nullptr), 150);
  EXPECT_EQ(Korvex_GetGrayGainG2(handle_, nullptr), 90);
  EXPECT_EQ(Korvex_GetGrayOffsetB(handle_, nullptr), -7);
  EXPECT_EQ(Korvex_GetBayerMode(handle_, nullptr), 2);
}

// A number typed past a row's ends means that end: the field, the trackbar
// and the edit all hold the end, and frames are processed with it. Values
// the field already holds (set through the exports, outside a row's range)
// are shown and kept as they are, also by OK.
TEST_F(ImageDialog, TypedValuesPastARowsEndsAreClampedToThem) {
  ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
  ASSERT_EQ(Korvex_SetGrayMode(handle_, 1), 1);
  ASSERT_EQ(Korvex_SetGrayOffsetG1(handle_, -7), 1);
  ASSERT_EQ(Korvex_Capture(handle_), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow filter = KorvexHost_GetDialogPage(sheet, 0);
  KorvexHostWindow gray = KorvexHost_GetDialogPage(sheet, 1);
  ASSERT_EQ(KorvexHost_HandPick(sheet, kTab, 1), 1);
  EXPECT_EQ(Text(gray, 2116), "-7");
  ASSERT_EQ(KorvexHost_HandType(gray, 2101, "500"), 1);
  EXPECT_EQ(Korvex_GetGrayGainR(handle_, nullptr), 400);
  EXPECT_EQ(Text(gray, 2101), "400");
  EXPECT_EQ(Read(gray, 2100).position, 400);
  ASSERT_EQ(KorvexHost_HandType(gray, 2113, "-9000"), 1);
  EXPECT_EQ(Korvex_GetGrayOffsetR(handle_, nullptr), 0);
  EXPECT_EQ(Text(gray, 2113), "0");
  ASSERT_EQ(KorvexHost_HandPick(sheet, kTab, 0), 1);
  const std::pair<int, int> lowest[] = {{2002, -255}, {2012, -127}, {2042, 0}, {2082, 0}};
  for (const auto& [edit, end] : lowest) {
    ASSERT_EQ(KorvexHost_HandType(filter, edit, "-100000"), 1);
    EXPECT_EQ(Text(filter, edit), std::to_string(end)) << edit;
  }
  EXPECT_EQ(Korvex_GetBrightness(handle_, nullptr), -255);
  EXPECT_EQ(Korvex_GetContrast(handle_, nullptr), -127);
  std::vector<uint8_t> image(2560u * 1920u);
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 1);
  // Past what a 32-bit number holds is still past the end.
  ASSERT_EQ(KorvexHost_HandType(filter, 2042, "99999999999"), 1);
  EXPECT_EQ(Korvex_GetSharpness(handle_, nullptr), 30);
  EXPECT_EQ(Text(filter, 2042), "30");
  ASSERT_EQ(KorvexHost_HandType(filter, 2082, "201"), 1);
  EXPECT_EQ(Korvex_GetGamma(handle_, nullptr), 200);
  EXPECT_EQ(Read(filter, 2081).position, 200);
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 1);
  KorvexHost_HandClick(sheet, kOk);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(Korvex_GetGrayGainR(handle_, nullptr), 400);
  EXPECT_EQ(Korvex_GetGamma(handle_, nullptr), 200);
  EXPECT_EQ(Korvex_GetGrayOffsetG1(handle_, nullptr), -7);
}

TEST_F(ImageDialog, ExtremeTypedColourValuesStopAtTheEndsAndAreProcessed) {
  ASSERT_EQ(Korvex_SetColorMode(handle_, 48), 1);
  ASSERT_EQ(Korvex_Capture(handle_), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow filter = KorvexHost_GetDialogPage(sheet, 0);
  struct Typed {
    int edit;
    const char* text;
    int end;
  };
  const Typed typed[] = {
      {2052, "2147483647", 400},   {2072, "-2147483648", 0},  {2062, "99999", 400},
      {2022, "-2147483648", -360}, {2032, "2147483647", 255}, {2002, "2147483647", 255},
      {2012, "-2147483648", -127}, {2042, "2147483647", 30},  {2082, "2147483647", 200}};
  for (const Typed& t : typed) {
    ASSERT_EQ(KorvexHost_HandType(filter, t.edit, t.text), 1);
    EXPECT_EQ(Text(filter, t.edit), std::to_string(t.end)) << t.edit;
  }
  EXPECT_EQ(Korvex_GetBayerGainRed(handle_, nullptr), 400);
  EXPECT_EQ(Korvex_GetBayerGainBlue(handle_, nullptr), 0);
  EXPECT_EQ(Korvex_GetHue(handle_, nullptr), -360);
  EXPECT_EQ(Korvex_SnapShot(handle_, nullptr, 0, 1), 1);
  KorvexHost_HandClick(sheet, kCancel);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(Korvex_GetBayerGainRed(handle_, nullptr), 100);
}

// In the monochrome modes the gray page's Bayer buttons are the only ones
// that work; both pages show one choice, whatever changed it, and OK keeps it.
TEST_F(ImageDialog, ABayerModePickedOnTheGrayPageIsShownOnBothPagesAndKeptByOk) {
  ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
  ASSERT_EQ(Korvex_SetGrayMode(handle_, 1), 1);
  ASSERT_EQ(Korvex_SetBayerMode(handle_, 1), 1);
  ASSERT_EQ(Korvex_Capture(handle_), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow filter = KorvexHost_GetDialogPage(sheet, 0);
  KorvexHostWindow gray = KorvexHost_GetDialogPage(sheet, 1);
  ASSERT_EQ(KorvexHost_HandPick(sheet, kTab, 1), 1);
  auto ticked = [](KorvexHostWindow page) {
    int mode = -1;
    for (int i = 0; i < 4; ++i) {
      if (Read(page, 1030 + i).checked) mode = mode < 0 ? i : 9;  // 9: more than one
    }
    return mode;
  };
  ASSERT_EQ(KorvexHost_HandClick(gray, 1032), 1);
  EXPECT_EQ(Korvex_GetBayerMode(handle_, nullptr), 2);
  EXPECT_EQ(ticked(filter), 2);
  // Default picks mode 1 on both pages.
  ASSERT_EQ(KorvexHost_HandClick(sheet, kDefault), 1);
  EXPECT_EQ(ticked(gray), 1);
  EXPECT_EQ(ticked(filter), 1);
  // A refresh after a calibrated frame shows a mode the application set.
  ASSERT_EQ(Korvex_SetBayerMode(handle_, 0), 1);
  ASSERT_EQ(KorvexHost_HandClick(gray, kOnce), 1);
  ASSERT_EQ(Korvex_SnapShot(handle_, nullptr, 0, 1), 1);
  EXPECT_EQ(ticked(gray), 0);
  EXPECT_EQ(ticked(filter), 0);
  ASSERT_EQ(KorvexHost_HandClick(gray, 1033), 1);
  ASSERT_EQ(KorvexHost_HandClick(sheet, kOk), 1);
  EXPECT_EQ(dialog.Join(), 1);
  EXPECT_EQ(Korvex_GetBayerMode(handle_, nullptr), 3);
}

// Switching "All frames" off while the capture thread measures a frame must
// leave calibration off: the thread counts down only the request it saw.
TEST_F(ImageDialog, AllFramesSwitchedOffDuringPreviewStaysOff) {
  ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
  ASSERT_EQ(Korvex_SetGrayMode(handle_, 1), 1);
  ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_SetWaitTime(handle_, 0), 1);
  DialogThread dialog = Open();
  KorvexHostWindow sheet = korvex::test::WaitForDialog();
  KorvexHostWindow gray = KorvexHost_GetDialogPage(sheet, 1);
  ASSERT_EQ(KorvexHost_HandPick(sheet, kTab, 1), 1);
  int ok = 0;
  int stillOn = 0;
  for (int click = 0; click < 20; ++click) {
    ASSERT_EQ(Korvex_StartPreview(handle_), 1);
    ASSERT_EQ(KorvexHost_HandClick(gray, kAllFrames), 1);
    ASSERT_TRUE(Read(gray, kAllFrames).checked);
    // Calibration runs once the request has been counted down past -1.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Korvex_GetFilterValue(handle_, KORVEX_FILTER_GRAY_CALIBRATE, &ok) == -1 &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_LT(Korvex_GetFilterValue(handle_, KORVEX_FILTER_GRAY_CALIBRATE, &ok), -1)
        << "calibration never ran";
    // Clicks spread over the frame's course, so that some land while a
    // frame is measured (nothing is timed here: the stop below is the check).
    std::this_thread::sleep_for(std::chrono::microseconds(500 * (click % 20)));
    ASSERT_EQ(KorvexHost_HandClick(gray, kAllFrames), 1);
    ASSERT_FALSE(Read(gray, kAllFrames).checked);
    // The stop waits for the frame that was being measured.
    ASSERT_EQ(Korvex_StopPreview(handle_), 1);
    if (Korvex_GetFilterValue(handle_, KORVEX_FILTER_GRAY_CALIBRATE, &ok) != 0) {
      ++stillOn;
      ASSERT_EQ(Korvex_SetFilterValue(handle_, KORVEX_FILTER_GRAY_CALIBRATE, 0), 1);
    }
  }
  EXPECT_EQ(stillOn, 0) << "of 20 clicks, calibration went on after these";
  KorvexHost_HandClick(sheet, kCancel);
  EXPECT_EQ(dialog.Join(), 1);
}

}  // namespace
