// The part every top-level dialog shares: it knows its window once it is
// open, and it can be asked from any thread to close as if Cancel were
// pressed (used when its camera is released).
#pragma once

#include "dialogs/dialog_surface.h"

#include <atomic>
#include <functional>

namespace korvex::dialogs {

class ModalDialog : public DialogHandler {
 public:
  // The open dialog's window, null before it opened. Any thread.
  void* Window() const { return window_.load(); }
  // Closes the dialog with Cancel as soon as its thread gets to it, now or
  // when it opens. Any thread.
  void RequestCancel();
  // True once the dialog has been shown (its initialisation ran), so that a
  // launcher undoes only what a shown dialog can have done. Any thread.
  bool WasShown() const { return shown_.load(); }
  // Runs on the dialog's thread as the dialog opens, before its controls
  // are filled: the launcher's preparations that only a dialog that is
  // actually shown may make. Set before the dialog runs.
  std::function<void()> whenShown;

 protected:
  // Call first in OnInit.
  void Opened(DialogSurface& surface);

 private:
  std::atomic<void*> window_{nullptr};
  std::atomic<bool> cancelRequested_{false};
  std::atomic<bool> shown_{false};
};

// Formats with one int argument ("%d x %d" takes two).
std::string Format(const char* format, int a);
std::string Format(const char* format, int a, int b);

}  // namespace korvex::dialogs
