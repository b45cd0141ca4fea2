// Locks the thread-safety analysis can follow (common/thread_annotations.h):
// a mutex, a recursive mutex, and the scoped holders of any annotated lock.
// They do what std::mutex, std::recursive_mutex, std::lock_guard and
// std::unique_lock do.
//
// Waiting on a condition: a UniqueLock is BasicLockable, so a
// std::condition_variable_any waits with it. The predicate reads fields the
// lock guards, so it states that it runs with the lock held:
//
//   UniqueLock<Mutex> lock(mutex_);
//   wake_.wait(lock, [this]() KORVEX_REQUIRES(mutex_) { return ready_; });
#pragma once

#include "common/thread_annotations.h"

#include <mutex>

namespace korvex {

class KORVEX_CAPABILITY("mutex") Mutex {
 public:
  void lock() KORVEX_ACQUIRE() { mutex_.lock(); }
  void unlock() KORVEX_RELEASE() { mutex_.unlock(); }

 private:
  std::mutex mutex_;
};

class KORVEX_CAPABILITY("mutex") RecursiveMutex {
 public:
  void lock() KORVEX_ACQUIRE() { mutex_.lock(); }
  void unlock() KORVEX_RELEASE() { mutex_.unlock(); }

 private:
  std::recursive_mutex mutex_;
};

// Holds the lock from construction to destruction.
template <typename Lock>
class KORVEX_SCOPED_CAPABILITY LockGuard {
 public:
  explicit LockGuard(Lock& lock) KORVEX_ACQUIRE(lock) : lock_(lock) { lock_.lock(); }
  ~LockGuard() KORVEX_RELEASE() { lock_.unlock(); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

 private:
  Lock& lock_;
};

// Holds the lock from construction until unlock() or destruction; lock()
// takes it again. A std::condition_variable_any releases and retakes it
// through these two while it waits.
template <typename Lock>
class KORVEX_SCOPED_CAPABILITY UniqueLock {
 public:
  explicit UniqueLock(Lock& lock) KORVEX_ACQUIRE(lock) : lock_(lock) { lock_.lock(); }
  ~UniqueLock() KORVEX_RELEASE() {
    if (held_) lock_.unlock();
  }
  UniqueLock(const UniqueLock&) = delete;
  UniqueLock& operator=(const UniqueLock&) = delete;

  void lock() KORVEX_ACQUIRE() {
    lock_.lock();
    held_ = true;
  }
  void unlock() KORVEX_RELEASE() {
    lock_.unlock();
    held_ = false;
  }

 private:
  Lock& lock_;
  bool held_ = true;
};

}  // namespace korvex
