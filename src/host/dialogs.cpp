// Modal dialogs from templates, the per-thread dialog loop that also runs
// work handed over by other threads, and the hands that work the controls.
//
// One lock guards every dialog and control. Procedures are always called
// without it, on the dialog's thread, so they may call back in.
#include "korvex/host_dialogs.h"

#include "common/dialog_number.h"
#include "host/window_table.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using korvex::LockGuard;
using korvex::Mutex;
using korvex::UniqueLock;

namespace {

using korvex::host::RegisterWindow;
using korvex::host::UnregisterWindow;
using korvex::host::Window;

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

Kind KindOf(const char* name) {
  static const std::pair<const char*, Kind> kNames[] = {
      {"button", Kind::kButton},
      {"edit", Kind::kEdit},
      {"static", Kind::kStatic},
      {"combobox", Kind::kComboBox},
      {"systabcontrol32", Kind::kTab},
      {"msctls_trackbar32", Kind::kTrackbar},
      {"msctls_updown32", Kind::kUpDown}};
  if (name == nullptr) return Kind::kUnknown;
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const auto& [n, k] : kNames) {
    if (lower == n) return k;
  }
  return Kind::kUnknown;
}

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

Host& TheHost() {
  static Host* host = new Host;  // lives as long as the process
  return *host;
}

std::shared_ptr<Loop> ThreadLoop() {
  thread_local std::shared_ptr<Loop> loop = std::make_shared<Loop>();
  return loop;
}

Dialog* FindDialog(Host& host, KorvexHostWindow handle) KORVEX_REQUIRES(host.mutex) {
  auto it = host.dialogs.find(handle);
  return it == host.dialogs.end() ? nullptr : it->second.get();
}

Control* FindControl(Dialog* dialog, int32_t id) {
  if (dialog == nullptr) return nullptr;
  for (Control& c : dialog->controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

KorvexHostWindow NewHandle() {
  auto window = std::make_shared<Window>();
  window->owner = std::this_thread::get_id();
  return RegisterWindow(std::move(window));
}

bool DialogShown(Host& host, const Dialog* d) KORVEX_REQUIRES(host.mutex) {
  for (; d != nullptr; d = FindDialog(host, d->parent)) {
    if (!d->visible) return false;
  }
  return true;
}

std::shared_ptr<Dialog> Build(Host& host, const KorvexHostDialogTemplate* t)
    KORVEX_REQUIRES(host.mutex) {
  if (t == nullptr || t->count < 0 || (t->count > 0 && t->items == nullptr) || host.failCreate)
    return nullptr;
  auto d = std::make_shared<Dialog>();
  d->handle = NewHandle();
  d->owner = std::this_thread::get_id();
  d->loop = ThreadLoop();
  d->resourceId = t->resourceId;
  d->title = t->title ? t->title : "";
  d->cx = t->cx;
  d->cy = t->cy;
  for (int32_t i = 0; i < t->count; ++i) {
    const KorvexHostDialogItem& item = t->items[i];
    Control c;
    c.handle = NewHandle();
    c.className = item.className ? item.className : "";
    c.kind = KindOf(item.className);
    c.id = item.id;
    c.style = item.style;
    c.x = item.x, c.y = item.y, c.cx = item.cx, c.cy = item.cy;
    c.text = item.text ? item.text : "";
    c.enabled = (item.style & kWsDisabled) == 0;
    d->controls.push_back(std::move(c));
    host.controlOwner[d->controls.back().handle] = d->handle;
  }
  host.dialogs[d->handle] = d;
  return d;
}

// Removes a dialog, its pages and their controls; work still queued for them
// is dropped.
void Remove(Host& host, KorvexHostWindow handle) KORVEX_REQUIRES(host.mutex) {
  auto it = host.dialogs.find(handle);
  if (it == host.dialogs.end()) return;
  std::shared_ptr<Dialog> d = it->second;
  host.dialogs.erase(it);
  for (KorvexHostWindow page : d->pages) Remove(host, page);
  for (const Control& c : d->controls) {
    host.controlOwner.erase(c.handle);
    UnregisterWindow(c.handle);
  }
  UnregisterWindow(d->handle);
  for (auto t = d->loop->tasks.begin(); t != d->loop->tasks.end();) {
    if ((*t)->target == handle) {
      (*t)->state = Task::kGone;
      t = d->loop->tasks.erase(t);
    } else {
      ++t;
    }
  }
  host.changed.notify_all();
}

intptr_t CallProc(KorvexHostWindow dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  KorvexHostDialogProc proc = nullptr;
  {
    Host& host = TheHost();
    LockGuard<Mutex> lock(host.mutex);
    if (Dialog* d = FindDialog(host, dialog)) proc = d->proc;
  }
  return proc ? proc(dialog, message, wParam, lParam) : 0;
}

uintptr_t CommandParam(int32_t id, int code) {
  return (static_cast<uintptr_t>(static_cast<uint16_t>(code)) << 16) |
         static_cast<uint16_t>(id);
}

// Runs one task of the loop, if any; the lock is held on entry and exit and
// left while the task runs.
bool RunOne(Host& host, Loop& loop) KORVEX_REQUIRES(host.mutex) {
  if (loop.tasks.empty()) return false;
  std::shared_ptr<Task> task = loop.tasks.front();
  loop.tasks.pop_front();
  Dialog* target = FindDialog(host, task->target);
  if (target == nullptr || target->ended) {
    task->state = Task::kGone;
    host.changed.notify_all();
    return true;
  }
  task->state = Task::kRunning;
  host.mutex.unlock();
  int result = 0;
  try {
    result = task->work();
  } catch (...) {
    result = 0;
  }
  host.mutex.lock();
  task->result = result;
  task->state = Task::kDone;
  host.changed.notify_all();
  return true;
}

// Hands work to a dialog's thread and waits for it. Returns the work's result,
// -1 when the dialog is gone, ended first, or the time ran out (the work is
// then withdrawn).
int RunOnDialogThread(KorvexHostWindow dialog, std::function<int()> work, uint32_t timeoutMs) {
  Host& host = TheHost();
  UniqueLock<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  if (d == nullptr || d->ended) return -1;
  if (d->owner == std::this_thread::get_id()) {
    lock.unlock();
    try {
      return work();
    } catch (...) {
      return 0;
    }
  }
  auto task = std::make_shared<Task>();
  task->target = dialog;
  task->work = std::move(work);
  std::shared_ptr<Loop> loop = d->loop;
  loop->tasks.push_back(task);
  host.changed.notify_all();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (task->state == Task::kPending || task->state == Task::kRunning) {
    if (task->state == Task::kPending &&
        host.changed.wait_until(lock, deadline) == std::cv_status::timeout &&
        task->state == Task::kPending) {
      loop->tasks.erase(std::remove(loop->tasks.begin(), loop->tasks.end(), task),
                        loop->tasks.end());
      return -1;
    }
    if (task->state == Task::kRunning) host.changed.wait(lock);
  }
  return task->state == Task::kDone ? task->result : -1;
}

int32_t ClampTo(int32_t value, int32_t low, int32_t high) {
  if (high < low) std::swap(low, high);
  return std::max(low, std::min(high, value));
}

void CopyText(const std::string& text, char* out, size_t size) {
  if (out == nullptr || size == 0) return;
  const size_t n = std::min(text.size(), size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

void Describe(Host& host, const Dialog& d, const Control& c, KorvexHostDialogItemInfo* out)
    KORVEX_REQUIRES(host.mutex) {
  *out = KorvexHostDialogItemInfo{};
  CopyText(c.className, out->className, sizeof out->className);
  CopyText(c.text, out->text, sizeof out->text);
  out->id = c.id;
  out->style = c.style;
  out->x = c.x, out->y = c.y, out->cx = c.cx, out->cy = c.cy;
  out->enabled = c.enabled ? 1 : 0;
  out->visible = c.visible && DialogShown(host, &d) ? 1 : 0;
  out->checked = c.checked ? 1 : 0;
  out->position = c.position;
  out->rangeMin = c.rangeMin;
  out->rangeMax = c.rangeMax;
  out->tickFrequency = c.tickFrequency;
  out->buddyId = c.buddyId;
  out->selection = c.selection;
  out->count = static_cast<int32_t>(c.items.size());
}

// A control a person can work: it exists, is enabled and visible.
Control* Workable(Host& host, KorvexHostWindow dialog, int32_t id, Kind kind)
    KORVEX_REQUIRES(host.mutex) {
  Dialog* d = FindDialog(host, dialog);
  Control* c = FindControl(d, id);
  if (c == nullptr || c->kind != kind || !c->enabled || !c->visible || !DialogShown(host, d))
    return nullptr;
  return c;
}

// A hand action: check and change the control under the lock, then notify the
// procedure, all on the dialog's thread.
int Hand(KorvexHostWindow dialog, std::function<int(Host&)> act) {
  return RunOnDialogThread(dialog, [act = std::move(act)] { return act(TheHost()); },
                           kActionTimeoutMs);
}


}  // namespace

extern "C" {

uint16_t KorvexHost_GetSystemDefaultLangID(void) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  return host.language;
}

void KorvexHost_SetSystemDefaultLangID(uint16_t language) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  host.language = language;
}

void KorvexHost_SetDialogFaults(int failCreate) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  host.failCreate = failCreate != 0;
}

intptr_t KorvexHost_DialogBoxParam(const KorvexHostDialogTemplate* dialogTemplate,
                                   KorvexHostWindow, KorvexHostDialogProc proc, intptr_t param) {
  Host& host = TheHost();
  std::shared_ptr<Dialog> d;
  {
    LockGuard<Mutex> lock(host.mutex);
    d = Build(host, dialogTemplate);
    if (!d) return -1;
    d->proc = proc;
    d->modal = true;
    d->visible = true;
  }
  const KorvexHostWindow handle = d->handle;
  CallProc(handle, KORVEX_HOST_WM_INITDIALOG, 0, param);
  UniqueLock<Mutex> lock(host.mutex);
  d->ready = true;
  host.changed.notify_all();
  Loop& loop = *d->loop;
  while (!d->ended) {
    if (!RunOne(host, loop)) host.changed.wait(lock);
  }
  const intptr_t result = d->result;
  Remove(host, handle);
  return result;
}

KorvexHostWindow KorvexHost_CreateDialogParam(const KorvexHostDialogTemplate* dialogTemplate,
                                              KorvexHostWindow parent, KorvexHostDialogProc proc,
                                              intptr_t param) {
  Host& host = TheHost();
  KorvexHostWindow handle = nullptr;
  {
    LockGuard<Mutex> lock(host.mutex);
    // The parent may be a dialog or one of its controls (a page sits in a tab).
    auto owner = host.controlOwner.find(parent);
    if (owner != host.controlOwner.end()) parent = owner->second;
    Dialog* p = FindDialog(host, parent);
    if (p == nullptr || p->owner != std::this_thread::get_id()) return nullptr;
    std::shared_ptr<Dialog> d = Build(host, dialogTemplate);
    if (!d) return nullptr;
    d->proc = proc;
    d->parent = parent;
    d->ready = true;
    p->pages.push_back(d->handle);
    handle = d->handle;
  }
  CallProc(handle, KORVEX_HOST_WM_INITDIALOG, 0, param);
  return handle;
}

int KorvexHost_EndDialog(KorvexHostWindow dialog, intptr_t result) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  if (d == nullptr) return 0;
  if (!d->ended) {
    d->ended = true;
    d->result = result;
  }
  host.changed.notify_all();
  return 1;
}

intptr_t KorvexHost_SetDialogData(KorvexHostWindow dialog, intptr_t data) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  if (d == nullptr) return 0;
  return std::exchange(d->data, data);
}

intptr_t KorvexHost_GetDialogData(KorvexHostWindow dialog) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  return d ? d->data : 0;
}

int KorvexHost_ShowDialog(KorvexHostWindow dialog, int show) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  if (d == nullptr) return 0;
  const int was = d->visible ? 1 : 0;
  d->visible = show != 0;
  return was;
}

int KorvexHost_SetDialogPosition(KorvexHostWindow dialog, int32_t x, int32_t y) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  if (d == nullptr) return 0;
  d->x = static_cast<int16_t>(x);
  d->y = static_cast<int16_t>(y);
  return 1;
}

KorvexHostWindow KorvexHost_GetDlgItem(KorvexHostWindow dialog, int32_t id) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Control* c = FindControl(FindDialog(host, dialog), id);
  return c ? c->handle : nullptr;
}

int32_t KorvexHost_GetDlgCtrlID(KorvexHostWindow control) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  auto owner = host.controlOwner.find(control);
  if (owner == host.controlOwner.end()) return 0;
  for (const Control& c : FindDialog(host, owner->second)->controls) {
    if (c.handle == control) return c.id;
  }
  return 0;
}

int KorvexHost_SetDlgItemText(KorvexHostWindow dialog, int32_t id, const char* text) {
  KorvexHostWindow handle = nullptr;
  bool notify = false;
  {
    Host& host = TheHost();
    LockGuard<Mutex> lock(host.mutex);
    Control* c = FindControl(FindDialog(host, dialog), id);
    if (c == nullptr) return 0;
    c->text = text ? text : "";
    handle = c->handle;
    notify = c->kind == Kind::kEdit;
  }
  if (notify)
    CallProc(dialog, KORVEX_HOST_WM_COMMAND, CommandParam(id, KORVEX_HOST_EN_CHANGE),
             reinterpret_cast<intptr_t>(handle));
  return 1;
}

int KorvexHost_GetDlgItemText(KorvexHostWindow dialog, int32_t id, char* text, int size) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Control* c = FindControl(FindDialog(host, dialog), id);
  if (c == nullptr) {
    if (text && size > 0) text[0] = '\0';
    return 0;
  }
  if (size > 0) CopyText(c->text, text, static_cast<size_t>(size));
  return static_cast<int>(std::min<size_t>(c->text.size(), size > 0 ? size - 1 : 0));
}

int KorvexHost_SetDlgItemInt(KorvexHostWindow dialog, int32_t id, uint32_t value, int isSigned) {
  char text[16];
  if (isSigned) {
    std::snprintf(text, sizeof text, "%d", static_cast<int32_t>(value));
  } else {
    std::snprintf(text, sizeof text, "%u", value);
  }
  return KorvexHost_SetDlgItemText(dialog, id, text);
}

uint32_t KorvexHost_GetDlgItemInt(KorvexHostWindow dialog, int32_t id, int* ok, int isSigned) {
  std::string text;
  {
    Host& host = TheHost();
    LockGuard<Mutex> lock(host.mutex);
    Control* c = FindControl(FindDialog(host, dialog), id);
    if (c == nullptr) {
      if (ok) *ok = 0;
      return 0;
    }
    text = c->text;
  }
  uint32_t value = 0;
  const bool parsed = korvex::ParseDialogNumber(text, isSigned != 0, &value);
  if (ok) *ok = parsed ? 1 : 0;
  return parsed ? value : 0;
}

int KorvexHost_CheckDlgButton(KorvexHostWindow dialog, int32_t id, int checked) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Control* c = FindControl(FindDialog(host, dialog), id);
  if (c == nullptr || c->kind != Kind::kButton) return 0;
  c->checked = checked != 0;
  return 1;
}

int KorvexHost_IsDlgButtonChecked(KorvexHostWindow dialog, int32_t id) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Control* c = FindControl(FindDialog(host, dialog), id);
  return c != nullptr && c->checked ? 1 : 0;
}

int KorvexHost_EnableDlgItem(KorvexHostWindow dialog, int32_t id, int enable) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Control* c = FindControl(FindDialog(host, dialog), id);
  if (c == nullptr) return 0;
  c->enabled = enable != 0;
  if (c->enabled) {
    c->style &= ~kWsDisabled;
  } else {
    c->style |= kWsDisabled;
  }
  return 1;
}

intptr_t KorvexHost_SendDlgItemMessage(KorvexHostWindow dialog, int32_t id, uint32_t message,
                                       uintptr_t wParam, intptr_t lParam) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  Control* c = FindControl(d, id);
  if (c == nullptr) return -1;
  const auto text = [lParam] { return std::string(lParam ? reinterpret_cast<const char*>(lParam) : ""); };
  const auto index = static_cast<intptr_t>(static_cast<int32_t>(wParam));
  const auto count = static_cast<intptr_t>(c->items.size());
  switch (message) {
    case KORVEX_HOST_TBM_GETPOS:
      return c->position;
    case KORVEX_HOST_TBM_GETRANGEMIN:
      return c->rangeMin;
    case KORVEX_HOST_TBM_GETRANGEMAX:
      return c->rangeMax;
    case KORVEX_HOST_TBM_SETPOS:
      c->position = ClampTo(static_cast<int32_t>(lParam), c->rangeMin, c->rangeMax);
      return 0;
    case KORVEX_HOST_TBM_SETRANGEMIN:
      c->rangeMin = static_cast<int32_t>(lParam);
      c->position = ClampTo(c->position, c->rangeMin, std::max(c->rangeMin, c->rangeMax));
      return 0;
    case KORVEX_HOST_TBM_SETRANGEMAX:
      c->rangeMax = static_cast<int32_t>(lParam);
      c->position = ClampTo(c->position, std::min(c->rangeMin, c->rangeMax), c->rangeMax);
      return 0;
    case KORVEX_HOST_TBM_SETTICFREQ:
      c->tickFrequency = static_cast<int32_t>(wParam);
      return 0;
    case KORVEX_HOST_UDM_SETBUDDY: {
      const int32_t previous = c->buddyId;
      c->buddyId = 0;
      for (const Control& other : d->controls) {
        if (other.handle == reinterpret_cast<KorvexHostWindow>(wParam)) c->buddyId = other.id;
      }
      return previous;
    }
    case KORVEX_HOST_UDM_SETRANGE32:
      c->rangeMin = static_cast<int32_t>(wParam);
      c->rangeMax = static_cast<int32_t>(lParam);
      return 0;
    case KORVEX_HOST_UDM_SETPOS32: {
      const int32_t previous = c->position;
      c->position = ClampTo(static_cast<int32_t>(lParam), c->rangeMin, c->rangeMax);
      return previous;
    }
    case KORVEX_HOST_UDM_GETPOS32:
      return c->position;
    case KORVEX_HOST_CB_ADDSTRING:
      c->items.push_back(text());
      return count;
    case KORVEX_HOST_CB_INSERTSTRING:
    case KORVEX_HOST_TCM_INSERTITEM: {
      const intptr_t at = index < 0 || index > count ? count : index;
      c->items.insert(c->items.begin() + at, text());
      if (c->selection >= at) ++c->selection;
      if (c->kind == Kind::kTab && c->selection < 0) c->selection = 0;
      return at;
    }
    case KORVEX_HOST_CB_DELETESTRING:
      if (index < 0 || index >= count) return -1;
      c->items.erase(c->items.begin() + index);
      if (c->selection == index) {
        c->selection = -1;
      } else if (c->selection > index) {
        --c->selection;
      }
      return count - 1;
    case KORVEX_HOST_CB_GETCOUNT:
    case KORVEX_HOST_TCM_GETITEMCOUNT:
      return count;
    case KORVEX_HOST_CB_GETCURSEL:
    case KORVEX_HOST_TCM_GETCURSEL:
      return c->selection;
    case KORVEX_HOST_CB_RESETCONTENT:
      c->items.clear();
      c->selection = -1;
      return 0;
    case KORVEX_HOST_CB_SETCURSEL:
    case KORVEX_HOST_TCM_SETCURSEL:
      if (index < 0 || index >= count) {
        if (c->kind == Kind::kComboBox) c->selection = -1;
        return -1;
      }
      c->selection = static_cast<int32_t>(index);
      return index;
    default:
      return 0;
  }
}

int KorvexHost_SendDialogCall(KorvexHostWindow dialog, void (*fn)(void*), void* context,
                              uint32_t timeoutMs) {
  if (fn == nullptr) return 0;
  {
    Host& host = TheHost();
    LockGuard<Mutex> lock(host.mutex);
    Dialog* d = FindDialog(host, dialog);
    if (d == nullptr || d->ended) return 0;
  }
  bool ran = false;
  const int result = RunOnDialogThread(dialog,
                                       [&] {
                                         ran = true;
                                         fn(context);
                                         return 1;
                                       },
                                       timeoutMs);
  if (ran) return 1;
  // Not run: the dialog ended or went away (0), or the time ran out (-1).
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  return result == -1 && d != nullptr && !d->ended ? -1 : 0;
}

int KorvexHost_PostDialogCommand(KorvexHostWindow dialog, int32_t id) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  if (d == nullptr) return 0;
  auto task = std::make_shared<Task>();
  task->target = dialog;
  task->work = [dialog, id] {
    CallProc(dialog, KORVEX_HOST_WM_COMMAND, CommandParam(id, KORVEX_HOST_BN_CLICKED), 0);
    return 1;
  };
  d->loop->tasks.push_back(task);
  host.changed.notify_all();
  return 1;
}

KorvexHostWindow KorvexHost_WaitForDialog(const char* title, uint32_t timeoutMs) {
  Host& host = TheHost();
  UniqueLock<Mutex> lock(host.mutex);
  KorvexHostWindow found = nullptr;
  const auto match = [&]() KORVEX_REQUIRES(host.mutex) {
    for (const auto& [handle, d] : host.dialogs) {
      if (d->modal && d->ready && !d->ended && (title == nullptr || d->title == title)) {
        found = handle;
        return true;
      }
    }
    return false;
  };
  host.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), match);
  return found;
}

KorvexHostWindow KorvexHost_GetDialogPage(KorvexHostWindow dialog, int index) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  if (d == nullptr || index < 0 || static_cast<size_t>(index) >= d->pages.size()) return nullptr;
  return d->pages[static_cast<size_t>(index)];
}

int KorvexHost_IsDialog(KorvexHostWindow dialog) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  return FindDialog(host, dialog) != nullptr ? 1 : 0;
}

int KorvexHost_GetDialogInfo(KorvexHostWindow dialog, KorvexHostDialogInfo* out) {
  if (out == nullptr) return 0;
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  if (d == nullptr) return 0;
  *out = KorvexHostDialogInfo{};
  out->resourceId = d->resourceId;
  CopyText(d->title, out->title, sizeof out->title);
  out->x = d->x, out->y = d->y, out->cx = d->cx, out->cy = d->cy;
  out->itemCount = static_cast<int32_t>(d->controls.size());
  out->visible = DialogShown(host, d) ? 1 : 0;
  return 1;
}

int KorvexHost_GetDialogItemInfo(KorvexHostWindow dialog, int index,
                                 KorvexHostDialogItemInfo* out) {
  if (out == nullptr) return 0;
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  if (d == nullptr || index < 0 || static_cast<size_t>(index) >= d->controls.size()) return 0;
  Describe(host, *d, d->controls[static_cast<size_t>(index)], out);
  return 1;
}

int KorvexHost_ReadDialogItem(KorvexHostWindow dialog, int32_t id, KorvexHostDialogItemInfo* out) {
  if (out == nullptr) return 0;
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Dialog* d = FindDialog(host, dialog);
  Control* c = FindControl(d, id);
  if (c == nullptr) return 0;
  Describe(host, *d, *c, out);
  return 1;
}

int KorvexHost_GetDialogListText(KorvexHostWindow dialog, int32_t id, int index, char* text,
                                 int size) {
  Host& host = TheHost();
  LockGuard<Mutex> lock(host.mutex);
  Control* c = FindControl(FindDialog(host, dialog), id);
  if (c == nullptr || index < 0 || static_cast<size_t>(index) >= c->items.size()) return -1;
  const std::string& item = c->items[static_cast<size_t>(index)];
  if (size > 0) CopyText(item, text, static_cast<size_t>(size));
  return static_cast<int>(item.size());
}

int KorvexHost_HandType(KorvexHostWindow dialog, int32_t id, const char* text) {
  const std::string typed = text ? text : "";
  return Hand(dialog, [dialog, id, typed](Host& host) {
    {
      LockGuard<Mutex> lock(host.mutex);
      Control* c = Workable(host, dialog, id, Kind::kEdit);
      if (c == nullptr || (c->style & 0x800u) != 0) return 0;  // read-only
    }
    KorvexHost_SetDlgItemText(dialog, id, typed.c_str());
    return 1;
  });
}

int KorvexHost_HandClick(KorvexHostWindow dialog, int32_t id) {
  return Hand(dialog, [dialog, id](Host& host) {
    KorvexHostWindow handle = nullptr;
    {
      LockGuard<Mutex> lock(host.mutex);
      Control* c = Workable(host, dialog, id, Kind::kButton);
      if (c == nullptr) return 0;
      const uint32_t type = c->style & kBsTypeMask;
      if (type == kBsGroupBox) return 0;
      if (type == kBsAutoCheckBox) c->checked = !c->checked;
      if (type == kBsAutoRadio) {
        // Tick this one, clear the others of its group.
        std::vector<Control>& all = FindDialog(host, dialog)->controls;
        size_t at = static_cast<size_t>(c - all.data());
        size_t first = at;
        while (first > 0 && (all[first].style & kWsGroup) == 0) --first;
        size_t last = at + 1;
        while (last < all.size() && (all[last].style & kWsGroup) == 0) ++last;
        for (size_t i = first; i < last; ++i) {
          const uint32_t t = all[i].style & kBsTypeMask;
          if (all[i].kind == Kind::kButton && (t == kBsAutoRadio || t == kBsRadio))
            all[i].checked = false;
        }
        c->checked = true;
      }
      (void)kBsCheckBox;
      handle = c->handle;
    }
    CallProc(dialog, KORVEX_HOST_WM_COMMAND, CommandParam(id, KORVEX_HOST_BN_CLICKED),
             reinterpret_cast<intptr_t>(handle));
    return 1;
  });
}

int KorvexHost_HandPick(KorvexHostWindow dialog, int32_t id, int index) {
  return Hand(dialog, [dialog, id, index](Host& host) {
    KorvexHostWindow handle = nullptr;
    bool tab = false;
    {
      LockGuard<Mutex> lock(host.mutex);
      Dialog* d = FindDialog(host, dialog);
      Control* c = FindControl(d, id);
      if (c == nullptr || (c->kind != Kind::kComboBox && c->kind != Kind::kTab) ||
          Workable(host, dialog, id, c->kind) == nullptr || index < 0 ||
          static_cast<size_t>(index) >= c->items.size())
        return 0;
      c->selection = index;
      handle = c->handle;
      tab = c->kind == Kind::kTab;
    }
    if (tab) {
      KorvexHostNotify notify{handle, static_cast<uintptr_t>(id), KORVEX_HOST_TCN_SELCHANGE};
      CallProc(dialog, KORVEX_HOST_WM_NOTIFY, static_cast<uintptr_t>(id),
               reinterpret_cast<intptr_t>(&notify));
    } else {
      CallProc(dialog, KORVEX_HOST_WM_COMMAND, CommandParam(id, KORVEX_HOST_CBN_SELCHANGE),
               reinterpret_cast<intptr_t>(handle));
    }
    return 1;
  });
}

int KorvexHost_HandDrag(KorvexHostWindow dialog, int32_t id, int32_t position) {
  return Hand(dialog, [dialog, id, position](Host& host) {
    KorvexHostWindow handle = nullptr;
    int32_t at = 0;
    {
      LockGuard<Mutex> lock(host.mutex);
      Control* c = Workable(host, dialog, id, Kind::kTrackbar);
      if (c == nullptr) return 0;
      c->position = ClampTo(position, c->rangeMin, c->rangeMax);
      at = c->position;
      handle = c->handle;
    }
    const uintptr_t wParam = (static_cast<uintptr_t>(static_cast<uint16_t>(at)) << 16) |
                             KORVEX_HOST_TB_THUMBPOSITION;
    CallProc(dialog, KORVEX_HOST_WM_HSCROLL, wParam, reinterpret_cast<intptr_t>(handle));
    return 1;
  });
}

int KorvexHost_HandRun(KorvexHostWindow dialog, void (*fn)(void*), void* context) {
  if (fn == nullptr) return 0;
  return RunOnDialogThread(dialog,
                           [fn, context] {
                             fn(context);
                             return 1;
                           },
                           kActionTimeoutMs);
}

}  // extern "C"
