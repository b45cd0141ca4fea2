// Sensor registers and the serial ROM's identification area, as the
// application reaches them.
#include "camera/korvex.h"

#include "device/korvex740k3xln_sdk.h"

namespace korvex {

int CKorvex::ReadRegister(int reg, int* ok) {
  if (!HasDevice()) {
    if (ok) *ok = 0;
    return NotPossible();
  }
  int32_t value = 0;
  if (!device_->ReadSensorRegister(static_cast<uint16_t>(reg & 0xFF), value)) {
    if (ok) *ok = 0;
    return Fail(KORVEX_ERR_REFUSED);
  }
  if (ok) *ok = 1;
  return value;
}

int CKorvex::WriteRegister(int reg, int value) {
  if (!HasDevice()) return NotPossible();
  if (!device_->WriteSensorRegister(static_cast<uint16_t>(reg & 0xFF), value)) {
    return Fail(KORVEX_ERR_REFUSED);
  }
  return 1;
}

int CKorvex::ReadSromID(int index, int* ok) {
  uint8_t value = 0;
  if (!HasDevice() || !device_->ReadSromId(index, value)) {
    if (ok) *ok = 0;
    errors_.NotifyError(KORVEX_ERR_NOT_POSSIBLE);
    return 0;
  }
  if (ok) *ok = 1;
  return value;
}

int CKorvex::WriteSromID(int index, int value) {
  if (!HasDevice() || !device_->WriteSromId(index & 0xFF, value & 0xFF)) {
    errors_.NotifyError(KORVEX_ERR_NOT_POSSIBLE);
    return 0;
  }
  return 1;
}

}  // namespace korvex
