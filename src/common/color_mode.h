// The camera's colour modes and their properties, in one place. The
// settings record stores a mode as its index 0..5 (the registry keeps that
// number); the interface names a mode by its bits per pixel, and reports
// the deep modes by their significant bits (10 bits of grey, 14 of colour).
//
// Deep modes carry 16-bit samples: the raw frame, the grey image and the
// 48/64-bit colour images. Grey modes end in a grey image; the colour modes
// demosaic into a 24, 32, 48 or 64-bit picture.
#pragma once

#include <cstdint>
#include <optional>

namespace korvex {

enum class ColorMode : int32_t { kGray8 = 0, kGray16, kColor24, kColor32, kColor48, kColor64 };
inline constexpr int kColorModeCount = 6;

// The mode of a stored index; none for an index this camera does not have.
constexpr std::optional<ColorMode> ColorModeOf(int32_t index) {
  if (index < 0 || index >= kColorModeCount) return std::nullopt;
  return static_cast<ColorMode>(index);
}
constexpr int32_t IndexOf(ColorMode mode) { return static_cast<int32_t>(mode); }

constexpr bool IsDeep(ColorMode mode) {
  return mode == ColorMode::kGray16 || mode == ColorMode::kColor48 || mode == ColorMode::kColor64;
}
constexpr bool IsGray(ColorMode mode) {
  return mode == ColorMode::kGray8 || mode == ColorMode::kGray16;
}
// Bits per pixel of the mode's output image.
constexpr int BitsPerPixel(ColorMode mode) {
  constexpr int kBits[kColorModeCount] = {8, 16, 24, 32, 48, 64};
  return kBits[IndexOf(mode)];
}
// What the interface reports for the mode: the significant bits per pixel.
constexpr int ReportedBits(ColorMode mode) {
  constexpr int kBits[kColorModeCount] = {8, 10, 24, 32, 42, 58};
  return kBits[IndexOf(mode)];
}
// The mode whose output image has `bits` per pixel; none for other depths.
constexpr std::optional<ColorMode> ColorModeOfBits(int bits) {
  for (int i = 0; i < kColorModeCount; ++i) {
    if (BitsPerPixel(static_cast<ColorMode>(i)) == bits) return static_cast<ColorMode>(i);
  }
  return std::nullopt;
}

}  // namespace korvex
