// Initialisation, device selection, enumeration, names, camera information
// and the stored settings a camera carries from one run to the next.
#include "KorvexSdk_740K3_XLN.h"
#include "api/sdk_chain.h"
#include "camera/korvex.h"
#include "device/korvex740k3xln_sdk.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace korvex {
namespace {

using test::KeyExists;
using test::kRoot;
using test::ReadDword;
using test::WriteDword;

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
  }
  KORVEX_HANDLE Open() {
    const KORVEX_HANDLE h = Korvex_Initialize(nullptr);
    EXPECT_NE(h, 0u);
    return h;
  }
  static uint32_t Sensor(int index, uint32_t reg) {
    uint32_t value = 0;
    EXPECT_EQ(KorvexHost_SimReadSensorRegister(index, reg, &value), 1);
    return value;
  }
  test::ScopedRegistryRoot registry_;
};

TEST_F(Lifecycle, FirstRunStoresDefaultsAndCarriesThemToTheSensor) {
  const KORVEX_HANDLE h = Open();
  EXPECT_EQ(Korvex_GetLastError(h), 0u);
  const std::string camera = kRoot + "\\Camera_00";
  EXPECT_EQ(ReadDword(camera, "Size"), 0u);
  EXPECT_EQ(ReadDword(camera, "Color"), 2u);
  EXPECT_EQ(ReadDword(camera, "SubSample"), 0u);
  EXPECT_EQ(ReadDword(camera, "WaitTime"), 1u);
  EXPECT_EQ(ReadDword(camera, "Clock"), 2u);
  const std::string size = camera + "\\Size_00";
  EXPECT_EQ(ReadDword(size, "TH"), 2560u);
  EXPECT_EQ(ReadDword(size, "EV"), 1920u);
  EXPECT_EQ(ReadDword(size, "Buf"), 4u);
  EXPECT_FALSE(KeyExists(camera + "\\Gain")) << "groups are stored on release";

  EXPECT_EQ(Korvex_GetColorMode(h), 24);
  EXPECT_EQ(Korvex_GetWaitTime(h), 1);
  EXPECT_EQ(Korvex_GetGlobalGain(h, nullptr), 512);
  EXPECT_EQ(Korvex_GetExposureTime(h, nullptr), 1014);
  EXPECT_EQ(Sensor(0, 2), 0x00u);
  EXPECT_EQ(Sensor(0, 3), 0x02u);
  EXPECT_EQ(Sensor(0, 0xA0), 0x00u);
  EXPECT_EQ(Sensor(0, 0xA1), 0x90u);
  EXPECT_EQ(Korvex_GetGamma(h, nullptr), 100);
  EXPECT_EQ(Korvex_GetBayerMode(h, nullptr), 1);
  EXPECT_EQ(Korvex_GetGrayGainG1(h, nullptr), 128);

  EXPECT_EQ(Korvex_SetBrightness(h, -20), 1);
  EXPECT_EQ(Korvex_Release(h), 1);
  EXPECT_EQ(ReadDword(camera + "\\Filter", "Brightness"), 4294967276u);
  EXPECT_EQ(ReadDword(camera + "\\Gain", "Global"), 512u);
  EXPECT_EQ(ReadDword(camera + "\\Gray", "GainR1"), 128u);

  const KORVEX_HANDLE again = Open();
  EXPECT_EQ(Korvex_GetBrightness(again, nullptr), -20) << "stored settings come back";
  EXPECT_EQ(Korvex_Release(again), 1);
}

TEST_F(Lifecycle, StoredInvalidGeometryIsResetWithTheGeometryCode) {
  WriteDword(kRoot + "\\Camera_00", "Size", 0);
  WriteDword(kRoot + "\\Camera_00\\Size_00", "EH", 2560);
  WriteDword(kRoot + "\\Camera_00\\Size_00", "EHS", 100);
  const KORVEX_HANDLE h = Open();
  EXPECT_EQ(Korvex_GetLastError(h), KORVEX_ERR_GEOMETRY);
  int th, ehs, eh, tv, evs, ev;
  EXPECT_EQ(Korvex_GetCaptureWindowEx(h, &th, &ehs, &eh, &tv, &evs, &ev), 1);
  EXPECT_EQ(eh, 2560);
  EXPECT_EQ(ev, 2560);
  EXPECT_EQ(ehs, 0);
  EXPECT_EQ(evs, 0);
  EXPECT_EQ(Korvex_Release(h), 1);
}

TEST_F(Lifecycle, EnumeratesAndNamesPresentDevices) {
  KorvexHost_SimPlug(2);
  const KORVEX_HANDLE h = Open();
  char names[256 * 10];
  std::memset(names, 'x', sizeof names);
  EXPECT_EQ(Korvex_EnumDevice(h, names), 2);
  EXPECT_STREQ(names, "Korvex740K3-XLN_01");
  EXPECT_STREQ(names + 256, "Korvex740K3-XLN_02");
  for (int slot = 2; slot < 10; ++slot) EXPECT_EQ(names[slot * 256], '\0') << slot;

  KORVEX_WCHAR wide[256 * 10];
  EXPECT_EQ(Korvex_EnumDeviceW(h, wide), 2);
  const char* expected = "Korvex740K3-XLN_02";
  for (size_t i = 0; i <= std::strlen(expected); ++i) EXPECT_EQ(wide[256 + i], expected[i]);
  EXPECT_EQ(wide[2 * 256], 0);
  // Both enumerations look at the cameras present now.
  KorvexHost_SimPlug(5);
  EXPECT_EQ(Korvex_EnumDeviceW(h, wide), 3);
  KorvexHost_SimUnplug(5);
  EXPECT_EQ(Korvex_EnumDevice(h, names), 2);

  char name[32];
  std::memset(name, 'x', sizeof name);
  EXPECT_EQ(Korvex_GetDeviceName(h, 2, name, 19), 1);
  EXPECT_STREQ(name, "Korvex740K3-XLN_03") << "numbered by device index";
  EXPECT_EQ(Korvex_GetDeviceName(h, 2, name, 14), 0);
  EXPECT_EQ(Korvex_GetLastError(h), KORVEX_ERR_ARGUMENT);
  std::memset(name, 'x', sizeof name);
  EXPECT_EQ(Korvex_GetDeviceName(h, 2, name, 15), 0) << "too small for the name: refused";
  EXPECT_EQ(Korvex_GetLastError(h), KORVEX_ERR_ARGUMENT);
  EXPECT_EQ(name[15], 'x');
  EXPECT_EQ(Korvex_GetDeviceName(h, 1, name, 32), 0);
  EXPECT_EQ(Korvex_GetLastError(h), KORVEX_ERR_DEVICE);
  EXPECT_EQ(Korvex_GetDeviceName(h, 32, name, 32), 0);
  EXPECT_EQ(Korvex_GetLastError(h), KORVEX_ERR_ARGUMENT);
  KORVEX_WCHAR wname[32];
  EXPECT_EQ(Korvex_GetDeviceNameW(h, 0, wname, 19), 1);
  EXPECT_EQ(wname[16], '0');
  EXPECT_EQ(wname[17], '1');
  EXPECT_EQ(wname[18], 0);
  EXPECT_EQ(Korvex_Release(h), 1);
}

TEST_F(Lifecycle, CameraInformation) {
  const KORVEX_HANDLE h = Open();
  KORVEX_CAMERA_INFO info{};
  info.size = 0xFFFFFFFFu;  // -1 compares as a large unsigned size
  EXPECT_EQ(Korvex_GetCameraInfo(h, &info), 1);
  EXPECT_EQ(info.maxWidth, 2560u);
  EXPECT_EQ(info.maxHeight, 2560u);
  EXPECT_EQ(info.gainMax, 1023u);
  EXPECT_EQ(info.exposureMax, 1014u);
  info.size = 35;
  EXPECT_EQ(Korvex_GetCameraInfo(h, &info), 0);
  EXPECT_EQ(Korvex_GetLastError(h), KORVEX_ERR_MEMORY);
  EXPECT_EQ(Korvex_GetCameraInfo(h, nullptr), 0);
  EXPECT_EQ(Korvex_GetLastError(h), KORVEX_ERR_ARGUMENT);
  EXPECT_EQ(Korvex_Release(h), 1);
}

TEST_F(Lifecycle, SwitchingDevicesSavesTheOldCameraBeforeLoadingTheNew) {
  KorvexHost_SimPlug(2);
  WriteDword(kRoot + "\\Camera_02\\Gain", "Global", 700);
  const KORVEX_HANDLE h = Open();
  EXPECT_EQ(Korvex_SetGlobalGain(h, 300), 1);
  EXPECT_EQ(Korvex_SetDeviceNumber(h, 2), 1);
  EXPECT_EQ(ReadDword(kRoot + "\\Camera_00\\Gain", "Global"), 300u);
  EXPECT_EQ(Korvex_GetGlobalGain(h, nullptr), 700);
  EXPECT_EQ(Sensor(2, 2), 700u & 0xFF);
  EXPECT_EQ(Korvex_SetDeviceNumber(h, 1), 0) << "nothing at index 1";
  EXPECT_EQ(Korvex_GetLastError(h), KORVEX_ERR_DEVICE);
  EXPECT_EQ(Korvex_SetSharpness(h, 7), 1);
  EXPECT_EQ(Korvex_Release(h), 1);
  EXPECT_EQ(ReadDword(kRoot + "\\Camera_02\\Filter", "Sharpness"), 7u)
      << "release saves under the current number";
}

TEST_F(Lifecycle, ConfigurationByteSelectsTheVariant) {
  for (uint8_t byte : {uint8_t{1}, uint8_t{2}, uint8_t{7}}) {
    KorvexHost_SimReset();
    KorvexHost_SimPlug(2);
    KorvexHost_SimPresetSrom(2, 0x1EB0, &byte, 1);
    const KORVEX_HANDLE h = Open();
    auto camera = Chain().Lookup(h);
    ASSERT_TRUE(camera);
    camera->Device()->SetVariant(2);
    EXPECT_EQ(Korvex_SetDeviceNumber(h, 2), 1);
    // Selecting the device resets the variant to 0; the byte then picks it.
    EXPECT_EQ(camera->Device()->Variant(), byte == 2 ? 1 : 0) << int(byte);
    camera.reset();
    EXPECT_EQ(Korvex_Release(h), 1);
  }
}

TEST_F(Lifecycle, CloseAndStopOfAnIdleCameraSucceedQuietly) {
  const KORVEX_HANDLE h = Open();
  EXPECT_EQ(Korvex_StopPreview(h), 1);
  EXPECT_EQ(Korvex_Close(h), 1);
  EXPECT_EQ(Korvex_GetLastError(h), 0u);
  EXPECT_EQ(Korvex_Release(h), 1);
}

TEST_F(Lifecycle, ParameterExportsWithoutCameraStillWork) {
  KorvexHost_SimUnplug(0);
  const KORVEX_HANDLE h = Open();
  EXPECT_EQ(Korvex_GetLastError(h), 0u) << "a missing camera shows up only at acquisition";
  EXPECT_EQ(Korvex_SetGamma(h, 150), 1);
  EXPECT_EQ(Korvex_GetGamma(h, nullptr), 150);
  EXPECT_EQ(Korvex_SetGlobalGain(h, 100), 1) << "accepted although the sensor write fails";
  EXPECT_EQ(Korvex_Release(h), 1);
}

}  // namespace
}  // namespace korvex
