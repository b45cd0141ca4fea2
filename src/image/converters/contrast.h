// Contrast: setting k in -127..127 (0 neutral); positive k stretches the
// range around the middle, negative k compresses it. Table built per call.
#pragma once

#include <cstdint>

#include "image/converters/converter.h"

namespace korvex::image {

KORVEX_REGION_CONVERTER(Contrast8);
KORVEX_REGION_CONVERTER(Contrast16);
KORVEX_REGION_CONVERTER(Contrast24);
KORVEX_REGION_CONVERTER(Contrast48);

void BuildContrastTable8(int32_t setting, uint8_t table[256]);
// n = 2^bits entries (bits limited to 8..16); samples at or above n map to n - 1.
void BuildContrastTable16(int32_t setting, int32_t bits, uint16_t* table);

}  // namespace korvex::image
