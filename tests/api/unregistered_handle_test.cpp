// Every export called with a handle that is not registered returns its
// fixed result and has no other effect: nothing posted, nothing written.
#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Case {
  std::string name;
  std::function<long long(KORVEX_HANDLE)> call;
  long long unregistered;
};

int g_int = 77;
unsigned char g_byte = 77;
char g_names[256 * 12];
KORVEX_WCHAR g_wnames[256 * 12];
char g_buffer[64];
KORVEX_CAMERA_INFO g_info = {36, 0, 0, 0, 0, 0, 0, 0, 0};
const KORVEX_WCHAR g_wideName[] = {'x', '.', 'b', 'm', 'p', 0};

#define C(expr) [](KORVEX_HANDLE h) -> long long { return (long long)(expr); }

std::vector<Case> AllExports() {
  std::vector<Case> cases = {
      {"Release", C(Korvex_Release(h)), 0},
      {"SetDeviceNumber", C(Korvex_SetDeviceNumber(h, 0)), 0},
      {"EnumDevice", C(Korvex_EnumDevice(h, g_names)), 0},
      {"EnumDeviceW", C(Korvex_EnumDeviceW(h, g_wnames)), 0},
      {"GetDeviceName", C(Korvex_GetDeviceName(h, 0, g_buffer, sizeof g_buffer)), 0},
      {"GetDeviceNameW", C(Korvex_GetDeviceNameW(h, 0, g_wnames, 32)), 0},
      {"GetCameraInfo", C(Korvex_GetCameraInfo(h, &g_info)), 0},
      {"Close", C(Korvex_Close(h)), 0},
      {"GetLastError", C(Korvex_GetLastError(h)), 0},
      {"Preview", C(Korvex_Preview(h)), 0},
      {"CallBackPreview", C(Korvex_CallBackPreview(h, nullptr, g_buffer, 64, 1)), 0},
      {"StartPreview", C(Korvex_StartPreview(h)), 0},
      {"StopPreview", C(Korvex_StopPreview(h)), 0},
      {"Capture", C(Korvex_Capture(h)), 0},
      {"SnapShot", C(Korvex_SnapShot(h, g_buffer, 64, 1)), 0},
      {"GetImage", C(Korvex_GetImage(h, g_buffer, 64, 1)), 0},
      {"Trigger", C(Korvex_Trigger(h, nullptr, g_buffer, 64, 1)), 0},
      {"GetStatus", C(Korvex_GetStatus(h, 0)), 0},
      {"GetRealExposureTime", C(Korvex_GetRealExposureTime(h, &g_int)), 0},
      {"SetPreviewWindow", C(Korvex_SetPreviewWindow(h, nullptr, 0, 0, 10, 10)), 0},
      {"SetCaptureWindow", C(Korvex_SetCaptureWindow(h, 2560, 1920)), 0},
      {"SetCaptureWindowEx", C(Korvex_SetCaptureWindowEx(h, 2560, 0, 2560, 2560, 0, 1920)), 0},
      {"GetCaptureWindowEx",
       C(Korvex_GetCaptureWindowEx(h, &g_int, &g_int, &g_int, &g_int, &g_int, &g_int)), 0},
      {"SetFilterValue", C(Korvex_SetFilterValue(h, KORVEX_FILTER_BRIGHTNESS, 5)), 0},
      {"GetFilterValue", C(Korvex_GetFilterValue(h, KORVEX_FILTER_BRIGHTNESS, &g_int)), 0},
      {"Width", C(Korvex_Width(h)), 0},
      {"Height", C(Korvex_Height(h)), 0},
      {"SetColorMode", C(Korvex_SetColorMode(h, 24)), 0},
      {"GetColorMode", C(Korvex_GetColorMode(h)), -1},
      {"SetSubSample", C(Korvex_SetSubSample(h, 0)), 0},
      {"GetSubSample", C(Korvex_GetSubSample(h)), -1},
      {"SetWaitTime", C(Korvex_SetWaitTime(h, 5)), 0},
      {"GetWaitTime", C(Korvex_GetWaitTime(h)), -1},
      {"SetMirrorH", C(Korvex_SetMirrorH(h, 1)), 0},
      {"SetMirrorV", C(Korvex_SetMirrorV(h, 1)), 0},
      {"GetMirrorH", C(Korvex_GetMirrorH(h)), 0},
      {"GetMirrorV", C(Korvex_GetMirrorV(h)), 0},
      {"SetAutoIris", C(Korvex_SetAutoIris(h, 1)), 0},
      {"GetAutoIris", C(Korvex_GetAutoIris(h, &g_int)), 0},
      {"SetIOPort", C(Korvex_SetIOPort(h, 1)), 0},
      {"GetIOPort", C(Korvex_GetIOPort(h, &g_byte, 0, 0)), 0},
      {"SetConfigFilter", C(Korvex_SetConfigFilter(h, 0)), 0},
      {"GetConfigFilter", C(Korvex_GetConfigFilter(h)), 0},
      {"SetRealExposureTime", C(Korvex_SetRealExposureTime(h, 1000)), 0},
      {"ReadRegister", C(Korvex_ReadRegister(h, 5, &g_int)), 0},
      {"ReadRegisterEx", C(Korvex_ReadRegisterEx(h, 5, &g_int)), 0},
      {"WriteRegister", C(Korvex_WriteRegister(h, 5, 1)), 0},
      {"WriteRegisterEx", C(Korvex_WriteRegisterEx(h, 5, 1)), 0},
      {"ReadSromID", C(Korvex_ReadSromID(h, 0, &g_int)), 0},
      {"WriteSromID", C(Korvex_WriteSromID(h, 0, 1)), 0},
      {"SaveImage", C(Korvex_SaveImage(h, "unregistered.bmp", 0)), 0},
      {"SaveImageW", C(Korvex_SaveImageW(h, g_wideName, 0)), 0},
      {"Record", C(Korvex_Record(h, "unregistered.avi", 10, 0)), 0},
      {"RecordW", C(Korvex_RecordW(h, g_wideName, 10, 0)), 0},
      {"LoadConfigFileA", C(Korvex_LoadConfigFileA(h, "/dev/null")), 0},
      {"LoadConfigFileW", C(Korvex_LoadConfigFileW(h, g_wideName)), 0},
      {"SetCameraDlg", C(Korvex_SetCameraDlg(h, nullptr)), 0},
      {"SetAnalogDlg", C(Korvex_SetAnalogDlg(h, nullptr)), 0},
      {"SetImageDlg", C(Korvex_SetImageDlg(h, nullptr)), 0},
      {"Fpga_ReadRegister", C(Korvex_Fpga_ReadRegister(h, 0, &g_int)), 0},
      {"Fpga_WriteRegister", C(Korvex_Fpga_WriteRegister(h, 0, 0)), 0},
      {"Fps", C(Korvex_Fps(h, 0)), 0},
      {"GetHalfClock", C(Korvex_GetHalfClock(h, &g_int)), 0},
      {"SetCrossbar", C(Korvex_SetCrossbar(h, 0)), 0},
      {"SetHalfClock", C(Korvex_SetHalfClock(h, 0)), 0},
      {"SetSamplingRate", C(Korvex_SetSamplingRate(h, 0)), 0},
      {"GetSamplingRate", C(Korvex_GetSamplingRate(h, &g_int)), 0},
      {"GetVideoFormat", C(Korvex_GetVideoFormat(h, &g_int)), 0},
  };
  // The named parameters forward to the identifier functions.
#define NAMED(Name)                                             \
  cases.push_back({"Set" #Name, C(Korvex_Set##Name(h, 0)), 0}); \
  cases.push_back({"Get" #Name, C(Korvex_Get##Name(h, &g_int)), 0});
  NAMED(Brightness)
  NAMED(Contrast) NAMED(Hue) NAMED(Saturation) NAMED(Sharpness) NAMED(BayerGainRGB)
      NAMED(BayerGainRed) NAMED(BayerGainGreen) NAMED(BayerGainBlue) NAMED(BayerGainAuto)
          NAMED(Gamma) NAMED(BayerMode) NAMED(GlobalGain) NAMED(ColorGainRed) NAMED(ColorGainGreen1)
              NAMED(ColorGainGreen2) NAMED(ColorGainBlue) NAMED(ExposureTime) NAMED(GrayMode)
                  NAMED(GrayGainR) NAMED(GrayGainG1) NAMED(GrayGainG2) NAMED(GrayGainB)
                      NAMED(GrayOffsetR) NAMED(GrayOffsetG1) NAMED(GrayOffsetG2) NAMED(GrayOffsetB)
#undef NAMED
                          return cases;
}
#undef C

class UnregisteredHandle : public ::testing::TestWithParam<int> {};

KORVEX_HANDLE HandleOfKind(int kind) {
  switch (kind) {
    case 0: return 0;
    case 1: {  // released
      KORVEX_HANDLE h = Korvex_Initialize(nullptr);
      EXPECT_EQ(Korvex_Release(h), 1);
      return h;
    }
    default: {  // never issued: one more than a live handle, which is then released
      KORVEX_HANDLE live = Korvex_Initialize(nullptr);
      KORVEX_HANDLE h = live + 0x5A5A5A5Au;
      EXPECT_EQ(Korvex_Release(live), 1);
      return h;
    }
  }
}

TEST_P(UnregisteredHandle, EveryExportReturnsItsFixedResultAndPostsNothing) {
  const KORVEX_HANDLE h = HandleOfKind(GetParam());
  KorvexHost_FlushMessages(nullptr);
  const std::vector<Case> cases = AllExports();
  EXPECT_EQ(cases.size(), 122u);  // every export but the two that take no handle
  for (const Case& c : cases) {
    g_int = 77;
    g_byte = 77;
    EXPECT_EQ(c.call(h), c.unregistered) << c.name;
    EXPECT_EQ(g_int, 77) << c.name << " wrote through its pointer";
    EXPECT_EQ(g_byte, 77) << c.name << " wrote through its pointer";
    EXPECT_EQ(KorvexHost_PendingMessages(nullptr), 0) << c.name << " posted a message";
  }
  EXPECT_EQ(Korvex_GetDllVersion(), 27788575u);
}

std::string KindName(const ::testing::TestParamInfo<int>& info) {
  static const char* const kNames[] = {"Zero", "Released", "NeverIssued"};
  return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnregisteredHandle, ::testing::Values(0, 1, 2), KindName);

}  // namespace
