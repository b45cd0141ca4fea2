// CKorvex740K3XLNSdk: the Korvex740K3-XLN model driver.
#include "device/korvex740k3xln_sdk.h"

#include "device/korvex740k3xln_init_table.h"
#include "platform/platform.h"

#include <algorithm>

namespace korvex {
namespace {

constexpr uint8_t kControllerSize0 = 0;  // registers 0..3: transfer size bytes
constexpr uint8_t kControllerReset = 6;
constexpr uint8_t kControllerTrigger = 11;
constexpr uint8_t kControllerWidth = 14;
constexpr uint8_t kControllerClock = 15;
constexpr uint8_t kTriggerOn = 0x25;
constexpr uint32_t kSizeWriteWaitMs = 5;
constexpr uint32_t kResetWaitMs = 60;

}  // namespace

CKorvex740K3XLNSdk::CKorvex740K3XLNSdk() {
  SetLargeTransfer(false);
  SetModelIdentifier(kModelIdentifier);
  ProbeDevices();
  SelectDevice(0);
  SetGlobalGain(kDefaultGain);
  SetExposure(kDefaultExposure);
  if (WriteSensorRegister(8, 0)) register8_ = 0;
}

CKorvex740K3XLNSdk::~CKorvex740K3XLNSdk() = default;

int CKorvex740K3XLNSdk::SelectDevice(int index) {
  if (index != CurrentDeviceIndex()) reinitialise_ = 1;
  const int result = CKVXSdkLib::SelectDevice(index);
  if (result != 0) return result;
  InitializeSensor();
  SetWindow(0, 0, kWindowLimit, kWindowLimit, 0);
  SetMirrorV(false);
  SetTriggerMode(false);
  return 0;
}

void CKorvex740K3XLNSdk::InitializeSensor() {
  if (reinitialise_ == 0) return;
  WriteSensorRegister(0x80, 0x09);
  ResetSensor();
  platform::Sleep(kResetWaitMs);
  for (int reg = 0; reg < 256; ++reg) {
    WriteSensorRegister(static_cast<uint16_t>(reg), kKorvex740K3XLNInitRegisters[reg]);
  }
  for (const SensorWrite& write : kKorvex740K3XLNInitWrites16) {
    WriteSensorRegister(write.reg, static_cast<int32_t>(write.value));
  }
  WriteSensorRegister(0x80, 0x89);
  reinitialise_ = 0;
}

bool CKorvex740K3XLNSdk::ResetSensor() {
  return WriteControllerRegister(kControllerReset, 0x11) &&
         WriteControllerRegister(kControllerReset, 0x00);
}

bool CKorvex740K3XLNSdk::SetWindow(int x, int y, int width, int height, int subsample) {
  if (x < 0 || y < 0 || width < 4 || height < 3 || x + width > kWindowLimit ||
      y + height > kWindowLimit || subsample > 3) {
    return false;
  }
  StoreWindow(x, y, width, height);
  subSample_ = subsample;
  AllocateFrameBuffers(kRawWidth, 0, kRawWidth, kRawLines, 0, kRawLines, kRingBuffers);
  const int32_t size = TransferSize();
  for (int i = 0; i < 4; ++i) {
    WriteControllerRegister(static_cast<uint8_t>(kControllerSize0 + i),
                            static_cast<uint8_t>(static_cast<uint32_t>(size) >> (8 * i)));
    platform::Sleep(kSizeWriteWaitMs);
  }
  programmedTransferSize_ = size;
  const int64_t bytes = static_cast<int64_t>(size) * (WordMode() ? 2 : 1);
  SetLargeTransfer(bytes > kLargeTransferThreshold);
  return true;
}

void CKorvex740K3XLNSdk::SetWordMode(bool on) {
  SetWordModeFlag(on);
  const uint8_t packet[kPacketSize] = {Byte(Command::kTransferWidth), 0x01};
  SendCommand(packet);
  WriteControllerRegister(kControllerWidth, on ? 1 : 0);
}

bool CKorvex740K3XLNSdk::SetGlobalGain(int gain) {
  const uint16_t g = static_cast<uint16_t>(gain);
  const bool low = WriteSensorRegister(2, g & 0xFF);
  const bool high = WriteSensorRegister(3, (g >> 8) & 3);
  if (!low || !high) return false;
  globalGain_.store(g & 0x3FF, std::memory_order_relaxed);
  return true;
}

bool CKorvex740K3XLNSdk::SetExposure(int exposure) {
  const uint16_t e = static_cast<uint16_t>(exposure);
  const uint16_t v = static_cast<uint16_t>(0x9000 | (kExposureMax - e));
  const bool low = WriteSensorRegister(0xA0, v & 0xFF);
  WriteSensorRegister(0xA1, (v >> 8) & 0xFF);
  if (low) exposure_.store(std::min<uint16_t>(e, kExposureMax), std::memory_order_relaxed);
  return low;
}

bool CKorvex740K3XLNSdk::SetTriggerMode(bool on) {
  return WriteControllerRegister(kControllerTrigger, on ? kTriggerOn : 0x00);
}

bool CKorvex740K3XLNSdk::SetClockMode(int mode) {
  WriteSensorRegister(0x20, 0);
  const uint8_t value = static_cast<uint8_t>(mode == 2 ? 3 : mode);
  const bool result = WriteControllerRegister(kControllerClock, value);
  if (result) clockMode_ = value;
  reinitialise_ = 1;
  InitializeSensor();
  return result;
}

bool CKorvex740K3XLNSdk::ReadClockMode(uint8_t& mode) {
  uint8_t value = 0;
  if (!ReadControllerRegister(kControllerClock, value)) return false;
  mode = value == 3 ? 2 : value;
  clockMode_ = mode;
  return true;
}

}  // namespace korvex
