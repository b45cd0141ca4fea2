// The tool's operating-system seam on Windows: a message-only window of the
// calling thread receives the SDK's notifications through the thread's
// message queue, and the settings live in the registry.
#include <windows.h>

#include "host_seam.h"

#include <cstdlib>

namespace korvex::tool {
namespace {

constexpr char kWindowClass[] = "KorvexToolNotifications";
// The key under HKEY_CURRENT_USER where the SDK stores every camera's
// settings, one subkey per camera number.
constexpr char kSettingsKey[] = "HKEY_CURRENT_USER\\Software\\Quorel\\Korvex740K3XLNSdk";

HWND ToWin(KORVEX_HWND window) { return reinterpret_cast<HWND>(window); }

bool RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSA c{};
    c.lpfnWndProc = ::DefWindowProcA;
    c.hInstance = ::GetModuleHandleA(nullptr);
    c.lpszClassName = kWindowClass;
    return ::RegisterClassA(&c) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

bool IsNotification(const MSG& m) {
  return m.message == KORVEX_WM_FRAME || m.message == KORVEX_WM_ERROR;
}

// The console mode found before the progress line turned on terminal
// sequences, given back when the program ends.
HANDLE progressConsole = nullptr;
DWORD originalConsoleMode = 0;

void RestoreConsoleMode() { ::SetConsoleMode(progressConsole, originalConsoleMode); }

}  // namespace

void PrepareHost() {
  ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

NotifyWindow::NotifyWindow() {
  if (!RegisterWindowClass()) return;
  window_ = reinterpret_cast<KORVEX_HWND>(
      ::CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                        ::GetModuleHandleA(nullptr), nullptr));
}

NotifyWindow::~NotifyWindow() {
  if (window_ != nullptr) ::DestroyWindow(ToWin(window_));
}

bool NotifyWindow::Wait(Notification* out, uint32_t timeoutMs) {
  if (window_ == nullptr) {
    ::Sleep(timeoutMs);
    return false;
  }
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    // Every message of the thread is taken, so that the wait below only
    // returns for new ones; those meant for other windows are handed on.
    MSG m;
    while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.hwnd == ToWin(window_) && IsNotification(m)) {
        out->message = m.message;
        out->wParam = m.wParam;
        out->lParam = m.lParam;
        return true;
      }
      ::TranslateMessage(&m);
      ::DispatchMessageA(&m);
    }
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) return false;
    ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
  }
}

void NotifyWindow::Flush() {
  if (window_ == nullptr) return;
  static_assert(KORVEX_WM_ERROR == KORVEX_WM_FRAME + 1, "one range holds both notifications");
  MSG m;
  while (::PeekMessageA(&m, ToWin(window_), KORVEX_WM_FRAME, KORVEX_WM_ERROR, PM_REMOVE)) {
  }
}

std::string SettingsLocation() { return kSettingsKey; }

bool PrepareTerminalProgress() {
  const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (out == nullptr || out == INVALID_HANDLE_VALUE || !::GetConsoleMode(out, &mode)) return false;
  if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return true;
  // A console older than Windows 10 refuses the mode: plain lines then.
  if (!::SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
  if (progressConsole == nullptr) {
    progressConsole = out;
    originalConsoleMode = mode;
    std::atexit(RestoreConsoleMode);
  }
  return true;
}

bool FileSize(const std::string& path, uint64_t* bytes) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return false;
  *bytes = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return true;
}

const char* PathSeparators() { return "/\\"; }

}  // namespace korvex::tool
