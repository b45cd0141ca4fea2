// Control ids of the three dialogs, shared by the templates and the
// behaviour classes.
#pragma once

namespace korvex::dialogs::ids {

// Every sheet and the camera dialog.
inline constexpr int kTab = 1001;

// Camera dialog.
inline constexpr int kApply = 1002;
inline constexpr int kColorList = 1009;
inline constexpr int kSizeList = 1010;
inline constexpr int kSubSampleList = 1012;
inline constexpr int kClockList = 1014;
inline constexpr int kTotalH = 1039;
inline constexpr int kTotalV = 1040;
inline constexpr int kEffectiveH = 1041;
inline constexpr int kEffectiveV = 1042;
inline constexpr int kStartH = 1043;
inline constexpr int kStartV = 1044;
inline constexpr int kWaitTime = 1045;

// Analog gain page.
inline constexpr int kGainTrack = 1013, kGainEdit = 1015, kGainSpin = 1038;
inline constexpr int kColorG1Track = 1018, kColorG1Edit = 1019, kColorG1Spin = 1039;
inline constexpr int kColorRTrack = 1020, kColorREdit = 1021, kColorRSpin = 1040;
inline constexpr int kColorBTrack = 1022, kColorBEdit = 1023, kColorBSpin = 1041;
inline constexpr int kColorG2Track = 1024, kColorG2Edit = 1025, kColorG2Spin = 1042;
inline constexpr int kExposureTrack = 1026, kExposureEdit = 1027, kExposureSpin = 1043;
inline constexpr int kMirrorV = 1028;
inline constexpr int kMirrorH = 1029;
inline constexpr int kAutoIrisGain = 1036;
inline constexpr int kAutoIrisExposure = 1037;
inline constexpr int kExposureTime = 1049;

// Image filter and gray pages.
inline constexpr int kBayer0 = 1030, kBayer1 = 1031, kBayer2 = 1032, kBayer3 = 1033;
inline constexpr int kAllFrames = 1035;
inline constexpr int kOnce = 2074;
inline constexpr int kGrayModeBayer = 1046, kGrayModeConvert = 1047, kGrayModeGrayscale = 1048;

}  // namespace korvex::dialogs::ids
