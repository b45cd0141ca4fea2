#include "dialogs/modal_dialog.h"

#include "platform/dialog.h"

#include <cstdio>

namespace korvex::dialogs {

void ModalDialog::RequestCancel() {
  cancelRequested_.store(true);
  if (void* window = window_.load()) platform::PostDialogCommand(window, kIdCancel);
}

void ModalDialog::Opened(DialogSurface& surface) {
  shown_.store(true);
  if (whenShown) whenShown();
  window_.store(surface.Window());
  // A cancel asked for before the window existed could not be posted.
  if (cancelRequested_.load()) platform::PostDialogCommand(surface.Window(), kIdCancel);
}

std::string Format(const char* format, int a) {
  char text[256];
  std::snprintf(text, sizeof text, format, a);
  return text;
}

std::string Format(const char* format, int a, int b) {
  char text[256];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace korvex::dialogs
