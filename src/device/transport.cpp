// The driver transport on top of the driver seam.
#include "device/transport.h"

#include "log/log.h"

#include <cstdio>

namespace korvex {

void FormatDevicePath(char* out, int size, const char* model, int index) {
  const char indexName[2] = {kDeviceIndexAlphabet[index], '\0'};
  std::snprintf(out, static_cast<size_t>(size), "\\\\.\\%s-%s", model, indexName);
}

int OpenDevice(DeviceHandle& out, const char* path) {
  if (path == nullptr) return 0;
  DeviceHandle handle = platform::OpenDriver(path);
  if (handle == platform::InvalidDriverHandle() || handle == nullptr) {
    KORVEX_LOG(kDebug, kDevice, 0, "%s: no camera answers", path);
    out = nullptr;
    return 0;
  }
  out = handle;
  return 1;
}

int CloseDevice(DeviceHandle& h) {
  if (h == nullptr) return 0;
  platform::CloseDriver(h);
  h = nullptr;
  return 1;
}

namespace {

int Transfer(uint32_t code, DeviceHandle handle, uint32_t pipe, uint32_t length, void* buffer,
             uint32_t& transferred) {
  if (buffer == nullptr) return -2;
  if (handle == nullptr) return -3;
  const uint32_t pipe32 = pipe;
  uint32_t returned = 0;
  const int result =
      platform::DriverIoControl(handle, code, &pipe32, sizeof pipe32, buffer, length, &returned);
  transferred = returned;
  KORVEX_LOG(kDebug, kDevice, 0, "control code 0x%06X pipe %u: %u of %u bytes%s", code, pipe,
             returned, length, result == 1 ? "" : ", failed");
  return result == 1 ? 0 : -1;
}

}  // namespace

int PipeTransfer(DeviceHandle handle, uint32_t pipe, uint32_t length, void* buffer,
                 uint32_t& transferred, bool inDirect) {
  return Transfer(inDirect ? IOCTL_PIPE_IN_DIRECT : IOCTL_PIPE_OUT_DIRECT, handle, pipe, length,
                  buffer, transferred);
}

int LargePipeTransfer(DeviceHandle handle, uint32_t pipe, uint32_t length, void* buffer,
                      uint32_t& transferred, bool inDirect) {
  return Transfer(inDirect ? IOCTL_LARGE_PIPE_IN_DIRECT : IOCTL_LARGE_PIPE_OUT_DIRECT, handle, pipe,
                  length, buffer, transferred);
}

int SendPacket(DeviceHandle handle, uint32_t pipe, uint32_t length, void* packet) {
  if (handle == nullptr) return 10;
  uint32_t transferred = 0;
  if (PipeTransfer(handle, pipe, length, packet, transferred, true) != 0) return 12;
  return transferred == length ? 0 : 12;
}

int ReceivePacket(DeviceHandle handle, uint32_t pipe, uint32_t length, void* packet) {
  if (handle == nullptr) return 10;
  uint32_t transferred = 0;
  if (PipeTransfer(handle, pipe, length, packet, transferred, false) != 0) return 12;
  return transferred == length ? 0 : 12;
}

}  // namespace korvex
