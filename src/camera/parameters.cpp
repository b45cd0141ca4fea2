// The camera parameter interface: values by identifier, colour mode,
// sub-sampling, wait time, mirrors, auto iris, I/O port and real exposure.
#include "camera/korvex.h"

namespace korvex {

int CKorvex::SetFilterValue(int, int) { return NoDevice(); }

int CKorvex::GetFilterValue(int, int* ok) {
  if (ok) *ok = 0;
  return NoDevice();
}

int CKorvex::SetColorMode(int bitsPerPixel) {
  int index;
  switch (bitsPerPixel) {
    case 8: index = 0; break;
    case 16: index = 1; break;
    case 24: index = 2; break;
    case 32: index = 3; break;
    case 48: index = 4; break;
    case 64: index = 5; break;
    default:
      errors_.ReportError(9);
      return 0;
  }
  settings_.video.Color = index;
  return 1;
}

int CKorvex::GetColorMode() const {
  static constexpr int kReported[6] = {8, 10, 24, 32, 42, 58};
  const int index = settings_.video.Color;
  return (index >= 0 && index < 6) ? kReported[index] : -1;
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

int CKorvex::SetMirrorH(int) { return NoDevice(); }
int CKorvex::GetMirrorH() { return NoDevice(); }

int CKorvex::SetMirrorV(int) {
  errors_.NotifyError(1);
  return 0;
}

int CKorvex::GetMirrorV() {
  errors_.NotifyError(1);
  return 0;
}

int CKorvex::SetAutoIris(unsigned int mode) {
  if (mode > 2) {
    errors_.NotifyError(9);
    return 0;
  }
  settings_.analog.AutoIris = static_cast<int32_t>(mode);
  return 1;
}

int CKorvex::GetAutoIris(int* ok) {
  if (ok) *ok = 1;
  return settings_.analog.AutoIris;
}

int CKorvex::SetIOPort(int) {
  errors_.NotifyError(1);
  return 0;
}

int CKorvex::GetIOPort(unsigned char*) {
  errors_.NotifyError(1);
  return 0;
}

int CKorvex::SetConfigFilter() {
  errors_.ReportError(11);
  return -1;
}

int CKorvex::GetConfigFilter() {
  errors_.ReportError(11);
  return -1;
}

int CKorvex::SetRealExposureTime(int) { return NoDevice(); }

}  // namespace korvex
