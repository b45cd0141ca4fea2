// A camera object without a device refuses every operation that needs one
// as not possible, and still answers the ones that only store or return values.
#include "camera/korvex.h"
#include "korvex/host.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace korvex {
namespace {

struct Refusal {
  std::string name;
  std::function<int(CKorvex&)> call;
  int result;
  bool recorded;  // false: notify-only, posted to the thread queue instead
};

TEST(CameraWithoutDevice, RefusesDeviceOperationsAsNotPossible) {
  char names[256 * 10];
  KORVEX_WCHAR wnames[256 * 10];
  char buffer[64];
  KORVEX_CAMERA_INFO info{36, 0, 0, 0, 0, 0, 0, 0, 0};
  unsigned char port = 0;
  int ok = 77;
  const KORVEX_WCHAR wide[] = {'a', 0};
  const std::vector<Refusal> refusals = {
      {"SetDeviceNumber", [](CKorvex& c) { return c.SetDeviceNumber(0); }, 0, true},
      {"EnumDevice", [&](CKorvex& c) { return c.EnumDevice(names); }, 0, true},
      {"EnumDeviceW", [&](CKorvex& c) { return c.EnumDeviceW(wnames); }, 0, true},
      {"GetDeviceName", [&](CKorvex& c) { return c.GetDeviceName(0, buffer, 64); }, 0, true},
      {"GetDeviceNameW", [&](CKorvex& c) { return c.GetDeviceNameW(0, wnames, 64); }, 0, true},
      {"GetCameraInfo", [&](CKorvex& c) { return c.GetCameraInfo(&info); }, 0, true},
      {"Preview", [](CKorvex& c) { return c.Preview(); }, 0, true},
      {"CallBackPreview", [&](CKorvex& c) { return c.CallBackPreview(nullptr, buffer, 64, 1); }, 0,
       true},
      {"StartPreview", [](CKorvex& c) { return c.StartPreview(); }, 0, true},
      {"StopPreview", [](CKorvex& c) { return c.StopPreview(); }, 0, true},
      {"Capture", [](CKorvex& c) { return c.Capture(); }, 0, true},
      {"SnapShot", [&](CKorvex& c) { return c.SnapShot(buffer, 64, 1); }, 0, true},
      {"GetImage", [&](CKorvex& c) { return c.GetImage(buffer, 64, 1); }, 0, true},
      {"Trigger", [&](CKorvex& c) { return c.Trigger(nullptr, buffer, 64, 1); }, 0, true},
      {"GetRealExposureTime", [&](CKorvex& c) { return c.GetRealExposureTime(&ok); }, 0, true},
      {"SetRealExposureTime", [](CKorvex& c) { return c.SetRealExposureTime(1000); }, 0, true},
      {"SetPreviewWindow", [](CKorvex& c) { return c.SetPreviewWindow(nullptr, 0, 0, 1, 1); }, 0,
       true},
      {"SetCaptureWindow", [](CKorvex& c) { return c.SetCaptureWindow(2560, 1920); }, 0, true},
      {"SetCaptureWindowEx",
       [](CKorvex& c) { return c.SetCaptureWindowEx(2560, 0, 2560, 2560, 0, 1920); }, 0, true},
      {"SetFilterValue", [](CKorvex& c) { return c.SetFilterValue(1, 5); }, 0, true},
      {"GetFilterValue", [&](CKorvex& c) { return c.GetFilterValue(1, &ok); }, 0, true},
      {"SetMirrorH", [](CKorvex& c) { return c.SetMirrorH(1); }, 0, true},
      {"GetMirrorH", [](CKorvex& c) { return c.GetMirrorH(); }, 0, true},
      {"SetMirrorV", [](CKorvex& c) { return c.SetMirrorV(1); }, 0, false},
      {"GetMirrorV", [](CKorvex& c) { return c.GetMirrorV(); }, 0, false},
      {"SetIOPort", [](CKorvex& c) { return c.SetIOPort(1); }, 0, false},
      {"GetIOPort", [&](CKorvex& c) { return c.GetIOPort(&port); }, 0, false},
      {"ReadRegister", [&](CKorvex& c) { return c.ReadRegister(5, &ok); }, 0, true},
      {"WriteRegister", [](CKorvex& c) { return c.WriteRegister(5, 1); }, 0, true},
      {"ReadSromID", [&](CKorvex& c) { return c.ReadSromID(0, &ok); }, 0, false},
      {"WriteSromID", [](CKorvex& c) { return c.WriteSromID(0, 1); }, 0, false},
      {"SaveImage", [](CKorvex& c) { return c.SaveImage("x.bmp", 0); }, 0, true},
      {"SaveImageW", [&](CKorvex& c) { return c.SaveImageW(wide, 0); }, 0, true},
      {"Record", [](CKorvex& c) { return c.Record("x.avi", 10, 0); }, 0, true},
      {"RecordW", [&](CKorvex& c) { return c.RecordW(wide, 10, 0); }, 0, true},
      {"SetCameraDlg", [](CKorvex& c) { return c.SetCameraDlg(nullptr); }, 0, true},
      {"SetAnalogDlg", [](CKorvex& c) { return c.SetAnalogDlg(nullptr); }, 0, true},
      {"SetImageDlg", [](CKorvex& c) { return c.SetImageDlg(nullptr); }, 0, true},
  };
  CKorvex camera;  // constructed, never initialised: no device
  ASSERT_FALSE(camera.HasDevice());
  for (const Refusal& r : refusals) {
    KorvexHost_FlushMessages(nullptr);
    ok = 77;
    EXPECT_EQ(r.call(camera), r.result) << r.name;
    if (r.recorded) {
      EXPECT_EQ(camera.GetLastError(), KORVEX_ERR_NOT_POSSIBLE) << r.name;
      EXPECT_EQ(KorvexHost_PendingMessages(nullptr), 0) << r.name << ": no window, nothing posted";
    } else {
      EXPECT_EQ(camera.GetLastError(), 0u) << r.name << " is notify-only";
      KorvexHostMessage message;
      ASSERT_EQ(KorvexHost_GetMessage(nullptr, &message, 0), 1) << r.name;
      EXPECT_EQ(message.lParam, KORVEX_ERR_NOT_POSSIBLE) << r.name;
    }
    EXPECT_EQ(camera.GetLastError(), 0u) << r.name << " recorded more than one code";
    EXPECT_NE(ok, 1) << r.name << " claimed success through its flag";
  }
}

TEST(CameraWithoutDevice, StoresAndReturnsValuesThatNeedNoDevice) {
  CKorvex camera;
  EXPECT_EQ(camera.Width(), 2560);
  EXPECT_EQ(camera.Height(), 1920);
  EXPECT_EQ(camera.GetColorMode(), 8);
  EXPECT_EQ(camera.GetWaitTime(), 10);
  EXPECT_EQ(camera.GetSubSample(), 0);

  struct {
    int set, reported;
  } modes[] = {{8, 8}, {16, 10}, {24, 24}, {32, 32}, {48, 42}, {64, 58}};
  for (auto m : modes) {
    EXPECT_EQ(camera.SetColorMode(m.set), 1);
    EXPECT_EQ(camera.GetColorMode(), m.reported);
  }
  for (int refused : {10, 42, 58, 0, 12}) {
    EXPECT_EQ(camera.SetColorMode(refused), 0);
    EXPECT_EQ(camera.GetLastError(), KORVEX_ERR_ARGUMENT);
  }
  EXPECT_EQ(camera.GetColorMode(), 58) << "a refused mode changes nothing";

  EXPECT_EQ(camera.SetSubSample(1), 0);
  EXPECT_EQ(camera.SetWaitTime(-1), 0);
  EXPECT_EQ(camera.SetWaitTime(0), 1);
  EXPECT_EQ(camera.GetWaitTime(), 0);
  EXPECT_EQ(camera.GetLastError(), 0u) << "sub-sample and wait time refuse silently";

  int ok = 0;
  EXPECT_EQ(camera.SetAutoIris(2), 1);
  EXPECT_EQ(camera.GetAutoIris(&ok), 2);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(camera.GetAutoIris(nullptr), 2);

  int th = 0, ehs = 1, eh = 0, tv = 0, evs = 1, ev = 0;
  EXPECT_EQ(camera.GetCaptureWindowEx(&th, &ehs, &eh, &tv, &evs, &ev), 1);
  EXPECT_EQ(th, 2560);
  EXPECT_EQ(ehs, 0);
  EXPECT_EQ(eh, 2560);
  EXPECT_EQ(tv, 2560);
  EXPECT_EQ(evs, 0);
  EXPECT_EQ(ev, 1920);
  EXPECT_EQ(camera.GetCaptureWindowEx(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(camera.Close(), 1) << "close goes on without a device";
}

}  // namespace
}  // namespace korvex
