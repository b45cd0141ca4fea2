// The hands of korvex/host_dialogs.h over Win32, for the dialog suites of
// the Windows build: they find the SDK's dialog windows, work their
// controls with the messages a person's actions produce (BM_CLICK,
// WM_SETTEXT, CBN_SELCHANGE, TCN_SELCHANGE, WM_HSCROLL) and read them back
// with the controls' own messages. Everything a control does in answer runs
// on the dialog's thread; each call returns when it has been handled.
#include <windows.h>
#include <commctrl.h>

#include "support/dialog_hands.h"

#include "korvex/host_messages.h"
#include "support/dialog_resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr UINT kHandTimeoutMs = 10000;
const char kDllName[] = "KorvexSdk_740K3_XLN.dll";

HWND W(KorvexHostWindow window) { return reinterpret_cast<HWND>(window); }
KorvexHostWindow H(HWND window) { return reinterpret_cast<KorvexHostWindow>(window); }

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                        nullptr, nullptr);
  return text;
}

std::wstring Wide(const char* utf8) {
  if (utf8 == nullptr || *utf8 == 0) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), n);
  wide.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
  return wide;
}

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

void CopyOut(const std::string& text, char* out, size_t size) {
  if (size == 0) return;
  const size_t n = std::min(text.size(), size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = 0;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

bool IsClass(HWND window, const char* name) { return _stricmp(ClassOf(window).c_str(), name) == 0; }

bool IsDialogWindow(HWND window) { return IsClass(window, "#32770"); }

// A control a person can work: it exists, is shown and enabled.
HWND Workable(KorvexHostWindow dialog, int32_t id, const char* className) {
  if (!::IsWindow(W(dialog))) return nullptr;
  HWND control = ::GetDlgItem(W(dialog), id);
  if (control == nullptr || !IsClass(control, className) || !::IsWindowVisible(control) ||
      !::IsWindowEnabled(control))
    return nullptr;
  return control;
}

// Sends to a window of the dialog's thread and waits until it was handled.
int Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kHandTimeoutMs,
                               &result) != 0
             ? 1
             : -1;
}

struct DialogSearch {
  std::wstring title;
  bool anyTitle;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<DialogSearch*>(context);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process != ::GetCurrentProcessId() || !IsDialogWindow(window) || !::IsWindowVisible(window))
    return TRUE;
  if (!search->anyTitle && WindowText(window) != search->title) return TRUE;
  search->found = window;  // the last found is the lowest: the oldest
  return TRUE;
}

// The pages of a dialog: child dialogs, each placed on top of the ones
// before it, so the last in stacking order is the first made.
std::vector<HWND> PagesOf(HWND dialog) {
  std::vector<HWND> pages;
  ::EnumChildWindows(
      dialog,
      [](HWND window, LPARAM context) -> BOOL {
        if (IsDialogWindow(window))
          reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&pages));
  std::reverse(pages.begin(), pages.end());
  return pages;
}

int DirectChildren(HWND dialog) {
  int n = 0;
  for (HWND c = ::GetWindow(dialog, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) ++n;
  return n;
}

// ---- running a function on the dialog's thread ------------------------------------

struct HandRunCall {
  HWND target;
  UINT message;
  void (*fn)(void*);
  void* context;
};
HandRunCall* g_run = nullptr;  // one at a time, set around the send

LRESULT CALLBACK CallHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_run != nullptr) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent->hwnd == g_run->target && sent->message == g_run->message) g_run->fn(g_run->context);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

namespace korvex::test {
bool UseSystemLanguage(uint16_t language) {
  const LANGID system = ::GetSystemDefaultLangID();
  // A run made for one language (KORVEX_TEST_SYSTEM_LANGUAGE) fails when the
  // system did not take it up, instead of skipping that language's cases.
  if (const char* expected = std::getenv("KORVEX_TEST_SYSTEM_LANGUAGE")) {
    EXPECT_EQ(std::atoi(expected), system) << "the system language did not follow the locale";
  }
  return system == language;
}
}  // namespace korvex::test

extern "C" {

KorvexHostWindow KorvexHost_CreateMessageWindow(void) {
  return H(
      ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
}

int KorvexHost_DestroyWindow(KorvexHostWindow window) { return ::DestroyWindow(W(window)) ? 1 : 0; }

KorvexHostWindow KorvexHost_WaitForDialog(const char* title, uint32_t timeoutMs) {
  DialogSearch search{Wide(title), title == nullptr, nullptr};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    search.found = nullptr;
    ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr || std::chrono::steady_clock::now() >= deadline)
      return H(search.found);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

KorvexHostWindow KorvexHost_GetDialogPage(KorvexHostWindow dialog, int index) {
  if (!::IsWindow(W(dialog)) || index < 0) return nullptr;
  const std::vector<HWND> pages = PagesOf(W(dialog));
  return static_cast<size_t>(index) < pages.size() ? H(pages[static_cast<size_t>(index)]) : nullptr;
}

int KorvexHost_IsDialog(KorvexHostWindow dialog) {
  return ::IsWindow(W(dialog)) && IsDialogWindow(W(dialog)) ? 1 : 0;
}

// The resource id is found by comparing the window with the DLL's dialog
// templates: same title, same number of controls, same size once mapped to
// pixels with the dialog's own font.
int KorvexHost_GetDialogInfo(KorvexHostWindow dialog, KorvexHostDialogInfo* out) {
  if (out == nullptr || !::IsWindow(W(dialog))) return 0;
  *out = KorvexHostDialogInfo{};
  const std::wstring title = WindowText(W(dialog));
  CopyOut(Utf8(title), out->title, sizeof out->title);
  out->itemCount = DirectChildren(W(dialog));
  out->visible = ::IsWindowVisible(W(dialog)) ? 1 : 0;
  RECT client{};
  ::GetClientRect(W(dialog), &client);
  HMODULE module = ::GetModuleHandleA(kDllName);
  for (int id = 100; id < 200 && module != nullptr; ++id) {
    for (WORD language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                          MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}) {
      const auto stored = korvex::test::ReadStoredDialog(module, id, language);
      if (!stored || stored->title != title ||
          static_cast<int>(stored->controls.size()) != out->itemCount)
        continue;
      RECT size{0, 0, stored->cx, stored->cy};
      ::MapDialogRect(W(dialog), &size);
      if (size.right != client.right || size.bottom != client.bottom) continue;
      out->resourceId = id;
      out->cx = stored->cx;
      out->cy = stored->cy;
      return 1;
    }
  }
  return 1;
}

int KorvexHost_ReadDialogItem(KorvexHostWindow dialog, int32_t id, KorvexHostDialogItemInfo* out) {
  if (out == nullptr) return 0;
  *out = KorvexHostDialogItemInfo{};
  HWND control = ::IsWindow(W(dialog)) ? ::GetDlgItem(W(dialog), id) : nullptr;
  if (control == nullptr) return 0;
  CopyOut(ClassOf(control), out->className, sizeof out->className);
  CopyOut(Utf8(WindowText(control)), out->text, sizeof out->text);
  out->id = id;
  out->style = static_cast<uint32_t>(::GetWindowLongW(control, GWL_STYLE));
  out->enabled = ::IsWindowEnabled(control) ? 1 : 0;
  out->visible = ::IsWindowVisible(control) ? 1 : 0;
  out->selection = -1;
  if (IsClass(control, "Button")) {
    out->checked = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  } else if (IsClass(control, TRACKBAR_CLASSA)) {
    out->position = static_cast<int32_t>(::SendMessageW(control, TBM_GETPOS, 0, 0));
    out->rangeMin = static_cast<int32_t>(::SendMessageW(control, TBM_GETRANGEMIN, 0, 0));
    out->rangeMax = static_cast<int32_t>(::SendMessageW(control, TBM_GETRANGEMAX, 0, 0));
    // No message returns the tick frequency: it is the distance between two
    // automatic ticks (TBM_GETNUMTICS counts the two ends as well), 0
    // without ticks.
    const LRESULT ticks = ::SendMessageW(control, TBM_GETNUMTICS, 0, 0) - 2;
    const auto tick = [&](int i) {
      return static_cast<int32_t>(::SendMessageW(control, TBM_GETTIC, static_cast<WPARAM>(i), 0));
    };
    out->tickFrequency = ticks >= 2 ? tick(1) - tick(0) : ticks == 1 ? tick(0) - out->rangeMin : 0;
  } else if (IsClass(control, UPDOWN_CLASSA)) {
    out->position = static_cast<int32_t>(::SendMessageW(control, UDM_GETPOS32, 0, 0));
    INT low = 0, high = 0;
    ::SendMessageW(control, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                   reinterpret_cast<LPARAM>(&high));
    out->rangeMin = low;
    out->rangeMax = high;
    const auto buddy = reinterpret_cast<HWND>(::SendMessageW(control, UDM_GETBUDDY, 0, 0));
    out->buddyId = buddy != nullptr ? ::GetDlgCtrlID(buddy) : 0;
  } else if (IsClass(control, "ComboBox")) {
    out->selection = static_cast<int32_t>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
    out->count = static_cast<int32_t>(::SendMessageW(control, CB_GETCOUNT, 0, 0));
  } else if (IsClass(control, WC_TABCONTROLA)) {
    out->selection = static_cast<int32_t>(::SendMessageW(control, TCM_GETCURSEL, 0, 0));
    out->count = static_cast<int32_t>(::SendMessageW(control, TCM_GETITEMCOUNT, 0, 0));
  }
  return 1;
}

int KorvexHost_GetDialogListText(KorvexHostWindow dialog, int32_t id, int index, char* text,
                                 int size) {
  HWND control = ::IsWindow(W(dialog)) ? ::GetDlgItem(W(dialog), id) : nullptr;
  if (control == nullptr || text == nullptr || size <= 0) return -1;
  std::wstring entry;
  if (IsClass(control, "ComboBox")) {
    const LRESULT length = ::SendMessageW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return -1;
    entry.assign(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(entry.data()));
  } else if (IsClass(control, WC_TABCONTROLA)) {
    entry.assign(256, L'\0');
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = entry.data();
    item.cchTextMax = static_cast<int>(entry.size());
    if (!::SendMessageW(control, TCM_GETITEMW, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&item)))
      return -1;
  } else {
    return -1;
  }
  entry.resize(wcslen(entry.c_str()));
  const std::string utf8 = Utf8(entry);
  CopyOut(utf8, text, static_cast<size_t>(size));
  return static_cast<int>(utf8.size());
}

int KorvexHost_HandType(KorvexHostWindow dialog, int32_t id, const char* text) {
  if (!::IsWindow(W(dialog))) return -1;
  HWND edit = Workable(dialog, id, "Edit");
  if (edit == nullptr || (::GetWindowLongW(edit, GWL_STYLE) & ES_READONLY)) return 0;
  const std::wstring wide = Wide(text);
  return Deliver(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

int KorvexHost_HandClick(KorvexHostWindow dialog, int32_t id) {
  if (!::IsWindow(W(dialog))) return -1;
  HWND button = Workable(dialog, id, "Button");
  if (button == nullptr) return 0;
  return Deliver(button, BM_CLICK, 0, 0);
}

int KorvexHost_HandPick(KorvexHostWindow dialog, int32_t id, int index) {
  if (!::IsWindow(W(dialog))) return -1;
  if (HWND list = Workable(dialog, id, "ComboBox")) {
    if (index < 0 || index >= ::SendMessageW(list, CB_GETCOUNT, 0, 0)) return 0;
    ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return Deliver(::GetParent(list), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
  }
  if (HWND tab = Workable(dialog, id, WC_TABCONTROLA)) {
    if (index < 0 || index >= ::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0)) return 0;
    ::SendMessageW(tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    NMHDR notify{tab, static_cast<UINT_PTR>(id), static_cast<UINT>(TCN_SELCHANGE)};
    return Deliver(::GetParent(tab), WM_NOTIFY, static_cast<WPARAM>(id),
                   reinterpret_cast<LPARAM>(&notify));
  }
  return 0;
}

int KorvexHost_HandDrag(KorvexHostWindow dialog, int32_t id, int32_t position) {
  if (!::IsWindow(W(dialog))) return -1;
  HWND track = Workable(dialog, id, TRACKBAR_CLASSA);
  if (track == nullptr) return 0;
  ::SendMessageW(track, TBM_SETPOS, TRUE, position);
  const auto reached = static_cast<WORD>(::SendMessageW(track, TBM_GETPOS, 0, 0));
  return Deliver(::GetParent(track), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, reached),
                 reinterpret_cast<LPARAM>(track));
}

// As an application's window procedure runs while a modal loop dispatches:
// a hook on the dialog's thread runs fn when a message sent for it arrives.
int KorvexHost_HandRun(KorvexHostWindow dialog, void (*fn)(void*), void* context) {
  if (!::IsWindow(W(dialog)) || fn == nullptr) return -1;
  static const UINT message = ::RegisterWindowMessageA("KorvexTestHandRun");
  const DWORD thread = ::GetWindowThreadProcessId(W(dialog), nullptr);
  HandRunCall call{W(dialog), message, fn, context};
  g_run = &call;
  HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, CallHook, nullptr, thread);
  if (hook == nullptr) {
    g_run = nullptr;
    return -1;
  }
  const int result = Deliver(W(dialog), message, 0, 0);
  ::UnhookWindowsHookEx(hook);
  g_run = nullptr;
  return result;
}

}  // extern "C"
