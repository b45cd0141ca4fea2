// The test program's side of the test driver (driver_client.h).
#include "driver_client.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace korvex::test {
namespace {

HANDLE OpenForWriting(const char* path) {
  return ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool Request(HANDLE device, uint32_t code, const void* in, size_t inLength, void* out,
             size_t outLength, uint32_t* returned) {
  DWORD count = 0;
  const BOOL ok =
      ::DeviceIoControl(device, code, const_cast<void*>(in), static_cast<DWORD>(inLength), out,
                        static_cast<DWORD>(outLength), &count, nullptr);
  if (returned != nullptr) *returned = count;
  return ok != FALSE;
}

}  // namespace

bool TestDriverControl(uint32_t code, const void* in, size_t inLength, void* out, size_t outLength,
                       uint32_t* returned) {
  HANDLE control = OpenForWriting(KORVEX_TEST_DRIVER_CONTROL_PATH);
  if (control == INVALID_HANDLE_VALUE) return false;
  const bool ok = Request(control, code, in, inLength, out, outLength, returned);
  ::CloseHandle(control);
  return ok;
}

bool SetRawFrame(uint32_t camera, const std::vector<uint8_t>& frame) {
  std::vector<uint8_t> record(sizeof(KorvexTestCamera) + frame.size());
  const KorvexTestCamera which{camera};
  std::memcpy(record.data(), &which, sizeof which);
  std::copy(frame.begin(), frame.end(), record.begin() + sizeof which);
  return TestDriverControl(KORVEX_TEST_SET_RAW_FRAME, record.data(), record.size());
}

bool Unplug(uint32_t camera) {
  const KorvexTestCamera which{camera};
  return TestDriverControl(KORVEX_TEST_UNPLUG, &which, sizeof which);
}

bool SetFault(uint32_t camera, int fault, int pipe, int count) {
  const KorvexTestFault record{camera, fault, pipe, count};
  return TestDriverControl(KORVEX_TEST_SET_FAULT, &record, sizeof record);
}

bool SetFastPace(bool on) {
  const uint32_t value = on ? 1 : 0;
  return TestDriverControl(KORVEX_TEST_SET_FAST_PACE, &value, sizeof value);
}

bool ClearTraffic() { return TestDriverControl(KORVEX_TEST_CLEAR_TRAFFIC, nullptr, 0); }

std::optional<std::vector<KorvexSimTraffic>> Traffic() {
  std::vector<KorvexSimTraffic> log;
  std::vector<KorvexSimTraffic> chunk(1024);
  for (;;) {
    const uint32_t first = static_cast<uint32_t>(log.size());
    uint32_t returned = 0;
    if (!TestDriverControl(KORVEX_TEST_GET_TRAFFIC, &first, sizeof first, chunk.data(),
                           chunk.size() * sizeof(KorvexSimTraffic), &returned)) {
      return std::nullopt;
    }
    const size_t n = returned / sizeof(KorvexSimTraffic);
    log.insert(log.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    if (n < chunk.size()) return log;
  }
}

std::optional<KorvexTestCameraState> CameraState(uint32_t camera) {
  const KorvexTestCamera which{camera};
  KorvexTestCameraState state{};
  uint32_t returned = 0;
  if (!TestDriverControl(KORVEX_TEST_CAMERA_STATE, &which, sizeof which, &state, sizeof state,
                         &returned) ||
      returned != sizeof state) {
    return std::nullopt;
  }
  return state;
}

std::string DevicePath(int index) {
  static const char kAlphabet[] = "0123456789ABCDEFGHIJKLNMOPQRSTUVWXYZ";
  return std::string("\\\\.\\Kvrx740K3XLN-") + kAlphabet[index];
}

bool DeviceOpens(int index) {
  HANDLE device = OpenForWriting(DevicePath(index).c_str());
  if (device == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(device);
  return true;
}

bool CameraRequest(int index, uint32_t code, const void* in, uint32_t inLength, void* out,
                   uint32_t outLength, uint32_t* returned) {
  HANDLE device = OpenForWriting(DevicePath(index).c_str());
  if (device == INVALID_HANDLE_VALUE) return false;
  const bool ok = Request(device, code, in, inLength, out, outLength, returned);
  ::CloseHandle(device);
  return ok;
}

}  // namespace korvex::test
