// viewer_menu_probe.dll: reads a window's menu texts inside the window's own
// process, for the viewer's language test. Wine keeps a menu's texts in the
// process that made the menu, so another process cannot read them with
// GetMenuString; this hook (installed by viewer_test on the viewer's thread,
// which loads the library into the viewer) answers a registered message
// with the menu bar's texts, sent back as WM_COPYDATA to the asking window.
#include <windows.h>

#include <string>

namespace {

void Collect(HMENU menu, int depth, std::wstring& out) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
    if (text[0]) out += std::wstring(depth * 2, L' ') + text + L'\n';
    if (HMENU sub = GetSubMenu(menu, i)) Collect(sub, depth + 1, out);
  }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wp, LPARAM lp) {
  static const UINT kAsk = RegisterWindowMessageW(L"KorvexViewerTestMenuTexts");
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && call && call->message == kAsk) {
    std::wstring texts;
    if (HMENU menu = GetMenu(call->hwnd)) Collect(menu, 0, texts);
    COPYDATASTRUCT data{};
    data.cbData = static_cast<DWORD>(texts.size() * sizeof(wchar_t));
    data.lpData = texts.data();
    SendMessageW(reinterpret_cast<HWND>(call->wParam), WM_COPYDATA,
                 reinterpret_cast<WPARAM>(call->hwnd), reinterpret_cast<LPARAM>(&data));
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
