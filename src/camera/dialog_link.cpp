#include "camera/dialog_link.h"

#include "dialogs/analog_dialog.h"
#include "dialogs/image_dialog.h"
#include "platform/dialog.h"

namespace korvex {
namespace {

// How long one wait for the dialog's thread lasts before the sender checks
// whether it should give up.
constexpr uint32_t kSendSliceMs = 20;

struct AnalogNotice {
  dialogs::ModalDialog* dialog;
  image::AnalogField field;
  int32_t value;
};

void ShowAnalog(void* context) {
  auto* notice = static_cast<AnalogNotice*>(context);
  static_cast<dialogs::AnalogSheet*>(notice->dialog)->ShowAutomatic(notice->field, notice->value);
}

void RefreshImage(void* context) {
  static_cast<dialogs::ImageSheet*>(static_cast<dialogs::ModalDialog*>(context))->Refresh();
}

}  // namespace

bool DialogLink::Attach(Kind kind, dialogs::ModalDialog* dialog) {
  LockGuard<Mutex> lock(mutex_);
  if (closed_ || slots_[kind].dialog != nullptr) return false;
  slots_[kind] = Slot{dialog, std::this_thread::get_id()};
  return true;
}

void DialogLink::Detach(Kind kind) {
  LockGuard<Mutex> lock(mutex_);
  slots_[kind] = Slot{};
}

void DialogLink::CloseAll() {
  LockGuard<Mutex> lock(mutex_);
  closed_ = true;
  for (Slot& slot : slots_) {
    if (slot.dialog) slot.dialog->RequestCancel();
  }
}

bool DialogLink::OpenOnThisThread() {
  LockGuard<Mutex> lock(mutex_);
  for (const Slot& slot : slots_) {
    if (slot.dialog && slot.thread == std::this_thread::get_id()) return true;
  }
  return false;
}

void DialogLink::Send(void* window, void (*fn)(void*), void* context,
                      const std::function<bool()>& abort) {
  if (window == nullptr) return;
  while (platform::SendToDialog(window, fn, context, kSendSliceMs) ==
         platform::SendResult::kTimedOut) {
    if (abort && abort()) return;
  }
}

void DialogLink::Deliver(const DialogNotices& notices, const std::function<bool()>& abort) {
  // Each object is taken together with its window; the pointer is only
  // followed on the dialog's own thread, while that window (and so the
  // object) exists.
  dialogs::ModalDialog* analog = nullptr;
  dialogs::ModalDialog* image = nullptr;
  void* analogWindow = nullptr;
  void* imageWindow = nullptr;
  {
    LockGuard<Mutex> lock(mutex_);
    analog = slots_[kAnalog].dialog;
    image = slots_[kImage].dialog;
    if (analog) analogWindow = analog->Window();
    if (image) imageWindow = image->Window();
  }
  if (analog && notices.gain) {
    AnalogNotice n{analog, image::AnalogField::kGain, notices.gainValue};
    Send(analogWindow, ShowAnalog, &n, abort);
  }
  if (analog && notices.exposure) {
    AnalogNotice n{analog, image::AnalogField::kExposure, notices.exposureValue};
    Send(analogWindow, ShowAnalog, &n, abort);
  }
  if (image && notices.filter) Send(imageWindow, RefreshImage, image, abort);
}

}  // namespace korvex
