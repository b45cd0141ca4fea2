// The tool's operating-system seam on Windows: a message-only window of the
// calling thread receives the SDK's notifications through the thread's
// message queue, and the settings live in the registry.
#include <windows.h>
#include <shellapi.h>

#include "host_seam.h"

#include <cstdlib>
#include <string>

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

// The console's output code page before the tool set UTF-8, given back when
// the program ends (the console outlives the tool).
UINT originalOutputCodePage = 0;

void RestoreOutputCodePage() { ::SetConsoleOutputCP(originalOutputCodePage); }

std::string Utf8(const wchar_t* text) {
  const int needed = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string bytes(static_cast<size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), needed, nullptr, nullptr);
  bytes.resize(static_cast<size_t>(needed) - 1);
  return bytes;
}

std::wstring Wide(const std::string& text) {
  const int needed = ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), needed);
  wide.resize(static_cast<size_t>(needed) - 1);
  return wide;
}

}  // namespace

void PrepareHost() {
  ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  // The tool's text is UTF-8 (names from the command line among it): the
  // console shows it as such.
  const UINT codePage = ::GetConsoleOutputCP();
  if (codePage != 0 && codePage != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
    originalOutputCodePage = codePage;
    std::atexit(RestoreOutputCodePage);
  }
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

int SaveImageTo(KORVEX_HANDLE camera, const std::string& path, int format) {
  return Korvex_SaveImageW(camera, Wide(path).c_str(), format);
}

int RecordTo(KORVEX_HANDLE camera, const std::string& path, int milliseconds) {
  return Korvex_RecordW(camera, Wide(path).c_str(), milliseconds, 0);
}

int LoadConfigFrom(KORVEX_HANDLE camera, const std::string& path) {
  return Korvex_LoadConfigFileW(camera, Wide(path).c_str());
}

bool ReadFileBytes(const std::string& path, uint64_t offset, void* data, size_t size) {
  const HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  const bool ok = ::ReadFile(file, data, static_cast<DWORD>(size), &read, &at) && read == size;
  ::CloseHandle(file);
  return ok;
}

NotifyWindow::NotifyWindow() {
  if (!RegisterWindowClass()) return;
  window_ = reinterpret_cast<KORVEX_HWND>(::CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0,
                                                            HWND_MESSAGE, nullptr,
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
  if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return false;
  *bytes = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return true;
}

const char* PathSeparators() { return "/\\"; }

}  // namespace korvex::tool
