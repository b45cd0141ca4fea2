// Device paths, probing, handles, pipe transfers and the packet framing.
#include "device/kvx_sdk_lib.h"
#include "sim_traffic.h"

#include <cstring>
#include <string>

namespace korvex {
namespace {

using testing::CommandPackets;
using testing::Packet;
using testing::Traffic;

// The base device object under this camera's model identifier.
class TestDevice : public CKVXSdkLib {
 public:
  TestDevice() { SetModelIdentifier("Kvrx740K3XLN"); }
};

class TransportTest : public testing::SimTest {};

TEST_F(TransportTest, DevicePathsUseTheIndexAlphabet) {
  TestDevice device;
  const std::pair<uint32_t, const char*> cases[] = {{0, "\\\\.\\Kvrx740K3XLN-0"},
                                                    {10, "\\\\.\\Kvrx740K3XLN-A"},
                                                    {22, "\\\\.\\Kvrx740K3XLN-N"},
                                                    {23, "\\\\.\\Kvrx740K3XLN-M"},
                                                    {31, "\\\\.\\Kvrx740K3XLN-V"}};
  for (const auto& [index, path] : cases) {
    EXPECT_EQ(device.BuildDevicePath(index), 0);
    EXPECT_STREQ(device.DevicePath(), path);
    EXPECT_EQ(device.CurrentDeviceIndex(), static_cast<int>(index));
  }
  EXPECT_EQ(device.BuildDevicePath(32), 22);
  EXPECT_EQ(device.BuildDevicePath(0xFFFFFFFFu), 22);
  EXPECT_STREQ(device.DevicePath(), "\\\\.\\Kvrx740K3XLN-V");
  EXPECT_EQ(device.CurrentDeviceIndex(), 31);
}

TEST_F(TransportTest, ProbeFindsExactlyThePluggedIndices) {
  ASSERT_EQ(KorvexHost_SimPlug(2), 1);
  ASSERT_EQ(KorvexHost_SimPlug(22), 1);
  ASSERT_EQ(KorvexHost_SimUnplug(22), 1);  // gone again before the probe
  TestDevice device;
  device.BuildDevicePath(5);
  device.ProbeDevices();
  for (int i = 0; i < 32; ++i) EXPECT_EQ(device.IsDevicePresent(i), i == 0 || i == 2) << i;
  EXPECT_FALSE(device.IsDevicePresent(32));
  EXPECT_FALSE(device.IsDevicePresent(-1));
  EXPECT_EQ(device.CurrentDeviceIndex(), 0);
  EXPECT_STREQ(device.DevicePath(), "\\\\.\\Kvrx740K3XLN-5");  // the path is not rebuilt
  EXPECT_EQ(KorvexHost_SimTrafficCount(), 0u);                 // probing sends nothing
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
  EXPECT_EQ(KorvexHost_SimOpenCount(2), 1u);

  KorvexHost_SimUnplug(0);
  KorvexHost_SimUnplug(2);
  device.ProbeDevices();
  for (int i = 0; i < 32; ++i) EXPECT_FALSE(device.IsDevicePresent(i));
}

TEST_F(TransportTest, HandleOperations) {
  DeviceHandle handle = reinterpret_cast<DeviceHandle>(0x1234);
  EXPECT_EQ(OpenDevice(handle, nullptr), 0);
  EXPECT_EQ(handle, reinterpret_cast<DeviceHandle>(0x1234));
  EXPECT_EQ(OpenDevice(handle, "\\\\.\\Kvrx740K3XLN-1"), 0);  // nothing at index 1
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(CloseDevice(handle), 0);

  DeviceHandle a = nullptr, b = nullptr;
  ASSERT_EQ(OpenDevice(a, "\\\\.\\Kvrx740K3XLN-0"), 1);
  ASSERT_EQ(OpenDevice(b, "\\\\.\\Kvrx740K3XLN-0"), 1);  // several handles at once
  EXPECT_NE(a, b);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 2u);
  EXPECT_EQ(CloseDevice(a), 1);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(CloseDevice(b), 1);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
}

TEST_F(TransportTest, TransfersCheckBufferThenHandleAndCountBytes) {
  DeviceHandle handle = nullptr;
  ASSERT_EQ(OpenDevice(handle, "\\\\.\\Kvrx740K3XLN-0"), 1);
  uint8_t packet[64] = {0x25, 7, 0x5A};
  uint32_t transferred = 99;
  EXPECT_EQ(PipeTransfer(nullptr, 0, 64, nullptr, transferred, true), -2);
  EXPECT_EQ(PipeTransfer(nullptr, 0, 64, packet, transferred, true), -3);
  EXPECT_EQ(LargePipeTransfer(handle, 2, 64, nullptr, transferred, true), -2);
  EXPECT_EQ(SendPacket(nullptr, 0, 64, packet), 10);
  EXPECT_EQ(ReceivePacket(nullptr, 1, 64, packet), 10);
  EXPECT_EQ(KorvexHost_SimTrafficCount(), 0u);

  // A short count is a successful transfer, but not a sent packet.
  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_SHORT_TRANSFER, 0, 1);
  EXPECT_EQ(PipeTransfer(handle, 0, 64, packet, transferred, true), 0);
  EXPECT_EQ(transferred, 32u);
  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_SHORT_TRANSFER, 0, 1);
  EXPECT_EQ(SendPacket(handle, 0, 64, packet), 12);
  KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_FAIL_TRANSFER, 1, 1);
  EXPECT_EQ(ReceivePacket(handle, 1, 64, packet), 12);
  EXPECT_EQ(SendPacket(handle, 0, 64, packet), 0);

  const auto log = Traffic();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].code, IOCTL_PIPE_IN_DIRECT);
  EXPECT_EQ(log[0].inLength, 4u);
  EXPECT_EQ(log[2].code, IOCTL_PIPE_OUT_DIRECT);  // replies come through the OUT code
  EXPECT_EQ(log[2].pipe, 1u);
  EXPECT_EQ(log[2].result, 0);
  uint8_t io = 0;
  KorvexHost_SimReadControllerRegister(0, 7, &io);
  EXPECT_EQ(io, 0x5A);
  CloseDevice(handle);
}

TEST_F(TransportTest, TransferTimeoutRecord) {
  TestDevice device;
  device.BuildDevicePath(0);
  device.SetTransferTimeout(250);
  EXPECT_EQ(device.TransferTimeout(), 250);
  EXPECT_EQ(KorvexHost_SimTransferTimeout(0), 250u);
  const auto log = Traffic();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].code, IOCTL_SET_TIMEOUT);
  EXPECT_EQ(log[0].inLength, 44u);
  EXPECT_EQ(log[0].outLength, 0u);
  std::vector<uint8_t> expected(44, 0);
  expected[0] = 1;
  expected[4] = 250;
  EXPECT_EQ(std::vector<uint8_t>(log[0].packet, log[0].packet + log[0].packetLength), expected);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);

  // Without a camera the value is still kept.
  KorvexHost_SimUnplug(0);
  device.SetTransferTimeout(3000);
  EXPECT_EQ(device.TransferTimeout(), 3000);
}

}  // namespace
}  // namespace korvex
