// Modal dialogs from the library's templates, and messages to them from
// other threads.
#pragma once

#include "platform/dialog_vocabulary.h"
#include "platform/platform.h"

#include <cstdint>

namespace korvex::platform {

// GetSystemDefaultLangID.
uint16_t SystemLanguage();

// Runs a dialog modally on the calling thread, with `handler` receiving its
// events, until the handler ends it. Returns the end result, or -1 when the
// dialog could not be shown.
int RunModalDialog(const dialog::DialogTemplate& dialog, WindowHandle owner,
                   dialog::DialogHandler& handler);

// The result of a call sent to a dialog's thread.
enum class SendResult { kHandled, kNoDialog, kTimedOut };

// Runs fn(context) on the thread of the open dialog `window` (a surface's
// Window()) inside its message loop and waits until it has run; on that
// thread itself it runs at once. kNoDialog when the dialog has ended or never
// existed, kTimedOut when timeoutMs passed first (the call is then withdrawn
// and never runs).
SendResult SendToDialog(void* window, void (*fn)(void*), void* context, uint32_t timeoutMs);

// Asks an open dialog, from any thread, to act as if `id` had been clicked.
bool PostDialogCommand(void* window, int id);

}  // namespace korvex::platform
