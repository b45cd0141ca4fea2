// CKorvex740K3XLNSdk: the device object for the Korvex740K3-XLN: its model
// identifier, sensor initialisation, fixed raw frame geometry, frame size and
// transfer width programming, global gain, exposure, trigger and pixel clock.
#pragma once

#include <atomic>

#include "device/kvx_sdk_lib.h"

#include <cstdint>

namespace korvex {

class CKorvex740K3XLNSdk : public CKVXSdkLib {
 public:
  static constexpr char kModelIdentifier[] = "Kvrx740K3XLN";
  static constexpr int kRawWidth = 2560;
  static constexpr int kRawLines = 2008;
  static constexpr int kRingBuffers = 4;
  static constexpr int kWindowLimit = 3000;
  static constexpr int kLargeTransferThreshold = 3071999;
  static constexpr int kGainMin = 0;
  static constexpr int kGainMax = 1023;
  static constexpr int kExposureMin = 0;
  static constexpr int kExposureMax = 1014;
  static constexpr int kDefaultGain = 512;
  static constexpr int kDefaultExposure = 64;

  // Probes the devices, selects device 0 (sending the initialisation
  // sequence), then gain 512, exposure 64 and sensor register 8 = 0. Works
  // without a camera: the writes then simply fail.
  CKorvex740K3XLNSdk();
  ~CKorvex740K3XLNSdk() override;

  // Selects a device; the full sensor sequence runs again only when the index
  // changes. 22 for an index above 31, else 0.
  int SelectDevice(int index);
  // Runs the 388-write sequence when re-initialisation is pending.
  void InitializeSensor();
  // Controller register 6: 0x11 then 0x00; whether both writes worked.
  bool ResetSensor();
  // False for an invalid window (nothing changes); else reallocates the
  // frame buffers, programs the transfer size and returns true.
  bool SetWindow(int x, int y, int width, int height, int subsample);
  void SetWordMode(bool on) override;
  // The register writes' success; the value is kept only when they worked.
  bool SetGlobalGain(int gain);
  int GetGlobalGain() const { return globalGain_.load(std::memory_order_relaxed); }
  bool SetExposure(int exposure);
  int GetExposure() const { return exposure_.load(std::memory_order_relaxed); }
  bool SetTriggerMode(bool on);
  bool SetClockMode(int mode);
  bool ReadClockMode(uint8_t& mode);
  int ClockMode() const { return clockMode_; }

  int Register8Setting() const { return register8_; }
  int ProgrammedTransferSize() const { return programmedTransferSize_; }
  bool ReinitialisePending() const { return reinitialise_ != 0; }
  int SubSample() const { return subSample_; }

  // Limits the camera object and dialogs ask for.
  static int LowerLimit() { return 0; }
  static int GainMaximum() { return kGainMax; }
  static int ExposureMaximum() { return kExposureMax; }
  static int DefaultGlobalGain() { return kDefaultGain; }

 private:
  // Written by the application's setters and by the capture thread's
  // automatic brightness loop: the last writer wins.
  std::atomic<uint16_t> globalGain_{0};
  std::atomic<uint16_t> exposure_{0};
  uint8_t register8_ = 0;
  int32_t clockMode_ = 0;
  int32_t reinitialise_ = 1;
  int32_t programmedTransferSize_ = 0;
  int32_t subSample_ = 0;
};

}  // namespace korvex
