#include "image/stripe_pool.h"

#include <cstdlib>

namespace korvex::image {

int StripePool::DefaultThreads() {
  int threads = 0;
  if (const char* text = std::getenv("KORVEX_PIPELINE_THREADS")) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && value >= 1) {
      threads = value > kMaxThreads ? kMaxThreads : static_cast<int>(value);
    }
  }
  if (threads == 0) {
    const unsigned hardware = std::thread::hardware_concurrency();
    threads =
        hardware == 0 ? 1 : (hardware > kMaxThreads ? kMaxThreads : static_cast<int>(hardware));
  }
  return threads;
}

StripePool::StripePool(int threads) {
  threads = threads < 1 ? 1 : (threads > kMaxThreads ? kMaxThreads : threads);
  workers_.reserve(static_cast<size_t>(threads - 1));
  for (int i = 1; i < threads; ++i) {
    try {
      workers_.emplace_back([this, i] { WorkerLoop(i); });
    } catch (...) {
      break;  // fewer workers: the caller does the remaining pieces itself
    }
  }
}

StripePool::~StripePool() {
  {
    LockGuard<Mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
}

// Hands out pieces one at a time under the lock until none are left. The
// lock is held only to take a number, never while a piece runs.
void StripePool::TakePieces(int slot) {
  UniqueLock<Mutex> lock(mutex_);
  while (next_ < count_) {
    const int piece = next_++;
    const std::function<void(int, int)>* job = job_;
    lock.unlock();
    (*job)(piece, slot);
    lock.lock();
  }
}

void StripePool::WorkerLoop(int slot) {
  uint64_t seen = 0;
  UniqueLock<Mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&]() KORVEX_REQUIRES(mutex_) { return stopping_ || generation_ != seen; });
    if (stopping_) return;
    seen = generation_;
    ++busy_;
    lock.unlock();
    TakePieces(slot);
    lock.lock();
    if (--busy_ == 0) done_.notify_all();
  }
}

void StripePool::Run(int count, const std::function<void(int, int)>& piece) {
  if (count <= 0) return;
  if (workers_.empty() || count == 1) {
    for (int i = 0; i < count; ++i) piece(i, 0);
    return;
  }
  {
    LockGuard<Mutex> lock(mutex_);
    job_ = &piece;
    count_ = count;
    next_ = 0;
    ++generation_;
  }
  wake_.notify_all();
  TakePieces(0);
  // Every piece has been handed out; wait for the workers still running one.
  UniqueLock<Mutex> lock(mutex_);
  done_.wait(lock, [this]() KORVEX_REQUIRES(mutex_) { return busy_ == 0; });
  job_ = nullptr;
  count_ = 0;
  next_ = 0;
}

}  // namespace korvex::image
