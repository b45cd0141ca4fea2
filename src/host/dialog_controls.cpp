// The controls of the host library's dialogs: their texts, numbers and
// check marks, and the messages of the trackbar, up-down, drop-down list and
// tab controls.
#include "korvex/host_dialogs.h"

#include "common/dialog_number.h"
#include "host/dialog_table.h"
#include "host/window_table.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

using korvex::LockGuard;
using korvex::Mutex;
using korvex::UniqueLock;
using namespace korvex::host::dialog_table;

namespace {

// The trackbar's messages; nothing when the message is not one of them.
std::optional<intptr_t> TrackbarMessage(Control& c, uint32_t message, uintptr_t wParam,
                                        intptr_t lParam) {
  switch (message) {
    case KORVEX_HOST_TBM_GETPOS: return c.position;
    case KORVEX_HOST_TBM_GETRANGEMIN: return c.rangeMin;
    case KORVEX_HOST_TBM_GETRANGEMAX: return c.rangeMax;
    case KORVEX_HOST_TBM_SETPOS:
      c.position = ClampTo(static_cast<int32_t>(lParam), c.rangeMin, c.rangeMax);
      return 0;
    case KORVEX_HOST_TBM_SETRANGEMIN:
      c.rangeMin = static_cast<int32_t>(lParam);
      c.position = ClampTo(c.position, c.rangeMin, std::max(c.rangeMin, c.rangeMax));
      return 0;
    case KORVEX_HOST_TBM_SETRANGEMAX:
      c.rangeMax = static_cast<int32_t>(lParam);
      c.position = ClampTo(c.position, std::min(c.rangeMin, c.rangeMax), c.rangeMax);
      return 0;
    case KORVEX_HOST_TBM_SETTICFREQ: c.tickFrequency = static_cast<int32_t>(wParam); return 0;
    default: return std::nullopt;
  }
}

// The up-down control's messages.
std::optional<intptr_t> UpDownMessage(const Dialog& d, Control& c, uint32_t message,
                                      uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case KORVEX_HOST_UDM_SETBUDDY: {
      const int32_t previous = c.buddyId;
      c.buddyId = 0;
      for (const Control& other : d.controls) {
        if (other.handle == reinterpret_cast<KorvexHostWindow>(wParam)) c.buddyId = other.id;
      }
      return previous;
    }
    case KORVEX_HOST_UDM_SETRANGE32:
      c.rangeMin = static_cast<int32_t>(wParam);
      c.rangeMax = static_cast<int32_t>(lParam);
      return 0;
    case KORVEX_HOST_UDM_SETPOS32: {
      const int32_t previous = c.position;
      c.position = ClampTo(static_cast<int32_t>(lParam), c.rangeMin, c.rangeMax);
      return previous;
    }
    case KORVEX_HOST_UDM_GETPOS32: return c.position;
    default: return std::nullopt;
  }
}

// The messages of the controls that hold a list: the drop-down list's
// entries and the tab control's captions.
std::optional<intptr_t> ListMessage(Control& c, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam) {
  const auto text = [lParam] {
    return std::string(lParam ? reinterpret_cast<const char*>(lParam) : "");
  };
  const auto index = static_cast<intptr_t>(static_cast<int32_t>(wParam));
  const auto count = static_cast<intptr_t>(c.items.size());
  switch (message) {
    case KORVEX_HOST_CB_ADDSTRING: c.items.push_back(text()); return count;
    case KORVEX_HOST_CB_INSERTSTRING:
    case KORVEX_HOST_TCM_INSERTITEM: {
      const intptr_t at = index < 0 || index > count ? count : index;
      c.items.insert(c.items.begin() + at, text());
      if (c.selection >= at) ++c.selection;
      if (c.kind == Kind::kTab && c.selection < 0) c.selection = 0;
      return at;
    }
    case KORVEX_HOST_CB_DELETESTRING:
      if (index < 0 || index >= count) return -1;
      c.items.erase(c.items.begin() + index);
      if (c.selection == index) {
        c.selection = -1;
      } else if (c.selection > index) {
        --c.selection;
      }
      return count - 1;
    case KORVEX_HOST_CB_GETCOUNT:
    case KORVEX_HOST_TCM_GETITEMCOUNT: return count;
    case KORVEX_HOST_CB_GETCURSEL:
    case KORVEX_HOST_TCM_GETCURSEL: return c.selection;
    case KORVEX_HOST_CB_RESETCONTENT:
      c.items.clear();
      c.selection = -1;
      return 0;
    case KORVEX_HOST_CB_SETCURSEL:
    case KORVEX_HOST_TCM_SETCURSEL:
      if (index < 0 || index >= count) {
        if (c.kind == Kind::kComboBox) c.selection = -1;
        return -1;
      }
      c.selection = static_cast<int32_t>(index);
      return index;
    default: return std::nullopt;
  }
}

}  // namespace

extern "C" {

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
  if (const auto r = TrackbarMessage(*c, message, wParam, lParam)) return *r;
  if (const auto r = UpDownMessage(*d, *c, message, wParam, lParam)) return *r;
  if (const auto r = ListMessage(*c, message, wParam, lParam)) return *r;
  return 0;
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

}  // extern "C"
