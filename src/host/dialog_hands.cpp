// The hands: what a person does to a dialog's controls (typing, clicking,
// picking from a list, dragging a slider), carried out on the dialog's
// thread with the notifications a real control sends, for tests.
#include "korvex/host_dialogs.h"

#include "host/dialog_table.h"
#include "host/window_table.h"

#include <cstring>

using korvex::LockGuard;
using korvex::Mutex;
using korvex::UniqueLock;
using namespace korvex::host::dialog_table;

extern "C" {

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
    const uintptr_t wParam =
        (static_cast<uintptr_t>(static_cast<uint16_t>(at)) << 16) | KORVEX_HOST_TB_THUMBPOSITION;
    CallProc(dialog, KORVEX_HOST_WM_HSCROLL, wParam, reinterpret_cast<intptr_t>(handle));
    return 1;
  });
}

int KorvexHost_HandRun(KorvexHostWindow dialog, void (*fn)(void*), void* context) {
  if (fn == nullptr) return 0;
  return RunOnDialogThread(
      dialog,
      [fn, context] {
        fn(context);
        return 1;
      },
      kActionTimeoutMs);
}

}  // extern "C"
