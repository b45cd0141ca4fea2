// The test program's side of the test driver: its control device (the
// simulated cameras' controls) and direct requests to a camera device.
// Every function opens and closes a handle of its own, so any thread may
// call them.
#pragma once

#include "korvex/host_sim.h"
#include "test_driver_control.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvex::test {

// The control codes of the camera driver's interface, as the driver serves
// them (written out here, not taken from the SDK, so that they check it).
constexpr uint32_t kPipeOutDirect = 0x22204E;
constexpr uint32_t kPipeInDirect = 0x222051;
constexpr uint32_t kLargePipeOutDirect = 0x2220A6;
constexpr uint32_t kLargePipeInDirect = 0x2220A9;
constexpr uint32_t kSetTimeout = 0x2220A0;

// One request to the control device; false when the driver refused it or
// the device does not open.
bool TestDriverControl(uint32_t code, const void* in, size_t inLength, void* out = nullptr,
                       size_t outLength = 0, uint32_t* returned = nullptr);

bool SetRawFrame(uint32_t camera, const std::vector<uint8_t>& frame);
bool Unplug(uint32_t camera);
bool SetFault(uint32_t camera, int fault, int pipe, int count);
bool SetFastPace(bool on);
bool ClearTraffic();
// The whole traffic log, oldest first; nullopt when it cannot be read.
std::optional<std::vector<KorvexSimTraffic>> Traffic();
std::optional<KorvexTestCameraState> CameraState(uint32_t camera);

// "\\.\Kvrx740K3XLN-<c>" of an index.
std::string DevicePath(int index);
// Whether the device path of an index opens, as the SDK opens it.
bool DeviceOpens(int index);

// One request straight to camera device `index`, as the SDK would send it:
// the 4-byte pipe number (or the input record) in, the buffer out.
// Returns the request's result with the byte count in *returned.
bool CameraRequest(int index, uint32_t code, const void* in, uint32_t inLength, void* out,
                   uint32_t outLength, uint32_t* returned);

}  // namespace korvex::test
