// Sensor and controller registers and the serial ROM: packets byte for byte,
// the sensor register cache, the double reply read and failure results.
#include "device/kvx_sdk_lib.h"
#include "sim_traffic.h"

namespace korvex {
namespace {

using testing::CommandPackets;
using testing::Packet;
using testing::Traffic;

class TestDevice : public CKVXSdkLib {
 public:
  TestDevice() {
    SetModelIdentifier("Kvrx740K3XLN");
    BuildDevicePath(0);
  }
};

class RegistersTest : public testing::SimTest {
 protected:
  TestDevice device;
};

TEST_F(RegistersTest, SensorRegisterPacketsAndCache) {
  ASSERT_TRUE(device.WriteSensorRegister(0x05, 0x1234));
  ASSERT_TRUE(device.WriteSensorRegister(0x8001, 0x880001));
  const auto packets = CommandPackets();
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0], Packet({0x04, 0x20, 0xFE, 0x05, 0x00, 0x34}));
  EXPECT_EQ(packets[1], Packet({0x04, 0x30, 0xFE, 0x01, 0x80, 0x01, 0x00, 0x88}));

  int32_t value = 0;
  EXPECT_TRUE(device.ReadSensorRegister(5, value));
  EXPECT_EQ(value, 0x1234);  // the whole value, not the byte sent
  EXPECT_FALSE(device.ReadSensorRegister(0x8001, value));
  EXPECT_FALSE(device.ReadSensorRegister(1024, value));
  uint32_t held = 0;
  KorvexHost_SimReadSensorRegister(0, 0x8001, &held);
  EXPECT_EQ(held, 0x880001u);

  ASSERT_TRUE(device.WriteSensorRegister(0xC5, 7));
  EXPECT_FALSE(device.ReadSensorRegister(0xC5, value));
  EXPECT_TRUE(device.WriteSensorRegister(0x3FF, 9));  // 16-bit space, still cached
  EXPECT_TRUE(device.ReadSensorRegister(0x3FF, value));
  EXPECT_EQ(value, 9);
}

TEST_F(RegistersTest, FailedWritesAreNotCached) {
  ASSERT_TRUE(device.WriteSensorRegister(2, 0x11));
  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_FAIL_REGISTER_WRITE, 0, 1);
  EXPECT_FALSE(device.WriteSensorRegister(2, 0x22));
  int32_t value = 0;
  device.ReadSensorRegister(2, value);
  EXPECT_EQ(value, 0x11);

  KorvexHost_SimUnplug(0);
  EXPECT_FALSE(device.WriteSensorRegister(2, 0x33));
  EXPECT_FALSE(device.WriteControllerRegister(7, 1));
  uint8_t byte = 0x77;
  EXPECT_FALSE(device.ReadControllerRegister(7, byte));
  EXPECT_EQ(byte, 0x77);  // open failed: untouched
  EXPECT_FALSE(device.ReadSromByte(0x1800, byte));
  EXPECT_FALSE(device.WriteSromId(0, 1));
}

TEST_F(RegistersTest, ControllerRegistersReadTwiceAndTakeTheSecondReply) {
  ASSERT_TRUE(device.WriteControllerRegister(7, 0xA5));
  KorvexHost_SimClearTraffic();
  uint8_t value = 0;
  ASSERT_TRUE(device.ReadControllerRegister(7, value));
  EXPECT_EQ(value, 0xA5);
  const auto log = Traffic();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(std::vector<uint8_t>(log[0].packet, log[0].packet + 64), Packet({0x26, 7}));
  EXPECT_EQ(log[1].pipe, 1u);
  EXPECT_EQ(log[2].pipe, 1u);
  EXPECT_EQ(log[2].outLength, 64u);

  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_FAIL_TRANSFER, 1, 1);  // first read only
  value = 0;
  EXPECT_TRUE(device.ReadControllerRegister(7, value));
  EXPECT_EQ(value, 0xA5);

  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_FAIL_TRANSFER, 1, 2);  // both reads
  EXPECT_FALSE(device.ReadControllerRegister(7, value));
  EXPECT_EQ(value, 0);

  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_FAIL_TRANSFER, 0, 1);  // the request
  value = 1;
  EXPECT_FALSE(device.ReadControllerRegister(7, value));
  EXPECT_EQ(value, 0);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
}

TEST_F(RegistersTest, SerialRom) {
  const uint8_t preset[] = {0x5C};
  KorvexHost_SimPresetSrom(0, 0x182C, preset, 1);
  uint8_t value = 0;
  ASSERT_TRUE(device.ReadSromId(300, value));
  EXPECT_EQ(value, 0x5C);
  auto packets = CommandPackets();
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0], Packet({0x41, 0x51, 0x02, 0x01, 0x18, 0x2C}));
  EXPECT_EQ(Traffic().size(), 3u);  // request and two replies

  const uint32_t opens = KorvexHost_SimOpenCount(0);
  EXPECT_FALSE(device.ReadSromByte(0x17FF, value));
  EXPECT_EQ(KorvexHost_SimOpenCount(0), opens);  // refused without opening

  KorvexHost_SimClearTraffic();
  ASSERT_TRUE(device.WriteSromId(0x105, 0x1AB));
  packets = CommandPackets();
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0], Packet({0x40, 0x51, 0x03, 0x18, 0x05, 0xAB}));
  ASSERT_TRUE(device.ReadSromId(5, value));
  EXPECT_EQ(value, 0xAB);
}

TEST_F(RegistersTest, ConfigurationByteSelectsTheVariant) {
  const uint8_t two = 2, one = 1, other = 7;
  KorvexHost_SimPresetSrom(0, 0x1EB0, &two, 1);
  uint8_t value = 0;
  ASSERT_TRUE(device.ReadSromByte(0x1EB0, value));
  EXPECT_EQ(value, 2);
  EXPECT_TRUE(device.ApplyConfigurationByte());
  EXPECT_EQ(device.Variant(), 1);
  KorvexHost_SimPresetSrom(0, 0x1EB0, &other, 1);
  device.ApplyConfigurationByte();
  EXPECT_EQ(device.Variant(), 1);
  KorvexHost_SimPresetSrom(0, 0x1EB0, &one, 1);
  device.ApplyConfigurationByte();
  EXPECT_EQ(device.Variant(), 0);
  device.SetVariant(9);
  EXPECT_EQ(device.Variant(), 1);
}

}  // namespace
}  // namespace korvex
