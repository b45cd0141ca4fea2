// An event as the streaming engine uses it: auto-reset (one waiter released
// per signal) or manual-reset (signalled until reset).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace korvex {

class SyncEvent {
 public:
  explicit SyncEvent(bool manualReset) : manualReset_(manualReset) {}

  void Set() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      signalled_ = true;
    }
    if (manualReset_) {
      changed_.notify_all();
    } else {
      changed_.notify_one();
    }
  }

  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
  }

  // True when the event was signalled within timeoutMs.
  bool Wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return signalled_; })) {
      return false;
    }
    if (!manualReset_) signalled_ = false;
    return true;
  }

  // Waits without a time limit.
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
    if (!manualReset_) signalled_ = false;
  }

 private:
  const bool manualReset_;
  std::mutex mutex_;  // guards signalled_
  std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace korvex
