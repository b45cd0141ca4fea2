// What the tool needs from the operating system around the SDK: a window
// that receives the SDK's notifications, and where the settings live. On
// Linux both come from the host library; this is the only file of the tool
// that knows it.
#pragma once

#include "KorvexSdk_740K3_XLN.h"

#include <cstdint>
#include <string>

namespace korvex::tool {

// Applies the tool's environment to the host: KORVEX_SHM_NAMESPACE, when set,
// gives the camera ownership table a namespace of its own, so that several
// simulated sessions (tests running side by side) do not see each other's
// claims. Call once before the first camera is opened.
void PrepareHost();

struct Notification {
  uint32_t message = 0;  // KORVEX_WM_FRAME or KORVEX_WM_ERROR
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// A message window owned by the thread that creates it.
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

}  // namespace korvex::tool
