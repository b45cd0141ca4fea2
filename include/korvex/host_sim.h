/* korvex/host_sim.h - control of the simulated cameras behind the driver.
 *
 * Up to 32 cameras, one per device index 0 to 31; after start-up one camera
 * is plugged in at index 0, or as many as KORVEX_SIMULATED_CAMERAS says
 * (1 to 32) at indices 0 upward; after KorvexHost_SimReset one at index 0. A camera serves
 * the command pipe 0, replies on pipe 1 and frames on pipe 2 as the real
 * firmware does, paced by its exposure and pixel clock unless the fast pace
 * is selected. Programs may feed their own raw frames, inject faults, give
 * external triggers and read back everything the host sent. */
#ifndef KORVEX_HOST_SIM_H
#define KORVEX_HOST_SIM_H

#include "korvex/host_base.h"

#ifdef __cplusplus
extern "C" {
#endif

#define KORVEX_SIM_MAX_CAMERAS 32
#define KORVEX_SIM_FRAME_WIDTH 2560
#define KORVEX_SIM_FRAME_LINES 2008

/* Back to the start-up state: every camera unplugged, then one fresh camera
 * at index 0; faults, supplied frames, triggers and the traffic log cleared;
 * normal pace; serial ROM presets back to their defaults. */
KORVEX_HOST_API void KorvexHost_SimReset(void);

/* Plugs a fresh camera in at index (power-on state, the index's serial ROM
 * preset). Returns 0 for an index outside 0..31 or when one is present. */
KORVEX_HOST_API int KorvexHost_SimPlug(int index);
/* Pulls the camera out: it vanishes from the device paths, every open handle
 * to it fails from now on and transfers waiting in it end at once with a
 * failure. Returns 0 when none was present. */
KORVEX_HOST_API int KorvexHost_SimUnplug(int index);
KORVEX_HOST_API int KorvexHost_SimIsPlugged(int index);

/* Serial ROM preset of an index: bytes from address onward, applied to the
 * present camera and to every later plug at that index. The identification
 * area is 0x1800 to 0x18FF; 0x1EB0 is the configuration byte. Returns 0 for
 * a bad index or a range beyond 0xFFFF. */
KORVEX_HOST_API int KorvexHost_SimPresetSrom(int index, uint32_t address, const uint8_t* bytes,
                                             uint32_t count);

/* Fault injection. count > 0: the next count matching requests fail;
 * count < 0: every one fails until cleared; count 0 clears that fault. */
typedef enum KorvexSimFault {
  /* A pipe transfer on `pipe` (-1: any pipe) returns FALSE, 0 bytes. */
  KORVEX_SIM_FAULT_FAIL_TRANSFER = 1,
  /* A pipe transfer on `pipe` (-1: any) returns TRUE with half the bytes. */
  KORVEX_SIM_FAULT_SHORT_TRANSFER = 2,
  /* Sensor, controller and serial ROM writes (commands 0x04, 0x25, 0x40)
   * are refused: the packet send returns FALSE. `pipe` is ignored. */
  KORVEX_SIM_FAULT_FAIL_REGISTER_WRITE = 3,
  /* Frame transfers hang until the transfer time-out, then fail. `pipe` is
   * ignored. */
  KORVEX_SIM_FAULT_STALL_STREAM = 4
} KorvexSimFault;
KORVEX_HOST_API int KorvexHost_SimSetFault(int index, int fault, int pipe, int count);
KORVEX_HOST_API void KorvexHost_SimClearFaults(int index);

/* One external trigger pulse: in trigger mode (controller register 11 =
 * 0x25) each pulse releases one frame. Returns 0 when no camera is present. */
KORVEX_HOST_API int KorvexHost_SimTrigger(int index);

/* 1: frames are served as fast as they can be copied, for tests and
 * benchmarks; 0: paced by exposure and pixel clock like the sensor. */
KORVEX_HOST_API void KorvexHost_SimSetFastPace(int on);

/* Frames supplied by the program instead of the synthetic scene, for the
 * camera present at index (a camera plugged in later starts with the scene).
 * A raw frame is copied and served from the next frame on until replaced
 * (null or 0 bytes returns to the scene). It is served as given, byte for
 * byte from the start of each transfer, zero-filled beyond its end. */
KORVEX_HOST_API int KorvexHost_SimSetRawFrame(int index, const void* bytes, size_t count);
/* Called for every frame on the transferring thread with the transfer
 * buffer to fill: frame number (0 for the first frame after plugging), 1 in
 * word mode (16-bit little-endian samples) else 0, the buffer and its length
 * (a whole transfer). Null returns to the raw frame or the scene. */
typedef void (*KorvexSimFrameCallback)(void* user, uint32_t frameNumber, int wordMode,
                                       uint8_t* buffer, size_t length);
KORVEX_HOST_API int KorvexHost_SimSetFrameCallback(int index, KorvexSimFrameCallback callback,
                                                   void* user);

/* Traffic log: every I/O control request to any camera, oldest first, up to
 * the last 65536. `packet` holds the first 64 bytes moved on pipes 0 and 1
 * (the command sent, the reply read) and the input record of other
 * requests. */
typedef struct KorvexSimTraffic {
  int device;         /* device index */
  uint32_t code;      /* I/O control code */
  uint32_t pipe;      /* pipe number; 0xFFFFFFFF for requests without one */
  uint32_t inLength;  /* input buffer length */
  uint32_t outLength; /* output buffer length */
  uint32_t returned;  /* bytes reported back */
  int result;         /* 1 TRUE, 0 FALSE */
  uint32_t packetLength;
  uint8_t packet[64];
} KorvexSimTraffic;
KORVEX_HOST_API size_t KorvexHost_SimTrafficCount(void);
KORVEX_HOST_API int KorvexHost_SimGetTraffic(size_t position, KorvexSimTraffic* out);
KORVEX_HOST_API void KorvexHost_SimClearTraffic(void);

/* Handles opened to the index since the camera was plugged, and those
 * open now. */
KORVEX_HOST_API uint32_t KorvexHost_SimOpenCount(int index);
KORVEX_HOST_API uint32_t KorvexHost_SimOpenHandles(int index);
/* Frames the camera has served since it was plugged. */
KORVEX_HOST_API uint32_t KorvexHost_SimFramesServed(int index);

/* Reading back the camera's state. Each returns 0 when no camera is present
 * at index or the address is out of range. Sensor registers below 0x100 are
 * the 8-bit space, from 0x100 the 16-bit space (24-bit values). */
KORVEX_HOST_API int KorvexHost_SimReadSensorRegister(int index, uint32_t reg, uint32_t* value);
KORVEX_HOST_API int KorvexHost_SimReadControllerRegister(int index, uint32_t reg, uint8_t* value);
KORVEX_HOST_API int KorvexHost_SimReadSrom(int index, uint32_t address, uint8_t* value);
/* The transfer time-out the camera's driver honours, in milliseconds. */
KORVEX_HOST_API uint32_t KorvexHost_SimTransferTimeout(int index);

/* Renders the frame the camera would serve next from the synthetic scene,
 * at its present settings, without serving it: count bytes into buffer
 * (a whole frame is 2560 x 2008 samples, 1 or 2 bytes each). Returns the
 * bytes written, 0 when no camera is present. */
KORVEX_HOST_API size_t KorvexHost_SimRenderFrame(int index, uint32_t frameNumber, void* buffer,
                                                 size_t count);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_HOST_SIM_H */
