// An event as the streaming engine uses it: auto-reset (one waiter released
// per signal) or manual-reset (signalled until reset).
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>

namespace korvex {

class SyncEvent {
 public:
  explicit SyncEvent(bool manualReset) : manualReset_(manualReset) {}

  void Set() {
    {
      LockGuard<Mutex> lock(mutex_);
      signalled_ = true;
    }
    if (manualReset_) {
      changed_.notify_all();
    } else {
      changed_.notify_one();
    }
  }

  void Reset() {
    LockGuard<Mutex> lock(mutex_);
    signalled_ = false;
  }

  // True when the event was signalled within timeoutMs.
  bool Wait(uint32_t timeoutMs) {
    UniqueLock<Mutex> lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this]() KORVEX_REQUIRES(mutex_) { return signalled_; })) {
      return false;
    }
    if (!manualReset_) signalled_ = false;
    return true;
  }

  // Waits without a time limit.
  void Wait() {
    UniqueLock<Mutex> lock(mutex_);
    changed_.wait(lock, [this]() KORVEX_REQUIRES(mutex_) { return signalled_; });
    if (!manualReset_) signalled_ = false;
  }

 private:
  const bool manualReset_;
  Mutex mutex_;
  std::condition_variable_any changed_;
  bool signalled_ KORVEX_GUARDED_BY(mutex_) = false;
};

}  // namespace korvex
