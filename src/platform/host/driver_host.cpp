// The driver seam on top of the Korvex host library (Linux).
#include "platform/driver.h"

#include "korvex/host.h"

namespace korvex::platform {

static_assert(sizeof(DriverHandle) == sizeof(KorvexHostDevice));

DriverHandle OpenDriver(const char* path) {
  KorvexHostDevice device = KorvexHost_OpenDevice(
      path, KORVEX_HOST_GENERIC_WRITE, KORVEX_HOST_FILE_SHARE_WRITE, KORVEX_HOST_OPEN_EXISTING, 0);
  if (device == KORVEX_HOST_INVALID_DEVICE) return InvalidDriverHandle();
  return reinterpret_cast<DriverHandle>(device);
}

int DriverIoControl(DriverHandle handle, uint32_t controlCode, const void* inBuffer,
                    uint32_t inLength, void* outBuffer, uint32_t outLength, uint32_t* returned) {
  uint32_t count = 0;
  const int result =
      KorvexHost_DeviceIoControl(reinterpret_cast<KorvexHostDevice>(handle), controlCode, inBuffer,
                                 inLength, outBuffer, outLength, &count);
  if (returned) *returned = count;
  return result;
}

bool CloseDriver(DriverHandle handle) {
  return KorvexHost_CloseDevice(reinterpret_cast<KorvexHostDevice>(handle)) != 0;
}

}  // namespace korvex::platform
