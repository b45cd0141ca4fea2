// The identifiers of the image parameters that Korvex_SetFilterValue and
// Korvex_GetFilterValue take, and that each named parameter export fixes.
#pragma once

namespace korvex {

enum class FilterId : int {
  kBrightness = 1, kContrast, kHue, kSaturation, kSharpness, kBayerGainRGB, kBayerGainRed,
  kBayerGainGreen, kBayerGainBlue, kBayerGainAuto, kGamma, kBayerMode, kGlobalGain,
  kColorGainRed, kColorGainGreen1, kColorGainGreen2, kColorGainBlue, kExposureTime, kGrayMode,
  kGrayGainR, kGrayGainG1, kGrayGainG2, kGrayGainB, kGrayOffsetR, kGrayOffsetG1, kGrayOffsetG2,
  kGrayOffsetB, kGrayCalibrate
};
inline constexpr int kFirstFilterId = static_cast<int>(FilterId::kBrightness);
inline constexpr int kLastFilterId = static_cast<int>(FilterId::kGrayCalibrate);

}  // namespace korvex
