// The Win32 backend of the dialog seam against Wine's dialog manager, with
// the templates linked into this program: calls handed to a dialog's thread
// run there and are waited for, a call that timed out is withdrawn and never
// runs later, an ended dialog is reported as such, a posted command arrives
// as a click, and a page is a child of the tab control at its offset.
#include "dialogs/control_ids.h"
#include "dialogs/templates.h"
#include "platform/dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace korvex::platform {
namespace {

using dialogs::DialogHandler;
using dialogs::DialogRole;
using dialogs::DialogSurface;
using dialogs::Language;
using dialogs::Notice;

class PageHandler final : public DialogHandler {
 public:
  void OnInit(DialogSurface&) override {}
  void OnCommand(DialogSurface&, int, Notice) override {}
};

// Records what reaches the dialog; Cancel ends it.
class Recorder final : public DialogHandler {
 public:
  explicit Recorder(bool withPage = false) : withPage_(withPage) {}
  void OnInit(DialogSurface& s) override {
    thread_.store(::GetCurrentThreadId());
    // On the dialog's own thread a call runs at once.
    ranInside_ = SendToDialog(
                     s.Window(), [](void* c) { ++*static_cast<int*>(c); }, &insideCount_, 0) ==
                     SendResult::kHandled &&
                 insideCount_ == 1;
    if (withPage_) {
      DialogSurface* page =
          s.CreatePage(dialogs::TemplateFor(DialogRole::kAnalogPage, Language::kEnglish),
                       dialogs::ids::kTab, 30, 25, pageHandler_);
      if (page) page_.store(page->Window());
    }
    window_.store(s.Window());
  }
  void OnCommand(DialogSurface& s, int id, Notice notice) override {
    if (id == dialogs::kIdCancel && notice == Notice::kClicked) s.End(dialogs::kIdCancel);
  }

  HWND Wait() {
    for (int i = 0; i < 3000 && window_.load() == nullptr; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return static_cast<HWND>(window_.load());
  }

  std::atomic<void*> window_{nullptr};
  std::atomic<void*> page_{nullptr};
  std::atomic<DWORD> thread_{0};
  bool ranInside_ = false;

 private:
  bool withPage_;
  int insideCount_ = 0;
  PageHandler pageHandler_;
};

struct Counter {
  std::atomic<int> runs{0};
  std::atomic<DWORD> thread{0};
};

void Count(void* context) {
  auto* counter = static_cast<Counter*>(context);
  counter->thread.store(::GetCurrentThreadId());
  ++counter->runs;
}

TEST(Win32DialogSeam, CallsRunOnTheDialogsThreadAndATimedOutCallNeverRunsLater) {
  Recorder recorder;
  auto dialog = std::async(std::launch::async, [&] {
    return RunModalDialog(dialogs::TemplateFor(DialogRole::kCamera, Language::kEnglish), nullptr,
                          recorder);
  });
  HWND window = recorder.Wait();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(recorder.ranInside_);

  // Block the dialog's thread inside one call...
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  auto blocker = std::async(std::launch::async, [&] {
    return SendToDialog(
        window, [](void* f) { static_cast<std::shared_future<void>*>(f)->wait(); }, &released,
        10000);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  // ...so that the next one times out and is withdrawn.
  Counter late;
  EXPECT_EQ(SendToDialog(window, Count, &late, 30), SendResult::kTimedOut);
  release.set_value();
  EXPECT_EQ(blocker.get(), SendResult::kHandled);
  // Once the loop has gone past the withdrawn call's message, it still has
  // not run.
  Counter after;
  EXPECT_EQ(SendToDialog(window, Count, &after, 10000), SendResult::kHandled);
  EXPECT_EQ(after.runs.load(), 1);
  EXPECT_EQ(after.thread.load(), recorder.thread_.load());
  EXPECT_EQ(late.runs.load(), 0);

  // A posted Cancel is a click on Cancel.
  EXPECT_TRUE(PostDialogCommand(window, dialogs::kIdCancel));
  EXPECT_EQ(dialog.get(), dialogs::kIdCancel);
  Counter ended;
  EXPECT_EQ(SendToDialog(window, Count, &ended, 1000), SendResult::kNoDialog);
  EXPECT_FALSE(PostDialogCommand(window, dialogs::kIdCancel));
  EXPECT_EQ(ended.runs.load(), 0);
}

TEST(Win32DialogSeam, APageIsAChildOfTheTabAtItsOffsetInPixels) {
  Recorder recorder(true);
  auto dialog = std::async(std::launch::async, [&] {
    return RunModalDialog(dialogs::TemplateFor(DialogRole::kAnalogSheet, Language::kEnglish),
                          nullptr, recorder);
  });
  HWND window = recorder.Wait();
  ASSERT_NE(window, nullptr);
  HWND page = static_cast<HWND>(recorder.page_.load());
  ASSERT_NE(page, nullptr);
  HWND tab = ::GetDlgItem(window, dialogs::ids::kTab);
  EXPECT_EQ(::GetParent(page), tab);
  RECT pageRect{}, tabRect{};
  ::GetWindowRect(page, &pageRect);
  ::GetWindowRect(tab, &tabRect);
  EXPECT_EQ(pageRect.left - tabRect.left, 30);
  EXPECT_EQ(pageRect.top - tabRect.top, 25);
  // The page's controls come from its template.
  EXPECT_NE(::GetDlgItem(page, dialogs::ids::kGainTrack), nullptr);
  EXPECT_TRUE(PostDialogCommand(window, dialogs::kIdCancel));
  EXPECT_EQ(dialog.get(), dialogs::kIdCancel);
}

TEST(Win32DialogSeam, ATemplateTheModuleDoesNotHoldGivesMinusOne) {
  dialogs::DialogTemplate missing = dialogs::TemplateFor(DialogRole::kCamera, Language::kEnglish);
  missing.id = 999;
  Recorder recorder;
  EXPECT_EQ(RunModalDialog(missing, nullptr, recorder), -1);
  EXPECT_EQ(recorder.window_.load(), nullptr);
}

}  // namespace
}  // namespace korvex::platform
