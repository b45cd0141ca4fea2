#include "errors/error_report.h"

namespace korvex {

void CErrorReport::Record(uint32_t code) {
  LockGuard<Mutex> lock(mutex_);
  // Shift towards the old end, oldest first; the previous entry 19 is lost.
  for (int i = kDepth - 1; i > 0; --i) history_[i] = history_[i - 1];
  history_[0] = code;
}

void CErrorReport::ReportError(uint32_t code) {
  Record(code);
  platform::WindowHandle window = NotifyWindow();
  if (window != nullptr) platform::PostWindowMessage(window, kMessageError, 0, static_cast<intptr_t>(code));
}

void CErrorReport::NotifyError(uint32_t code) const {
  platform::PostWindowMessage(NotifyWindow(), kMessageError, 0, static_cast<intptr_t>(code));
}

uint32_t CErrorReport::TakeLast() {
  LockGuard<Mutex> lock(mutex_);
  const uint32_t newest = history_[0];
  for (int i = 0; i < kDepth - 1; ++i) history_[i] = history_[i + 1];
  history_[kDepth - 1] = 0;
  return newest;
}

std::array<uint32_t, CErrorReport::kDepth> CErrorReport::Snapshot() const {
  LockGuard<Mutex> lock(mutex_);
  return history_;
}

}  // namespace korvex
