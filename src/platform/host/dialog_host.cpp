// The dialog seam on top of the host library's dialogs (Linux).
#include "platform/dialog.h"

#include "korvex/host_dialogs.h"
#include "korvex/host_messages.h"

#include <memory>
#include <string>
#include <vector>

namespace korvex::platform {
namespace {

using dialog::DialogHandler;
using dialog::DialogSurface;
using dialog::DialogTemplate;
using dialog::Notice;

// The host's form of a template; lives while the dialog is being created.
class HostTemplate {
 public:
  explicit HostTemplate(const DialogTemplate& t) {
    items_.reserve(static_cast<size_t>(t.controlCount));
    for (int i = 0; i < t.controlCount; ++i) {
      const dialog::ControlTemplate& c = t.controls[i];
      items_.push_back(KorvexHostDialogItem{
          dialog::ClassName(c.cls), t.Caption(c), c.id,
          c.style | dialog::style::kChild | dialog::style::kVisible, c.x, c.y, c.cx, c.cy});
    }
    host_ = KorvexHostDialogTemplate{
        t.id, t.title, t.style, t.cx, t.cy, items_.data(), static_cast<int32_t>(items_.size())};
  }
  const KorvexHostDialogTemplate* get() const { return &host_; }

 private:
  std::vector<KorvexHostDialogItem> items_;
  KorvexHostDialogTemplate host_{};
};

class HostSurface final : public DialogSurface {
 public:
  explicit HostSurface(DialogHandler& handler) : handler_(handler) {}

  // The dialog procedure. The handlers run inside the dialog's message
  // handling: nothing they throw may leave through it (as on Windows).
  static intptr_t Proc(KorvexHostWindow dialog, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) {
    if (message == KORVEX_HOST_WM_INITDIALOG) {
      auto* self = reinterpret_cast<HostSurface*>(lParam);
      KorvexHost_SetDialogData(dialog, lParam);
      self->dialog_ = dialog;
      try {
        self->handler_.OnInit(*self);
      } catch (...) {
      }
      return 1;
    }
    auto* self = reinterpret_cast<HostSurface*>(KorvexHost_GetDialogData(dialog));
    if (self == nullptr) return 0;
    try {
      return self->Handle(message, wParam, lParam);
    } catch (...) {
      return 1;
    }
  }

  intptr_t Handle(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    HostSurface* self = this;
    switch (message) {
      case KORVEX_HOST_WM_COMMAND: {
        const int id = static_cast<int>(static_cast<int16_t>(wParam & 0xFFFF));
        const int code = static_cast<int>((wParam >> 16) & 0xFFFF);
        const Notice notice = code == KORVEX_HOST_BN_CLICKED      ? Notice::kClicked
                              : code == KORVEX_HOST_EN_CHANGE     ? Notice::kEditChanged
                              : code == KORVEX_HOST_CBN_SELCHANGE ? Notice::kSelectionChanged
                                                                  : Notice::kOther;
        self->handler_.OnCommand(*self, id, notice);
        return 1;
      }
      case KORVEX_HOST_WM_HSCROLL:
        // A scroll message without a sending control is not a slider's.
        if (lParam == 0) return 0;
        self->handler_.OnScroll(
            *self, KorvexHost_GetDlgCtrlID(reinterpret_cast<KorvexHostWindow>(lParam)));
        return 1;
      case KORVEX_HOST_WM_NOTIFY: {
        const auto* notify = reinterpret_cast<const KorvexHostNotify*>(lParam);
        if (notify != nullptr && notify->code == KORVEX_HOST_TCN_SELCHANGE)
          self->handler_.OnTabChanged(*self, static_cast<int>(notify->id));
        return 1;
      }
      default: return 0;
    }
  }

  void* Window() override { return dialog_; }
  void SetText(int id, std::string_view text) override {
    KorvexHost_SetDlgItemText(dialog_, id, std::string(text).c_str());
  }
  // The whole text, however long: the buffer grows until the text fits.
  std::string Text(int id) override {
    std::string text(256, '\0');
    for (;;) {
      const int copied =
          KorvexHost_GetDlgItemText(dialog_, id, text.data(), static_cast<int>(text.size()));
      if (copied < static_cast<int>(text.size()) - 1) {
        text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
        return text;
      }
      text.resize(text.size() * 2);
    }
  }
  void SetNumber(int id, int32_t value, bool isSigned) override {
    KorvexHost_SetDlgItemInt(dialog_, id, static_cast<uint32_t>(value), isSigned ? 1 : 0);
  }
  int32_t Number(int id, bool isSigned, bool* ok) override {
    int translated = 0;
    const uint32_t value = KorvexHost_GetDlgItemInt(dialog_, id, &translated, isSigned ? 1 : 0);
    if (ok) *ok = translated != 0;
    return static_cast<int32_t>(value);
  }
  void SetChecked(int id, bool checked) override {
    KorvexHost_CheckDlgButton(dialog_, id, checked ? 1 : 0);
  }
  bool Checked(int id) override { return KorvexHost_IsDlgButtonChecked(dialog_, id) != 0; }
  void Enable(int id, bool enable) override { KorvexHost_EnableDlgItem(dialog_, id, enable); }
  void SetTrackRange(int id, int32_t minimum, int32_t maximum) override {
    Send(id, KORVEX_HOST_TBM_SETRANGEMAX, 0, maximum);
    Send(id, KORVEX_HOST_TBM_SETRANGEMIN, 0, minimum);
  }
  void SetTrackPosition(int id, int32_t position) override {
    Send(id, KORVEX_HOST_TBM_SETPOS, 1, position);
  }
  int32_t TrackPosition(int id) override {
    return static_cast<int32_t>(Send(id, KORVEX_HOST_TBM_GETPOS, 0, 0));
  }
  void SetTickFrequency(int id, int32_t frequency) override {
    Send(id, KORVEX_HOST_TBM_SETTICFREQ, static_cast<uintptr_t>(frequency), 0);
  }
  void SetSpinRange(int id, int32_t minimum, int32_t maximum) override {
    Send(id, KORVEX_HOST_UDM_SETRANGE32, static_cast<uintptr_t>(static_cast<uint32_t>(minimum)),
         maximum);
  }
  void SetSpinPosition(int id, int32_t position) override {
    Send(id, KORVEX_HOST_UDM_SETPOS32, 0, position);
  }
  void SetBuddy(int spinId, int editId) override {
    Send(spinId, KORVEX_HOST_UDM_SETBUDDY,
         reinterpret_cast<uintptr_t>(KorvexHost_GetDlgItem(dialog_, editId)), 0);
  }
  void ClearList(int id) override { Send(id, KORVEX_HOST_CB_RESETCONTENT, 0, 0); }
  int AddListItem(int id, std::string_view text) override {
    const std::string copy(text);
    return static_cast<int>(
        Send(id, KORVEX_HOST_CB_ADDSTRING, 0, reinterpret_cast<intptr_t>(copy.c_str())));
  }
  int InsertListItem(int id, int index, std::string_view text) override {
    const std::string copy(text);
    return static_cast<int>(Send(id, KORVEX_HOST_CB_INSERTSTRING,
                                 static_cast<uintptr_t>(static_cast<intptr_t>(index)),
                                 reinterpret_cast<intptr_t>(copy.c_str())));
  }
  void DeleteListItem(int id, int index) override {
    Send(id, KORVEX_HOST_CB_DELETESTRING, static_cast<uintptr_t>(static_cast<intptr_t>(index)), 0);
  }
  void SelectListItem(int id, int index) override {
    Send(id, KORVEX_HOST_CB_SETCURSEL, static_cast<uintptr_t>(static_cast<intptr_t>(index)), 0);
  }
  int ListSelection(int id) override {
    return static_cast<int>(Send(id, KORVEX_HOST_CB_GETCURSEL, 0, 0));
  }
  int AddTab(int id, int index, std::string_view caption) override {
    const std::string copy(caption);
    return static_cast<int>(Send(id, KORVEX_HOST_TCM_INSERTITEM,
                                 static_cast<uintptr_t>(static_cast<intptr_t>(index)),
                                 reinterpret_cast<intptr_t>(copy.c_str())));
  }
  int TabSelection(int id) override {
    return static_cast<int>(Send(id, KORVEX_HOST_TCM_GETCURSEL, 0, 0));
  }
  DialogSurface* CreatePage(const DialogTemplate& page, int hostId, int x, int y,
                            DialogHandler& handler) override {
    auto surface = std::make_unique<HostSurface>(handler);
    HostTemplate t(page);
    KorvexHostWindow window =
        KorvexHost_CreateDialogParam(t.get(), KorvexHost_GetDlgItem(dialog_, hostId), Proc,
                                     reinterpret_cast<intptr_t>(surface.get()));
    if (window == nullptr) return nullptr;
    KorvexHostDialogItemInfo host{};
    KorvexHost_ReadDialogItem(dialog_, hostId, &host);
    KorvexHost_SetDialogPosition(window, host.x + x, host.y + y);
    pages_.push_back(std::move(surface));
    return pages_.back().get();
  }
  void Show(bool show) override { KorvexHost_ShowDialog(dialog_, show ? 1 : 0); }
  void End(int result) override { KorvexHost_EndDialog(dialog_, result); }

 private:
  intptr_t Send(int id, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return KorvexHost_SendDlgItemMessage(dialog_, id, message, wParam, lParam);
  }

  DialogHandler& handler_;
  KorvexHostWindow dialog_ = nullptr;
  std::vector<std::unique_ptr<HostSurface>> pages_;
};

}  // namespace

uint16_t SystemLanguage() { return KorvexHost_GetSystemDefaultLangID(); }

int RunModalDialog(const dialog::DialogTemplate& dialog, WindowHandle owner,
                   dialog::DialogHandler& handler) {
  // An owner that is not a window shows nothing, as on Windows.
  if (owner != nullptr && KorvexHost_IsWindow(reinterpret_cast<KorvexHostWindow>(owner)) == 0)
    return -1;
  HostSurface surface(handler);
  HostTemplate t(dialog);
  return static_cast<int>(KorvexHost_DialogBoxParam(t.get(), owner, HostSurface::Proc,
                                                    reinterpret_cast<intptr_t>(&surface)));
}

SendResult SendToDialog(void* window, void (*fn)(void*), void* context, uint32_t timeoutMs) {
  switch (
      KorvexHost_SendDialogCall(static_cast<KorvexHostWindow>(window), fn, context, timeoutMs)) {
    case 1: return SendResult::kHandled;
    case -1: return SendResult::kTimedOut;
    default: return SendResult::kNoDialog;
  }
}

bool PostDialogCommand(void* window, int id) {
  return KorvexHost_PostDialogCommand(static_cast<KorvexHostWindow>(window), id) != 0;
}

}  // namespace korvex::platform
