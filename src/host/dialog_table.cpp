#include "host/dialog_table.h"

#include "host/window_table.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

namespace korvex::host::dialog_table {

using korvex::host::RegisterWindow;
using korvex::host::UnregisterWindow;
using korvex::host::Window;

Kind KindOf(const char* name) {
  static const std::pair<const char*, Kind> kNames[] = {
      {"button", Kind::kButton},         {"edit", Kind::kEdit},
      {"static", Kind::kStatic},         {"combobox", Kind::kComboBox},
      {"systabcontrol32", Kind::kTab},   {"msctls_trackbar32", Kind::kTrackbar},
      {"msctls_updown32", Kind::kUpDown}};
  if (name == nullptr) return Kind::kUnknown;
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const auto& [n, k] : kNames) {
    if (lower == n) return k;
  }
  return Kind::kUnknown;
}

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
  return (static_cast<uintptr_t>(static_cast<uint16_t>(code)) << 16) | static_cast<uint16_t>(id);
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
  return RunOnDialogThread(
      dialog, [act = std::move(act)] { return act(TheHost()); }, kActionTimeoutMs);
}

}  // namespace korvex::host::dialog_table
