// Dialog templates as plain data: every dialog and page the library shows,
// with its title, size in dialog units, style and controls (id, class,
// English and Japanese caption, position, style), and the texts the dialogs
// put into lists and tabs.
//
// The data is defined once, here and in template_table.h, and used twice:
// the Linux host builds its dialogs from it at run time, and the Windows
// build generates its dialog resources from the same table. Nothing here
// depends on an operating system; captions are UTF-8.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvex::dialogs {

// Window and control styles, with their Windows values (the resource
// compiler and the host both read them).
namespace style {
inline constexpr uint32_t kPopup = 0x80000000u;
inline constexpr uint32_t kChild = 0x40000000u;
inline constexpr uint32_t kVisible = 0x10000000u;
inline constexpr uint32_t kDisabled = 0x08000000u;
inline constexpr uint32_t kCaption = 0x00C00000u;
inline constexpr uint32_t kBorder = 0x00800000u;
inline constexpr uint32_t kVScroll = 0x00200000u;
inline constexpr uint32_t kSysMenu = 0x00080000u;
inline constexpr uint32_t kGroup = 0x00020000u;
inline constexpr uint32_t kTabStop = 0x00010000u;
// Dialog styles.
inline constexpr uint32_t kDsSetFont = 0x40u;
inline constexpr uint32_t kDsModalFrame = 0x80u;
inline constexpr uint32_t kDsControl = 0x400u;
// Buttons.
inline constexpr uint32_t kBsPushButton = 0x0u;
inline constexpr uint32_t kBsDefPushButton = 0x1u;
inline constexpr uint32_t kBsAutoCheckBox = 0x3u;
inline constexpr uint32_t kBsGroupBox = 0x7u;
inline constexpr uint32_t kBsAutoRadioButton = 0x9u;
inline constexpr uint32_t kBsTypeMask = 0xFu;
// Edits.
inline constexpr uint32_t kEsAutoHScroll = 0x80u;
inline constexpr uint32_t kEsReadOnly = 0x800u;
inline constexpr uint32_t kEsNumber = 0x2000u;
// Drop-down lists.
inline constexpr uint32_t kCbsDropDownList = 0x3u;
// Statics.
inline constexpr uint32_t kSsLeft = 0x0u;
// Tab control: owner-drawn fixed-width tabs.
inline constexpr uint32_t kTcsFixedWidth = 0x400u;
inline constexpr uint32_t kTcsOwnerDrawFixed = 0x2000u;
// Trackbar with tick marks.
inline constexpr uint32_t kTbsAutoTicks = 0x1u;
// Up-down attached to the right of its buddy edit, which shows its number.
inline constexpr uint32_t kUdsSetBuddyInt = 0x2u;
inline constexpr uint32_t kUdsAlignRight = 0x4u;
inline constexpr uint32_t kUdsArrowKeys = 0x20u;
inline constexpr uint32_t kUdsNoThousands = 0x80u;
}  // namespace style

// The control classes the dialogs use.
enum class ControlClass : uint8_t { kButton, kEdit, kStatic, kComboBox, kTab, kTrackbar, kUpDown };

// The Windows class name of a control class.
constexpr const char* ClassName(ControlClass c) {
  switch (c) {
    case ControlClass::kButton: return "Button";
    case ControlClass::kEdit: return "Edit";
    case ControlClass::kStatic: return "Static";
    case ControlClass::kComboBox: return "ComboBox";
    case ControlClass::kTab: return "SysTabControl32";
    case ControlClass::kTrackbar: return "msctls_trackbar32";
    case ControlClass::kUpDown: return "msctls_updown32";
  }
  return "";
}

// Id of controls the code never addresses (labels, group boxes).
inline constexpr int kStaticId = -1;

// Standard button ids.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdDefault = 3;

struct ControlTemplate {
  int id;
  ControlClass cls;
  const char* english;   // caption; null for none
  const char* japanese;  // caption of the Japanese template; null: the English one
  int16_t x, y, cx, cy;  // dialog units
  uint32_t style;        // WS_CHILD | WS_VISIBLE are always added
};

enum class Language : uint8_t { kEnglish, kJapanese };

// The language id that selects the Japanese templates.
inline constexpr uint16_t kJapaneseLanguageId = 1041;
constexpr Language LanguageOf(uint16_t systemLanguage) {
  return systemLanguage == kJapaneseLanguageId ? Language::kJapanese : Language::kEnglish;
}

struct DialogTemplate {
  int id;  // resource id
  Language language;
  const char* title;  // null for a page
  int16_t cx, cy;     // dialog units
  uint32_t style;
  const ControlTemplate* controls;
  int controlCount;

  // The caption of a control in this template's language.
  const char* Caption(const ControlTemplate& c) const {
    return language == Language::kJapanese && c.japanese != nullptr ? c.japanese : c.english;
  }
};

// A text in both languages (list entries, tab captions). Entries with "%d"
// are printf formats.
struct DualText {
  const char* english;
  const char* japanese;
  const char* In(Language language) const {
    return language == Language::kJapanese ? japanese : english;
  }
};

// The role of a template; each role has one English and one Japanese one.
enum class DialogRole : uint8_t {
  kCamera,
  kAnalogSheet,
  kAnalogPage,
  kImageSheet,
  kImageFilterPage,
  kGrayPage,
};

// The template of a role in a language (never null).
const DialogTemplate& TemplateFor(DialogRole role, Language language);
// The template with a resource id, or null.
const DialogTemplate* TemplateById(int id);

}  // namespace korvex::dialogs
