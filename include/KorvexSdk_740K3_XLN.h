/**
 * @file KorvexSdk_740K3_XLN.h
 * @brief Application interface of the Korvex740K3-XLN camera SDK.
 *
 * Every function returns 1 for success and 0 for failure unless it returns a
 * value. The reason for a failure is kept in the camera's error history
 * (Korvex_GetLastError()) and posted to the notification window given to
 * Korvex_Initialize() as message #KORVEX_WM_ERROR with the code in lParam.
 * No function throws, and a handle that is not open makes every function
 * return 0 (-1 for Korvex_GetColorMode(), Korvex_GetSubSample() and
 * Korvex_GetWaitTime()) without any other effect.
 *
 * Threads: every function may be called from any thread. Calls on one camera
 * from several threads are serialised where they touch the same state; the
 * parameter setters take effect on the next frame. Notifications are posted,
 * never sent: the library never waits for the application's message loop.
 *
 * Acquisition states of a camera: idle, previewing (Korvex_Preview(),
 * Korvex_CallBackPreview(), Korvex_StartPreview(), Korvex_Record()),
 * capturing (Korvex_Capture()) and triggered (Korvex_Trigger());
 * Korvex_StopPreview() returns to idle from each. See docs/guide.md.
 *
 * Every function takes the camera handle @c h from Korvex_Initialize()
 * first, except Korvex_Initialize() and Korvex_GetDllVersion().
 *
 * This header compiles as C and as C++.
 */
#ifndef KORVEXSDK_740K3_XLN_H
#define KORVEXSDK_740K3_XLN_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
/* The window handle of <windows.h> (HWND), declared without that header so
 * that including this one defines none of its macros. */
struct HWND__;
typedef struct HWND__* KORVEX_HWND;
typedef wchar_t KORVEX_WCHAR;
#define KORVEX_CALL __stdcall
#if defined(KORVEX_SDK_BUILDING)
#define KORVEX_API __declspec(dllexport)
#else
#define KORVEX_API __declspec(dllimport)
#endif
#else
/** An opaque window handle; on Linux windows come from the host library. */
typedef struct KorvexWindow_* KORVEX_HWND;
/** UTF-16 code unit, as WCHAR on Windows. */
typedef uint16_t KORVEX_WCHAR;
/** Calling convention of the exports (__stdcall on Windows). */
#define KORVEX_CALL
/** Marks a function exported by the SDK library. */
#define KORVEX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** Camera handle from Korvex_Initialize(): 0 is never valid. Only the low 32
 *  bits are used, so it may be kept in a pointer-sized variable. */
typedef uint32_t KORVEX_HANDLE;

/** @name Window messages posted to the application
 *  @{ */
/** Frame notification (WM_APP + 2) to the frame window of
 *  Korvex_CallBackPreview() or Korvex_Trigger(): wParam is the address of the
 *  camera's KORVEX_FRAME_INFO, lParam 0. A frame error has wParam 0 and the
 *  error code (5, 8 or 13) in lParam. */
#define KORVEX_WM_FRAME 32770
/** Error notification (WM_APP + 3) to the notification window of
 *  Korvex_Initialize(): wParam 0, lParam the error code. */
#define KORVEX_WM_ERROR 32771
/** @} */

/** @name Error codes, read back with Korvex_GetLastError()
 *  @{ */
#define KORVEX_ERR_NOT_POSSIBLE \
  1 /**< no device, wrong acquisition state, or nothing to work on yet */
#define KORVEX_ERR_DEVICE \
  2 /**< the selected camera is not present or another process streams from it */
#define KORVEX_ERR_WORKER 3 /**< the worker or recording thread could not be started */
#define KORVEX_ERR_WINDOW 4 /**< the preview window, or a stored size preset, is not available */
#define KORVEX_ERR_MEMORY 5 /**< out of memory, or the application's buffer is too small or null \
                             */
#define KORVEX_ERR_REFUSED \
  6 /**< the camera refused a register request, or streaming did not start */
#define KORVEX_ERR_GEOMETRY 7  /**< invalid capture geometry (size or position) */
#define KORVEX_ERR_FRAME 8     /**< a frame was not delivered */
#define KORVEX_ERR_ARGUMENT 9  /**< invalid argument: a value out of range, a null record or name \
                                */
#define KORVEX_ERR_RESERVED 10 /**< never raised */
#define KORVEX_ERR_UNSUPPORTED 11 /**< not supported by this camera model */
#define KORVEX_ERR_FILE                                                                       \
  12 /**< a file could not be opened, or the recording did not start, or it ended early (full \
        disk, 4 GiB file) */
#define KORVEX_ERR_STREAM_ENDED \
  13 /**< the preview stream ended (no frame for 6 seconds, or the camera went away) */
/** @} */

/** Result of Korvex_GetDllVersion(): 1.168.5.31 (0x01A8051F). */
#define KORVEX_DLL_VERSION 27788575u

/** Frame information record (32 bytes): the wParam of a frame notification.
 *  It lives in the camera object until Korvex_Release() and is rewritten for
 *  every frame, so a handler that runs late reads a newer frame's values. */
typedef struct KORVEX_FRAME_INFO {
  uint32_t size;         /**< always 32 */
  uint32_t width;        /**< raw frame width (2560) */
  uint32_t height;       /**< raw frame height (2008) */
  uint32_t bitsPerPixel; /**< of the colour mode: 8, 16, 24, 32, 48 or 64 */
  uint32_t frameRate;    /**< frames per 10 seconds; 0 in trigger mode */
  uint32_t reserved;     /**< not written */
  /** The application's frame buffer given to Korvex_CallBackPreview() or
   *  Korvex_Trigger(), or null. */
  union {
    void* buffer;        /**< the buffer pointer */
    uint64_t bufferBits; /**< the same, as 64 bits */
  } u;
} KORVEX_FRAME_INFO;

/** Camera information record, filled by Korvex_GetCameraInfo() (36 bytes). */
typedef struct KORVEX_CAMERA_INFO {
  uint32_t size;        /**< set by the application: at least 36 */
  uint32_t maxWidth;    /**< largest image width */
  uint32_t maxHeight;   /**< largest image height */
  uint32_t gainMin;     /**< smallest global gain (0) */
  uint32_t gainMax;     /**< largest global gain (1023) */
  uint32_t reserved1;   /**< 0 */
  uint32_t reserved2;   /**< 0 */
  uint32_t exposureMin; /**< smallest exposure setting in lines (0) */
  uint32_t exposureMax; /**< largest exposure setting (1014, meaning 2028 lines) */
} KORVEX_CAMERA_INFO;

/** @cond LAYOUT_CHECKS */
#if defined(__cplusplus)
static_assert(sizeof(KORVEX_FRAME_INFO) == 32, "frame information record is 32 bytes");
static_assert(offsetof(KORVEX_FRAME_INFO, u) == 24, "buffer pointer at offset 24");
static_assert(sizeof(KORVEX_CAMERA_INFO) == 36, "camera information record is 36 bytes");
#else
_Static_assert(sizeof(KORVEX_FRAME_INFO) == 32, "frame information record is 32 bytes");
_Static_assert(offsetof(KORVEX_FRAME_INFO, u) == 24, "buffer pointer at offset 24");
_Static_assert(sizeof(KORVEX_CAMERA_INFO) == 36, "camera information record is 36 bytes");
#endif
/** @endcond */

/** @name Save formats for Korvex_SaveImage()
 *  @{ */
#define KORVEX_SAVE_BMP 0       /**< BMP, bottom-up rows; 8-bit with a gray palette */
#define KORVEX_SAVE_RAW 1       /**< the pixels as held: top row first, rows padded to 4 bytes */
#define KORVEX_SAVE_JPEG_HIGH 2 /**< progressive JPEG, quality 100 (8-bit gray or 24-bit colour) \
                                 */
#define KORVEX_SAVE_JPEG_MID 3  /**< progressive JPEG, quality 70 */
#define KORVEX_SAVE_JPEG_LOW 4  /**< progressive JPEG, quality 20 */
#define KORVEX_SAVE_PNG 5       /**< PNG; 16-bit samples for the 16-, 48- and 64-bit modes */
#define KORVEX_SAVE_TIFF 6      /**< uncompressed TIFF, one strip */
/** @} */

/* ---- Lifecycle and identity ------------------------------------------- */

/** Opens a camera object and selects camera 0: probes the cameras present,
 *  initialises the sensor and applies the stored settings of camera 0.
 *  @param notifyWindow window that receives #KORVEX_WM_ERROR notifications,
 *         or null.
 *  @return a new handle, or 0 when no camera object could be created. The
 *  handle is returned even when no camera is attached: Korvex_GetLastError()
 *  then gives #KORVEX_ERR_MEMORY or #KORVEX_ERR_GEOMETRY and operations that
 *  need the device fail with #KORVEX_ERR_NOT_POSSIBLE.
 *  Thread: any; each handle has its own camera object. */
KORVEX_API KORVEX_HANDLE KORVEX_CALL Korvex_Initialize(KORVEX_HWND notifyWindow);
/** Stops all acquisition, waits for the camera's threads, stores the gain,
 *  filter and gray settings for the next run and destroys the camera object.
 *  @return 1, or 0 when the handle is not open. The handle is invalid after.
 *  Thread: any, but no other call may use the handle at the same time. */
KORVEX_API int KORVEX_CALL Korvex_Release(KORVEX_HANDLE h);
/** Selects camera @p number (0 to 31): stores the current camera's settings,
 *  switches and loads the new camera's gain, filter and gray settings.
 *  @return 1/0. Errors: #KORVEX_ERR_DEVICE when the camera is not present;
 *  #KORVEX_ERR_NOT_POSSIBLE without a device. A running acquisition is not
 *  stopped; stop it first. */
KORVEX_API int KORVEX_CALL Korvex_SetDeviceNumber(KORVEX_HANDLE h, int number);
/** Lists the cameras present.
 *  @param names buffer of 32 slots of 256 bytes; slot i receives the i-th
 *         present camera's name ("Korvex740K3-XLN_01" ...), NUL-terminated.
 *  @return the number of cameras present, 0 on failure. Errors:
 *  #KORVEX_ERR_ARGUMENT for a null buffer; #KORVEX_ERR_NOT_POSSIBLE without
 *  a device. States: any. */
KORVEX_API int KORVEX_CALL Korvex_EnumDevice(KORVEX_HANDLE h, char* names);
/** As Korvex_EnumDevice() with UTF-16 names in 32 slots of 256 code units
 *  (512 bytes). Uses the presence of the last probe. */
KORVEX_API int KORVEX_CALL Korvex_EnumDeviceW(KORVEX_HANDLE h, KORVEX_WCHAR* names);
/** Copies the name of camera @p number (0 to 31) into @p name.
 *  @param size bytes in @p name; more than 14.
 *  @return 1/0. Errors: #KORVEX_ERR_ARGUMENT for a number outside 0..31 or a
 *  size of 14 or less; #KORVEX_ERR_DEVICE when that camera is not present. */
KORVEX_API int KORVEX_CALL Korvex_GetDeviceName(KORVEX_HANDLE h, int number, char* name, int size);
/** As Korvex_GetDeviceName() in UTF-16; @p size counts code units. */
KORVEX_API int KORVEX_CALL Korvex_GetDeviceNameW(KORVEX_HANDLE h, int number, KORVEX_WCHAR* name,
                                                 int size);
/** Fills @p info with the largest image and the gain and exposure ranges.
 *  @param info record whose @c size the application has set to at least 36.
 *  @return 1/0. Errors: #KORVEX_ERR_ARGUMENT for null, #KORVEX_ERR_MEMORY
 *  for a size below 36, #KORVEX_ERR_NOT_POSSIBLE without a device. */
KORVEX_API int KORVEX_CALL Korvex_GetCameraInfo(KORVEX_HANDLE h, KORVEX_CAMERA_INFO* info);
/** Stops all acquisition (as Korvex_StopPreview()) and removes the preview
 *  window. @return 1. States: any, ends in idle. */
KORVEX_API int KORVEX_CALL Korvex_Close(KORVEX_HANDLE h);
/** Takes the most recent error code off the camera's history of 20.
 *  Reading is destructive: successive calls give the codes newest first,
 *  then 0. Where one failure records two codes, the general one (often
 *  #KORVEX_ERR_NOT_POSSIBLE) comes first and the specific cause second.
 *  @return a KORVEX_ERR_* code, or 0 when none is left. Thread: any. */
KORVEX_API uint32_t KORVEX_CALL Korvex_GetLastError(KORVEX_HANDLE h);
/** @return #KORVEX_DLL_VERSION. Needs no handle. */
KORVEX_API uint32_t KORVEX_CALL Korvex_GetDllVersion(void);

/* ---- Capture and preview ---------------------------------------------- */

/** Starts the live preview drawn into the preview window (when
 *  Korvex_SetPreviewWindow() placed one), without frame notifications.
 *  @return 1/0. Errors: #KORVEX_ERR_WINDOW when the window cannot be
 *  created; #KORVEX_ERR_FRAME after the start's own code when the preview
 *  cannot start. States: idle → previewing; previewing: succeeds at once. */
KORVEX_API int KORVEX_CALL Korvex_Preview(KORVEX_HANDLE h);
/** Starts the live preview with a frame notification (#KORVEX_WM_FRAME) to
 *  @p frameWindow for every processed frame.
 *  @param frameWindow window for frame notifications, or null.
 *  @param buffer optional buffer that every frame is copied into (rows of
 *         the image's stride, see Korvex_GetImage()), or null.
 *  @param size bytes in @p buffer; smaller than the image loses each copy
 *         and notification with #KORVEX_ERR_MEMORY.
 *  @param rowOrder non-zero: top row first; 0: bottom row first.
 *  @warning The buffer is rewritten by every new frame, also while the
 *  application still reads it after a notification. Pass null and call
 *  Korvex_GetImage() in the notification handler, which copies under the
 *  camera's frame lock.
 *  @return 1/0, errors and states as Korvex_Preview(). */
KORVEX_API int KORVEX_CALL Korvex_CallBackPreview(KORVEX_HANDLE h, KORVEX_HWND frameWindow,
                                                  void* buffer, int size, int rowOrder);
/** Starts streaming and the preview worker without touching the window or
 *  the frame target. @return 1/0. Errors: #KORVEX_ERR_NOT_POSSIBLE in the
 *  capturing or triggered state or after a failed preparation (which records
 *  #KORVEX_ERR_DEVICE, #KORVEX_ERR_GEOMETRY or #KORVEX_ERR_MEMORY first);
 *  #KORVEX_ERR_WORKER; #KORVEX_ERR_REFUSED when streaming does not start.
 *  States: idle → previewing. */
KORVEX_API int KORVEX_CALL Korvex_StartPreview(KORVEX_HANDLE h);
/** Ends every acquisition mode (preview, capture, trigger, recording, which
 *  is finished) and waits for the camera's threads.
 *  @return 1; 0 with #KORVEX_ERR_NOT_POSSIBLE without a device.
 *  States: any → idle. Thread: any; the camera's threads never wait for the
 *  application, so stopping never hangs. */
KORVEX_API int KORVEX_CALL Korvex_StopPreview(KORVEX_HANDLE h);
/** Enters capture mode: prepares the camera once; frames are then taken
 *  with Korvex_SnapShot() over a channel that stays open.
 *  @return 1/0. Errors: #KORVEX_ERR_NOT_POSSIBLE while previewing or
 *  triggered, or after a failed preparation. States: idle → capturing. */
KORVEX_API int KORVEX_CALL Korvex_Capture(KORVEX_HANDLE h);
/** Takes one frame on the calling thread, processes it in the colour mode
 *  and copies it into @p buffer.
 *  @param buffer destination, or null to keep the frame in the camera only
 *         (for Korvex_SaveImage() or Korvex_GetImage()).
 *  @param size bytes in @p buffer: at least height × stride.
 *  @param rowOrder non-zero: top row first; 0: bottom row first.
 *  @return 1/0. Errors: #KORVEX_ERR_NOT_POSSIBLE while previewing or
 *  triggered or after a failed preparation; #KORVEX_ERR_FRAME;
 *  #KORVEX_ERR_MEMORY for a small buffer. States: idle (stays idle) or
 *  capturing. */
KORVEX_API int KORVEX_CALL Korvex_SnapShot(KORVEX_HANDLE h, void* buffer, int size, int rowOrder);
/** Copies the camera's current output image into @p buffer under the frame
 *  lock, in any state, without waiting for a frame. The image has
 *  Korvex_Width() × Korvex_Height() pixels of the colour mode's bits per
 *  pixel (8, 16, 24, 32, 48 or 64; blue-green-red order; deep samples are
 *  10-bit values in 16-bit words); each row is padded to a multiple of 4
 *  bytes (the stride).
 *  @param rowOrder non-zero: top row first; 0: bottom row first.
 *  @return 1/0. Errors: #KORVEX_ERR_MEMORY for a null or small buffer or
 *  before any image exists; #KORVEX_ERR_NOT_POSSIBLE without a device.
 *  Thread: any, also a notification handler. */
KORVEX_API int KORVEX_CALL Korvex_GetImage(KORVEX_HANDLE h, void* buffer, int size, int rowOrder);
/** Enters trigger mode: a worker takes one frame per pulse on the camera's
 *  trigger input (waiting up to 3 s each) and notifies @p frameWindow.
 *  Arguments as Korvex_CallBackPreview(), with the same warning about
 *  @p buffer. @return 1/0. Errors: #KORVEX_ERR_NOT_POSSIBLE while previewing
 *  or capturing or after a failed preparation; #KORVEX_ERR_WINDOW;
 *  #KORVEX_ERR_WORKER. States: idle → triggered. */
KORVEX_API int KORVEX_CALL Korvex_Trigger(KORVEX_HANDLE h, KORVEX_HWND frameWindow, void* buffer,
                                          int size, int rowOrder);
/** @return always 0. @p unused is ignored. */
KORVEX_API int KORVEX_CALL Korvex_GetStatus(KORVEX_HANDLE h, int unused);
/** The exposure as time: (lines × 2894 + 1480) clocks of 1/24 µs, truncated
 *  to whole microseconds; setting 1014 counts as 2028 lines.
 *  @param ok receives 1, or 0 on failure (may be null).
 *  @return microseconds, 0 on failure (#KORVEX_ERR_NOT_POSSIBLE without a
 *  device). States: any. */
KORVEX_API int KORVEX_CALL Korvex_GetRealExposureTime(KORVEX_HANDLE h, int* ok);

/* ---- Window geometry -------------------------------------------------- */

/** Places the library's preview window: a child of @p parent at the given
 *  rectangle, or with a null parent a centred top-level window of that size.
 *  After Korvex_Initialize() the rectangle is the image size; null and four
 *  zeros run the preview without a window. Takes effect at the next start.
 *  @return 1/0 (#KORVEX_ERR_NOT_POSSIBLE without a device). */
KORVEX_API int KORVEX_CALL Korvex_SetPreviewWindow(KORVEX_HANDLE h, KORVEX_HWND parent, int left,
                                                   int top, int right, int bottom);
/** Selects a stored size preset by its width and height.
 *  @return 1/0. Errors: #KORVEX_ERR_WINDOW when no preset has that size;
 *  #KORVEX_ERR_GEOMETRY. Takes effect at the next start. */
KORVEX_API int KORVEX_CALL Korvex_SetCaptureWindow(KORVEX_HANDLE h, int width, int height);
/** Sets the capture geometry for this session: totals @p TH, @p TV, the
 *  first column @p EHS and line @p EVS, the width @p EH and height @p EV.
 *  Valid when EH, EV, EHS, EVS lie in 0..2560, EHS + EH ≤ 2560 and
 *  EVS + EV ≤ 2560. Even offsets keep the colour mosaic's phase.
 *  @return 1/0 (#KORVEX_ERR_GEOMETRY; the values stay stored and the next
 *  start fails until valid ones are set). Applied now when idle, else at
 *  the next start. */
KORVEX_API int KORVEX_CALL Korvex_SetCaptureWindowEx(KORVEX_HANDLE h, int TH, int EHS, int EH,
                                                     int TV, int EVS, int EV);
/** Reads the capture geometry; each pointer may be null. @return 1. */
KORVEX_API int KORVEX_CALL Korvex_GetCaptureWindowEx(KORVEX_HANDLE h, int* TH, int* EHS, int* EH,
                                                     int* TV, int* EVS, int* EV);

/* ---- Image parameters by identifier ------------------------------------ */

/** @name Image parameter identifiers for Korvex_SetFilterValue() and Korvex_GetFilterValue()
 *  Each named parameter function below fixes one of them.
 *  @{ */
#define KORVEX_FILTER_BRIGHTNESS 1         /**< brightness offset */
#define KORVEX_FILTER_CONTRAST 2           /**< contrast */
#define KORVEX_FILTER_HUE 3                /**< hue rotation in degrees */
#define KORVEX_FILTER_SATURATION 4         /**< saturation */
#define KORVEX_FILTER_SHARPNESS 5          /**< sharpness */
#define KORVEX_FILTER_BAYER_GAIN_RGB 6     /**< the three white-balance gains packed */
#define KORVEX_FILTER_BAYER_GAIN_RED 7     /**< white-balance gain of red */
#define KORVEX_FILTER_BAYER_GAIN_GREEN 8   /**< white-balance gain of green */
#define KORVEX_FILTER_BAYER_GAIN_BLUE 9    /**< white-balance gain of blue */
#define KORVEX_FILTER_BAYER_GAIN_AUTO 10   /**< automatic white balance */
#define KORVEX_FILTER_GAMMA 11             /**< gamma in hundredths */
#define KORVEX_FILTER_BAYER_MODE 12        /**< phase of the colour mosaic */
#define KORVEX_FILTER_GLOBAL_GAIN 13       /**< global analog gain */
#define KORVEX_FILTER_COLOR_GAIN_RED 14    /**< colour gain of red */
#define KORVEX_FILTER_COLOR_GAIN_GREEN1 15 /**< colour gain of the first green */
#define KORVEX_FILTER_COLOR_GAIN_GREEN2 16 /**< colour gain of the second green */
#define KORVEX_FILTER_COLOR_GAIN_BLUE 17   /**< colour gain of blue */
#define KORVEX_FILTER_EXPOSURE_TIME 18     /**< exposure in sensor lines */
#define KORVEX_FILTER_GRAY_MODE 19         /**< gray mode */
#define KORVEX_FILTER_GRAY_GAIN_R 20       /**< gray gain of the red site */
#define KORVEX_FILTER_GRAY_GAIN_G1 21      /**< gray gain of the first green site */
#define KORVEX_FILTER_GRAY_GAIN_G2 22      /**< gray gain of the second green site */
#define KORVEX_FILTER_GRAY_GAIN_B 23       /**< gray gain of the blue site */
#define KORVEX_FILTER_GRAY_OFFSET_R 24     /**< gray offset of the red site */
#define KORVEX_FILTER_GRAY_OFFSET_G1 25    /**< gray offset of the first green site */
#define KORVEX_FILTER_GRAY_OFFSET_G2 26    /**< gray offset of the second green site */
#define KORVEX_FILTER_GRAY_OFFSET_B 27     /**< gray offset of the blue site */
#define KORVEX_FILTER_GRAY_CALIBRATE 28    /**< gray calibration */
/** @} */

/** Sets image parameter @p id (1 to 28; the named functions below fix the
 *  id) to @p value after a range check. Gain (13) and exposure (18) are
 *  written to the sensor at once; the others apply from the next frame.
 *  @return 1/0. Errors: #KORVEX_ERR_ARGUMENT for an id outside 1..28 or a
 *  value out of range (the parameter keeps its value);
 *  #KORVEX_ERR_NOT_POSSIBLE without a device. States: any. Thread: any; the
 *  last writer wins against the automatic loops. */
KORVEX_API int KORVEX_CALL Korvex_SetFilterValue(KORVEX_HANDLE h, int id, int value);
/** Reads image parameter @p id (1 to 28).
 *  @param ok receives 1, or 0 on failure (may be null).
 *  @return the value, 0 on failure (errors as Korvex_SetFilterValue()). */
KORVEX_API int KORVEX_CALL Korvex_GetFilterValue(KORVEX_HANDLE h, int id, int* ok);

/* Named parameters: each pair forwards to Korvex_SetFilterValue() and
 * Korvex_GetFilterValue() with a fixed identifier, with their results,
 * errors, states and thread rules. */
/** Sets the brightness offset (id 1): -255..255. @return 1/0, see Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetBrightness(KORVEX_HANDLE h, int value);
/** Reads the brightness offset (id 1). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetBrightness(KORVEX_HANDLE h, int* ok);
/** Sets the contrast (id 2): -127..127. @return 1/0, see Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetContrast(KORVEX_HANDLE h, int value);
/** Reads the contrast (id 2). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetContrast(KORVEX_HANDLE h, int* ok);
/** Sets the hue rotation in degrees (id 3): -360..360. @return 1/0, see Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetHue(KORVEX_HANDLE h, int value);
/** Reads the hue rotation in degrees (id 3). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetHue(KORVEX_HANDLE h, int* ok);
/** Sets the saturation (id 4): -255..255. @return 1/0, see Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetSaturation(KORVEX_HANDLE h, int value);
/** Reads the saturation (id 4). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetSaturation(KORVEX_HANDLE h, int* ok);
/** Sets the sharpness (id 5): 0..30. @return 1/0, see Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetSharpness(KORVEX_HANDLE h, int value);
/** Reads the sharpness (id 5). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetSharpness(KORVEX_HANDLE h, int* ok);
/** Sets the the three white-balance gains packed: red in bits 0-7, green in 8-15, blue in 16-23 (id
 * 6): any value, no range check. @return 1/0, see Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetBayerGainRGB(KORVEX_HANDLE h, int value);
/** Reads the the three white-balance gains packed: red in bits 0-7, green in 8-15, blue in 16-23
 * (id 6). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetBayerGainRGB(KORVEX_HANDLE h, int* ok);
/** Sets the white-balance gain of red in percent (id 7): 0..400. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetBayerGainRed(KORVEX_HANDLE h, int value);
/** Reads the white-balance gain of red in percent (id 7). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetBayerGainRed(KORVEX_HANDLE h, int* ok);
/** Sets the white-balance gain of green in percent (id 8): 0..400. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetBayerGainGreen(KORVEX_HANDLE h, int value);
/** Reads the white-balance gain of green in percent (id 8). @param ok receives 1/0 (may be null).
 */
KORVEX_API int KORVEX_CALL Korvex_GetBayerGainGreen(KORVEX_HANDLE h, int* ok);
/** Sets the white-balance gain of blue in percent (id 9): 0..400. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetBayerGainBlue(KORVEX_HANDLE h, int value);
/** Reads the white-balance gain of blue in percent (id 9). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetBayerGainBlue(KORVEX_HANDLE h, int* ok);
/** Sets the automatic white balance on every frame (stored as 0 or 1) (id 10): any value. @return
 * 1/0, see Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetBayerGainAuto(KORVEX_HANDLE h, int value);
/** Reads the automatic white balance on every frame (stored as 0 or 1) (id 10). @param ok receives
 * 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetBayerGainAuto(KORVEX_HANDLE h, int* ok);
/** Sets the gamma in hundredths (100 is linear) (id 11): 0..200. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetGamma(KORVEX_HANDLE h, int value);
/** Reads the gamma in hundredths (100 is linear) (id 11). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetGamma(KORVEX_HANDLE h, int* ok);
/** Sets the phase of the colour mosaic (id 12): 0..3. @return 1/0, see Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetBayerMode(KORVEX_HANDLE h, int value);
/** Reads the phase of the colour mosaic (id 12). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetBayerMode(KORVEX_HANDLE h, int* ok);
/** Sets the global analog gain, written to the sensor at once; reads what the sensor holds (id 13):
 * 0..1023. @return 1/0, see Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetGlobalGain(KORVEX_HANDLE h, int value);
/** Reads the global analog gain (id 13). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetGlobalGain(KORVEX_HANDLE h, int* ok);
/** Sets the colour gain of red, fixed on this model (id 14): 0 only. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetColorGainRed(KORVEX_HANDLE h, int value);
/** Reads the colour gain of red, fixed on this model (id 14). @param ok receives 1/0 (may be null).
 */
KORVEX_API int KORVEX_CALL Korvex_GetColorGainRed(KORVEX_HANDLE h, int* ok);
/** Sets the colour gain of the first green, fixed on this model (id 15): 0 only. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetColorGainGreen1(KORVEX_HANDLE h, int value);
/** Reads the colour gain of the first green, fixed on this model (id 15). @param ok receives 1/0
 * (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetColorGainGreen1(KORVEX_HANDLE h, int* ok);
/** Sets the colour gain of the second green, fixed on this model (id 16): 0 only. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetColorGainGreen2(KORVEX_HANDLE h, int value);
/** Reads the colour gain of the second green, fixed on this model (id 16). @param ok receives 1/0
 * (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetColorGainGreen2(KORVEX_HANDLE h, int* ok);
/** Sets the colour gain of blue, fixed on this model (id 17): 0 only. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetColorGainBlue(KORVEX_HANDLE h, int value);
/** Reads the colour gain of blue, fixed on this model (id 17). @param ok receives 1/0 (may be
 * null). */
KORVEX_API int KORVEX_CALL Korvex_GetColorGainBlue(KORVEX_HANDLE h, int* ok);
/** Sets the exposure in sensor lines (1014 means 2028), written to the sensor at once (id 18):
 * 0..1014. @return 1/0, see Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetExposureTime(KORVEX_HANDLE h, int value);
/** Reads the exposure in sensor lines (1014 means 2028) (id 18). @param ok receives 1/0 (may be
 * null). */
KORVEX_API int KORVEX_CALL Korvex_GetExposureTime(KORVEX_HANDLE h, int* ok);
/** Sets the gray filter: 0 Bayer, 1 Bayer convert, 2 grayscale (id 19): 0..2. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetGrayMode(KORVEX_HANDLE h, int value);
/** Reads the gray filter: 0 Bayer, 1 Bayer convert, 2 grayscale (id 19). @param ok receives 1/0
 * (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetGrayMode(KORVEX_HANDLE h, int* ok);
/** Sets the gray gain of the red sites (id 20): 0..255. @return 1/0, see Korvex_SetFilterValue().
 */
KORVEX_API int KORVEX_CALL Korvex_SetGrayGainR(KORVEX_HANDLE h, int value);
/** Reads the gray gain of the red sites (id 20). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetGrayGainR(KORVEX_HANDLE h, int* ok);
/** Sets the gray gain of the first green sites (id 21): 0..255. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetGrayGainG1(KORVEX_HANDLE h, int value);
/** Reads the gray gain of the first green sites (id 21). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetGrayGainG1(KORVEX_HANDLE h, int* ok);
/** Sets the gray gain of the second green sites (id 22): 0..255. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetGrayGainG2(KORVEX_HANDLE h, int value);
/** Reads the gray gain of the second green sites (id 22). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetGrayGainG2(KORVEX_HANDLE h, int* ok);
/** Sets the gray gain of the blue sites (id 23): 0..255. @return 1/0, see Korvex_SetFilterValue().
 */
KORVEX_API int KORVEX_CALL Korvex_SetGrayGainB(KORVEX_HANDLE h, int value);
/** Reads the gray gain of the blue sites (id 23). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetGrayGainB(KORVEX_HANDLE h, int* ok);
/** Sets the gray offset of the red sites (id 24): -255..255. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetGrayOffsetR(KORVEX_HANDLE h, int value);
/** Reads the gray offset of the red sites (id 24). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetGrayOffsetR(KORVEX_HANDLE h, int* ok);
/** Sets the gray offset of the first green sites (id 25): -255..255. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetGrayOffsetG1(KORVEX_HANDLE h, int value);
/** Reads the gray offset of the first green sites (id 25). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetGrayOffsetG1(KORVEX_HANDLE h, int* ok);
/** Sets the gray offset of the second green sites (id 26): -255..255. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetGrayOffsetG2(KORVEX_HANDLE h, int value);
/** Reads the gray offset of the second green sites (id 26). @param ok receives 1/0 (may be null).
 */
KORVEX_API int KORVEX_CALL Korvex_GetGrayOffsetG2(KORVEX_HANDLE h, int* ok);
/** Sets the gray offset of the blue sites (id 27): -255..255. @return 1/0, see
 * Korvex_SetFilterValue(). */
KORVEX_API int KORVEX_CALL Korvex_SetGrayOffsetB(KORVEX_HANDLE h, int value);
/** Reads the gray offset of the blue sites (id 27). @param ok receives 1/0 (may be null). */
KORVEX_API int KORVEX_CALL Korvex_GetGrayOffsetB(KORVEX_HANDLE h, int* ok);

/* ---- Further parameters ------------------------------------------------ */

/** @return the image width in pixels (the capture geometry's EH). Needs no
 *  device. */
KORVEX_API int KORVEX_CALL Korvex_Width(KORVEX_HANDLE h);
/** @return the image height in rows (EV). Needs no device. */
KORVEX_API int KORVEX_CALL Korvex_Height(KORVEX_HANDLE h);
/** Selects the colour mode by bits per pixel: 8 (gray), 16 (gray, 10
 *  significant bits), 24, 32 (colour, 8 bits a sample), 48, 64 (colour, 10
 *  significant bits in 16-bit samples). Takes effect at the next start.
 *  @return 1; 0 with #KORVEX_ERR_ARGUMENT for other values. */
KORVEX_API int KORVEX_CALL Korvex_SetColorMode(KORVEX_HANDLE h, int bitsPerPixel);
/** @return the colour mode as significant bits: 8, 10, 24, 32, 42 or 58
 *  for the modes 8, 16, 24, 32, 48, 64; -1 for an unknown stored value or
 *  a handle that is not open. */
KORVEX_API int KORVEX_CALL Korvex_GetColorMode(KORVEX_HANDLE h);
/** Sub-sampling: only mode 0 is accepted. @return 1 for 0; 0 (no error
 *  code) for any other mode. */
KORVEX_API int KORVEX_CALL Korvex_SetSubSample(KORVEX_HANDLE h, int mode);
/** @return the sub-sampling mode; -1 for a handle that is not open. */
KORVEX_API int KORVEX_CALL Korvex_GetSubSample(KORVEX_HANDLE h);
/** Pause of the preview worker before each frame poll, in milliseconds.
 *  @return 1; 0 (no error code) for a negative value. */
KORVEX_API int KORVEX_CALL Korvex_SetWaitTime(KORVEX_HANDLE h, int milliseconds);
/** @return the wait time in milliseconds; -1 for a handle that is not open. */
KORVEX_API int KORVEX_CALL Korvex_GetWaitTime(KORVEX_HANDLE h);
/** Horizontal mirror (any non-zero is 1), written to the sensor at once.
 *  @return 1; 0 with #KORVEX_ERR_NOT_POSSIBLE without a device. */
KORVEX_API int KORVEX_CALL Korvex_SetMirrorH(KORVEX_HANDLE h, int flag);
/** Vertical mirror, as Korvex_SetMirrorH(); without a device the error is
 *  only posted, not recorded. */
KORVEX_API int KORVEX_CALL Korvex_SetMirrorV(KORVEX_HANDLE h, int flag);
/** @return the horizontal mirror flag; 0 with #KORVEX_ERR_NOT_POSSIBLE
 *  without a device. */
KORVEX_API int KORVEX_CALL Korvex_GetMirrorH(KORVEX_HANDLE h);
/** @return the vertical mirror flag (without a device: 0, error posted). */
KORVEX_API int KORVEX_CALL Korvex_GetMirrorV(KORVEX_HANDLE h);
/** Automatic brightness: 0 off, 1 by exposure, 2 by global gain; the loop
 *  runs on every processed frame. @return 1; 0 for a mode above 2
 *  (#KORVEX_ERR_ARGUMENT posted, not recorded). Needs no device. */
KORVEX_API int KORVEX_CALL Korvex_SetAutoIris(KORVEX_HANDLE h, unsigned int mode);
/** @param ok receives 1 (may be null). @return the automatic brightness
 *  mode. */
KORVEX_API int KORVEX_CALL Korvex_GetAutoIris(KORVEX_HANDLE h, int* ok);
/** Writes the low 8 bits of @p value to the camera's general-purpose I/O
 *  port. @return 1/0 (without a device: 0, #KORVEX_ERR_NOT_POSSIBLE posted). */
KORVEX_API int KORVEX_CALL Korvex_SetIOPort(KORVEX_HANDLE h, int value);
/** Reads the I/O port into @p value (0 when the read failed); the other two
 *  arguments are ignored. @return 1; 0 with #KORVEX_ERR_ARGUMENT (posted)
 *  for a null pointer. */
KORVEX_API int KORVEX_CALL Korvex_GetIOPort(KORVEX_HANDLE h, unsigned char* value, int unused1,
                                            int unused2);
/** Not supported by this model. @return -1 with #KORVEX_ERR_UNSUPPORTED. */
KORVEX_API int KORVEX_CALL Korvex_SetConfigFilter(KORVEX_HANDLE h, int unused);
/** Not supported by this model. @return -1 with #KORVEX_ERR_UNSUPPORTED. */
KORVEX_API int KORVEX_CALL Korvex_GetConfigFilter(KORVEX_HANDLE h);
/** Sets the exposure from a time: lines = µs / 120.583 µs, truncated;
 *  0 to 122271 µs select 0 to 1013 lines (use Korvex_SetExposureTime() for
 *  the longest setting, 1014). @return 1/0. Errors: #KORVEX_ERR_ARGUMENT
 *  for a time giving more than 1013 lines; #KORVEX_ERR_NOT_POSSIBLE without
 *  a device. */
KORVEX_API int KORVEX_CALL Korvex_SetRealExposureTime(KORVEX_HANDLE h, int microseconds);

/* ---- Device registers and serial ROM ----------------------------------- */

/** Reads sensor register @p reg (0 to 191 read back; the last value written
 *  is returned). @param ok receives 1/0 (may be null).
 *  @return the value, 0 on failure (#KORVEX_ERR_REFUSED;
 *  #KORVEX_ERR_NOT_POSSIBLE without a device). */
KORVEX_API int KORVEX_CALL Korvex_ReadRegister(KORVEX_HANDLE h, unsigned char reg, int* ok);
/** As Korvex_ReadRegister(); the register number is cut to 8 bits. */
KORVEX_API int KORVEX_CALL Korvex_ReadRegisterEx(KORVEX_HANDLE h, int reg, int* ok);
/** Writes sensor register @p reg. @return 1/0 (#KORVEX_ERR_REFUSED;
 *  #KORVEX_ERR_NOT_POSSIBLE without a device). Writing registers under the
 *  library's feet changes what it believes about the sensor. */
KORVEX_API int KORVEX_CALL Korvex_WriteRegister(KORVEX_HANDLE h, unsigned char reg,
                                                unsigned short value);
/** As Korvex_WriteRegister(); the register is cut to 8 bits and the value
 *  is passed on whole. */
KORVEX_API int KORVEX_CALL Korvex_WriteRegisterEx(KORVEX_HANDLE h, int reg, int value);
/** Reads byte @p index (taken modulo 256) of the serial ROM's 256-byte
 *  identification area. @param ok receives 1/0 (may be null).
 *  @return the byte, 0 on failure (#KORVEX_ERR_NOT_POSSIBLE, posted only). */
KORVEX_API int KORVEX_CALL Korvex_ReadSromID(KORVEX_HANDLE h, int index, int* ok);
/** Writes identification byte @p index (low 8 bits) with @p value (low 8
 *  bits), without read-back. @return 1/0 (#KORVEX_ERR_NOT_POSSIBLE, posted
 *  only). */
KORVEX_API int KORVEX_CALL Korvex_WriteSromID(KORVEX_HANDLE h, int index, int value);

/* ---- Files and dialogs ------------------------------------------------- */

/** Saves the camera's current output image under the frame lock. The file
 *  is written under a short temporary name in the same folder and takes the
 *  place of an existing file only when complete, keeping that file's
 *  permissions (and its owner where the system allows); a file the user
 *  may not write (on Windows also one with the read-only attribute) is not
 *  replaced.
 *  @param fileName path in the system's narrow encoding.
 *  @param format a KORVEX_SAVE_* code.
 *  @return 1/0. Errors: #KORVEX_ERR_NOT_POSSIBLE before any frame was
 *  processed or without a device. A file that cannot be written, or an
 *  unknown format, gives 0 without an error code. States: any. Thread: PNG
 *  saves of different cameras must not run at the same time. */
KORVEX_API int KORVEX_CALL Korvex_SaveImage(KORVEX_HANDLE h, const char* fileName, int format);
/** As Korvex_SaveImage() with a UTF-16 name, of any length and any
 *  characters: Windows opens it as it is; Linux converts it with the calling
 *  thread's character set. #KORVEX_ERR_FILE when the name cannot be a file
 *  name (Linux: the character set cannot hold it). */
KORVEX_API int KORVEX_CALL Korvex_SaveImageW(KORVEX_HANDLE h, const KORVEX_WCHAR* fileName,
                                             int format);
/** Starts the preview and records its frames into an uncompressed 24-bit AVI
 *  file for @p milliseconds from the first frame; then the file is finished
 *  and the preview keeps running. Korvex_StopPreview(), Korvex_Close() or
 *  Korvex_Release() end a recording early and finish the file; so does the
 *  end of the process (exit, a return from main, ExitProcess) or unloading
 *  the library while it records. An AVI file
 *  describes at most 4 GiB: a recording that reaches that size ends there
 *  with a finished file of the frames so far, and raises #KORVEX_ERR_FILE
 *  (recorded and posted to the notification window), as does a disk that
 *  becomes full.
 *  @param showWindow non-zero: create the preview window when one is placed.
 *  @return 1 when the recording started. Errors: #KORVEX_ERR_ARGUMENT for a
 *  null or empty name; #KORVEX_ERR_FILE when the preview or the file cannot
 *  start; #KORVEX_ERR_NOT_POSSIBLE while a recording runs; #KORVEX_ERR_WINDOW;
 *  #KORVEX_ERR_WORKER. No frame notifications are sent while recording.
 *  States: idle or previewing → previewing. */
KORVEX_API int KORVEX_CALL Korvex_Record(KORVEX_HANDLE h, const char* fileName, int milliseconds,
                                         int showWindow);
/** As Korvex_Record() with a UTF-16 name, used as Korvex_SaveImageW() uses
 *  it (#KORVEX_ERR_FILE when it cannot be a file name). */
KORVEX_API int KORVEX_CALL Korvex_RecordW(KORVEX_HANDLE h, const KORVEX_WCHAR* fileName,
                                          int milliseconds, int showWindow);
/** Reads a configuration file (a headerless array of 8-byte records) into
 *  the camera's configuration list, replacing an earlier one. This model
 *  uses no setting from it. @return 1 when the file was read (also when
 *  empty); 0, without an error code, when it cannot be opened; 0 with
 *  #KORVEX_ERR_FILE, unread, when it is larger than 1 MiB (131,072 records),
 *  more than any configuration of this camera. */
KORVEX_API int KORVEX_CALL Korvex_LoadConfigFileA(KORVEX_HANDLE h, const char* fileName);
/** As Korvex_LoadConfigFileA() with a UTF-16 name, used as
 *  Korvex_SaveImageW() uses it (#KORVEX_ERR_FILE when it cannot be a file
 *  name). */
KORVEX_API int KORVEX_CALL Korvex_LoadConfigFileW(KORVEX_HANDLE h, const KORVEX_WCHAR* fileName);
/** Shows the modal camera dialog (size presets, colour mode, wait time),
 *  owned by @p owner. A wait time typed past 2147483647 ms is stored as
 *  2147483647. @return 1 after the dialog has closed (OK or Cancel);
 *  0 with #KORVEX_ERR_NOT_POSSIBLE without a device, or when the dialog
 *  cannot be shown (one of its kind is open for the camera already); such a
 *  launch stops no acquisition and writes nothing to the sensor. */
KORVEX_API int KORVEX_CALL Korvex_SetCameraDlg(KORVEX_HANDLE h, KORVEX_HWND owner);
/** Shows the modal analog gain dialog (gain, exposure, mirrors, automatic
 *  brightness). Numbers typed past a control's range take its nearest end.
 *  @return as Korvex_SetCameraDlg(). */
KORVEX_API int KORVEX_CALL Korvex_SetAnalogDlg(KORVEX_HANDLE h, KORVEX_HWND owner);
/** Shows the modal image filter dialog (brightness ... white balance, gray
 *  gains). Numbers typed past a control's range take its nearest end.
 *  @return as Korvex_SetCameraDlg(). */
KORVEX_API int KORVEX_CALL Korvex_SetImageDlg(KORVEX_HANDLE h, KORVEX_HWND owner);

/* ---- Not supported by this camera model -------------------------------- */

/** Not supported: posts #KORVEX_ERR_UNSUPPORTED (not recorded). @return 0. */
KORVEX_API int KORVEX_CALL Korvex_Fpga_ReadRegister(KORVEX_HANDLE h, int reg, int* ok);
/** Not supported: posts #KORVEX_ERR_UNSUPPORTED (not recorded). @return 0. */
KORVEX_API int KORVEX_CALL Korvex_Fpga_WriteRegister(KORVEX_HANDLE h, int reg, int value);
/** Not supported: posts #KORVEX_ERR_UNSUPPORTED (not recorded). @return 0. */
KORVEX_API int KORVEX_CALL Korvex_Fps(KORVEX_HANDLE h, int value);
/** Not supported: posts #KORVEX_ERR_UNSUPPORTED (not recorded). @return 0. */
KORVEX_API int KORVEX_CALL Korvex_GetHalfClock(KORVEX_HANDLE h, int* value);
/** Not supported: posts #KORVEX_ERR_UNSUPPORTED (not recorded). @return 0. */
KORVEX_API int KORVEX_CALL Korvex_SetCrossbar(KORVEX_HANDLE h, int value);
/** Not supported: posts #KORVEX_ERR_UNSUPPORTED (not recorded). @return 0. */
KORVEX_API int KORVEX_CALL Korvex_SetHalfClock(KORVEX_HANDLE h, int value);
/** Not supported: posts #KORVEX_ERR_UNSUPPORTED (not recorded). @return 0. */
KORVEX_API int KORVEX_CALL Korvex_SetSamplingRate(KORVEX_HANDLE h, int value);
/** Not supported: stores 0 through @p value when it is not null. @return 0. */
KORVEX_API int KORVEX_CALL Korvex_GetSamplingRate(KORVEX_HANDLE h, int* value);
/** Not supported: stores 0 through @p value when it is not null. @return 0. */
KORVEX_API int KORVEX_CALL Korvex_GetVideoFormat(KORVEX_HANDLE h, int* value);

#ifdef __cplusplus
}
#endif

#endif /* KORVEXSDK_740K3_XLN_H */
