// The Korvex740K3-XLN sensor's initialisation values.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvex {

struct SensorWrite {
  uint16_t reg;
  uint32_t value;
};

// Values of sensor registers 0x00 to 0xFF, written in ascending order.
extern const uint8_t kKorvex740K3XLNInitRegisters[256];
// Writes of the 16-bit register space, 24-bit values, in sending order.
extern const SensorWrite kKorvex740K3XLNInitWrites16[130];

}  // namespace korvex
