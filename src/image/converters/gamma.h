// Gamma: each channel replaced through a table built at every call from the
// gamma setting g (0..200, 100 neutral): exponent g / 100 up to 100, else
// (g - 100) / 10 + 1.
#pragma once

#include <cstdint>

#include "image/converters/converter.h"

namespace korvex::image {

KORVEX_REGION_CONVERTER(Gamma8);   // 8-bit gray
KORVEX_REGION_CONVERTER(Gamma16);  // 16-bit gray (block's significant bits)
KORVEX_REGION_CONVERTER(Gamma24);  // 24/32-bit colour; exponent kept within 0.001..99.999
KORVEX_REGION_CONVERTER(Gamma48);  // 48/64-bit colour

// The tables, for callers that want to combine per-value stages.
double GammaExponent(int32_t setting);
void BuildGammaTable8(int32_t setting, bool limitExponent, uint8_t table[256]);
// n = 2^bits entries (bits limited to 8..16).
void BuildGammaTable16(int32_t setting, int32_t bits, uint16_t* table);

}  // namespace korvex::image
