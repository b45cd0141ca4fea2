// The camera object's side of its open dialogs: which dialog of each kind
// is open and on which thread, the pipeline's notices waiting to be shown,
// and their delivery to the dialog's thread.
//
// Delivery sends the notice to the dialog's thread and waits until it has
// been handled there, in short slices so that a stopping acquisition
// (`abort`) or a dialog that closes never leaves the sender waiting. The
// dialog objects are only touched on their own thread, inside their message
// loop, so a notice for a dialog that has closed is simply dropped.
//
// Thread-safe: the open dialogs are guarded by the link's own lock, which is
// never held while waiting for a dialog.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "dialogs/modal_dialog.h"
#include "image/pipeline.h"

#include <cstdint>
#include <functional>
#include <thread>

namespace korvex {

namespace dialogs {
class AnalogSheet;
class ImageSheet;
}  // namespace dialogs

// What the pipeline reported since the last delivery (the last value wins).
struct DialogNotices {
  bool filter = false;
  bool gain = false;
  int32_t gainValue = 0;
  bool exposure = false;
  int32_t exposureValue = 0;
  bool Empty() const { return !filter && !gain && !exposure; }
};

class DialogLink {
 public:
  enum Kind { kCamera, kAnalog, kImage, kKinds };

  // Records an open dialog of the calling thread; false when one of that kind
  // is open already or the camera is going away.
  bool Attach(Kind kind, dialogs::ModalDialog* dialog);
  void Detach(Kind kind);
  // The camera is going away: asks every open dialog to cancel and refuses
  // new ones.
  void CloseAll();
  // True when the calling thread runs one of the camera's dialogs.
  bool OpenOnThisThread();

  // Shows the notices in the open analog and image dialogs; returns when
  // they have been handled, the dialog has gone, or abort() says stop.
  void Deliver(const DialogNotices& notices, const std::function<bool()>& abort);

 private:
  struct Slot {
    dialogs::ModalDialog* dialog = nullptr;
    std::thread::id thread;
  };
  // Sends fn(context) to the dialog of `window`.
  // Waits for the dialog's thread, so never with the lock held.
  void Send(void* window, void (*fn)(void*), void* context, const std::function<bool()>& abort)
      KORVEX_EXCLUDES(mutex_);

  Mutex mutex_;
  Slot slots_[kKinds] KORVEX_GUARDED_BY(mutex_);
  bool closed_ KORVEX_GUARDED_BY(mutex_) = false;
};

}  // namespace korvex
