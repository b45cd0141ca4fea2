// What the dialog behaviour classes see of a dialog: a surface that reads
// and writes controls by id, and a handler that the surface calls with the
// user's actions. The Linux host and the Windows dialog procedures both
// provide surfaces, so the behaviour classes run unchanged on either.
//
// Threads: a surface is used only on its dialog's thread, and the handler
// is only called there.
#pragma once

#include "dialogs/templates.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace korvex::dialogs {

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

}  // namespace korvex::dialogs
