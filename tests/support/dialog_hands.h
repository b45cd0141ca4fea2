// Working the library's dialogs from a test, as a person would: the export
// that shows a dialog runs on a thread of its own, and the test finds the
// dialog and works its controls through the host's hands.
#pragma once

#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host_dialogs.h"
#include "korvex/host_sim.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace korvex::test {

// Runs a dialog export on its own thread.
class DialogThread {
 public:
  explicit DialogThread(std::function<int()> open)
      : thread_([this, open = std::move(open)] {
          result_.store(open());
          done_.store(true);
        }) {}
  // A test that failed half-way leaves its dialog open: cancel it, so the
  // test ends instead of hanging.
  ~DialogThread() {
    for (int tries = 0; tries < 300 && !done_.load(); ++tries) {
      if (KorvexHostWindow open = KorvexHost_WaitForDialog(nullptr, 100))
        KorvexHost_HandClick(open, 2);
    }
    if (thread_.joinable()) thread_.join();
  }
  // Waits for the export to return and gives its result.
  int Join() {
    if (thread_.joinable()) thread_.join();
    return result_.load();
  }

 private:
  std::atomic<int> result_{-2};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

#ifdef _WIN32
// The system language cannot be changed by a program on Windows: true when
// it is `language` already (the Windows suite runs once per language;
// tests/windows/support/dialog_hands_win32.cpp implements these hands with
// window messages).
bool UseSystemLanguage(uint16_t language);
#else
// Makes `language` the system language (GetSystemDefaultLangID); true when
// it is in effect.
inline bool UseSystemLanguage(uint16_t language) {
  KorvexHost_SetSystemDefaultLangID(language);
  return true;
}
#endif

inline KorvexHostWindow WaitForDialog() { return KorvexHost_WaitForDialog(nullptr, 30000); }

inline KorvexHostDialogItemInfo Read(KorvexHostWindow dialog, int id) {
  KorvexHostDialogItemInfo info{};
  KorvexHost_ReadDialogItem(dialog, id, &info);
  return info;
}

inline std::string Text(KorvexHostWindow dialog, int id) { return Read(dialog, id).text; }

inline std::string ListText(KorvexHostWindow dialog, int id, int index) {
  char text[256] = {};
  KorvexHost_GetDialogListText(dialog, id, index, text, sizeof text);
  return text;
}

// The sensor's exposure setting and gain as the simulated camera holds them.
inline int SensorExposure() {
  uint32_t low = 0, high = 0;
  KorvexHost_SimReadSensorRegister(0, 0xA0, &low);
  KorvexHost_SimReadSensorRegister(0, 0xA1, &high);
  return 1014 - static_cast<int>(((high << 8) | low) & 0x0FFF);
}
inline int SensorGain() {
  uint32_t low = 0, high = 0;
  KorvexHost_SimReadSensorRegister(0, 2, &low);
  KorvexHost_SimReadSensorRegister(0, 3, &high);
  return static_cast<int>(((high & 3) << 8) | low);
}

}  // namespace korvex::test
