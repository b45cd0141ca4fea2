// The identifiers of the image parameters that Korvex_SetFilterValue and
// Korvex_GetFilterValue take, and that each named parameter export fixes:
// the public header's KORVEX_FILTER_* as a type for the library's code.
#pragma once

#include "KorvexSdk_740K3_XLN.h"

namespace korvex {

enum class FilterId : int {
  kBrightness = KORVEX_FILTER_BRIGHTNESS,
  kContrast = KORVEX_FILTER_CONTRAST,
  kHue = KORVEX_FILTER_HUE,
  kSaturation = KORVEX_FILTER_SATURATION,
  kSharpness = KORVEX_FILTER_SHARPNESS,
  kBayerGainRGB = KORVEX_FILTER_BAYER_GAIN_RGB,
  kBayerGainRed = KORVEX_FILTER_BAYER_GAIN_RED,
  kBayerGainGreen = KORVEX_FILTER_BAYER_GAIN_GREEN,
  kBayerGainBlue = KORVEX_FILTER_BAYER_GAIN_BLUE,
  kBayerGainAuto = KORVEX_FILTER_BAYER_GAIN_AUTO,
  kGamma = KORVEX_FILTER_GAMMA,
  kBayerMode = KORVEX_FILTER_BAYER_MODE,
  kGlobalGain = KORVEX_FILTER_GLOBAL_GAIN,
  kColorGainRed = KORVEX_FILTER_COLOR_GAIN_RED,
  kColorGainGreen1 = KORVEX_FILTER_COLOR_GAIN_GREEN1,
  kColorGainGreen2 = KORVEX_FILTER_COLOR_GAIN_GREEN2,
  kColorGainBlue = KORVEX_FILTER_COLOR_GAIN_BLUE,
  kExposureTime = KORVEX_FILTER_EXPOSURE_TIME,
  kGrayMode = KORVEX_FILTER_GRAY_MODE,
  kGrayGainR = KORVEX_FILTER_GRAY_GAIN_R,
  kGrayGainG1 = KORVEX_FILTER_GRAY_GAIN_G1,
  kGrayGainG2 = KORVEX_FILTER_GRAY_GAIN_G2,
  kGrayGainB = KORVEX_FILTER_GRAY_GAIN_B,
  kGrayOffsetR = KORVEX_FILTER_GRAY_OFFSET_R,
  kGrayOffsetG1 = KORVEX_FILTER_GRAY_OFFSET_G1,
  kGrayOffsetG2 = KORVEX_FILTER_GRAY_OFFSET_G2,
  kGrayOffsetB = KORVEX_FILTER_GRAY_OFFSET_B,
  kGrayCalibrate = KORVEX_FILTER_GRAY_CALIBRATE,
};
inline constexpr int kFirstFilterId = static_cast<int>(FilterId::kBrightness);
inline constexpr int kLastFilterId = static_cast<int>(FilterId::kGrayCalibrate);

}  // namespace korvex
