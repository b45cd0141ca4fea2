// The camera parameter interface: values by identifier, colour mode,
// sub-sampling, wait time, mirrors, auto iris, I/O port and real exposure.
#include "camera/korvex.h"

#include "common/color_mode.h"
#include "common/filter_ids.h"
#include "device/korvex740k3xln_sdk.h"

#include <cstdint>

namespace korvex {

namespace {

using enum FilterId;

struct Range {
  int32_t min, max;
};

// Accepted values of the identifiers that store into one field.
Range RangeOf(FilterId id) {
  switch (id) {
    case kBrightness:
    case kSaturation: return {-255, 255};
    case kContrast: return {-127, 127};
    case kHue: return {-360, 360};
    case kSharpness: return {0, 30};
    case kBayerGainRed:
    case kBayerGainGreen:
    case kBayerGainBlue: return {0, kBayerGainMax};
    case kGamma: return {0, 200};
    case kBayerMode: return {0, 3};
    case kGlobalGain: return {0, 1023};
    case kColorGainRed:
    case kColorGainGreen1:
    case kColorGainGreen2:
    case kColorGainBlue: return {0, 0};
    case kExposureTime: return {0, 1014};
    case kGrayMode: return {0, 2};
    case kGrayGainR:
    case kGrayGainG1:
    case kGrayGainG2:
    case kGrayGainB: return {0, kGrayGainMax};
    case kGrayOffsetR:
    case kGrayOffsetG1:
    case kGrayOffsetG2:
    case kGrayOffsetB: return {-255, 255};
    case kGrayCalibrate: return {0, 1};
    default: return {INT32_MIN, INT32_MAX};  // packed gains and the auto flag take anything
  }
}

// The field an identifier stores into (the packed gains and the global
// gain touch several).
Setting& FieldOf(CameraSettings& s, FilterId id) {
  FilterGroup& f = s.filter;
  AnalogGroup& a = s.analog;
  switch (id) {
    case kBrightness: return f.Brightness;
    case kContrast: return f.Contrast;
    case kHue: return f.Hue;
    case kSaturation: return f.Saturation;
    case kSharpness: return f.Sharpness;
    case kBayerGainRed: return f.R_Gain;
    case kBayerGainGreen: return f.G_Gain;
    case kBayerGainBlue: return f.B_Gain;
    case kBayerGainAuto: return f.BayerGainAuto;
    case kGamma: return f.Gamma;
    case kBayerMode: return f.BayerMode;
    case kGlobalGain: return a.Global;
    case kColorGainRed: return a.ColorR;
    case kColorGainGreen1: return a.ColorG1;
    case kColorGainGreen2: return a.ColorG2;
    case kColorGainBlue: return a.ColorB;
    case kExposureTime: return a.Exposure;
    case kGrayMode: return f.Mode;
    case kGrayGainR: return f.GainR1;
    case kGrayGainG1: return f.GainG1;
    case kGrayGainG2: return f.GainG2;
    case kGrayGainB: return f.GainB1;
    case kGrayOffsetR: return f.OffsetR1;
    case kGrayOffsetG1: return f.OffsetG1;
    case kGrayOffsetG2: return f.OffsetG2;
    case kGrayOffsetB: return f.OffsetB1;
    default: return f.GrayCalibrate;
  }
}

}  // namespace

int CKorvex::SetFilterValue(int id, int value) {
  if (!HasDevice()) return NotPossible();
  if (id < kFirstFilterId || id > kLastFilterId) return Fail(KORVEX_ERR_ARGUMENT);
  const FilterId filter = static_cast<FilterId>(id);
  const Range range = RangeOf(filter);
  if (value < range.min || value > range.max) return Fail(KORVEX_ERR_ARGUMENT);
  FilterGroup& f = settings_.filter;
  switch (filter) {
    case kBayerGainRGB:
      f.R_Gain = value & 0xFF;
      f.G_Gain = (value >> 8) & 0xFF;
      f.B_Gain = (value >> 16) & 0xFF;
      return 1;
    case kBayerGainAuto: f.BayerGainAuto = value != 0 ? 1 : 0; return 1;
    case kGlobalGain:
      SetGainField(value);
      device_->SetGlobalGain(static_cast<uint16_t>(value));
      return 1;
    case kExposureTime:
      settings_.analog.Exposure = value;
      device_->SetExposure(static_cast<uint16_t>(value));
      return 1;
    default: FieldOf(settings_, filter) = value; return 1;
  }
}

int CKorvex::GetFilterValue(int id, int* ok) {
  if (!HasDevice()) {
    if (ok) *ok = 0;
    return NotPossible();
  }
  if (ok) *ok = 1;
  if (id < kFirstFilterId || id > kLastFilterId) {
    if (ok) *ok = 0;
    return Fail(KORVEX_ERR_ARGUMENT);
  }
  const FilterId filter = static_cast<FilterId>(id);
  const FilterGroup& f = settings_.filter;
  switch (filter) {
    case kBayerGainRGB: return (f.R_Gain & 0xFF) | (f.G_Gain & 0xFF) << 8 | (f.B_Gain & 0xFF) << 16;
    case kGlobalGain: return device_->GetGlobalGain();
    case kExposureTime: return device_->GetExposure();
    case kColorGainRed:
    case kColorGainGreen1:
    case kColorGainGreen2:
    case kColorGainBlue: return 0;
    default: return FieldOf(settings_, filter);
  }
}

void CKorvex::SetGainField(int32_t gain) {
  AnalogGroup& a = settings_.analog;
  a.Global = gain;
  a.ColorG1 = gain;
  a.ColorR = gain;
  a.ColorB = gain;
  a.ColorG2 = gain;
}

int CKorvex::SetColorMode(int bitsPerPixel) {
  const std::optional<ColorMode> mode = ColorModeOfBits(bitsPerPixel);
  if (!mode) return Fail(KORVEX_ERR_ARGUMENT);
  settings_.video.Color = IndexOf(*mode);
  return 1;
}

int CKorvex::GetColorMode() const {
  const std::optional<ColorMode> mode = ColorModeOf(settings_.video.Color);
  return mode ? ReportedBits(*mode) : -1;
}

int CKorvex::SetSubSample(int mode) {
  if (mode != 0) return 0;
  settings_.video.SubSample = 0;
  return 1;
}

int CKorvex::SetWaitTime(int milliseconds) {
  if (milliseconds < 0) return 0;
  settings_.video.WaitTime = milliseconds;
  return 1;
}

int CKorvex::SetMirrorH(int flag) {
  if (!HasDevice()) return NotPossible();
  const int32_t on = flag != 0 ? 1 : 0;
  settings_.analog.H_Mirror = on;
  device_->SetMirrorH(on);
  return 1;
}

int CKorvex::GetMirrorH() {
  if (!HasDevice()) return NotPossible();
  return settings_.analog.H_Mirror;
}

int CKorvex::SetMirrorV(int flag) {
  if (!HasDevice()) {
    errors_.NotifyError(KORVEX_ERR_NOT_POSSIBLE);
    return 0;
  }
  const int32_t on = flag != 0 ? 1 : 0;
  settings_.analog.V_Mirror = on;
  device_->SetMirrorV(on);
  return 1;
}

int CKorvex::GetMirrorV() {
  if (!HasDevice()) {
    errors_.NotifyError(KORVEX_ERR_NOT_POSSIBLE);
    return 0;
  }
  return settings_.analog.V_Mirror;
}

int CKorvex::SetAutoIris(unsigned int mode) {
  if (mode > 2) {
    errors_.NotifyError(KORVEX_ERR_ARGUMENT);
    return 0;
  }
  settings_.analog.AutoIris = static_cast<int32_t>(mode);
  return 1;
}

int CKorvex::GetAutoIris(int* ok) {
  if (ok) *ok = 1;
  return settings_.analog.AutoIris;
}

int CKorvex::SetIOPort(int value) {
  if (!HasDevice()) {
    errors_.NotifyError(KORVEX_ERR_NOT_POSSIBLE);
    return 0;
  }
  if (!device_->WriteControllerRegister(7, static_cast<uint8_t>(value & 0xFF))) {
    return Fail(KORVEX_ERR_REFUSED);  // the register write failed
  }
  return 1;
}

int CKorvex::GetIOPort(unsigned char* value) {
  if (!HasDevice()) {
    errors_.NotifyError(KORVEX_ERR_NOT_POSSIBLE);
    return 0;
  }
  if (value == nullptr) {
    errors_.NotifyError(KORVEX_ERR_ARGUMENT);
    return 0;
  }
  uint8_t port = 0;
  if (!device_->ReadControllerRegister(7, port)) {
    errors_.ReportError(KORVEX_ERR_REFUSED);  // the register read failed
    return 0;
  }
  *value = port;
  return 1;
}

int CKorvex::SetConfigFilter() {
  errors_.ReportError(KORVEX_ERR_UNSUPPORTED);
  return -1;
}

int CKorvex::GetConfigFilter() {
  errors_.ReportError(KORVEX_ERR_UNSUPPORTED);
  return -1;
}

int CKorvex::GetRealExposureTime(int* ok) {
  if (!HasDevice()) {
    if (ok) *ok = 0;
    return NotPossible();
  }
  if (ok) *ok = 1;
  return exposureTiming_.Refresh(settings_.analog.Exposure);
}

int CKorvex::SetRealExposureTime(int microseconds) {
  if (!HasDevice()) return NotPossible();
  int32_t lines = static_cast<int32_t>(static_cast<double>(microseconds) / 1000.0 / kLineTimeMs);
  // 1014 stands for a 2028-line exposure, so a time that converts to exactly
  // 1014 lines is out of range like every longer one.
  if (lines == 1014) lines = 2028;
  if (lines < 0 || lines > 1014) return Fail(KORVEX_ERR_ARGUMENT);
  settings_.analog.Exposure = lines;
  device_->SetExposure(static_cast<uint16_t>(lines));
  return 1;
}

}  // namespace korvex
