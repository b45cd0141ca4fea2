/* The test driver's control device: how a test program reaches the
 * simulated cameras that stand behind the driver's camera devices (frame
 * injection, unplugging, faults, pace and the traffic log).
 *
 * The control device is a device of its own, "\\.\KorvexTestDriverControl",
 * with a vendor device type, so that none of its codes can be mistaken for
 * one of the five the camera devices serve. Every request is buffered; the
 * input starts with the record named below. Test fixture only: nothing of it
 * is shipped. */
#ifndef KORVEX_TEST_DRIVER_CONTROL_H
#define KORVEX_TEST_DRIVER_CONTROL_H

#include <stdint.h>

#define KORVEX_TEST_DRIVER_SERVICE "KorvexTestDriver"
#define KORVEX_TEST_DRIVER_CONTROL_PATH "\\\\.\\KorvexTestDriverControl"
/* The service key's value that says how many cameras to create (1 to 32,
 * at indices 0 upward); absent or out of range means one. */
#define KORVEX_TEST_DRIVER_CAMERAS_VALUE "Cameras"

#define KORVEX_TEST_DEVICE_TYPE 0x8A5Eu
/* CTL_CODE(KORVEX_TEST_DEVICE_TYPE, function, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define KORVEX_TEST_CONTROL(function) ((KORVEX_TEST_DEVICE_TYPE << 16) | ((function) << 2))

/* Input: KorvexTestCamera, then the raw frame (none: back to the scene). */
#define KORVEX_TEST_SET_RAW_FRAME KORVEX_TEST_CONTROL(0x901u)
/* Input: KorvexTestCamera. Pulls the camera out: its transfers fail, then
 * its device object and its link are deleted. */
#define KORVEX_TEST_UNPLUG KORVEX_TEST_CONTROL(0x902u)
/* Input: KorvexTestFault (KorvexHost_SimSetFault). */
#define KORVEX_TEST_SET_FAULT KORVEX_TEST_CONTROL(0x903u)
/* Input: uint32 1 fast pace, 0 paced like the sensor. */
#define KORVEX_TEST_SET_FAST_PACE KORVEX_TEST_CONTROL(0x904u)
/* Input: uint32 first position. Output: as many KorvexSimTraffic entries
 * from there as fit. */
#define KORVEX_TEST_GET_TRAFFIC KORVEX_TEST_CONTROL(0x905u)
/* No input. Output: uint32 number of entries. */
#define KORVEX_TEST_TRAFFIC_COUNT KORVEX_TEST_CONTROL(0x906u)
#define KORVEX_TEST_CLEAR_TRAFFIC KORVEX_TEST_CONTROL(0x907u)
/* Input: KorvexTestCamera. Output: KorvexTestCameraState. */
#define KORVEX_TEST_CAMERA_STATE KORVEX_TEST_CONTROL(0x908u)

typedef struct KorvexTestCamera {
  uint32_t index;
} KorvexTestCamera;

typedef struct KorvexTestFault {
  uint32_t index;
  int32_t fault;
  int32_t pipe;
  int32_t count;
} KorvexTestFault;

typedef struct KorvexTestCameraState {
  uint32_t plugged;
  uint32_t transferTimeoutMs;
  uint32_t framesServed;
  uint32_t openHandles;
} KorvexTestCameraState;

#endif /* KORVEX_TEST_DRIVER_CONTROL_H */
