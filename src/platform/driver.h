// The driver seam: the camera's kernel driver as the device layer sees it.
// The shape is that of the operating-system calls it stands for: open a
// named device (CreateFileA with GENERIC_WRITE, FILE_SHARE_WRITE,
// OPEN_EXISTING), one synchronous I/O control request (DeviceIoControl) and
// close (CloseHandle). On Linux the host library provides the driver.
#pragma once

#include <cstdint>

namespace korvex::platform {

// An open device; nullptr is "none", InvalidDriverHandle() is what a failed
// open gives (INVALID_HANDLE_VALUE).
using DriverHandle = void*;

inline DriverHandle InvalidDriverHandle() { return reinterpret_cast<DriverHandle>(intptr_t{-1}); }

// Opens the device at path for writing, sharing write access with other
// handles. Returns InvalidDriverHandle() when it cannot be opened.
DriverHandle OpenDriver(const char* path);

// One request with its input and output buffers. Returns the driver's result
// (1 TRUE, 0 FALSE) and stores the byte count it reports in *returned.
int DriverIoControl(DriverHandle handle, uint32_t controlCode, const void* inBuffer,
                    uint32_t inLength, void* outBuffer, uint32_t outLength, uint32_t* returned);

// Closes a handle; false when it was not open.
bool CloseDriver(DriverHandle handle);

}  // namespace korvex::platform
