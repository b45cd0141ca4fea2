// The words the dialog seam and the dialogs share: templates as plain data
// (a dialog's title, size in dialog units, style and controls, with the
// Windows values of the styles), the surface through which behaviour reads
// and writes a shown dialog's controls, and the handler that a surface
// calls with the user's actions. The Linux host and the Windows dialog
// procedures both provide surfaces, so the dialogs run unchanged on either.
// Nothing here depends on an operating system or on the dialogs themselves;
// captions are UTF-8.
//
// Threads: a surface is used only on its dialog's thread, and the handler
// is only called there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvex::platform::dialog {

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

class DialogHandler;

// A rectangle in pixels of a control's client area.
struct ItemRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class DialogSurface {
 public:
  virtual ~DialogSurface() = default;

  // The dialog's window, for messages from other threads.
  virtual void* Window() = 0;

  // Captions (UTF-8). Setting an edit's text notifies the handler of an edit
  // change, as a user's typing does.
  virtual void SetText(int id, std::string_view text) = 0;
  virtual std::string Text(int id) = 0;
  // Numbers in edits, "%d" or "%u"; reading gives 0 with *ok false when the
  // text does not start with a number.
  virtual void SetNumber(int id, int32_t value, bool isSigned) = 0;
  virtual int32_t Number(int id, bool isSigned, bool* ok) = 0;

  virtual void SetChecked(int id, bool checked) = 0;
  virtual bool Checked(int id) = 0;
  virtual void Enable(int id, bool enable) = 0;

  // Trackbars.
  virtual void SetTrackRange(int id, int32_t minimum, int32_t maximum) = 0;
  virtual void SetTrackPosition(int id, int32_t position) = 0;
  virtual int32_t TrackPosition(int id) = 0;
  virtual void SetTickFrequency(int id, int32_t frequency) = 0;
  // Up-down controls with their buddy edit.
  virtual void SetSpinRange(int id, int32_t minimum, int32_t maximum) = 0;
  virtual void SetSpinPosition(int id, int32_t position) = 0;
  virtual void SetBuddy(int spinId, int editId) = 0;

  // Drop-down lists. Indexes are 0-based; -1 means none.
  virtual void ClearList(int id) = 0;
  virtual int AddListItem(int id, std::string_view text) = 0;
  virtual int InsertListItem(int id, int index, std::string_view text) = 0;
  virtual void DeleteListItem(int id, int index) = 0;
  virtual void SelectListItem(int id, int index) = 0;
  virtual int ListSelection(int id) = 0;

  // Tabs of a tab control.
  virtual int AddTab(int id, int index, std::string_view caption) = 0;
  virtual int TabSelection(int id) = 0;

  // A page: a child dialog placed in a control (the tab) at x, y from it (in
  // pixels on Windows, where the page templates are sized to fit the tab
  // that way; in dialog units on the Linux host); its handler gets its own
  // events. The page lives until the dialog ends; null when it cannot be
  // created.
  virtual DialogSurface* CreatePage(const DialogTemplate& page, int hostId, int x, int y,
                                    DialogHandler& handler) = 0;
  virtual void Show(bool show) = 0;

  // Ends a modal dialog with a result; the launcher gets it.
  virtual void End(int result) = 0;
};

// Where an owner-drawn tab caption is drawn.
class TabPainter {
 public:
  virtual ~TabPainter() = default;
  virtual void FillWithButtonFace(const ItemRect& rect) = 0;
  virtual void SetTextBackgroundToButtonFace() = 0;
  // The caption of tab `index`, at most maxChars characters.
  virtual std::string Caption(int index, int maxChars) = 0;
  virtual void DrawCentred(std::string_view text, const ItemRect& rect) = 0;
};

// Draws one owner-drawn tab: button-face background, caption centred.
void DrawOwnerTab(TabPainter& painter, int index, const ItemRect& rect);

// Notification of a command.
enum class Notice { kClicked, kEditChanged, kSelectionChanged, kOther };

class DialogHandler {
 public:
  virtual ~DialogHandler() = default;
  virtual void OnInit(DialogSurface& surface) = 0;
  virtual void OnCommand(DialogSurface& surface, int id, Notice notice) = 0;
  // A trackbar was moved by the user.
  virtual void OnScroll(DialogSurface&, int) {}
  // The user picked another tab of a tab control.
  virtual void OnTabChanged(DialogSurface&, int) {}
  // An owner-drawn tab needs drawing.
  virtual void OnDrawTab(TabPainter& painter, int index, const ItemRect& rect) {
    DrawOwnerTab(painter, index, rect);
  }
};

}  // namespace korvex::platform::dialog
