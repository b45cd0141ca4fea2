// The host library's dialog table: every dialog made from a template, its
// controls, and the per-thread loop that runs a dialog's messages and the
// work other threads hand it. The dialog exports, the control exports and
// the hands (a person's actions, for tests) all work on this table.
//
// One lock guards every dialog and control. Procedures are always called
// without it, on the dialog's thread, so they may call back in.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "korvex/host_dialogs.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace korvex::host::dialog_table {

enum class Kind { kButton, kEdit, kStatic, kComboBox, kTab, kTrackbar, kUpDown, kUnknown };

constexpr uint32_t kWsDisabled = 0x08000000u;
constexpr uint32_t kWsGroup = 0x00020000u;
constexpr uint32_t kBsTypeMask = 0xFu;
constexpr uint32_t kBsAutoCheckBox = 0x3u;
constexpr uint32_t kBsCheckBox = 0x2u;
constexpr uint32_t kBsAutoRadio = 0x9u;
constexpr uint32_t kBsRadio = 0x4u;
constexpr uint32_t kBsGroupBox = 0x7u;
constexpr uint32_t kActionTimeoutMs = 10000;

struct Control {
  KorvexHostWindow handle = nullptr;
  std::string className;
  Kind kind = Kind::kUnknown;
  int32_t id = -1;
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::string text;
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  int32_t rangeMin = 0, rangeMax = 100;
  int32_t position = 0;
  int32_t tickFrequency = 1;
  int32_t buddyId = 0;
  std::vector<std::string> items;  // list entries or tab captions
  int32_t selection = -1;
};

// Work handed to a dialog thread's loop.
struct Task {
  enum State { kPending, kRunning, kDone, kGone } state = kPending;
  KorvexHostWindow target = nullptr;
  std::function<int()> work;
  int result = 0;
};

struct Loop {
  std::deque<std::shared_ptr<Task>> tasks;
};

struct Dialog {
  KorvexHostWindow handle = nullptr;
  std::thread::id owner;
  std::shared_ptr<Loop> loop;
  KorvexHostDialogProc proc = nullptr;
  intptr_t data = 0;
  int32_t resourceId = 0;
  std::string title;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  bool visible = false;
  bool modal = false;
  bool ready = false;  // initialisation done
  bool ended = false;
  intptr_t result = 0;
  KorvexHostWindow parent = nullptr;
  std::vector<KorvexHostWindow> pages;
  std::vector<Control> controls;
};

// The host's lock guards the dialog table and, through it, every dialog's
// record, its loop's task list and those tasks' states: they are reached
// only with the lock held.
struct Host {
  Mutex mutex;
  std::condition_variable_any changed;  // any dialog, task or loop change
  std::map<KorvexHostWindow, std::shared_ptr<Dialog>> dialogs KORVEX_GUARDED_BY(mutex);
  // Control -> dialog.
  std::map<KorvexHostWindow, KorvexHostWindow> controlOwner KORVEX_GUARDED_BY(mutex);
  uint16_t language KORVEX_GUARDED_BY(mutex) = 1033;
  bool failCreate KORVEX_GUARDED_BY(mutex) = false;
};

Kind KindOf(const char* name);

Host& TheHost();
// The dialog loop of the calling thread.
std::shared_ptr<Loop> ThreadLoop();
Dialog* FindDialog(Host& host, KorvexHostWindow handle) KORVEX_REQUIRES(host.mutex);
Control* FindControl(Dialog* dialog, int32_t id);
KorvexHostWindow NewHandle();
// The dialog and every dialog it is a page of are visible.
bool DialogShown(Host& host, const Dialog* d) KORVEX_REQUIRES(host.mutex);
// A dialog made from a template; null when a fault is injected or the
// template is unusable.
std::shared_ptr<Dialog> Build(Host& host, const KorvexHostDialogTemplate* t)
    KORVEX_REQUIRES(host.mutex);
// Removes a dialog, its pages and their controls; work still queued for them
// is dropped.
void Remove(Host& host, KorvexHostWindow handle) KORVEX_REQUIRES(host.mutex);
// Calls the dialog's procedure (without the lock).
intptr_t CallProc(KorvexHostWindow dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);
uintptr_t CommandParam(int32_t id, int code);
// Runs one task of the loop, if any; the lock is held on entry and exit and
// left while the task runs.
bool RunOne(Host& host, Loop& loop) KORVEX_REQUIRES(host.mutex);
// Hands work to a dialog's thread and waits for it. Returns the work's result,
// -1 when the dialog is gone, ended first, or the time ran out (the work is
// then withdrawn).
int RunOnDialogThread(KorvexHostWindow dialog, std::function<int()> work, uint32_t timeoutMs);
int32_t ClampTo(int32_t value, int32_t low, int32_t high);
void CopyText(const std::string& text, char* out, size_t size);
void Describe(Host& host, const Dialog& d, const Control& c, KorvexHostDialogItemInfo* out)
    KORVEX_REQUIRES(host.mutex);
// A control a person can work: it exists, is enabled and visible.
Control* Workable(Host& host, KorvexHostWindow dialog, int32_t id, Kind kind)
    KORVEX_REQUIRES(host.mutex);
// A hand action: check and change the control under the lock, then notify the
// procedure, all on the dialog's thread.
int Hand(KorvexHostWindow dialog, std::function<int(Host&)> act);

}  // namespace korvex::host::dialog_table
