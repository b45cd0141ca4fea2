/*
 * KorvexSdk_740K3_XLN - application interface of the Korvex740K3-XLN camera SDK.
 *
 * Every function returns 1 for success and 0 for failure unless it returns a
 * value. The reason for a failure is kept in the camera's error history
 * (Korvex_GetLastError) and posted to the notification window given to
 * Korvex_Initialize as message KORVEX_WM_ERROR with the code in lParam.
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
/* An opaque window handle; on Linux windows come from the host library. */
typedef struct KorvexWindow_* KORVEX_HWND;
/* UTF-16 code unit, as WCHAR on Windows. */
typedef uint16_t KORVEX_WCHAR;
#define KORVEX_CALL
#define KORVEX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Camera handle: 0 is never valid. Only the low 32 bits are used. */
typedef uint32_t KORVEX_HANDLE;

/* Window messages posted to the application. */
#define KORVEX_WM_FRAME 32770 /* WM_APP + 2: frame notification or frame error */
#define KORVEX_WM_ERROR 32771 /* WM_APP + 3: error notification, lParam = code */

/* Error codes read back with Korvex_GetLastError. */
#define KORVEX_ERR_NOT_POSSIBLE      1  /* no device, wrong state, nothing to work on */
#define KORVEX_ERR_DEVICE            2  /* device not available */
#define KORVEX_ERR_WORKER            3  /* worker not started */
#define KORVEX_ERR_WINDOW            4  /* window or registered size not available */
#define KORVEX_ERR_MEMORY            5  /* memory or buffer */
#define KORVEX_ERR_REFUSED           6  /* device refused a request */
#define KORVEX_ERR_GEOMETRY          7  /* invalid capture geometry */
#define KORVEX_ERR_FRAME             8  /* frame not delivered */
#define KORVEX_ERR_ARGUMENT          9  /* invalid argument */
#define KORVEX_ERR_RESERVED         10  /* never raised */
#define KORVEX_ERR_UNSUPPORTED      11  /* not supported by this camera */
#define KORVEX_ERR_FILE             12  /* file or recording not started */
#define KORVEX_ERR_STREAM_ENDED     13  /* preview stream ended */

#define KORVEX_DLL_VERSION 27788575u /* 0x01A8051F */

/* Frame information record, wParam of a frame notification (32 bytes). */
typedef struct KORVEX_FRAME_INFO {
  uint32_t size;           /* always 32 */
  uint32_t width;          /* raw frame width (2560) */
  uint32_t height;         /* raw frame height (2008) */
  uint32_t bitsPerPixel;   /* 8, 16, 24, 32, 48 or 64 */
  uint32_t frameRate;      /* frames per 10 seconds; 0 in trigger mode */
  uint32_t reserved;
  union {
    void* buffer;          /* the application's frame buffer, or null */
    uint64_t bufferBits;
  } u;
} KORVEX_FRAME_INFO;

/* Camera information record, filled by Korvex_GetCameraInfo (36 bytes). */
typedef struct KORVEX_CAMERA_INFO {
  uint32_t size;           /* set by the application: at least 36 */
  uint32_t maxWidth;
  uint32_t maxHeight;
  uint32_t gainMin;
  uint32_t gainMax;
  uint32_t reserved1;
  uint32_t reserved2;
  uint32_t exposureMin;
  uint32_t exposureMax;
} KORVEX_CAMERA_INFO;

#if defined(__cplusplus)
static_assert(sizeof(KORVEX_FRAME_INFO) == 32, "frame information record is 32 bytes");
static_assert(offsetof(KORVEX_FRAME_INFO, u) == 24, "buffer pointer at offset 24");
static_assert(sizeof(KORVEX_CAMERA_INFO) == 36, "camera information record is 36 bytes");
#else
_Static_assert(sizeof(KORVEX_FRAME_INFO) == 32, "frame information record is 32 bytes");
_Static_assert(offsetof(KORVEX_FRAME_INFO, u) == 24, "buffer pointer at offset 24");
_Static_assert(sizeof(KORVEX_CAMERA_INFO) == 36, "camera information record is 36 bytes");
#endif

/* Save formats for Korvex_SaveImage. */
#define KORVEX_SAVE_BMP        0
#define KORVEX_SAVE_RAW        1
#define KORVEX_SAVE_JPEG_HIGH  2
#define KORVEX_SAVE_JPEG_MID   3
#define KORVEX_SAVE_JPEG_LOW   4
#define KORVEX_SAVE_PNG        5
#define KORVEX_SAVE_TIFF       6

/* ---- Lifecycle and identity ------------------------------------------- */
KORVEX_API KORVEX_HANDLE KORVEX_CALL Korvex_Initialize(KORVEX_HWND notifyWindow);
KORVEX_API int KORVEX_CALL Korvex_Release(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_SetDeviceNumber(KORVEX_HANDLE h, int number);
KORVEX_API int KORVEX_CALL Korvex_EnumDevice(KORVEX_HANDLE h, char* names);
KORVEX_API int KORVEX_CALL Korvex_EnumDeviceW(KORVEX_HANDLE h, KORVEX_WCHAR* names);
KORVEX_API int KORVEX_CALL Korvex_GetDeviceName(KORVEX_HANDLE h, int number, char* name, int size);
KORVEX_API int KORVEX_CALL Korvex_GetDeviceNameW(KORVEX_HANDLE h, int number, KORVEX_WCHAR* name, int size);
KORVEX_API int KORVEX_CALL Korvex_GetCameraInfo(KORVEX_HANDLE h, KORVEX_CAMERA_INFO* info);
KORVEX_API int KORVEX_CALL Korvex_Close(KORVEX_HANDLE h);
KORVEX_API uint32_t KORVEX_CALL Korvex_GetLastError(KORVEX_HANDLE h);
KORVEX_API uint32_t KORVEX_CALL Korvex_GetDllVersion(void);

/* ---- Capture and preview ---------------------------------------------- */
KORVEX_API int KORVEX_CALL Korvex_Preview(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_CallBackPreview(KORVEX_HANDLE h, KORVEX_HWND frameWindow, void* buffer, int size, int rowOrder);
KORVEX_API int KORVEX_CALL Korvex_StartPreview(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_StopPreview(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_Capture(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_SnapShot(KORVEX_HANDLE h, void* buffer, int size, int rowOrder);
KORVEX_API int KORVEX_CALL Korvex_GetImage(KORVEX_HANDLE h, void* buffer, int size, int rowOrder);
KORVEX_API int KORVEX_CALL Korvex_Trigger(KORVEX_HANDLE h, KORVEX_HWND frameWindow, void* buffer, int size, int rowOrder);
KORVEX_API int KORVEX_CALL Korvex_GetStatus(KORVEX_HANDLE h, int unused);
KORVEX_API int KORVEX_CALL Korvex_GetRealExposureTime(KORVEX_HANDLE h, int* ok);

/* ---- Window geometry -------------------------------------------------- */
KORVEX_API int KORVEX_CALL Korvex_SetPreviewWindow(KORVEX_HANDLE h, KORVEX_HWND parent, int left, int top, int right, int bottom);
KORVEX_API int KORVEX_CALL Korvex_SetCaptureWindow(KORVEX_HANDLE h, int width, int height);
KORVEX_API int KORVEX_CALL Korvex_SetCaptureWindowEx(KORVEX_HANDLE h, int TH, int EHS, int EH, int TV, int EVS, int EV);
KORVEX_API int KORVEX_CALL Korvex_GetCaptureWindowEx(KORVEX_HANDLE h, int* TH, int* EHS, int* EH, int* TV, int* EVS, int* EV);

/* ---- Image parameters by identifier ------------------------------------ */
KORVEX_API int KORVEX_CALL Korvex_SetFilterValue(KORVEX_HANDLE h, int id, int value);
KORVEX_API int KORVEX_CALL Korvex_GetFilterValue(KORVEX_HANDLE h, int id, int* ok);

/* Named parameters; each forwards to Korvex_SetFilterValue/GetFilterValue. */
#define KORVEX_NAMED_PARAMETER(Name)                                          \
  KORVEX_API int KORVEX_CALL Korvex_Set##Name(KORVEX_HANDLE h, int value);    \
  KORVEX_API int KORVEX_CALL Korvex_Get##Name(KORVEX_HANDLE h, int* ok);
KORVEX_NAMED_PARAMETER(Brightness)        /* id 1 */
KORVEX_NAMED_PARAMETER(Contrast)          /* id 2 */
KORVEX_NAMED_PARAMETER(Hue)               /* id 3 */
KORVEX_NAMED_PARAMETER(Saturation)        /* id 4 */
KORVEX_NAMED_PARAMETER(Sharpness)         /* id 5 */
KORVEX_NAMED_PARAMETER(BayerGainRGB)      /* id 6 */
KORVEX_NAMED_PARAMETER(BayerGainRed)      /* id 7 */
KORVEX_NAMED_PARAMETER(BayerGainGreen)    /* id 8 */
KORVEX_NAMED_PARAMETER(BayerGainBlue)     /* id 9 */
KORVEX_NAMED_PARAMETER(BayerGainAuto)     /* id 10 */
KORVEX_NAMED_PARAMETER(Gamma)             /* id 11 */
KORVEX_NAMED_PARAMETER(BayerMode)         /* id 12 */
KORVEX_NAMED_PARAMETER(GlobalGain)        /* id 13 */
KORVEX_NAMED_PARAMETER(ColorGainRed)      /* id 14 */
KORVEX_NAMED_PARAMETER(ColorGainGreen1)   /* id 15 */
KORVEX_NAMED_PARAMETER(ColorGainGreen2)   /* id 16 */
KORVEX_NAMED_PARAMETER(ColorGainBlue)     /* id 17 */
KORVEX_NAMED_PARAMETER(ExposureTime)      /* id 18 */
KORVEX_NAMED_PARAMETER(GrayMode)          /* id 19 */
KORVEX_NAMED_PARAMETER(GrayGainR)         /* id 20 */
KORVEX_NAMED_PARAMETER(GrayGainG1)        /* id 21 */
KORVEX_NAMED_PARAMETER(GrayGainG2)        /* id 22 */
KORVEX_NAMED_PARAMETER(GrayGainB)         /* id 23 */
KORVEX_NAMED_PARAMETER(GrayOffsetR)       /* id 24 */
KORVEX_NAMED_PARAMETER(GrayOffsetG1)      /* id 25 */
KORVEX_NAMED_PARAMETER(GrayOffsetG2)      /* id 26 */
KORVEX_NAMED_PARAMETER(GrayOffsetB)       /* id 27 */
#undef KORVEX_NAMED_PARAMETER

/* ---- Further parameters ------------------------------------------------ */
KORVEX_API int KORVEX_CALL Korvex_Width(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_Height(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_SetColorMode(KORVEX_HANDLE h, int bitsPerPixel);
KORVEX_API int KORVEX_CALL Korvex_GetColorMode(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_SetSubSample(KORVEX_HANDLE h, int mode);
KORVEX_API int KORVEX_CALL Korvex_GetSubSample(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_SetWaitTime(KORVEX_HANDLE h, int milliseconds);
KORVEX_API int KORVEX_CALL Korvex_GetWaitTime(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_SetMirrorH(KORVEX_HANDLE h, int flag);
KORVEX_API int KORVEX_CALL Korvex_SetMirrorV(KORVEX_HANDLE h, int flag);
KORVEX_API int KORVEX_CALL Korvex_GetMirrorH(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_GetMirrorV(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_SetAutoIris(KORVEX_HANDLE h, unsigned int mode);
KORVEX_API int KORVEX_CALL Korvex_GetAutoIris(KORVEX_HANDLE h, int* ok);
KORVEX_API int KORVEX_CALL Korvex_SetIOPort(KORVEX_HANDLE h, int value);
KORVEX_API int KORVEX_CALL Korvex_GetIOPort(KORVEX_HANDLE h, unsigned char* value, int unused1, int unused2);
KORVEX_API int KORVEX_CALL Korvex_SetConfigFilter(KORVEX_HANDLE h, int unused);
KORVEX_API int KORVEX_CALL Korvex_GetConfigFilter(KORVEX_HANDLE h);
KORVEX_API int KORVEX_CALL Korvex_SetRealExposureTime(KORVEX_HANDLE h, int microseconds);

/* ---- Device registers and serial ROM ----------------------------------- */
KORVEX_API int KORVEX_CALL Korvex_ReadRegister(KORVEX_HANDLE h, unsigned char reg, int* ok);
KORVEX_API int KORVEX_CALL Korvex_ReadRegisterEx(KORVEX_HANDLE h, int reg, int* ok);
KORVEX_API int KORVEX_CALL Korvex_WriteRegister(KORVEX_HANDLE h, unsigned char reg, unsigned short value);
KORVEX_API int KORVEX_CALL Korvex_WriteRegisterEx(KORVEX_HANDLE h, int reg, int value);
KORVEX_API int KORVEX_CALL Korvex_ReadSromID(KORVEX_HANDLE h, int index, int* ok);
KORVEX_API int KORVEX_CALL Korvex_WriteSromID(KORVEX_HANDLE h, int index, int value);

/* ---- Files and dialogs ------------------------------------------------- */
KORVEX_API int KORVEX_CALL Korvex_SaveImage(KORVEX_HANDLE h, const char* fileName, int format);
KORVEX_API int KORVEX_CALL Korvex_SaveImageW(KORVEX_HANDLE h, const KORVEX_WCHAR* fileName, int format);
KORVEX_API int KORVEX_CALL Korvex_Record(KORVEX_HANDLE h, const char* fileName, int milliseconds, int showWindow);
KORVEX_API int KORVEX_CALL Korvex_RecordW(KORVEX_HANDLE h, const KORVEX_WCHAR* fileName, int milliseconds, int showWindow);
KORVEX_API int KORVEX_CALL Korvex_LoadConfigFileA(KORVEX_HANDLE h, const char* fileName);
KORVEX_API int KORVEX_CALL Korvex_LoadConfigFileW(KORVEX_HANDLE h, const KORVEX_WCHAR* fileName);
KORVEX_API int KORVEX_CALL Korvex_SetCameraDlg(KORVEX_HANDLE h, KORVEX_HWND owner);
KORVEX_API int KORVEX_CALL Korvex_SetAnalogDlg(KORVEX_HANDLE h, KORVEX_HWND owner);
KORVEX_API int KORVEX_CALL Korvex_SetImageDlg(KORVEX_HANDLE h, KORVEX_HWND owner);

/* ---- Not supported by this camera model --------------------------------
 * The first group posts error 11 (not recorded) and returns 0; the second
 * stores 0 through the pointer and returns 0. Further arguments are ignored. */
KORVEX_API int KORVEX_CALL Korvex_Fpga_ReadRegister(KORVEX_HANDLE h, int reg, int* ok);
KORVEX_API int KORVEX_CALL Korvex_Fpga_WriteRegister(KORVEX_HANDLE h, int reg, int value);
KORVEX_API int KORVEX_CALL Korvex_Fps(KORVEX_HANDLE h, int value);
KORVEX_API int KORVEX_CALL Korvex_GetHalfClock(KORVEX_HANDLE h, int* value);
KORVEX_API int KORVEX_CALL Korvex_SetCrossbar(KORVEX_HANDLE h, int value);
KORVEX_API int KORVEX_CALL Korvex_SetHalfClock(KORVEX_HANDLE h, int value);
KORVEX_API int KORVEX_CALL Korvex_SetSamplingRate(KORVEX_HANDLE h, int value);
KORVEX_API int KORVEX_CALL Korvex_GetSamplingRate(KORVEX_HANDLE h, int* value);
KORVEX_API int KORVEX_CALL Korvex_GetVideoFormat(KORVEX_HANDLE h, int* value);

#ifdef __cplusplus
}
#endif

#endif /* KORVEXSDK_740K3_XLN_H */
