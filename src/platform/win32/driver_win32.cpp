// The driver seam on Windows: the camera's kernel driver through CreateFileA,
// DeviceIoControl and CloseHandle. When KORVEX_SIMULATED_CAMERAS holds a
// number from 1 to 32 as the library loads, the devices are instead the
// simulated cameras of the companion library korvexsim.dll (next to this
// module), which also gives programs the simulator's controls.
#include <windows.h>

#include "platform/driver.h"
#include "platform/win32/own_module.h"
#include "platform/simulated_cameras.h"

#include <cstring>
#include <mutex>

namespace korvex::platform {
namespace {

using SimOpen = void*(__cdecl*)(const char*, uint32_t, uint32_t, uint32_t, uint32_t);
using SimIoControl = int(__cdecl*)(void*, uint32_t, const void*, uint32_t, void*, uint32_t,
                                   uint32_t*);
using SimClose = int(__cdecl*)(void*);

struct Simulator {
  SimOpen open = nullptr;
  SimIoControl ioControl = nullptr;
  SimClose close = nullptr;
};

// Read while the library loads; the companion itself is loaded on the first
// open, outside the loader's lock.
const int gSimulatedCameras = SimulatedCamerasRequested();

const Simulator* LoadSimulator() {
  static Simulator simulator;
  static std::once_flag once;
  std::call_once(once, [] {
    char path[MAX_PATH + 16];
    OwnModuleFolder(path, MAX_PATH);
    std::strcat(path, kSimulatorLibrary);
    HMODULE library = ::LoadLibraryA(path);
    if (library == nullptr) library = ::LoadLibraryA(kSimulatorLibrary);
    if (library == nullptr) return;
    simulator.open = reinterpret_cast<SimOpen>(
        reinterpret_cast<void*>(::GetProcAddress(library, "KorvexHost_OpenDevice")));
    simulator.ioControl = reinterpret_cast<SimIoControl>(
        reinterpret_cast<void*>(::GetProcAddress(library, "KorvexHost_DeviceIoControl")));
    simulator.close = reinterpret_cast<SimClose>(
        reinterpret_cast<void*>(::GetProcAddress(library, "KorvexHost_CloseDevice")));
    if (!simulator.open || !simulator.ioControl || !simulator.close) simulator = Simulator{};
  });
  return simulator.open != nullptr ? &simulator : nullptr;
}

}  // namespace

DriverHandle OpenDriver(const char* path) {
  if (path == nullptr) return InvalidDriverHandle();
  if (gSimulatedCameras > 0) {
    const Simulator* simulator = LoadSimulator();
    if (simulator == nullptr) return InvalidDriverHandle();
    void* device = simulator->open(path, GENERIC_WRITE, FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    return device != nullptr ? device : InvalidDriverHandle();
  }
  HANDLE device =
      ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  return device == INVALID_HANDLE_VALUE ? InvalidDriverHandle() : device;
}

int DriverIoControl(DriverHandle handle, uint32_t controlCode, const void* inBuffer,
                    uint32_t inLength, void* outBuffer, uint32_t outLength, uint32_t* returned) {
  uint32_t count = 0;
  int result = 0;
  if (gSimulatedCameras > 0) {
    const Simulator* simulator = LoadSimulator();
    if (simulator != nullptr) {
      result = simulator->ioControl(handle, controlCode, inBuffer, inLength, outBuffer, outLength,
                                    &count);
    }
  } else {
    DWORD bytes = 0;
    result =
        ::DeviceIoControl(static_cast<HANDLE>(handle), controlCode, const_cast<void*>(inBuffer),
                          inLength, outBuffer, outLength, &bytes, nullptr)
            ? 1
            : 0;
    count = bytes;
  }
  if (returned) *returned = count;
  return result;
}

bool CloseDriver(DriverHandle handle) {
  if (handle == nullptr || handle == InvalidDriverHandle()) return false;
  if (gSimulatedCameras > 0) {
    const Simulator* simulator = LoadSimulator();
    return simulator != nullptr && simulator->close(handle) != 0;
  }
  return ::CloseHandle(static_cast<HANDLE>(handle)) != FALSE;
}

}  // namespace korvex::platform
