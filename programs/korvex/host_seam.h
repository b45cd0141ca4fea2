// What the tool needs from the operating system around the SDK: a window
// that receives the SDK's notifications, where the settings live, whether
// the output is a terminal, and how paths are written. host/ implements it
// on the Linux host library, win32/ on the Win32 API; the build picks one,
// and no other file of the tool knows which.
#pragma once

#include "KorvexSdk_740K3_XLN.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvex::tool {

// Applies the tool's environment to the host. On Linux
// KORVEX_SHM_NAMESPACE, when set, gives the camera ownership table a
// namespace of its own, so that several simulated sessions (tests running
// side by side) do not see each other's claims. On Windows it keeps the
// system from showing error boxes for unreadable drives: a failed file
// becomes the command's error message. Call once before the first camera
// is opened.
void PrepareHost();

struct Notification {
  uint32_t message = 0;  // KORVEX_WM_FRAME or KORVEX_WM_ERROR
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// A message window owned by the thread that creates it: the SDK posts its
// notifications there, and only that thread may wait on it.
class NotifyWindow {
 public:
  NotifyWindow();
  ~NotifyWindow();
  NotifyWindow(const NotifyWindow&) = delete;
  NotifyWindow& operator=(const NotifyWindow&) = delete;

  KORVEX_HWND Handle() const { return window_; }
  // Takes the oldest notification, waiting up to timeoutMs; false if none came.
  bool Wait(Notification* out, uint32_t timeoutMs);
  // Discards every queued notification.
  void Flush();

 private:
  KORVEX_HWND window_ = nullptr;
};

// A readable description of where the camera settings are stored.
std::string SettingsLocation();

// True when standard output is a terminal that can rewrite a line in place
// (carriage return, then erase to the end of the line). On Windows this
// turns those sequences on for the console when it can.
bool PrepareTerminalProgress();

// The command line's arguments, program name first, as the text the tool
// works with: on Linux the bytes of argv; on Windows the UTF-16 command line
// (GetCommandLineW) in UTF-8, so that no name is lost to the ANSI code page.
// Paths in that text are handed to the SDK and opened by the functions
// below, never by name elsewhere.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// The SDK's file operations with a path of the command line: the narrow
// exports on Linux, the W exports (with the path in UTF-16) on Windows.
int SaveImageTo(KORVEX_HANDLE camera, const std::string& path, int format);
int RecordTo(KORVEX_HANDLE camera, const std::string& path, int milliseconds);
int LoadConfigFrom(KORVEX_HANDLE camera, const std::string& path);

// The size of a file named on the command line; false when it cannot be
// read.
bool FileSize(const std::string& path, uint64_t* bytes);
// Reads `size` bytes at `offset` of a file named on the command line; false
// when they cannot be read.
bool ReadFileBytes(const std::string& path, uint64_t offset, void* data, size_t size);

// The characters that separate the folders of a path: "/" on Linux, both
// slashes on Windows.
const char* PathSeparators();

}  // namespace korvex::tool
