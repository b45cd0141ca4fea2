// A small pool of worker threads that runs one job split into numbered
// pieces (stripes of an image) and returns when every piece is done.
//
// The calling thread works on pieces too, so a pool of n threads starts
// n - 1 workers. Workers are started by the constructor and ended by the
// destructor, which waits for them; a camera keeps one pool for its life.
// Run may be called from one thread at a time (the camera's frame lock
// serialises its callers); the pieces of one Run may run in any order and
// at once, so each must touch memory of its own.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace korvex::image {

class StripePool {
 public:
  // threads is limited to 1..kMaxThreads.
  explicit StripePool(int threads);
  ~StripePool();
  StripePool(const StripePool&) = delete;
  StripePool& operator=(const StripePool&) = delete;

  static constexpr int kMaxThreads = 8;

  // The thread count a new camera uses: KORVEX_PIPELINE_THREADS when it is
  // a number of at least 1, otherwise the hardware threads; at most
  // kMaxThreads.
  static int DefaultThreads();

  int Threads() const { return static_cast<int>(workers_.size()) + 1; }

  // Calls piece(i, slot) once for every i in 0..count - 1, on the workers
  // and the calling thread, and returns when all have returned. slot
  // (0..Threads() - 1) names the thread running the piece: pieces running at
  // once have different slots, so a piece may use scratch memory kept per
  // slot. piece must not throw.
  void Run(int count, const std::function<void(int piece, int slot)>& piece);

 private:
  void WorkerLoop(int slot) KORVEX_EXCLUDES(mutex_);
  void TakePieces(int slot) KORVEX_EXCLUDES(mutex_);

  Mutex mutex_;
  std::condition_variable_any wake_;                   // a job was posted, or the pool ends
  std::condition_variable_any done_;                   // the last piece of a job finished
  uint64_t generation_ KORVEX_GUARDED_BY(mutex_) = 0;  // counts posted jobs
  bool stopping_ KORVEX_GUARDED_BY(mutex_) = false;
  int busy_ KORVEX_GUARDED_BY(mutex_) = 0;  // workers inside the current job
  const std::function<void(int, int)>* job_ KORVEX_GUARDED_BY(mutex_) = nullptr;
  int count_ KORVEX_GUARDED_BY(mutex_) = 0;
  int next_ KORVEX_GUARDED_BY(mutex_) = 0;  // the next piece to hand out
  // Filled by the constructor before any worker runs and unchanged until
  // the destructor has joined them all: read without the lock.
  std::vector<std::thread> workers_;
};

}  // namespace korvex::image
