// The error history and the two kinds of error notification.
#include "errors/error_report.h"
#include "camera/korvex.h"
#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace korvex {
namespace {

TEST(ErrorHistory, KeepsTheLastTwentyNewestFirst) {
  CErrorReport report;
  for (uint32_t code = 1; code <= 21; ++code) report.Record(code);
  for (uint32_t expected = 21; expected >= 2; --expected) EXPECT_EQ(report.TakeLast(), expected);
  EXPECT_EQ(report.TakeLast(), 0u) << "the first code was pushed out";
  EXPECT_EQ(report.TakeLast(), 0u);
}

TEST(ErrorHistory, ReadingIsDestructiveAndInterleavesWithRecording) {
  CErrorReport report;
  EXPECT_EQ(report.TakeLast(), 0u);
  report.Record(KORVEX_ERR_GEOMETRY);
  report.Record(KORVEX_ERR_NOT_POSSIBLE);
  EXPECT_EQ(report.TakeLast(), KORVEX_ERR_NOT_POSSIBLE);
  report.Record(KORVEX_ERR_ARGUMENT);
  EXPECT_EQ(report.TakeLast(), KORVEX_ERR_ARGUMENT);
  EXPECT_EQ(report.TakeLast(), KORVEX_ERR_GEOMETRY);
  EXPECT_EQ(report.TakeLast(), 0u);
}

TEST(ErrorHistory, EachThreadKeepsItsOrderWhenSeveralRecord) {
  CErrorReport report;
  std::vector<std::thread> threads;
  for (uint32_t t = 0; t < 4; ++t) {
    threads.emplace_back([&report, t] {
      for (uint32_t i = 0; i < 5; ++i) report.Record(t * 100 + i + 1);
    });
  }
  for (auto& thread : threads) thread.join();
  // Read back oldest first: every thread's codes appear in increasing order.
  std::vector<uint32_t> newestFirst;
  for (uint32_t code; (code = report.TakeLast()) != 0;) newestFirst.push_back(code);
  ASSERT_EQ(newestFirst.size(), 20u);
  uint32_t last[4] = {0, 0, 0, 0};
  bool seen[4] = {false, false, false, false};
  for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) {
    const uint32_t thread = *it / 100, index = *it % 100;
    if (seen[thread]) {
      EXPECT_GT(index, last[thread]);
    }
    seen[thread] = true;
    last[thread] = index;
  }
}

class ErrorNotification : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = KorvexHost_CreateMessageWindow();
    KorvexHost_FlushMessages(nullptr);
  }
  void TearDown() override { KorvexHost_DestroyWindow(window_); }
  KorvexHostWindow window_ = nullptr;
};

TEST_F(ErrorNotification, ReportedCodesArriveAtTheNotificationWindow) {
  CErrorReport report;
  report.SetNotifyWindow(reinterpret_cast<platform::WindowHandle>(window_));
  report.ReportError(KORVEX_ERR_ARGUMENT);
  report.ReportError(KORVEX_ERR_WINDOW);
  KorvexHostMessage message;
  ASSERT_EQ(KorvexHost_GetMessage(window_, &message, 1000), 1);
  EXPECT_EQ(message.message, static_cast<uint32_t>(KORVEX_WM_ERROR));
  EXPECT_EQ(message.wParam, 0u);
  EXPECT_EQ(message.lParam, KORVEX_ERR_ARGUMENT);
  ASSERT_EQ(KorvexHost_GetMessage(window_, &message, 1000), 1);
  EXPECT_EQ(message.lParam, KORVEX_ERR_WINDOW);
  EXPECT_EQ(report.TakeLast(), KORVEX_ERR_WINDOW);
  EXPECT_EQ(report.TakeLast(), KORVEX_ERR_ARGUMENT);
}

TEST_F(ErrorNotification, NullWindowRecordsWithoutPostingButNotifyOnlyGoesToTheThreadQueue) {
  CErrorReport report;
  report.ReportError(KORVEX_ERR_REFUSED);
  EXPECT_EQ(KorvexHost_PendingMessages(nullptr), 0);
  report.NotifyError(KORVEX_ERR_UNSUPPORTED);
  KorvexHostMessage message;
  ASSERT_EQ(KorvexHost_GetMessage(nullptr, &message, 0), 1);
  EXPECT_EQ(message.message, static_cast<uint32_t>(KORVEX_WM_ERROR));
  EXPECT_EQ(message.lParam, KORVEX_ERR_UNSUPPORTED);
  EXPECT_EQ(report.TakeLast(), KORVEX_ERR_REFUSED);
  EXPECT_EQ(report.TakeLast(), 0u) << "notify-only codes are not recorded";
}

TEST_F(ErrorNotification, ExportsPostNotifyOnlyCodesWithoutRecordingThem) {
  const KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  ASSERT_NE(h, 0u);
  while (Korvex_GetLastError(h) != 0) {
  }
  KorvexHost_FlushMessages(nullptr);

  EXPECT_EQ(Korvex_SetAutoIris(h, 3), 0);
  EXPECT_EQ(Korvex_Fps(h, 30), 0);
  EXPECT_EQ(Korvex_SetCrossbar(h, 1), 0);
  KorvexHostMessage message;
  ASSERT_EQ(KorvexHost_GetMessage(nullptr, &message, 0), 1);
  EXPECT_EQ(message.lParam, KORVEX_ERR_ARGUMENT);
  ASSERT_EQ(KorvexHost_GetMessage(nullptr, &message, 0), 1);
  EXPECT_EQ(message.lParam, KORVEX_ERR_UNSUPPORTED);
  ASSERT_EQ(KorvexHost_GetMessage(nullptr, &message, 0), 1);
  EXPECT_EQ(message.lParam, KORVEX_ERR_UNSUPPORTED);
  EXPECT_EQ(Korvex_GetLastError(h), 0u);

  int value = 5;
  EXPECT_EQ(Korvex_GetSamplingRate(h, &value), 0);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(KorvexHost_PendingMessages(nullptr), 0);
  EXPECT_EQ(Korvex_GetStatus(h, 0), 0);

  EXPECT_EQ(Korvex_SetConfigFilter(h, 0), -1);
  EXPECT_EQ(Korvex_GetConfigFilter(h), -1);
  EXPECT_EQ(Korvex_GetLastError(h), KORVEX_ERR_UNSUPPORTED);
  EXPECT_EQ(Korvex_GetLastError(h), KORVEX_ERR_UNSUPPORTED);
  EXPECT_EQ(Korvex_Release(h), 1);
}

TEST_F(ErrorNotification, InvalidArgumentsAreRecordedAndPosted) {
  const KORVEX_HANDLE h = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(window_));
  ASSERT_NE(h, 0u);
  while (Korvex_GetLastError(h) != 0) {
  }
  KorvexHost_FlushMessages(window_);
  EXPECT_EQ(Korvex_SetColorMode(h, 10), 0);
  EXPECT_EQ(Korvex_SetColorMode(h, 16), 1);
  EXPECT_EQ(Korvex_GetColorMode(h), 10);
  KorvexHostMessage message;
  ASSERT_EQ(KorvexHost_GetMessage(window_, &message, 1000), 1);
  EXPECT_EQ(message.message, static_cast<uint32_t>(KORVEX_WM_ERROR));
  EXPECT_EQ(message.lParam, KORVEX_ERR_ARGUMENT);
  EXPECT_EQ(Korvex_GetLastError(h), KORVEX_ERR_ARGUMENT);
  EXPECT_EQ(Korvex_Release(h), 1);
}

}  // namespace
}  // namespace korvex
