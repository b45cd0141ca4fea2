// The templates themselves: every dialog and page with its controls, and
// the list and tab texts. Layouts are in dialog units.
#pragma once

#include "dialogs/control_ids.h"
#include "dialogs/templates.h"

#include <iterator>

// The tables below keep their hand-made columns.
// clang-format off

namespace korvex::dialogs::table {

using C = ControlClass;
namespace s = style;

inline constexpr uint32_t kDialogStyle =
    s::kDsModalFrame | s::kDsSetFont | s::kPopup | s::kCaption | s::kSysMenu;
inline constexpr uint32_t kPageStyle = s::kDsControl | s::kDsSetFont | s::kChild;
inline constexpr uint32_t kLabel = s::kSsLeft;
inline constexpr uint32_t kGroupBox = s::kBsGroupBox;
inline constexpr uint32_t kPush = s::kBsPushButton | s::kTabStop;
inline constexpr uint32_t kCheck = s::kBsAutoCheckBox | s::kTabStop;
inline constexpr uint32_t kRadio = s::kBsAutoRadioButton;
inline constexpr uint32_t kFirstRadio = s::kBsAutoRadioButton | s::kGroup | s::kTabStop;
inline constexpr uint32_t kNumberEdit = s::kEsAutoHScroll | s::kBorder | s::kTabStop;
inline constexpr uint32_t kList = s::kCbsDropDownList | s::kVScroll | s::kTabStop;
inline constexpr uint32_t kTabs = s::kTcsOwnerDrawFixed | s::kTcsFixedWidth | s::kTabStop;
inline constexpr uint32_t kTrack = s::kTbsAutoTicks | s::kTabStop;
inline constexpr uint32_t kSpin =
    s::kUdsSetBuddyInt | s::kUdsAlignRight | s::kUdsArrowKeys | s::kUdsNoThousands;

// ---- camera dialog (106 English, 101 Japanese), 313 x 229 -------------------
inline constexpr ControlTemplate kCameraControls[] = {
    {ids::kTab, C::kTab, nullptr, nullptr, 7, 7, 299, 194, kTabs},
    {kStaticId, C::kButton, "Video Format", "ビデオ形式", 15, 26, 140, 100, kGroupBox},
    {kStaticId, C::kStatic, "Color / Compression(&C):", "色空間 / 圧縮(&C):", 22, 38, 126, 8, kLabel},
    {ids::kColorList, C::kComboBox, nullptr, nullptr, 22, 48, 126, 90, kList},
    {kStaticId, C::kStatic, "Size(&S):", "出力サイズ(&S):", 22, 66, 126, 8, kLabel},
    {ids::kSizeList, C::kComboBox, nullptr, nullptr, 22, 76, 126, 90, kList},
    {kStaticId, C::kStatic, "Sub Sample(&B):", "間引き転送モード(&B):", 22, 94, 126, 8, kLabel},
    {ids::kSubSampleList, C::kComboBox, nullptr, nullptr, 22, 104, 126, 60, kList},
    {kStaticId, C::kButton, "Camera Size", "カスタムサイズ", 161, 26, 137, 100, kGroupBox},
    {kStaticId, C::kStatic, "H Total", "総水平画素", 168, 40, 66, 8, kLabel},
    {ids::kTotalH, C::kEdit, nullptr, nullptr, 236, 38, 54, 12, kNumberEdit | s::kEsReadOnly},
    {kStaticId, C::kStatic, "V Total", "総垂直画素", 168, 54, 66, 8, kLabel},
    {ids::kTotalV, C::kEdit, nullptr, nullptr, 236, 52, 54, 12, kNumberEdit | s::kEsReadOnly},
    {kStaticId, C::kStatic, "H Effective", "有効水平画素", 168, 68, 66, 8, kLabel},
    {ids::kEffectiveH, C::kEdit, nullptr, nullptr, 236, 66, 54, 12, kNumberEdit},
    {kStaticId, C::kStatic, "V Effective", "有効垂直画素", 168, 82, 66, 8, kLabel},
    {ids::kEffectiveV, C::kEdit, nullptr, nullptr, 236, 80, 54, 12, kNumberEdit},
    {kStaticId, C::kStatic, "H Start", "有効水平起点", 168, 96, 66, 8, kLabel},
    {ids::kStartH, C::kEdit, nullptr, nullptr, 236, 94, 54, 12, kNumberEdit},
    {kStaticId, C::kStatic, "V Start", "有効垂直起点", 168, 110, 66, 8, kLabel},
    {ids::kStartV, C::kEdit, nullptr, nullptr, 236, 108, 54, 12, kNumberEdit},
    {kStaticId, C::kButton, "Frame Rate", "フレームレート", 15, 132, 283, 36, kGroupBox},
    {kStaticId, C::kStatic, "Wait Time(&T):", "フレーム間待ち時間(&T):", 22, 148, 84, 8, kLabel},
    {ids::kWaitTime, C::kEdit, nullptr, nullptr, 108, 146, 40, 12, kNumberEdit},
    {kStaticId, C::kStatic, "Clock(&C):", "動作クロック(&C):", 161, 148, 62, 8, kLabel},
    {ids::kClockList, C::kComboBox, nullptr, nullptr, 225, 146, 65, 60, kList},
    {kStaticId, C::kStatic, "* In the WORD forwarding mode, please set the clock to the half.",
     "※WORD転送モードの際は動作クロックをハーフに設定してください", 15, 176, 283, 18, kLabel},
    {kIdOk, C::kButton, "OK", "OK", 139, 208, 50, 14, s::kBsDefPushButton | s::kTabStop},
    {kIdCancel, C::kButton, "Cancel", "キャンセル", 195, 208, 50, 14, kPush},
    {ids::kApply, C::kButton, "Apply(&A)", "適用(&A)", 251, 208, 55, 14, kPush},
};

// ---- sheets: tab control, OK, Cancel, Default ----------------------------------
inline constexpr ControlTemplate kAnalogSheetControls[] = {
    {ids::kTab, C::kTab, nullptr, nullptr, 7, 7, 280, 146, kTabs},
    {kIdOk, C::kButton, "OK", "OK", 125, 158, 50, 14, s::kBsDefPushButton | s::kTabStop},
    {kIdCancel, C::kButton, "Cancel", "キャンセル", 181, 158, 50, 14, kPush},
    {kIdDefault, C::kButton, "Default(&D)", "規定値(&D)", 237, 158, 50, 14, kPush},
};
// The Japanese analog sheet is taller (199) to hold the taller page.
inline constexpr ControlTemplate kAnalogSheetControlsJapanese[] = {
    {ids::kTab, C::kTab, nullptr, nullptr, 7, 7, 280, 167, kTabs},
    {kIdOk, C::kButton, "OK", "OK", 125, 179, 50, 14, s::kBsDefPushButton | s::kTabStop},
    {kIdCancel, C::kButton, "Cancel", "キャンセル", 181, 179, 50, 14, kPush},
    {kIdDefault, C::kButton, "Default(&D)", "規定値(&D)", 237, 179, 50, 14, kPush},
};
inline constexpr ControlTemplate kImageSheetControls[] = {
    {ids::kTab, C::kTab, nullptr, nullptr, 7, 7, 280, 162, kTabs},
    {kIdOk, C::kButton, "OK", "OK", 125, 174, 50, 14, s::kBsDefPushButton | s::kTabStop},
    {kIdCancel, C::kButton, "Cancel", "キャンセル", 181, 174, 50, 14, kPush},
    {kIdDefault, C::kButton, "Default(&D)", "規定値(&D)", 237, 174, 50, 14, kPush},
};

// ---- analog gain page (110 English 238 x 126, 105 Japanese 251 x 146) ----------
#define KORVEX_ANALOG_ROW(y, caption, track, edit, spin)                          \
  {kStaticId, C::kStatic, caption, nullptr, 6, y + 2, 62, 8, kLabel},             \
      {track, C::kTrackbar, nullptr, nullptr, 70, y, 100, 14, kTrack},            \
      {edit, C::kEdit, nullptr, nullptr, 172, y, 40, 12, kNumberEdit},            \
      {spin, C::kUpDown, nullptr, nullptr, 212, y, 10, 12, kSpin}
inline constexpr ControlTemplate kAnalogPageControls[] = {
    KORVEX_ANALOG_ROW(4, "&Global Gain", ids::kGainTrack, ids::kGainEdit, ids::kGainSpin),
    KORVEX_ANALOG_ROW(19, "&Color Gain G1", ids::kColorG1Track, ids::kColorG1Edit,
                      ids::kColorG1Spin),
    KORVEX_ANALOG_ROW(34, "&Color Gain R", ids::kColorRTrack, ids::kColorREdit,
                      ids::kColorRSpin),
    KORVEX_ANALOG_ROW(49, "&Color Gain B", ids::kColorBTrack, ids::kColorBEdit,
                      ids::kColorBSpin),
    KORVEX_ANALOG_ROW(64, "&Color Gain G2", ids::kColorG2Track, ids::kColorG2Edit,
                      ids::kColorG2Spin),
    KORVEX_ANALOG_ROW(79, "&Exposure", ids::kExposureTrack, ids::kExposureEdit,
                      ids::kExposureSpin),
    {ids::kExposureTime, C::kStatic, "= msec", nullptr, 172, 94, 60, 8, kLabel},
    {kStaticId, C::kStatic, "Auto Iris", nullptr, 6, 108, 40, 8, kLabel},
    {ids::kAutoIrisGain, C::kButton, "Gain", nullptr, 48, 107, 36, 10, kCheck},
    {ids::kAutoIrisExposure, C::kButton, "Exposure", nullptr, 86, 107, 48, 10, kCheck},
    {ids::kMirrorV, C::kButton, "Mirror V", nullptr, 140, 107, 44, 10, kCheck},
    {ids::kMirrorH, C::kButton, "Mirror H", nullptr, 186, 107, 44, 10, kCheck},
};
#undef KORVEX_ANALOG_ROW

// ---- image filter page (107 English, 103 Japanese), 251 x 142 -------------------
#define KORVEX_FILTER_ROW(y, caption, track, edit, spin)                          \
  {kStaticId, C::kStatic, caption, nullptr, 6, y + 2, 50, 8, kLabel},             \
      {track, C::kTrackbar, nullptr, nullptr, 58, y, 130, 12, kTrack},            \
      {edit, C::kEdit, nullptr, nullptr, 190, y, 40, 11, kNumberEdit},            \
      {spin, C::kUpDown, nullptr, nullptr, 230, y, 10, 11, kSpin}
inline constexpr ControlTemplate kImageFilterPageControls[] = {
    KORVEX_FILTER_ROW(2, "&Brightness", 2001, 2002, 2004),
    KORVEX_FILTER_ROW(14, "&Contrast", 2011, 2012, 2014),
    KORVEX_FILTER_ROW(26, "&Hue", 2021, 2022, 2024),
    KORVEX_FILTER_ROW(38, "&Saturation", 2031, 2032, 2034),
    KORVEX_FILTER_ROW(50, "Shar&pness", 2041, 2042, 2044),
    KORVEX_FILTER_ROW(62, "&R Gain", 2051, 2052, 2054),
    KORVEX_FILTER_ROW(74, "&G Gain", 2061, 2062, 2063),
    KORVEX_FILTER_ROW(86, "&B Gain", 2071, 2072, 2073),
    KORVEX_FILTER_ROW(98, "&Gamma", 2081, 2082, 2084),
    {kStaticId, C::kButton, "Auto white balance", nullptr, 4, 112, 110, 28, kGroupBox},
    {ids::kOnce, C::kButton, "Once", nullptr, 10, 123, 40, 12, kPush},
    {ids::kAllFrames, C::kButton, "All frames", nullptr, 56, 124, 54, 10, kCheck},
    {kStaticId, C::kButton, "Bayer Mode", nullptr, 118, 112, 128, 28, kGroupBox},
    {ids::kBayer0, C::kButton, "GB", nullptr, 124, 124, 28, 10, kFirstRadio},
    {ids::kBayer1, C::kButton, "RG", nullptr, 154, 124, 28, 10, kRadio},
    {ids::kBayer2, C::kButton, "BG", nullptr, 184, 124, 28, 10, kRadio},
    {ids::kBayer3, C::kButton, "GR", nullptr, 214, 124, 28, 10, kRadio},
};
#undef KORVEX_FILTER_ROW

// ---- gray page (112 English, 113 Japanese), 251 x 142 ---------------------------
#define KORVEX_GRAY_ROW(x, y, caption, track, edit, spin)                        \
  {kStaticId, C::kStatic, caption, nullptr, x, y + 2, 28, 8, kLabel},            \
      {track, C::kTrackbar, nullptr, nullptr, x + 28, y, 50, 12, kTrack},        \
      {edit, C::kEdit, nullptr, nullptr, x + 78, y, 28, 11, kNumberEdit},        \
      {spin, C::kUpDown, nullptr, nullptr, x + 106, y, 8, 11, kSpin}
inline constexpr ControlTemplate kGrayPageControls[] = {
    {kStaticId, C::kButton, "Gain", nullptr, 2, 2, 122, 62, kGroupBox},
    KORVEX_GRAY_ROW(6, 12, "Red", 2100, 2101, 2102),
    KORVEX_GRAY_ROW(6, 24, "Green1", 2103, 2104, 2105),
    KORVEX_GRAY_ROW(6, 36, "Green2", 2106, 2107, 2108),
    KORVEX_GRAY_ROW(6, 48, "Blue", 2109, 2110, 2111),
    {kStaticId, C::kButton, "Offset", nullptr, 126, 2, 122, 62, kGroupBox},
    KORVEX_GRAY_ROW(130, 12, "Red", 2112, 2113, 2114),
    KORVEX_GRAY_ROW(130, 24, "Green1", 2115, 2116, 2117),
    KORVEX_GRAY_ROW(130, 36, "Green2", 2118, 2119, 2120),
    KORVEX_GRAY_ROW(130, 48, "Blue", 2121, 2122, 2123),
    {kStaticId, C::kButton, "Filter mode", nullptr, 2, 68, 122, 46, kGroupBox},
    {ids::kGrayModeBayer, C::kButton, "Bayer", nullptr, 8, 79, 100, 10, kFirstRadio},
    {ids::kGrayModeConvert, C::kButton, "Bayer convert", nullptr, 8, 90, 100, 10, kRadio},
    {ids::kGrayModeGrayscale, C::kButton, "Grayscale", nullptr, 8, 101, 100, 10, kRadio},
    {kStaticId, C::kButton, "Auto Gain", nullptr, 126, 68, 122, 28, kGroupBox},
    {ids::kOnce, C::kButton, "Once", nullptr, 132, 79, 40, 12, kPush},
    {ids::kAllFrames, C::kButton, "All frames", nullptr, 178, 80, 60, 10, kCheck},
    {kStaticId, C::kButton, "Bayer Mode", nullptr, 126, 100, 122, 28, kGroupBox},
    {ids::kBayer0, C::kButton, "GB", nullptr, 132, 112, 26, 10, kFirstRadio},
    {ids::kBayer1, C::kButton, "RG", nullptr, 160, 112, 26, 10, kRadio},
    {ids::kBayer2, C::kButton, "BG", nullptr, 188, 112, 26, 10, kRadio},
    {ids::kBayer3, C::kButton, "GR", nullptr, 216, 112, 26, 10, kRadio},
};
#undef KORVEX_GRAY_ROW

template <size_t N>
constexpr int Count(const ControlTemplate (&)[N]) {
  return static_cast<int>(N);
}

// Every template, in resource id order.
inline constexpr DialogTemplate kTemplates[] = {
    {101, Language::kJapanese, "プロパティ", 313, 229, kDialogStyle, kCameraControls,
     Count(kCameraControls)},
    {102, Language::kJapanese, "プロパティ", 294, 194, kDialogStyle, kImageSheetControls,
     Count(kImageSheetControls)},
    {103, Language::kJapanese, nullptr, 251, 142, kPageStyle, kImageFilterPageControls,
     Count(kImageFilterPageControls)},
    {104, Language::kJapanese, "プロパティ", 294, 199, kDialogStyle,
     kAnalogSheetControlsJapanese, Count(kAnalogSheetControlsJapanese)},
    {105, Language::kJapanese, nullptr, 251, 146, kPageStyle, kAnalogPageControls,
     Count(kAnalogPageControls)},
    {106, Language::kEnglish, "Property", 313, 229, kDialogStyle, kCameraControls,
     Count(kCameraControls)},
    {107, Language::kEnglish, nullptr, 251, 142, kPageStyle, kImageFilterPageControls,
     Count(kImageFilterPageControls)},
    {108, Language::kEnglish, "Property", 294, 194, kDialogStyle, kImageSheetControls,
     Count(kImageSheetControls)},
    {110, Language::kEnglish, nullptr, 238, 126, kPageStyle, kAnalogPageControls,
     Count(kAnalogPageControls)},
    {111, Language::kEnglish, "Property", 294, 178, kDialogStyle, kAnalogSheetControls,
     Count(kAnalogSheetControls)},
    {112, Language::kEnglish, nullptr, 251, 142, kPageStyle, kGrayPageControls,
     Count(kGrayPageControls)},
    {113, Language::kJapanese, nullptr, 251, 142, kPageStyle, kGrayPageControls,
     Count(kGrayPageControls)},
};

// Template ids of each role: English, Japanese.
struct RoleIds {
  DialogRole role;
  int english;
  int japanese;
};
inline constexpr RoleIds kRoleIds[] = {
    {DialogRole::kCamera, 106, 101},          {DialogRole::kAnalogSheet, 111, 104},
    {DialogRole::kAnalogPage, 110, 105},      {DialogRole::kImageSheet, 108, 102},
    {DialogRole::kImageFilterPage, 107, 103}, {DialogRole::kGrayPage, 112, 113},
};

// ---- list and tab texts --------------------------------------------------------
inline constexpr DualText kColorModeTexts[] = {
    {"Monochrome 8bit", "白黒 8bit"},      {"Monochrome 10bit *", "白黒 %dbit ※"},
    {"Color 24bit", "カラー 24bit"},       {"Color 32bit", "カラー 32bit"},
    {"Color 48bit *", "カラー 48bit ※"},   {"Color 64bit *", "カラー 64bit ※"},
};
// The significant bits printed into the Japanese 16-bit gray entry.
inline constexpr int kDeepGrayBits = 10;
inline constexpr DualText kClockTexts[] = {
    {"Nomal(24MHz)", "標準(24MHz)"},
    {"Half(12MHz)", "ハーフ(12MHz)"},
    {"High(%dMHz)", "高速(%dMHz)"},
};
// The megahertz printed into the high clock entry.
inline constexpr int kHighClockMHz = 40;
inline constexpr DualText kSubSampleTexts[] = {{"1/1", "1/1"}};
inline constexpr int kSubSampleValues[] = {0};
inline constexpr DualText kCustomSizeText = {"Custom", "カスタム"};
inline constexpr const char kSizeFormat[] = "%d x %d";

inline constexpr DualText kStreamFormatTab = {"Stream Format", "ストリーム形式"};
inline constexpr DualText kAnalogGainTab = {"Analog Gain", "Analog Gain"};
inline constexpr DualText kImageFilterTab = {"Image Filter", "Image Filter"};
inline constexpr DualText kGrayFilterTab = {"Gray Filter", "Gray Filter"};

}  // namespace korvex::dialogs::table
// clang-format on
