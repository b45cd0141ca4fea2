// The host library's dialogs: modal and modeless dialogs from templates,
// their data, visibility and position, calls handed to a dialog's thread,
// and what tests read of them.
#include "korvex/host_dialogs.h"

#include "host/dialog_table.h"
#include "host/window_table.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

using korvex::LockGuard;
using korvex::Mutex;
using korvex::UniqueLock;
using namespace korvex::host::dialog_table;

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

intptr_t KorvexHost_DialogBoxParam(const KorvexHostDialogTemplate* dialogTemplate, KorvexHostWindow,
                                   KorvexHostDialogProc proc, intptr_t param) {
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
  const int result = RunOnDialogThread(
      dialog,
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

}  // extern "C"
