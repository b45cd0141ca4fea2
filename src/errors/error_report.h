// Error reporting of one camera object: the 20-entry history that
// Korvex_GetLastError reads newest first, and the error notification posted
// to the application's notification window.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "platform/platform.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace korvex {

inline constexpr uint32_t kMessageFrame = KORVEX_WM_FRAME;  // 32770
inline constexpr uint32_t kMessageError = KORVEX_WM_ERROR;  // 32771

// The codes reported on one thread while an export runs there. The export
// frame opens a scope and logs the export's name, arguments and code when
// one was reported; a report outside any scope (a worker thread's) is
// logged where it happens. Lives on the stack of the thread it watches.
class ErrorScope {
 public:
  ErrorScope();
  ~ErrorScope();
  ErrorScope(const ErrorScope&) = delete;
  ErrorScope& operator=(const ErrorScope&) = delete;

  // The newest code reported on this thread since the scope opened; 0 for none.
  uint32_t LastCode() const { return last_; }

  // The innermost open scope of the calling thread, or null.
  static ErrorScope* Current();
  void Note(uint32_t code) { last_ = code; }

 private:
  ErrorScope* outer_;
  uint32_t last_ = 0;
};

class CErrorReport {
 public:
  static constexpr int kDepth = 20;

  // The handle the camera is known by, for the log.
  void SetCameraHandle(uint32_t handle) { handle_.store(handle, std::memory_order_relaxed); }
  uint32_t CameraHandle() const { return handle_.load(std::memory_order_relaxed); }

  void SetNotifyWindow(platform::WindowHandle window) {
    window_.store(window, std::memory_order_release);
  }
  platform::WindowHandle NotifyWindow() const { return window_.load(std::memory_order_acquire); }

  // Records the code; posts nothing (used before the window is known).
  void Record(uint32_t code);
  // Records the code and, when a notification window is set, posts it.
  void ReportError(uint32_t code);
  // Posts the code without recording it and without testing the window: a
  // null window delivers it to the calling thread's queue.
  void NotifyError(uint32_t code) const;
  // Takes the newest code off the history; 0 when it is empty.
  uint32_t TakeLast();
  // A copy of the history, newest first (for diagnostics and tests).
  std::array<uint32_t, kDepth> Snapshot() const;

 private:
  mutable Mutex mutex_;
  std::array<uint32_t, kDepth> history_ KORVEX_GUARDED_BY(mutex_){};
  // Read by every reporting thread without the lock.
  std::atomic<platform::WindowHandle> window_{nullptr};
  std::atomic<uint32_t> handle_{0};

  // Hands the code to the calling thread's scope, or logs it.
  void Trace(uint32_t code) const;
};

}  // namespace korvex
