// The Linux backend of the dialog seam behaves as the Windows one does:
// what a handler throws stays inside the dialog, a long edit text is read
// back whole, and an owner that is not a window shows no dialog.
#include "dialogs/control_ids.h"
#include "dialogs/templates.h"
#include "korvex/host_messages.h"
#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>

namespace korvex::platform {
namespace {

using dialog::DialogSurface;
using dialog::Notice;

const dialog::DialogTemplate& AnalogPage() {
  return dialogs::TemplateFor(dialogs::DialogRole::kAnalogPage, dialogs::Language::kEnglish);
}

// Throws from every event until Cancel arrives, which ends the dialog.
class Thrower final : public dialog::DialogHandler {
 public:
  void OnInit(DialogSurface& s) override {
    window_.store(s.Window());
    throw std::runtime_error("from OnInit");
  }
  void OnCommand(DialogSurface& s, int id, Notice) override {
    if (id == dialog::kIdCancel) s.End(dialog::kIdCancel);
    throw std::runtime_error("from OnCommand");
  }
  void* Wait() {
    for (int i = 0; i < 4000 && window_.load() == nullptr; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return window_.load();
  }

 private:
  std::atomic<void*> window_{nullptr};
};

TEST(DialogSeam, WhatAHandlerThrowsStaysInsideTheDialog) {
  Thrower handler;
  auto shown = std::async(std::launch::async, [&] {
    try {
      return RunModalDialog(AnalogPage(), nullptr, handler);
    } catch (...) {
      return -2;  // escaped
    }
  });
  void* window = handler.Wait();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PostDialogCommand(window, dialogs::ids::kGainEdit));
  ASSERT_TRUE(PostDialogCommand(window, dialog::kIdCancel));
  ASSERT_EQ(shown.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  EXPECT_EQ(shown.get(), dialog::kIdCancel);
}

// Sets a long text into an edit and reads it back on the dialog's thread.
class LongText final : public dialog::DialogHandler {
 public:
  void OnInit(DialogSurface& s) override {
    s.SetText(dialogs::ids::kGainEdit, written);
    read = s.Text(dialogs::ids::kGainEdit);
    s.End(dialog::kIdOk);
  }
  void OnCommand(DialogSurface&, int, Notice) override {}
  std::string written, read;
};

TEST(DialogSeam, ALongTextIsReadBackWhole) {
  LongText handler;
  for (int i = 0; i < 3000; ++i) handler.written += static_cast<char>('a' + i % 26);
  EXPECT_EQ(RunModalDialog(AnalogPage(), nullptr, handler), dialog::kIdOk);
  EXPECT_EQ(handler.read, handler.written);
}

TEST(DialogSeam, AnOwnerThatIsNotAWindowShowsNoDialog) {
  const KorvexHostWindow gone = KorvexHost_CreateMessageWindow();
  ASSERT_EQ(KorvexHost_DestroyWindow(gone), 1);
  LongText handler;
  EXPECT_EQ(RunModalDialog(AnalogPage(), reinterpret_cast<WindowHandle>(gone), handler), -1);
  EXPECT_TRUE(handler.read.empty()) << "the dialog was not made";
}

}  // namespace
}  // namespace korvex::platform
