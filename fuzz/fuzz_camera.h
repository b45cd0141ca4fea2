// The one camera object a fuzz target works on, kept across inputs: opened
// on the simulated camera (fast pace, a fixed raw frame, sleeps that only
// yield) on first use, released at exit so the leak checker sees only what
// the library really loses.
#pragma once

#include "KorvexSdk_740K3_XLN.h"
#include "fuzz_environment.h"
#include "korvex/host_base.h"
#include "korvex/host_sim.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace korvex::fuzz {

inline KORVEX_HANDLE& CameraSlot() {
  static KORVEX_HANDLE handle = 0;
  return handle;
}

// configure runs once on the fresh handle.
template <class Configure>
KORVEX_HANDLE SimulatedCamera(Configure&& configure) {
  KORVEX_HANDLE& handle = CameraSlot();
  if (handle == 0) {
    PrivateEnvironment::Get();
    // The camera's fixed protocol waits (5 ms after each frame-size
    // register write, more after a reset) would take most of each input's
    // time: sleeps only yield here.
    KorvexHost_SetSleepLimit(0);
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    // A fixed raw frame: the camera serves it by copying, where rendering
    // its scene would take most of each input's time.
    std::vector<uint8_t> raw(2560u * 2008u * 2);
    for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>((i * 7 + i / 2560) % 251);
    KORVEX_FUZZ_CHECK(KorvexHost_SimSetRawFrame(0, raw.data(), raw.size()) == 1, "a raw frame");
    handle = Korvex_Initialize(nullptr);
    KORVEX_FUZZ_CHECK(handle != 0 && Korvex_GetLastError(handle) == 0, "a working camera");
    // No display window of the library's own.
    Korvex_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0);
    configure(handle);
    while (Korvex_GetLastError(handle) != 0) {
    }
    std::atexit([] { Korvex_Release(CameraSlot()); });
  }
  return handle;
}

inline KORVEX_HANDLE SimulatedCamera() {
  return SimulatedCamera([](KORVEX_HANDLE) {});
}

}  // namespace korvex::fuzz
