// The one camera object a fuzz target works on: opened on the simulated
// camera (fast pace) on first use, released at exit so the leak checker
// sees only what the library really loses.
#pragma once

#include "KorvexSdk_740K3_XLN.h"
#include "fuzz_environment.h"
#include "korvex/host_sim.h"

#include <cstdlib>

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
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
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
