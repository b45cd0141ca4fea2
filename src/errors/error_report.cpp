#include "errors/error_report.h"

#include "errors/error_names.h"
#include "log/log.h"

namespace korvex {
namespace {
thread_local ErrorScope* t_scope = nullptr;
}  // namespace

ErrorScope::ErrorScope() : outer_(t_scope) { t_scope = this; }
ErrorScope::~ErrorScope() { t_scope = outer_; }
ErrorScope* ErrorScope::Current() { return t_scope; }

void CErrorReport::Trace(uint32_t code) const {
  if (ErrorScope* scope = ErrorScope::Current()) {
    scope->Note(code);
    return;
  }
  KORVEX_LOG(kError, kCamera, CameraHandle(), "%s (%u)", ErrorCodeName(code), code);
}

void CErrorReport::Record(uint32_t code) {
  {
    LockGuard<Mutex> lock(mutex_);
    // Shift towards the old end, oldest first; the previous entry 19 is lost.
    for (int i = kDepth - 1; i > 0; --i) history_[i] = history_[i - 1];
    history_[0] = code;
  }
  Trace(code);
}

void CErrorReport::ReportError(uint32_t code) {
  Record(code);
  platform::WindowHandle window = NotifyWindow();
  if (window != nullptr)
    platform::PostWindowMessage(window, kMessageError, 0, static_cast<intptr_t>(code));
}

void CErrorReport::NotifyError(uint32_t code) const {
  Trace(code);
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
