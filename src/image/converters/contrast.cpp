#include "image/converters/contrast.h"

#include <vector>

#include "image/converters/per_value.h"

namespace korvex::image {
namespace {
int32_t ClampSetting(int32_t k) { return k < -127 ? -127 : (k > 127 ? 127 : k); }
}  // namespace

void BuildContrastTable8(int32_t setting, uint8_t table[256]) {
  const int32_t k = ClampSetting(setting);
  const double scale = 256.0 / static_cast<double>(256 - 2 * k);
  for (int32_t i = 0; i < 256; ++i) {
    if (i < k) {
      table[i] = 0;
    } else if (i > 255 - k) {
      table[i] = 255;
    } else {
      table[i] = static_cast<uint8_t>(scale * static_cast<double>(i - k));
    }
  }
}

void BuildContrastTable16(int32_t setting, int32_t bits, uint16_t* table) {
  const int32_t b = detail::ClampBits(bits);
  const int64_t n = int64_t{1} << b;
  const int64_t k = static_cast<int64_t>(ClampSetting(setting)) << (b - 8);
  const double scale = static_cast<double>(n) / static_cast<double>(n - 2 * k);
  for (int64_t i = 0; i < n; ++i) {
    if (i < k) {
      table[i] = 0;
    } else if (i > n - 1 - k) {
      table[i] = static_cast<uint16_t>(n - 1);
    } else {
      table[i] = static_cast<uint16_t>(scale * static_cast<double>(i - k));
    }
  }
}

namespace {

int32_t Run8(const detail::Region& r, const int32_t* block, int channels) {
  if (!block || r.Empty()) return 1;
  uint8_t table[256];
  BuildContrastTable8(block[kFilterValue], table);
  detail::ApplyTable8(r, channels, table);
  return 1;
}

int32_t Run16(const detail::Region& r, const int32_t* block, int channels) {
  if (!block || r.Empty()) return 1;
  const uint32_t n = 1u << detail::ClampBits(block[kFilterBits]);
  std::vector<uint16_t> table(n);
  BuildContrastTable16(block[kFilterValue], block[kFilterBits], table.data());
  detail::ApplyTable16(r, channels, table.data(), n, static_cast<uint16_t>(n - 1));
  return 1;
}

}  // namespace

KORVEX_REGION_CONVERTER(Contrast8) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REGION_SETUP(1, 1);
  return Run8(r, block, 1);
}
KORVEX_REGION_CONVERTER(Contrast16) {
  (void)dstBytesPerPixel, (void)srcBytesPerPixel;
  KORVEX_REGION_SETUP(2, 2);
  return Run16(r, block, 1);
}
KORVEX_REGION_CONVERTER(Contrast24) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  if (!detail::HoldsColour(r, 1)) return 1;
  return Run8(r, block, 3);
}
KORVEX_REGION_CONVERTER(Contrast48) {
  KORVEX_REGION_SETUP(dstBytesPerPixel, srcBytesPerPixel);
  if (!detail::HoldsColour(r, 2)) return 1;
  return Run16(r, block, 3);
}

}  // namespace korvex::image
