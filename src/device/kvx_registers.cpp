// CKVXSdkLib: sensor and controller registers and the serial ROM. Every
// command opens the current device, sends its packet, reads its replies and
// closes the handle again.
#include "device/kvx_sdk_lib.h"

#include "platform/platform.h"

namespace korvex {
namespace {

constexpr uint8_t kSromBusAddress = 0x51;
constexpr uint16_t kSromIdBase = 0x1800;
constexpr uint16_t kSromConfigByte = 0x1EB0;
constexpr uint32_t kSromReadWaitMs = 6;
constexpr uint32_t kSromWriteWaitMs = 10;

// Two reply reads into the request buffer: the first one is the firmware's
// stale reply and is not looked at; the second decides.
bool ReadReply(DeviceHandle handle, uint8_t* packet) {
  ReceivePacket(handle, kReplyPipe, kPacketSize, packet);
  return ReceivePacket(handle, kReplyPipe, kPacketSize, packet) == 0;
}

}  // namespace

int CKVXSdkLib::SendCommand(const uint8_t* packet) {
  DeviceHandle handle = nullptr;
  if (!OpenDevice(handle, devicePath_)) return kOpenFailed;
  uint8_t copy[kPacketSize];
  std::copy(packet, packet + kPacketSize, copy);
  const int result = SendPacket(handle, kCommandPipe, kPacketSize, copy);
  CloseDevice(handle);
  return result;
}

bool CKVXSdkLib::WriteSensorRegister(uint16_t reg, int32_t value) {
  uint8_t packet[kPacketSize] = {Byte(Command::kWriteSensorRegister), 0x20, 0xFE,
                                 static_cast<uint8_t>(reg)};
  if (reg < 0x100) {
    packet[5] = static_cast<uint8_t>(value);
  } else {
    packet[1] = 0x30;
    packet[4] = static_cast<uint8_t>(reg >> 8);
    packet[5] = static_cast<uint8_t>(value);
    packet[6] = static_cast<uint8_t>(value >> 8);
    packet[7] = static_cast<uint8_t>(value >> 16);
  }
  if (SendCommand(packet) != 0) return false;
  if (reg < sensorCache_.size()) sensorCache_[reg].store(value, std::memory_order_relaxed);
  return true;
}

bool CKVXSdkLib::ReadSensorRegister(uint16_t reg, int32_t& value) const {
  if (reg > 1023) return false;
  if (reg >= 0xC0 && reg <= 0xFF) return false;
  value = sensorCache_[reg].load(std::memory_order_relaxed);
  return true;
}

bool CKVXSdkLib::WriteControllerRegister(uint8_t reg, uint8_t value) {
  const uint8_t packet[kPacketSize] = {Byte(Command::kWriteControllerRegister), reg, value};
  return SendCommand(packet) == 0;
}

bool CKVXSdkLib::ReadControllerRegister(uint8_t reg, uint8_t& value) {
  DeviceHandle handle = nullptr;
  if (!OpenDevice(handle, devicePath_)) return false;
  uint8_t packet[kPacketSize] = {Byte(Command::kReadControllerRegister), reg};
  bool result = false;
  if (SendPacket(handle, kCommandPipe, kPacketSize, packet) != 0) {
    value = 0;
  } else if (!ReadReply(handle, packet)) {
    value = 0;
  } else {
    value = packet[0];
    result = true;
  }
  CloseDevice(handle);
  return result;
}

bool CKVXSdkLib::ReadSromByte(uint16_t address, uint8_t& value) {
  if (address < kSromIdBase) return false;
  DeviceHandle handle = nullptr;
  if (!OpenDevice(handle, devicePath_)) return false;
  uint8_t packet[kPacketSize] = {Byte(Command::kReadSerialBus),
                                 kSromBusAddress,
                                 0x02,
                                 0x01,
                                 static_cast<uint8_t>(address >> 8),
                                 static_cast<uint8_t>(address)};
  // A failed send shows up as a failed reply.
  SendPacket(handle, kCommandPipe, kPacketSize, packet);
  platform::Sleep(kSromReadWaitMs);
  const bool ok = ReadReply(handle, packet);
  platform::Sleep(kSromReadWaitMs);
  CloseDevice(handle);
  value = ok ? packet[0] : 0;
  return ok;
}

bool CKVXSdkLib::ReadSromId(int index, uint8_t& value) {
  return ReadSromByte(static_cast<uint16_t>(kSromIdBase + (static_cast<unsigned>(index) & 0xFF)),
                      value);
}

bool CKVXSdkLib::WriteSromId(int index, int value) {
  DeviceHandle handle = nullptr;
  if (!OpenDevice(handle, devicePath_)) return false;
  uint8_t packet[kPacketSize] = {Byte(Command::kWriteSerialBus),
                                 kSromBusAddress,
                                 0x03,
                                 static_cast<uint8_t>(kSromIdBase >> 8),
                                 static_cast<uint8_t>(static_cast<unsigned>(index) & 0xFF),
                                 static_cast<uint8_t>(static_cast<unsigned>(value) & 0xFF)};
  const int result = SendPacket(handle, kCommandPipe, kPacketSize, packet);
  platform::Sleep(kSromWriteWaitMs);
  CloseDevice(handle);
  return result == 0;
}

bool CKVXSdkLib::ApplyConfigurationByte() {
  uint8_t value = 0;
  if (!ReadSromByte(kSromConfigByte, value)) return false;
  if (value == 1) SetVariant(0);
  if (value == 2) SetVariant(1);
  return true;
}

}  // namespace korvex
