// The parameter interface of an initialised camera on the simulated device.
#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

class Parameters : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    handle_ = Korvex_Initialize(nullptr);
    ASSERT_NE(handle_, 0u);
    Drain();
  }
  void TearDown() override { EXPECT_EQ(Korvex_Release(handle_), 1); }
  void Drain() {
    while (Korvex_GetLastError(handle_) != 0) {
    }
  }
  uint32_t SensorRegister(uint32_t reg) {
    uint32_t value = 0;
    EXPECT_EQ(KorvexHost_SimReadSensorRegister(0, reg, &value), 1);
    return value;
  }

  korvex::test::ScopedRegistryRoot registry_;
  KORVEX_HANDLE handle_ = 0;
};

struct IdRange {
  int id;
  int min, max;
};

TEST_F(Parameters, EveryIdentifierAcceptsItsRangeAndRefusesJustOutside) {
  const IdRange ranges[] = {
      {KORVEX_FILTER_BRIGHTNESS, -255, 255},
      {KORVEX_FILTER_CONTRAST, -127, 127},
      {KORVEX_FILTER_HUE, -360, 360},
      {KORVEX_FILTER_SATURATION, -255, 255},
      {KORVEX_FILTER_SHARPNESS, 0, 30},
      {KORVEX_FILTER_BAYER_GAIN_RED, 0, 400},
      {KORVEX_FILTER_BAYER_GAIN_GREEN, 0, 400},
      {KORVEX_FILTER_BAYER_GAIN_BLUE, 0, 400},
      {KORVEX_FILTER_GAMMA, 0, 200},
      {KORVEX_FILTER_BAYER_MODE, 0, 3},
      {KORVEX_FILTER_GLOBAL_GAIN, 0, 1023},
      {KORVEX_FILTER_COLOR_GAIN_RED, 0, 0},
      {KORVEX_FILTER_COLOR_GAIN_GREEN1, 0, 0},
      {KORVEX_FILTER_COLOR_GAIN_GREEN2, 0, 0},
      {KORVEX_FILTER_COLOR_GAIN_BLUE, 0, 0},
      {KORVEX_FILTER_EXPOSURE_TIME, 0, 1014},
      {KORVEX_FILTER_GRAY_MODE, 0, 2},
      {KORVEX_FILTER_GRAY_GAIN_R, 0, 255},
      {KORVEX_FILTER_GRAY_GAIN_G1, 0, 255},
      {KORVEX_FILTER_GRAY_GAIN_G2, 0, 255},
      {KORVEX_FILTER_GRAY_GAIN_B, 0, 255},
      {KORVEX_FILTER_GRAY_OFFSET_R, -255, 255},
      {KORVEX_FILTER_GRAY_OFFSET_G1, -255, 255},
      {KORVEX_FILTER_GRAY_OFFSET_G2, -255, 255},
      {KORVEX_FILTER_GRAY_OFFSET_B, -255, 255},
      {KORVEX_FILTER_GRAY_CALIBRATE, 0, 1},
  };
  // The colour gains are fixed on this model: they read 0 whatever was set.
  const auto fixed = [](int id) {
    return id >= KORVEX_FILTER_COLOR_GAIN_RED && id <= KORVEX_FILTER_COLOR_GAIN_BLUE;
  };
  for (const IdRange& r : ranges) {
    int ok = 0;
    for (int value : {r.min, r.max}) {
      EXPECT_EQ(Korvex_SetFilterValue(handle_, r.id, value), 1) << "id " << r.id << " = " << value;
      EXPECT_EQ(Korvex_GetFilterValue(handle_, r.id, &ok), fixed(r.id) ? 0 : value)
          << "id " << r.id;
      EXPECT_EQ(ok, 1);
    }
    for (int value : {r.min - 1, r.max + 1}) {
      EXPECT_EQ(Korvex_SetFilterValue(handle_, r.id, value), 0) << "id " << r.id << " = " << value;
      EXPECT_EQ(Korvex_GetLastError(handle_), KORVEX_ERR_ARGUMENT) << "id " << r.id;
      EXPECT_EQ(Korvex_GetFilterValue(handle_, r.id, &ok), fixed(r.id) ? 0 : r.max)
          << "a refused value leaves the field alone, id " << r.id;
    }
  }
  Drain();
  // The packed gains and the automatic flag take any value.
  EXPECT_EQ(Korvex_SetFilterValue(handle_, KORVEX_FILTER_BAYER_GAIN_RGB, INT_MIN), 1);
  EXPECT_EQ(Korvex_SetBayerGainAuto(handle_, 7), 1);
  EXPECT_EQ(Korvex_GetBayerGainAuto(handle_, nullptr), 1);
  EXPECT_EQ(Korvex_GetLastError(handle_), 0u);
}

TEST_F(Parameters, UnknownIdentifiersAreRefused) {
  int ok = 1;
  for (int id : {0, 29, -1}) {
    EXPECT_EQ(Korvex_SetFilterValue(handle_, id, 0), 0);
    EXPECT_EQ(Korvex_GetLastError(handle_), KORVEX_ERR_ARGUMENT);
    ok = 1;
    EXPECT_EQ(Korvex_GetFilterValue(handle_, id, &ok), 0);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(Korvex_GetLastError(handle_), KORVEX_ERR_ARGUMENT);
  }
}

TEST_F(Parameters, PackedWhiteBalanceGains) {
  const int packed = 50 | 100 << 8 | 200 << 16 | 0x7F << 24;
  EXPECT_EQ(Korvex_SetBayerGainRGB(handle_, packed), 1);
  EXPECT_EQ(Korvex_GetBayerGainRed(handle_, nullptr), 50);
  EXPECT_EQ(Korvex_GetBayerGainGreen(handle_, nullptr), 100);
  EXPECT_EQ(Korvex_GetBayerGainBlue(handle_, nullptr), 200);
  EXPECT_EQ(Korvex_GetBayerGainRGB(handle_, nullptr), packed & 0xFFFFFF);
  EXPECT_EQ(Korvex_SetBayerGainRed(handle_, 300), 1);
  EXPECT_EQ(Korvex_GetBayerGainRGB(handle_, nullptr) & 0xFF, 44);
}

TEST_F(Parameters, GainAndExposureReachTheSensor) {
  EXPECT_EQ(Korvex_SetGlobalGain(handle_, 1023), 1);
  EXPECT_EQ(SensorRegister(2), 0xFFu);
  EXPECT_EQ(SensorRegister(3), 3u);
  EXPECT_EQ(Korvex_GetGlobalGain(handle_, nullptr), 1023);
  for (int id = 14; id <= 17; ++id) EXPECT_EQ(Korvex_GetFilterValue(handle_, id, nullptr), 0);
  EXPECT_EQ(Korvex_SetGlobalGain(handle_, 1024), 0);
  EXPECT_EQ(Korvex_SetGlobalGain(handle_, -1), 0);
  EXPECT_EQ(Korvex_GetGlobalGain(handle_, nullptr), 1023);

  EXPECT_EQ(Korvex_SetExposureTime(handle_, 64), 1);
  EXPECT_EQ(SensorRegister(0xA0), 0xB6u);
  EXPECT_EQ(SensorRegister(0xA1), 0x93u);
  EXPECT_EQ(Korvex_GetExposureTime(handle_, nullptr), 64);
}

TEST_F(Parameters, RealExposureTimeBothWays) {
  const struct {
    int exposure, microseconds;
  } reads[] = {{0, 61}, {1, 182}, {100, 12119}, {1013, 122212}, {1014, 244604}};
  for (auto r : reads) {
    ASSERT_EQ(Korvex_SetExposureTime(handle_, r.exposure), 1);
    int ok = 0;
    EXPECT_EQ(Korvex_GetRealExposureTime(handle_, &ok), r.microseconds) << r.exposure;
    EXPECT_EQ(ok, 1);
  }
  const struct {
    int microseconds, exposure;
  } sets[] = {{120, 0}, {121, 1}, {122271, 1013}, {-100, 0}, {12119, 100}};
  for (auto s : sets) {
    EXPECT_EQ(Korvex_SetRealExposureTime(handle_, s.microseconds), 1) << s.microseconds;
    EXPECT_EQ(Korvex_GetExposureTime(handle_, nullptr), s.exposure) << s.microseconds;
  }
  for (int refused : {122272, 122393, 244604, 1000000}) {
    EXPECT_EQ(Korvex_SetRealExposureTime(handle_, refused), 0) << refused;
    EXPECT_EQ(Korvex_GetLastError(handle_), KORVEX_ERR_ARGUMENT);
    EXPECT_EQ(Korvex_GetExposureTime(handle_, nullptr), 100) << "exposure unchanged";
  }
}

TEST_F(Parameters, MirrorsAutoIrisAndPort) {
  EXPECT_EQ(Korvex_SetMirrorH(handle_, 5), 1);
  EXPECT_EQ(Korvex_GetMirrorH(handle_), 1);
  EXPECT_EQ(Korvex_SetMirrorV(handle_, 1), 1);
  EXPECT_EQ(Korvex_GetMirrorV(handle_), 1);
  EXPECT_EQ(Korvex_SetMirrorV(handle_, 0), 1);
  EXPECT_EQ(Korvex_GetMirrorV(handle_), 0);

  EXPECT_EQ(Korvex_SetIOPort(handle_, 0x1A5), 1);
  unsigned char port = 0;
  EXPECT_EQ(Korvex_GetIOPort(handle_, &port, 0, 0), 1);
  EXPECT_EQ(port, 0xA5);
  KorvexHost_FlushMessages(nullptr);
  EXPECT_EQ(Korvex_GetIOPort(handle_, nullptr, 0, 0), 0);
  KorvexHostMessage message;
  ASSERT_EQ(KorvexHost_GetMessage(nullptr, &message, 0), 1);
  EXPECT_EQ(message.lParam, KORVEX_ERR_ARGUMENT);
  EXPECT_EQ(Korvex_GetLastError(handle_), 0u) << "notify-only";
}

TEST_F(Parameters, AFailedPortReadOrWriteIsAFailureWithItsCode) {
  KorvexHost_SimUnplug(0);
  unsigned char port = 0x77;
  EXPECT_EQ(Korvex_GetIOPort(handle_, &port, 0, 0), 0);
  EXPECT_EQ(Korvex_GetLastError(handle_), static_cast<uint32_t>(KORVEX_ERR_REFUSED));
  EXPECT_EQ(Korvex_SetIOPort(handle_, 0x12), 0);
  EXPECT_EQ(Korvex_GetLastError(handle_), static_cast<uint32_t>(KORVEX_ERR_REFUSED))
      << "a write the camera never received says why";
}

TEST_F(Parameters, RegistersAndSerialRom) {
  EXPECT_EQ(Korvex_WriteRegister(handle_, 0x05, 0x1234), 1);
  int ok = 0;
  EXPECT_EQ(Korvex_ReadRegister(handle_, 0x05, &ok), 0x1234);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(Korvex_ReadRegisterEx(handle_, 0x105, &ok), 0x1234) << "the register is cut to 8 bits";
  EXPECT_EQ(Korvex_WriteRegisterEx(handle_, 0xC5, 7), 1);
  EXPECT_EQ(Korvex_ReadRegister(handle_, 0xC5, &ok), 0);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(Korvex_GetLastError(handle_), KORVEX_ERR_REFUSED);

  EXPECT_EQ(Korvex_WriteSromID(handle_, 300, 0x5A), 1);  // index taken modulo 256
  EXPECT_EQ(Korvex_ReadSromID(handle_, 44, &ok), 0x5A);
  EXPECT_EQ(ok, 1);

  KorvexHost_SimUnplug(0);
  KorvexHost_FlushMessages(nullptr);
  EXPECT_EQ(Korvex_ReadSromID(handle_, 44, &ok), 0);
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(Korvex_WriteRegister(handle_, 0x05, 1), 0);
  EXPECT_EQ(Korvex_GetLastError(handle_), KORVEX_ERR_REFUSED);
  KorvexHostMessage message;
  ASSERT_EQ(KorvexHost_GetMessage(nullptr, &message, 0), 1);
  EXPECT_EQ(message.lParam, KORVEX_ERR_NOT_POSSIBLE) << "a failed serial ROM read is notify-only";
}

}  // namespace
