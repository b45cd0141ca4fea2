/* korvex/host_driver.h - the camera's kernel driver: named devices opened by
 * path and driven with I/O control requests (CreateFile, DeviceIoControl,
 * CloseHandle). The devices behind it are the simulated cameras of
 * korvex/host_sim.h. */
#ifndef KORVEX_HOST_DRIVER_H
#define KORVEX_HOST_DRIVER_H

#include "korvex/host_base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* An open device. Never null when valid; a failed open gives
 * KORVEX_HOST_INVALID_DEVICE (the INVALID_HANDLE_VALUE of the driver). */
typedef struct KorvexHostDevice_* KorvexHostDevice;
#define KORVEX_HOST_INVALID_DEVICE ((KorvexHostDevice)(intptr_t)-1)

/* Access and sharing flags, with the values CreateFile gives them. */
#define KORVEX_HOST_GENERIC_READ 0x80000000u
#define KORVEX_HOST_GENERIC_WRITE 0x40000000u
#define KORVEX_HOST_FILE_SHARE_READ 0x1u
#define KORVEX_HOST_FILE_SHARE_WRITE 0x2u
#define KORVEX_HOST_OPEN_EXISTING 3u

/* Opens the device named by path ("\\.\Kvrx740K3XLN-<c>" names the camera
 * at the index of character c). Any number of handles may be open to one
 * device. Returns KORVEX_HOST_INVALID_DEVICE when no such device is present
 * or the disposition is not KORVEX_HOST_OPEN_EXISTING. */
KORVEX_HOST_API KorvexHostDevice KorvexHost_OpenDevice(const char* path, uint32_t desiredAccess,
                                                       uint32_t shareMode,
                                                       uint32_t creationDisposition,
                                                       uint32_t flags);

/* One synchronous I/O control request. The input buffer is read, the output
 * buffer is what the request moves data through (for the pipe requests the
 * transfer buffer, whichever direction the pipe goes). *returned (when not
 * null) receives the byte count moved. Returns 1 (TRUE) on success, 0 when
 * the request failed, the handle is unknown or the device was unplugged. */
KORVEX_HOST_API int KorvexHost_DeviceIoControl(KorvexHostDevice device, uint32_t controlCode,
                                               const void* inBuffer, uint32_t inLength,
                                               void* outBuffer, uint32_t outLength,
                                               uint32_t* returned);

/* Closes a handle. Returns 0 for a null, invalid or already closed handle. */
KORVEX_HOST_API int KorvexHost_CloseDevice(KorvexHostDevice device);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_HOST_DRIVER_H */
