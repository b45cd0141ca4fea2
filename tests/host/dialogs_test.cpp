// The host's modal dialogs: the loop on the dialog's thread, calls sent
// from other threads, and the hands.
#include "korvex/host_dialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// A dialog with one control of each kind the SDK uses.
const KorvexHostDialogItem kItems[] = {
    {"SysTabControl32", nullptr, 1001, 0, 0, 0, 100, 100},
    {"Edit", nullptr, 10, 0, 0, 0, 40, 12},
    {"Edit", "42", 11, 0x08000000u, 0, 0, 40, 12},  // disabled
    {"msctls_trackbar32", nullptr, 20, 0, 0, 0, 80, 12},
    {"msctls_updown32", nullptr, 21, 0, 0, 0, 10, 12},
    {"Button", "Box", 30, 0x3u, 0, 0, 40, 10},
    {"Button", "A", 31, 0x9u | 0x00020000u, 0, 0, 20, 10},
    {"Button", "B", 32, 0x9u, 0, 0, 20, 10},
    {"Button", "Group", -1, 0x7u, 0, 0, 90, 40},
    {"Button", "C", 33, 0x9u | 0x00020000u, 0, 0, 20, 10},
    {"ComboBox", nullptr, 40, 0x3u, 0, 0, 60, 60},
    {"Static", "label", -1, 0, 0, 0, 40, 8},
    {"Button", "OK", 1, 0, 0, 0, 50, 14},
};
const KorvexHostDialogTemplate kTemplate = {
    900, "Test", 0, 200, 150, kItems, static_cast<int32_t>(sizeof kItems / sizeof kItems[0])};

// What the procedure saw, as "message:id:code" lines.
std::vector<std::string>* g_seen = nullptr;

intptr_t Proc(KorvexHostWindow dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == KORVEX_HOST_WM_INITDIALOG) {
    KorvexHost_SendDlgItemMessage(dialog, 20, KORVEX_HOST_TBM_SETRANGEMAX, 0, 50);
    KorvexHost_SendDlgItemMessage(dialog, 20, KORVEX_HOST_TBM_SETRANGEMIN, 0, -50);
    KorvexHost_SendDlgItemMessage(dialog, 40, KORVEX_HOST_CB_ADDSTRING, 0,
                                  reinterpret_cast<intptr_t>("one"));
    KorvexHost_SendDlgItemMessage(dialog, 40, KORVEX_HOST_CB_ADDSTRING, 0,
                                  reinterpret_cast<intptr_t>("two"));
    KorvexHost_SendDlgItemMessage(dialog, 1001, KORVEX_HOST_TCM_INSERTITEM, 0,
                                  reinterpret_cast<intptr_t>("first"));
    KorvexHost_SendDlgItemMessage(dialog, 1001, KORVEX_HOST_TCM_INSERTITEM, 1,
                                  reinterpret_cast<intptr_t>("second"));
    return 1;
  }
  std::string line;
  if (message == KORVEX_HOST_WM_COMMAND) {
    const int id = static_cast<int>(wParam & 0xFFFF);
    line = "command:" + std::to_string(id) + ":" + std::to_string(wParam >> 16);
    if (id == 1) KorvexHost_EndDialog(dialog, 77);
  } else if (message == KORVEX_HOST_WM_HSCROLL) {
    line = "scroll:" +
           std::to_string(KorvexHost_GetDlgCtrlID(reinterpret_cast<KorvexHostWindow>(lParam)));
  } else if (message == KORVEX_HOST_WM_NOTIFY) {
    const auto* n = reinterpret_cast<const KorvexHostNotify*>(lParam);
    line = "notify:" + std::to_string(n->id) + ":" + std::to_string(n->code);
  }
  if (g_seen && !line.empty()) g_seen->push_back(line);
  return 0;
}

class HostDialogs : public ::testing::Test {
 protected:
  void SetUp() override { g_seen = &seen_; }
  void TearDown() override {
    if (thread_.joinable()) {
      if (dialog_) KorvexHost_EndDialog(dialog_, 0);
      thread_.join();
    }
    g_seen = nullptr;
  }
  void Open() {
    thread_ =
        std::thread([this] { result_ = KorvexHost_DialogBoxParam(&kTemplate, nullptr, Proc, 0); });
    dialog_ = KorvexHost_WaitForDialog("Test", 5000);
    ASSERT_NE(dialog_, nullptr);
  }
  KorvexHostDialogItemInfo Read(int id) {
    KorvexHostDialogItemInfo info{};
    KorvexHost_ReadDialogItem(dialog_, id, &info);
    return info;
  }

  std::vector<std::string> seen_;  // written on the dialog's thread only while a hand waits
  std::thread thread_;
  std::atomic<intptr_t> result_{-5};
  KorvexHostWindow dialog_ = nullptr;
};

TEST_F(HostDialogs, HandsNotifyTheProcedureOnTheDialogsThreadAndOkEndsTheLoop) {
  Open();
  ASSERT_EQ(KorvexHost_HandType(dialog_, 10, "-12"), 1);
  ASSERT_EQ(KorvexHost_HandDrag(dialog_, 20, 80), 1);
  EXPECT_EQ(Read(20).position, 50);  // kept within the range
  ASSERT_EQ(KorvexHost_HandClick(dialog_, 30), 1);
  EXPECT_TRUE(Read(30).checked);
  ASSERT_EQ(KorvexHost_HandPick(dialog_, 40, 1), 1);
  EXPECT_EQ(Read(40).selection, 1);
  ASSERT_EQ(KorvexHost_HandPick(dialog_, 1001, 1), 1);
  EXPECT_EQ(Read(1001).selection, 1);
  const std::vector<std::string> expected = {"command:10:768", "scroll:20", "command:30:0",
                                             "command:40:1", "notify:1001:-551"};
  EXPECT_EQ(seen_, expected);
  int ok = 0;
  EXPECT_EQ(static_cast<int32_t>(KorvexHost_GetDlgItemInt(dialog_, 10, &ok, 1)), -12);
  EXPECT_EQ(ok, 1);
  ASSERT_EQ(KorvexHost_HandClick(dialog_, 1), 1);
  thread_.join();
  EXPECT_EQ(result_.load(), 77);
  EXPECT_EQ(KorvexHost_IsDialog(dialog_), 0);
  EXPECT_EQ(KorvexHost_HandClick(dialog_, 30), -1);
}

TEST_F(HostDialogs, HandsRefuseWhatAPersonCannotDo) {
  Open();
  EXPECT_EQ(KorvexHost_HandType(dialog_, 11, "1"), 0);  // disabled
  EXPECT_EQ(KorvexHost_HandClick(dialog_, 10), 0);      // not a button
  EXPECT_EQ(KorvexHost_HandPick(dialog_, 40, 2), 0);    // no such entry
  EXPECT_EQ(KorvexHost_HandClick(dialog_, 999), 0);     // no such control
  KorvexHost_EnableDlgItem(dialog_, 30, 0);
  EXPECT_EQ(KorvexHost_HandClick(dialog_, 30), 0);
  EXPECT_TRUE(seen_.empty());
  EXPECT_EQ(Read(11).text, std::string("42"));
}

TEST_F(HostDialogs, RadioButtonsClearTheOthersOfTheirGroupOnly) {
  Open();
  ASSERT_EQ(KorvexHost_HandClick(dialog_, 33), 1);
  ASSERT_EQ(KorvexHost_HandClick(dialog_, 31), 1);
  ASSERT_EQ(KorvexHost_HandClick(dialog_, 32), 1);
  EXPECT_FALSE(Read(31).checked);
  EXPECT_TRUE(Read(32).checked);
  EXPECT_TRUE(Read(33).checked);  // another group
}

TEST_F(HostDialogs, NumbersReadLikeGetDlgItemInt) {
  Open();
  struct Case {
    const char* text;
    int isSigned;
    int ok;
    uint32_t value;
  } cases[] = {{"  17", 0, 1, 17},
               {"abc", 0, 0, 0},
               {"", 1, 0, 0},
               {"-5", 1, 1, 0xFFFFFFFBu},
               {"-5", 0, 0, 0},
               {"12x", 1, 1, 12},
               {"4294967295", 0, 1, 0xFFFFFFFFu},
               {"4294967296", 0, 0, 0},
               {"2147483648", 1, 0, 0},
               {"-2147483648", 1, 1, 0x80000000u}};
  for (const Case& c : cases) {
    KorvexHost_SetDlgItemText(dialog_, 11, c.text);
    int ok = -1;
    EXPECT_EQ(KorvexHost_GetDlgItemInt(dialog_, 11, &ok, c.isSigned), c.value) << c.text;
    EXPECT_EQ(ok, c.ok) << c.text;
  }
}

struct Counter {
  std::atomic<int> runs{0};
  std::thread::id thread;
};

TEST_F(HostDialogs, SentCallsRunOnTheDialogsThreadAndNeverAfterItEnded) {
  Open();
  Counter counter;
  auto count = [](void* p) {
    auto* c = static_cast<Counter*>(p);
    c->thread = std::this_thread::get_id();
    ++c->runs;
  };
  ASSERT_EQ(KorvexHost_SendDialogCall(dialog_, count, &counter, 5000), 1);
  EXPECT_EQ(counter.runs.load(), 1);
  EXPECT_EQ(counter.thread, thread_.get_id());
  // A call that cannot be handled in time is withdrawn and never runs.
  Counter blocked;
  // Flags: [0] the dialog's thread is busy, [1] it may go on.
  std::atomic<bool> flags[2] = {false, false};
  std::thread busy([&] {
    KorvexHost_HandRun(
        dialog_,
        [](void* p) {
          auto* f = static_cast<std::atomic<bool>*>(p);
          f[0] = true;
          while (!f[1].load()) std::this_thread::yield();
        },
        flags);
  });
  while (!flags[0].load()) std::this_thread::yield();
  EXPECT_EQ(KorvexHost_SendDialogCall(dialog_, count, &blocked, 20), -1);
  flags[1] = true;
  busy.join();
  ASSERT_EQ(KorvexHost_SendDialogCall(dialog_, count, &counter, 5000), 1);
  EXPECT_EQ(blocked.runs.load(), 0);
  KorvexHost_EndDialog(dialog_, 3);
  thread_.join();
  EXPECT_EQ(KorvexHost_SendDialogCall(dialog_, count, &counter, 100), 0);
  EXPECT_EQ(counter.runs.load(), 2);
}

TEST_F(HostDialogs, PostedCommandsReachTheProcedureAndPagesGoWithTheirParent) {
  Open();
  ASSERT_EQ(KorvexHost_PostDialogCommand(dialog_, 1), 1);
  thread_.join();
  EXPECT_EQ(result_.load(), 77);
  EXPECT_EQ(KorvexHost_WaitForDialog("Test", 0), nullptr);
}

TEST_F(HostDialogs, SystemLanguageIsSettable) {
  const uint16_t before = KorvexHost_GetSystemDefaultLangID();
  KorvexHost_SetSystemDefaultLangID(1041);
  EXPECT_EQ(KorvexHost_GetSystemDefaultLangID(), 1041);
  KorvexHost_SetSystemDefaultLangID(before);
}

TEST_F(HostDialogs, CreationFaultMakesTheDialogFail) {
  KorvexHost_SetDialogFaults(1);
  EXPECT_EQ(KorvexHost_DialogBoxParam(&kTemplate, nullptr, Proc, 0), -1);
  KorvexHost_SetDialogFaults(0);
}

}  // namespace
