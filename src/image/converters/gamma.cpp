#include "image/converters/gamma.h"

#include <cmath>
#include <vector>

#include "image/converters/per_value.h"

namespace korvex::image {

double GammaExponent(int32_t setting) {
  const int32_t g = setting < 0 ? 0 : (setting > 200 ? 200 : setting);
  return g > 100 ? static_cast<double>(g - 100) / 10.0 + 1.0 : static_cast<double>(g) / 100.0;
}

void BuildGammaTable8(int32_t setting, bool limitExponent, uint8_t table[256]) {
  double e = GammaExponent(setting);
  if (limitExponent) {
    if (e <= 0.001) e = 0.001;
    if (e >= 99.999) e = 99.999;
  }
  for (int i = 0; i < 256; ++i) {
    table[i] = static_cast<uint8_t>(std::pow(static_cast<double>(i) / 255.0, e) * 255.0);
  }
}

void BuildGammaTable16(int32_t setting, int32_t bits, uint16_t* table) {
  const double e = GammaExponent(setting);
  const uint32_t n = 1u << detail::ClampBits(bits);
  for (uint32_t i = 0; i < n; ++i) {
    table[i] = static_cast<uint16_t>(std::pow(static_cast<double>(i) / n, e) * (n - 1));
  }
}

namespace {

int32_t Run8(const detail::Region& r, const int32_t* block, int channels, bool limit) {
  if (!block || r.Empty()) return 1;
  uint8_t table[256];
  BuildGammaTable8(block[kFilterValue], limit, table);
  detail::ApplyTable8(r, channels, table);
  return 1;
}

int32_t Run16(const detail::Region& r, const int32_t* block, int channels) {
  if (!block || r.Empty()) return 1;
  const uint32_t n = 1u << detail::ClampBits(block[kFilterBits]);
  std::vector<uint16_t> table(n);
  BuildGammaTable16(block[kFilterValue], block[kFilterBits], table.data());
  detail::ApplyTable16(r, channels, table.data(), n, table[n - 1]);
  return 1;
}

}  // namespace

KORVEX_REGION_CONVERTER(Gamma8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REGION_SETUP(1, 1);
  return Run8(r, block, 1, false);
}
KORVEX_REGION_CONVERTER(Gamma16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REGION_SETUP(2, 2);
  return Run16(r, block, 1);
}
KORVEX_REGION_CONVERTER(Gamma24) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  if (!detail::HoldsColour(r, 1)) return 1;
  return Run8(r, block, 3, true);
}
KORVEX_REGION_CONVERTER(Gamma48) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  if (!detail::HoldsColour(r, 2)) return 1;
  return Run16(r, block, 3);
}

}  // namespace korvex::image
