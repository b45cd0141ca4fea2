// The dialog seam on Win32: the templates are resources of the library's
// own module (generated at build time from the same template table the
// Linux host uses), run with DialogBoxParamA; pages are modeless children
// of the sheet's tab control made with CreateDialogParamA.
//
// Captions and list texts travel as UTF-16 (the W forms of the text
// messages), converted from and to the UTF-8 of the surface, so Japanese
// texts are exact whatever the ANSI code page; every other message is sent
// with SendMessageA.
#include <windows.h>
#include <commctrl.h>

#include "common/dialog_number.h"
#include "platform/dialog.h"
#include "platform/win32/own_module.h"

#include <condition_variable>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace korvex::platform {
namespace {

using dialog::DialogHandler;
using dialog::DialogSurface;
using dialog::DialogTemplate;
using dialog::ItemRect;
using dialog::Notice;

// A call handed to a dialog's thread (SendToDialog); the posted message
// carries the call's number.
constexpr UINT kCallMessage = WM_APP + 0x4B0;

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const wchar_t* wide, int length) {
  if (length <= 0) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), n, nullptr, nullptr);
  return text;
}

// The tab, trackbar and up-down classes live in the common controls.
void RegisterControlClasses() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
    return ::InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)registered;
}

// ---- calls handed to a dialog's thread -------------------------------------------
//
// A call lives on its sender's stack. The posted message carries only its
// number; the dialog's thread runs it only while it is still listed, and a
// sender that gives up takes it off the list first, so a late message finds
// nothing and the sender's context is never touched after it returned.
struct PendingCall {
  void (*fn)(void*);
  void* context;
  enum State { kWaiting, kRunning, kDone } state;
};

struct CallTable {
  std::mutex mutex;
  std::condition_variable done;
  std::unordered_map<uint64_t, PendingCall*> calls;
  uint64_t next = 0;
};

CallTable& Calls() {
  static CallTable* table = new CallTable;  // outlives every dialog thread
  return *table;
}

void RunPostedCall(uint64_t number) {
  CallTable& t = Calls();
  PendingCall* call = nullptr;
  {
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.calls.find(number);
    if (it == t.calls.end() || it->second->state != PendingCall::kWaiting) return;
    call = it->second;
    call->state = PendingCall::kRunning;
  }
  call->fn(call->context);
  std::lock_guard<std::mutex> lock(t.mutex);
  call->state = PendingCall::kDone;
  t.calls.erase(number);
  t.done.notify_all();
}

// ---- the surface ----------------------------------------------------------------

class Win32Surface;

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class Win32TabPainter final : public dialog::TabPainter {
 public:
  Win32TabPainter(HDC dc, HWND tab) : dc_(dc), tab_(tab) {}
  void FillWithButtonFace(const ItemRect& r) override {
    RECT rect{r.left, r.top, r.right, r.bottom};
    ::FillRect(dc_, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
  }
  void SetTextBackgroundToButtonFace() override { ::SetBkColor(dc_, ::GetSysColor(COLOR_BTNFACE)); }
  std::string Caption(int index, int maxChars) override {
    std::vector<wchar_t> text(static_cast<size_t>(maxChars > 0 ? maxChars : 0) + 1, L'\0');
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    if (!::SendMessageW(tab_, TCM_GETITEMW, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&item)))
      return {};
    return Utf8(text.data(), static_cast<int>(wcslen(text.data())));
  }
  void DrawCentred(std::string_view text, const ItemRect& r) override {
    RECT rect{r.left, r.top, r.right, r.bottom};
    const std::wstring wide = Wide(text);
    ::DrawTextW(dc_, wide.c_str(), static_cast<int>(wide.size()), &rect,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }

 private:
  HDC dc_;
  HWND tab_;
};

class Win32Surface final : public DialogSurface {
 public:
  explicit Win32Surface(DialogHandler& handler) : handler_(handler) {}

  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND: {
        const int id = static_cast<int>(static_cast<int16_t>(LOWORD(wParam)));
        const UINT code = HIWORD(wParam);
        const Notice notice = code == BN_CLICKED      ? Notice::kClicked
                              : code == EN_CHANGE     ? Notice::kEditChanged
                              : code == CBN_SELCHANGE ? Notice::kSelectionChanged
                                                      : Notice::kOther;
        handler_.OnCommand(*this, id, notice);
        return TRUE;
      }
      case WM_HSCROLL:
        if (lParam == 0) return FALSE;
        handler_.OnScroll(*this, ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        return TRUE;
      case WM_NOTIFY: {
        const auto* notify = reinterpret_cast<const NMHDR*>(lParam);
        if (notify != nullptr && notify->code == static_cast<UINT>(TCN_SELCHANGE))
          handler_.OnTabChanged(*this, static_cast<int>(notify->idFrom));
        return TRUE;
      }
      case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item == nullptr || item->CtlType != ODT_TAB) return FALSE;
        Win32TabPainter painter(item->hDC, item->hwndItem);
        const ItemRect rect{item->rcItem.left, item->rcItem.top, item->rcItem.right,
                            item->rcItem.bottom};
        handler_.OnDrawTab(painter, static_cast<int>(item->itemID), rect);
        return TRUE;
      }
      case kCallMessage: RunPostedCall(static_cast<uint64_t>(lParam)); return TRUE;
      default: return FALSE;
    }
  }

  void Init(HWND window) {
    dialog_ = window;
    handler_.OnInit(*this);
  }

  void* Window() override { return dialog_; }
  void SetText(int id, std::string_view text) override {
    ::SetDlgItemTextW(dialog_, id, Wide(text).c_str());
  }
  std::string Text(int id) override {
    HWND control = ::GetDlgItem(dialog_, id);
    if (control == nullptr) return {};
    const int length = ::GetWindowTextLengthW(control);
    std::vector<wchar_t> text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    return Utf8(text.data(), copied);
  }
  void SetNumber(int id, int32_t value, bool isSigned) override {
    ::SetDlgItemInt(dialog_, id, static_cast<UINT>(value), isSigned ? TRUE : FALSE);
  }
  int32_t Number(int id, bool isSigned, bool* ok) override {
    uint32_t value = 0;
    const bool parsed = ParseDialogNumber(Text(id), isSigned, &value);
    if (ok) *ok = parsed;
    return parsed ? static_cast<int32_t>(value) : 0;
  }
  void SetChecked(int id, bool checked) override {
    ::CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  bool Checked(int id) override { return ::IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
  void Enable(int id, bool enable) override {
    if (HWND control = ::GetDlgItem(dialog_, id)) ::EnableWindow(control, enable ? TRUE : FALSE);
  }
  void SetTrackRange(int id, int32_t minimum, int32_t maximum) override {
    Send(id, TBM_SETRANGEMAX, TRUE, maximum);
    Send(id, TBM_SETRANGEMIN, TRUE, minimum);
  }
  void SetTrackPosition(int id, int32_t position) override { Send(id, TBM_SETPOS, TRUE, position); }
  int32_t TrackPosition(int id) override {
    return static_cast<int32_t>(Send(id, TBM_GETPOS, 0, 0));
  }
  void SetTickFrequency(int id, int32_t frequency) override {
    Send(id, TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0);
  }
  void SetSpinRange(int id, int32_t minimum, int32_t maximum) override {
    Send(id, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
  }
  void SetSpinPosition(int id, int32_t position) override { Send(id, UDM_SETPOS32, 0, position); }
  void SetBuddy(int spinId, int editId) override {
    Send(spinId, UDM_SETBUDDY, reinterpret_cast<WPARAM>(::GetDlgItem(dialog_, editId)), 0);
  }
  void ClearList(int id) override { Send(id, CB_RESETCONTENT, 0, 0); }
  int AddListItem(int id, std::string_view text) override {
    const std::wstring wide = Wide(text);
    return static_cast<int>(::SendDlgItemMessageW(dialog_, id, CB_ADDSTRING, 0,
                                                  reinterpret_cast<LPARAM>(wide.c_str())));
  }
  int InsertListItem(int id, int index, std::string_view text) override {
    const std::wstring wide = Wide(text);
    return static_cast<int>(::SendDlgItemMessageW(dialog_, id, CB_INSERTSTRING,
                                                  static_cast<WPARAM>(index),
                                                  reinterpret_cast<LPARAM>(wide.c_str())));
  }
  void DeleteListItem(int id, int index) override {
    Send(id, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
  }
  void SelectListItem(int id, int index) override {
    Send(id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  int ListSelection(int id) override { return static_cast<int>(Send(id, CB_GETCURSEL, 0, 0)); }
  int AddTab(int id, int index, std::string_view caption) override {
    std::wstring wide = Wide(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = wide.data();
    return static_cast<int>(::SendDlgItemMessageW(
        dialog_, id, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
  }
  int TabSelection(int id) override { return static_cast<int>(Send(id, TCM_GETCURSEL, 0, 0)); }

  // The page is a child of the host control (the tab), at (x, y) pixels from
  // its corner: the page templates are sized to fit the tab's display area
  // that way.
  DialogSurface* CreatePage(const DialogTemplate& page, int hostId, int x, int y,
                            DialogHandler& handler) override {
    HWND host = ::GetDlgItem(dialog_, hostId);
    if (host == nullptr) return nullptr;
    // Keyboard navigation reaches into the page, and the tab does not paint
    // over it.
    ::SetWindowLongPtrA(host, GWL_EXSTYLE,
                        ::GetWindowLongPtrA(host, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    ::SetWindowLongPtrA(host, GWL_STYLE, ::GetWindowLongPtrA(host, GWL_STYLE) | WS_CLIPCHILDREN);
    auto surface = std::make_unique<Win32Surface>(handler);
    HWND window = ::CreateDialogParamA(OwnModule(), MAKEINTRESOURCEA(page.id), host, DialogProc,
                                       reinterpret_cast<LPARAM>(surface.get()));
    if (window == nullptr) return nullptr;
    ::SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    pages_.push_back(std::move(surface));
    return pages_.back().get();
  }
  void Show(bool show) override { ::ShowWindow(dialog_, show ? SW_SHOW : SW_HIDE); }
  void End(int result) override { ::EndDialog(dialog_, result); }

 private:
  LRESULT Send(int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendDlgItemMessageA(dialog_, id, message, wParam, lParam);
  }

  DialogHandler& handler_;
  HWND dialog_ = nullptr;
  std::vector<std::unique_ptr<Win32Surface>> pages_;
};

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* surface = reinterpret_cast<Win32Surface*>(lParam);
    ::SetWindowLongPtrA(window, DWLP_USER, lParam);
    // The handlers are called inside the system's dialog code: nothing they
    // throw may leave through it.
    try {
      surface->Init(window);
    } catch (...) {
    }
    return TRUE;
  }
  auto* surface = reinterpret_cast<Win32Surface*>(::GetWindowLongPtrA(window, DWLP_USER));
  if (surface == nullptr) return FALSE;
  try {
    return surface->Handle(message, wParam, lParam);
  } catch (...) {
    return TRUE;
  }
}

}  // namespace

uint16_t SystemLanguage() { return ::GetSystemDefaultLangID(); }

int RunModalDialog(const dialog::DialogTemplate& dialog, WindowHandle owner,
                   dialog::DialogHandler& handler) {
  RegisterControlClasses();
  Win32Surface surface(handler);
  const INT_PTR result =
      ::DialogBoxParamA(OwnModule(), MAKEINTRESOURCEA(dialog.id), reinterpret_cast<HWND>(owner),
                        DialogProc, reinterpret_cast<LPARAM>(&surface));
  // -1: the dialog could not be made; 0: the owner was not a window. The
  // handlers end dialogs with the button ids only.
  return result > 0 ? static_cast<int>(result) : -1;
}

SendResult SendToDialog(void* window, void (*fn)(void*), void* context, uint32_t timeoutMs) {
  HWND dialog = static_cast<HWND>(window);
  if (dialog == nullptr || !::IsWindow(dialog)) return SendResult::kNoDialog;
  if (::GetWindowThreadProcessId(dialog, nullptr) == ::GetCurrentThreadId()) {
    fn(context);
    return SendResult::kHandled;
  }
  CallTable& t = Calls();
  PendingCall call{fn, context, PendingCall::kWaiting};
  uint64_t number = 0;
  {
    std::lock_guard<std::mutex> lock(t.mutex);
    number = ++t.next;
    t.calls.emplace(number, &call);
  }
  const bool posted = ::PostMessageA(dialog, kCallMessage, 0, static_cast<LPARAM>(number)) != FALSE;
  std::unique_lock<std::mutex> lock(t.mutex);
  if (!posted) {
    t.calls.erase(number);
    return SendResult::kNoDialog;
  }
  t.done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                  [&] { return call.state == PendingCall::kDone; });
  if (call.state == PendingCall::kWaiting) {
    // Withdrawn: the message, if it still arrives, finds nothing to run.
    t.calls.erase(number);
    lock.unlock();
    return ::IsWindow(dialog) ? SendResult::kTimedOut : SendResult::kNoDialog;
  }
  // Started: it runs to its end with the sender's context.
  t.done.wait(lock, [&] { return call.state == PendingCall::kDone; });
  return SendResult::kHandled;
}

bool PostDialogCommand(void* window, int id) {
  return ::PostMessageA(static_cast<HWND>(window), WM_COMMAND,
                        MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0) != FALSE;
}

}  // namespace korvex::platform
