// The exported functions. Each looks its handle up in the registry and
// forwards to one operation of the camera object; an unregistered handle
// gives the export's fixed result and has no other effect.
//
// Every export is a boundary: nothing thrown inside (an allocation that
// failed, a library's exception) reaches the application. It answers the
// export's failure result instead, with KORVEX_ERR_MEMORY recorded where a camera
// exists.
#include "KorvexSdk_740K3_XLN.h"

#include "api/sdk_chain.h"
#include "camera/korvex.h"
#include "common/filter_ids.h"
#include "errors/error_names.h"
#include "errors/error_report.h"
#include "log/log.h"

#include <cstring>
#include <string>
#include <type_traits>

using korvex::Chain;
using korvex::CKorvex;
using korvex::FilterId;

namespace {

// Runs `operation` with everything it throws caught: `failure` is the result
// then, and the camera, when there is one, records KORVEX_ERR_MEMORY.
template <class Result, class Operation>
Result Guarded(CKorvex* camera, Result failure, Operation&& operation) noexcept {
  try {
    return operation();
  } catch (...) {
    if (camera != nullptr) {
      try {
        camera->Errors().ReportError(KORVEX_ERR_MEMORY);
      } catch (...) {
      }
    }
    return failure;
  }
}

// One export's call as the log shows it: the export's name, the handle and
// a function that formats the arguments, run only when a line is written.
template <class Arguments>
struct ExportCall {
  const char* name;
  KORVEX_HANDLE handle;
  Arguments arguments;
};
template <class Arguments>
ExportCall<Arguments> MakeCall(const char* name, KORVEX_HANDLE handle, Arguments arguments) {
  return {name, handle, arguments};
}

template <class T>
void AppendArgument(std::string& out, T value) {
  if (!out.empty()) out += ", ";
  if constexpr (std::is_same_v<T, const char*>) {
    // An application's name: shown, bounded, as the operation will read it.
    if (value == nullptr) {
      out += "null";
    } else {
      out += '"';
      out.append(value, strnlen(value, 260));
      out += '"';
    }
  } else if constexpr (std::is_pointer_v<T>) {
    // Buffers and records: only where they are (an output buffer holds
    // nothing readable yet).
    out += value == nullptr ? std::string("null")
                            : korvex::log::Format("%p", reinterpret_cast<const void*>(value));
  } else if constexpr (std::is_unsigned_v<T>) {
    out += std::to_string(static_cast<unsigned long long>(value));
  } else {
    out += std::to_string(static_cast<long long>(value));
  }
}

template <class... T>
std::string FormatArguments(T... values) {
  std::string out;
  (AppendArgument(out, values), ...);
  return out;
}

// The call of the export this appears in, with its handle and arguments.
#define KORVEX_EXPORT_CALL(handle, ...) \
  MakeCall(__func__, handle, [&] { return FormatArguments(__VA_ARGS__); })

// Looks the handle up and runs the camera operation at the boundary; an
// unregistered handle, or an operation that throws, gives `failure`. A code
// the operation reports on this thread is logged with the export's call.
template <class Result, class Arguments, class Operation>
Result Forward(const ExportCall<Arguments>& call, Result failure, Operation&& operation) noexcept {
  korvex::ErrorScope scope;
  std::shared_ptr<CKorvex> camera;
  Result result = failure;
  if (!Guarded(nullptr, false, [&] { return (camera = Chain().Lookup(call.handle)) != nullptr; })) {
    KORVEX_LOG(kWarning, kApi, call.handle, "%s: the handle is not open", call.name);
  } else {
    result = Guarded(camera.get(), failure, [&] { return operation(*camera); });
  }
  if (scope.LastCode() != 0 && korvex::log::Enabled(korvex::log::Level::kError)) {
    try {
      const std::string arguments = call.arguments();
      KORVEX_LOG(kError, kApi, call.handle, "%s(0x%08X%s%s) failed: %s (%u)", call.name,
                 call.handle, arguments.empty() ? "" : ", ", arguments.c_str(),
                 korvex::ErrorCodeName(scope.LastCode()), scope.LastCode());
    } catch (...) {
    }
  }
  return result;
}

// The unsupported entry points: post KORVEX_ERR_UNSUPPORTED (not recorded), return 0.
template <class Arguments>
int Unsupported(const ExportCall<Arguments>& call) {
  return Forward(call, 0, [](CKorvex& c) {
    c.NotifyUnsupported();
    return 0;
  });
}

// The unsupported queries: store 0 through the pointer, return 0.
template <class Arguments>
int UnsupportedQuery(const ExportCall<Arguments>& call, int* value) {
  return Forward(call, 0, [value](CKorvex&) {
    if (value) *value = 0;
    return 0;
  });
}

}  // namespace

extern "C" {

// ---- Lifecycle and identity ------------------------------------------------

KORVEX_API KORVEX_HANDLE KORVEX_CALL Korvex_Initialize(KORVEX_HWND notifyWindow) {
  const uint32_t handle = Guarded(nullptr, 0u, [] { return Chain().CreateCamera(); });
  if (handle == 0) return 0;
  // The handle is returned even when initialisation fails: the failure is in
  // the handle's error history.
  Forward(KORVEX_EXPORT_CALL(handle, notifyWindow), 0,
          [notifyWindow](CKorvex& c) { return c.Initialize(notifyWindow); });
  return handle;
}

KORVEX_API int KORVEX_CALL Korvex_Release(KORVEX_HANDLE h) {
  return Guarded(nullptr, 0, [h] { return Chain().Release(h); });
}

KORVEX_API int KORVEX_CALL Korvex_SetDeviceNumber(KORVEX_HANDLE h, int number) {
  return Forward(KORVEX_EXPORT_CALL(h, number), 0,
                 [&](CKorvex& c) { return c.SetDeviceNumber(number); });
}
KORVEX_API int KORVEX_CALL Korvex_EnumDevice(KORVEX_HANDLE h, char* names) {
  return Forward(KORVEX_EXPORT_CALL(h, names), 0, [&](CKorvex& c) { return c.EnumDevice(names); });
}
KORVEX_API int KORVEX_CALL Korvex_EnumDeviceW(KORVEX_HANDLE h, KORVEX_WCHAR* names) {
  return Forward(KORVEX_EXPORT_CALL(h, names), 0, [&](CKorvex& c) { return c.EnumDeviceW(names); });
}
KORVEX_API int KORVEX_CALL Korvex_GetDeviceName(KORVEX_HANDLE h, int number, char* name, int size) {
  return Forward(KORVEX_EXPORT_CALL(h, number, name, size), 0,
                 [&](CKorvex& c) { return c.GetDeviceName(number, name, size); });
}
KORVEX_API int KORVEX_CALL Korvex_GetDeviceNameW(KORVEX_HANDLE h, int number, KORVEX_WCHAR* name,
                                                 int size) {
  return Forward(KORVEX_EXPORT_CALL(h, number, name, size), 0,
                 [&](CKorvex& c) { return c.GetDeviceNameW(number, name, size); });
}
KORVEX_API int KORVEX_CALL Korvex_GetCameraInfo(KORVEX_HANDLE h, KORVEX_CAMERA_INFO* info) {
  return Forward(KORVEX_EXPORT_CALL(h, info), 0, [&](CKorvex& c) { return c.GetCameraInfo(info); });
}
KORVEX_API int KORVEX_CALL Korvex_Close(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), 0, [](CKorvex& c) { return c.Close(); });
}
KORVEX_API uint32_t KORVEX_CALL Korvex_GetLastError(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), 0u, [](CKorvex& c) { return c.GetLastError(); });
}
KORVEX_API uint32_t KORVEX_CALL Korvex_GetDllVersion(void) { return KORVEX_DLL_VERSION; }

// ---- Capture and preview -----------------------------------------------------

KORVEX_API int KORVEX_CALL Korvex_Preview(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), 0, [](CKorvex& c) { return c.Preview(); });
}
KORVEX_API int KORVEX_CALL Korvex_CallBackPreview(KORVEX_HANDLE h, KORVEX_HWND frameWindow,
                                                  void* buffer, int size, int rowOrder) {
  return Forward(KORVEX_EXPORT_CALL(h, frameWindow, buffer, size, rowOrder), 0, [&](CKorvex& c) {
    return c.CallBackPreview(frameWindow, buffer, size, rowOrder);
  });
}
KORVEX_API int KORVEX_CALL Korvex_StartPreview(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), 0, [](CKorvex& c) { return c.StartPreview(); });
}
KORVEX_API int KORVEX_CALL Korvex_StopPreview(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), 0, [](CKorvex& c) { return c.StopPreview(); });
}
KORVEX_API int KORVEX_CALL Korvex_Capture(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), 0, [](CKorvex& c) { return c.Capture(); });
}
KORVEX_API int KORVEX_CALL Korvex_SnapShot(KORVEX_HANDLE h, void* buffer, int size, int rowOrder) {
  return Forward(KORVEX_EXPORT_CALL(h, buffer, size, rowOrder), 0,
                 [&](CKorvex& c) { return c.SnapShot(buffer, size, rowOrder); });
}
KORVEX_API int KORVEX_CALL Korvex_GetImage(KORVEX_HANDLE h, void* buffer, int size, int rowOrder) {
  return Forward(KORVEX_EXPORT_CALL(h, buffer, size, rowOrder), 0,
                 [&](CKorvex& c) { return c.GetImage(buffer, size, rowOrder); });
}
KORVEX_API int KORVEX_CALL Korvex_Trigger(KORVEX_HANDLE h, KORVEX_HWND frameWindow, void* buffer,
                                          int size, int rowOrder) {
  return Forward(KORVEX_EXPORT_CALL(h, frameWindow, buffer, size, rowOrder), 0,
                 [&](CKorvex& c) { return c.Trigger(frameWindow, buffer, size, rowOrder); });
}
KORVEX_API int KORVEX_CALL Korvex_GetStatus(KORVEX_HANDLE, int) { return 0; }
KORVEX_API int KORVEX_CALL Korvex_GetRealExposureTime(KORVEX_HANDLE h, int* ok) {
  return Forward(KORVEX_EXPORT_CALL(h, ok), 0,
                 [&](CKorvex& c) { return c.GetRealExposureTime(ok); });
}

// ---- Window geometry ---------------------------------------------------------

KORVEX_API int KORVEX_CALL Korvex_SetPreviewWindow(KORVEX_HANDLE h, KORVEX_HWND parent, int left,
                                                   int top, int right, int bottom) {
  return Forward(KORVEX_EXPORT_CALL(h, parent, left, top, right, bottom), 0,
                 [&](CKorvex& c) { return c.SetPreviewWindow(parent, left, top, right, bottom); });
}
KORVEX_API int KORVEX_CALL Korvex_SetCaptureWindow(KORVEX_HANDLE h, int width, int height) {
  return Forward(KORVEX_EXPORT_CALL(h, width, height), 0,
                 [&](CKorvex& c) { return c.SetCaptureWindow(width, height); });
}
KORVEX_API int KORVEX_CALL Korvex_SetCaptureWindowEx(KORVEX_HANDLE h, int TH, int EHS, int EH,
                                                     int TV, int EVS, int EV) {
  return Forward(KORVEX_EXPORT_CALL(h, TH, EHS, EH, TV, EVS, EV), 0,
                 [&](CKorvex& c) { return c.SetCaptureWindowEx(TH, EHS, EH, TV, EVS, EV); });
}
KORVEX_API int KORVEX_CALL Korvex_GetCaptureWindowEx(KORVEX_HANDLE h, int* TH, int* EHS, int* EH,
                                                     int* TV, int* EVS, int* EV) {
  return Forward(KORVEX_EXPORT_CALL(h, TH, EHS, EH, TV, EVS, EV), 0,
                 [&](CKorvex& c) { return c.GetCaptureWindowEx(TH, EHS, EH, TV, EVS, EV); });
}

// ---- Image parameters ---------------------------------------------------------

KORVEX_API int KORVEX_CALL Korvex_SetFilterValue(KORVEX_HANDLE h, int id, int value) {
  return Forward(KORVEX_EXPORT_CALL(h, id, value), 0,
                 [&](CKorvex& c) { return c.SetFilterValue(id, value); });
}
KORVEX_API int KORVEX_CALL Korvex_GetFilterValue(KORVEX_HANDLE h, int id, int* ok) {
  return Forward(KORVEX_EXPORT_CALL(h, id, ok), 0,
                 [&](CKorvex& c) { return c.GetFilterValue(id, ok); });
}

// The named parameters fix the identifier and call the two functions above.
#define KORVEX_NAMED_PARAMETER(Name)                                             \
  KORVEX_API int KORVEX_CALL Korvex_Set##Name(KORVEX_HANDLE h, int value) {      \
    return Korvex_SetFilterValue(h, static_cast<int>(FilterId::k##Name), value); \
  }                                                                              \
  KORVEX_API int KORVEX_CALL Korvex_Get##Name(KORVEX_HANDLE h, int* ok) {        \
    return Korvex_GetFilterValue(h, static_cast<int>(FilterId::k##Name), ok);    \
  }
KORVEX_NAMED_PARAMETER(Brightness)
KORVEX_NAMED_PARAMETER(Contrast)
KORVEX_NAMED_PARAMETER(Hue)
KORVEX_NAMED_PARAMETER(Saturation)
KORVEX_NAMED_PARAMETER(Sharpness)
KORVEX_NAMED_PARAMETER(BayerGainRGB)
KORVEX_NAMED_PARAMETER(BayerGainRed)
KORVEX_NAMED_PARAMETER(BayerGainGreen)
KORVEX_NAMED_PARAMETER(BayerGainBlue)
KORVEX_NAMED_PARAMETER(BayerGainAuto)
KORVEX_NAMED_PARAMETER(Gamma)
KORVEX_NAMED_PARAMETER(BayerMode)
KORVEX_NAMED_PARAMETER(GlobalGain)
KORVEX_NAMED_PARAMETER(ColorGainRed)
KORVEX_NAMED_PARAMETER(ColorGainGreen1)
KORVEX_NAMED_PARAMETER(ColorGainGreen2)
KORVEX_NAMED_PARAMETER(ColorGainBlue)
KORVEX_NAMED_PARAMETER(ExposureTime)
KORVEX_NAMED_PARAMETER(GrayMode)
KORVEX_NAMED_PARAMETER(GrayGainR)
KORVEX_NAMED_PARAMETER(GrayGainG1)
KORVEX_NAMED_PARAMETER(GrayGainG2)
KORVEX_NAMED_PARAMETER(GrayGainB)
KORVEX_NAMED_PARAMETER(GrayOffsetR)
KORVEX_NAMED_PARAMETER(GrayOffsetG1)
KORVEX_NAMED_PARAMETER(GrayOffsetG2)
KORVEX_NAMED_PARAMETER(GrayOffsetB)
#undef KORVEX_NAMED_PARAMETER

KORVEX_API int KORVEX_CALL Korvex_Width(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), 0, [](CKorvex& c) { return c.Width(); });
}
KORVEX_API int KORVEX_CALL Korvex_Height(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), 0, [](CKorvex& c) { return c.Height(); });
}
KORVEX_API int KORVEX_CALL Korvex_SetColorMode(KORVEX_HANDLE h, int bitsPerPixel) {
  return Forward(KORVEX_EXPORT_CALL(h, bitsPerPixel), 0,
                 [&](CKorvex& c) { return c.SetColorMode(bitsPerPixel); });
}
KORVEX_API int KORVEX_CALL Korvex_GetColorMode(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), -1, [](CKorvex& c) { return c.GetColorMode(); });
}
KORVEX_API int KORVEX_CALL Korvex_SetSubSample(KORVEX_HANDLE h, int mode) {
  return Forward(KORVEX_EXPORT_CALL(h, mode), 0, [&](CKorvex& c) { return c.SetSubSample(mode); });
}
KORVEX_API int KORVEX_CALL Korvex_GetSubSample(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), -1, [](CKorvex& c) { return c.GetSubSample(); });
}
KORVEX_API int KORVEX_CALL Korvex_SetWaitTime(KORVEX_HANDLE h, int milliseconds) {
  return Forward(KORVEX_EXPORT_CALL(h, milliseconds), 0,
                 [&](CKorvex& c) { return c.SetWaitTime(milliseconds); });
}
KORVEX_API int KORVEX_CALL Korvex_GetWaitTime(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), -1, [](CKorvex& c) { return c.GetWaitTime(); });
}
KORVEX_API int KORVEX_CALL Korvex_SetMirrorH(KORVEX_HANDLE h, int flag) {
  return Forward(KORVEX_EXPORT_CALL(h, flag), 0, [&](CKorvex& c) { return c.SetMirrorH(flag); });
}
KORVEX_API int KORVEX_CALL Korvex_SetMirrorV(KORVEX_HANDLE h, int flag) {
  return Forward(KORVEX_EXPORT_CALL(h, flag), 0, [&](CKorvex& c) { return c.SetMirrorV(flag); });
}
KORVEX_API int KORVEX_CALL Korvex_GetMirrorH(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), 0, [](CKorvex& c) { return c.GetMirrorH(); });
}
KORVEX_API int KORVEX_CALL Korvex_GetMirrorV(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), 0, [](CKorvex& c) { return c.GetMirrorV(); });
}
KORVEX_API int KORVEX_CALL Korvex_SetAutoIris(KORVEX_HANDLE h, unsigned int mode) {
  return Forward(KORVEX_EXPORT_CALL(h, mode), 0, [&](CKorvex& c) { return c.SetAutoIris(mode); });
}
KORVEX_API int KORVEX_CALL Korvex_GetAutoIris(KORVEX_HANDLE h, int* ok) {
  return Forward(KORVEX_EXPORT_CALL(h, ok), 0, [&](CKorvex& c) { return c.GetAutoIris(ok); });
}
KORVEX_API int KORVEX_CALL Korvex_SetIOPort(KORVEX_HANDLE h, int value) {
  return Forward(KORVEX_EXPORT_CALL(h, value), 0, [&](CKorvex& c) { return c.SetIOPort(value); });
}
KORVEX_API int KORVEX_CALL Korvex_GetIOPort(KORVEX_HANDLE h, unsigned char* value, int, int) {
  return Forward(KORVEX_EXPORT_CALL(h, value), 0, [&](CKorvex& c) { return c.GetIOPort(value); });
}
KORVEX_API int KORVEX_CALL Korvex_SetConfigFilter(KORVEX_HANDLE h, int) {
  return Forward(KORVEX_EXPORT_CALL(h), 0, [](CKorvex& c) { return c.SetConfigFilter(); });
}
KORVEX_API int KORVEX_CALL Korvex_GetConfigFilter(KORVEX_HANDLE h) {
  return Forward(KORVEX_EXPORT_CALL(h), 0, [](CKorvex& c) { return c.GetConfigFilter(); });
}
KORVEX_API int KORVEX_CALL Korvex_SetRealExposureTime(KORVEX_HANDLE h, int microseconds) {
  return Forward(KORVEX_EXPORT_CALL(h, microseconds), 0,
                 [&](CKorvex& c) { return c.SetRealExposureTime(microseconds); });
}

// ---- Device registers and serial ROM --------------------------------------------

KORVEX_API int KORVEX_CALL Korvex_ReadRegister(KORVEX_HANDLE h, unsigned char reg, int* ok) {
  return Forward(KORVEX_EXPORT_CALL(h, reg, ok), 0,
                 [&](CKorvex& c) { return c.ReadRegister(reg, ok); });
}
KORVEX_API int KORVEX_CALL Korvex_ReadRegisterEx(KORVEX_HANDLE h, int reg, int* ok) {
  return Forward(KORVEX_EXPORT_CALL(h, reg, ok), 0,
                 [&](CKorvex& c) { return c.ReadRegister(reg & 0xFF, ok); });
}
KORVEX_API int KORVEX_CALL Korvex_WriteRegister(KORVEX_HANDLE h, unsigned char reg,
                                                unsigned short value) {
  return Forward(KORVEX_EXPORT_CALL(h, reg, value), 0,
                 [&](CKorvex& c) { return c.WriteRegister(reg, value); });
}
KORVEX_API int KORVEX_CALL Korvex_WriteRegisterEx(KORVEX_HANDLE h, int reg, int value) {
  return Forward(KORVEX_EXPORT_CALL(h, reg, value), 0,
                 [&](CKorvex& c) { return c.WriteRegister(reg & 0xFF, value); });
}
KORVEX_API int KORVEX_CALL Korvex_ReadSromID(KORVEX_HANDLE h, int index, int* ok) {
  return Forward(KORVEX_EXPORT_CALL(h, index, ok), 0,
                 [&](CKorvex& c) { return c.ReadSromID(index, ok); });
}
KORVEX_API int KORVEX_CALL Korvex_WriteSromID(KORVEX_HANDLE h, int index, int value) {
  return Forward(KORVEX_EXPORT_CALL(h, index, value), 0,
                 [&](CKorvex& c) { return c.WriteSromID(index, value); });
}

// ---- Files and dialogs --------------------------------------------------------------

KORVEX_API int KORVEX_CALL Korvex_SaveImage(KORVEX_HANDLE h, const char* fileName, int format) {
  return Forward(KORVEX_EXPORT_CALL(h, fileName, format), 0,
                 [&](CKorvex& c) { return c.SaveImage(fileName, format); });
}
KORVEX_API int KORVEX_CALL Korvex_SaveImageW(KORVEX_HANDLE h, const KORVEX_WCHAR* fileName,
                                             int format) {
  return Forward(KORVEX_EXPORT_CALL(h, fileName, format), 0,
                 [&](CKorvex& c) { return c.SaveImageW(fileName, format); });
}
KORVEX_API int KORVEX_CALL Korvex_Record(KORVEX_HANDLE h, const char* fileName, int milliseconds,
                                         int showWindow) {
  return Forward(KORVEX_EXPORT_CALL(h, fileName, milliseconds, showWindow), 0,
                 [&](CKorvex& c) { return c.Record(fileName, milliseconds, showWindow); });
}
KORVEX_API int KORVEX_CALL Korvex_RecordW(KORVEX_HANDLE h, const KORVEX_WCHAR* fileName,
                                          int milliseconds, int showWindow) {
  return Forward(KORVEX_EXPORT_CALL(h, fileName, milliseconds, showWindow), 0,
                 [&](CKorvex& c) { return c.RecordW(fileName, milliseconds, showWindow); });
}
KORVEX_API int KORVEX_CALL Korvex_LoadConfigFileA(KORVEX_HANDLE h, const char* fileName) {
  return Forward(KORVEX_EXPORT_CALL(h, fileName), 0,
                 [&](CKorvex& c) { return c.LoadConfigFile(fileName); });
}
KORVEX_API int KORVEX_CALL Korvex_LoadConfigFileW(KORVEX_HANDLE h, const KORVEX_WCHAR* fileName) {
  return Forward(KORVEX_EXPORT_CALL(h, fileName), 0,
                 [&](CKorvex& c) { return c.LoadConfigFileW(fileName); });
}
KORVEX_API int KORVEX_CALL Korvex_SetCameraDlg(KORVEX_HANDLE h, KORVEX_HWND owner) {
  return Forward(KORVEX_EXPORT_CALL(h, owner), 0,
                 [&](CKorvex& c) { return c.SetCameraDlg(owner); });
}
KORVEX_API int KORVEX_CALL Korvex_SetAnalogDlg(KORVEX_HANDLE h, KORVEX_HWND owner) {
  return Forward(KORVEX_EXPORT_CALL(h, owner), 0,
                 [&](CKorvex& c) { return c.SetAnalogDlg(owner); });
}
KORVEX_API int KORVEX_CALL Korvex_SetImageDlg(KORVEX_HANDLE h, KORVEX_HWND owner) {
  return Forward(KORVEX_EXPORT_CALL(h, owner), 0, [&](CKorvex& c) { return c.SetImageDlg(owner); });
}

// ---- Not supported by this camera ------------------------------------------------------

KORVEX_API int KORVEX_CALL Korvex_Fpga_ReadRegister(KORVEX_HANDLE h, int, int*) {
  return Unsupported(KORVEX_EXPORT_CALL(h));
}
KORVEX_API int KORVEX_CALL Korvex_Fpga_WriteRegister(KORVEX_HANDLE h, int, int) {
  return Unsupported(KORVEX_EXPORT_CALL(h));
}
KORVEX_API int KORVEX_CALL Korvex_Fps(KORVEX_HANDLE h, int) {
  return Unsupported(KORVEX_EXPORT_CALL(h));
}
KORVEX_API int KORVEX_CALL Korvex_GetHalfClock(KORVEX_HANDLE h, int*) {
  return Unsupported(KORVEX_EXPORT_CALL(h));
}
KORVEX_API int KORVEX_CALL Korvex_SetCrossbar(KORVEX_HANDLE h, int) {
  return Unsupported(KORVEX_EXPORT_CALL(h));
}
KORVEX_API int KORVEX_CALL Korvex_SetHalfClock(KORVEX_HANDLE h, int) {
  return Unsupported(KORVEX_EXPORT_CALL(h));
}
KORVEX_API int KORVEX_CALL Korvex_SetSamplingRate(KORVEX_HANDLE h, int) {
  return Unsupported(KORVEX_EXPORT_CALL(h));
}
KORVEX_API int KORVEX_CALL Korvex_GetSamplingRate(KORVEX_HANDLE h, int* value) {
  return UnsupportedQuery(KORVEX_EXPORT_CALL(h, value), value);
}
KORVEX_API int KORVEX_CALL Korvex_GetVideoFormat(KORVEX_HANDLE h, int* value) {
  return UnsupportedQuery(KORVEX_EXPORT_CALL(h, value), value);
}

}  // extern "C"
