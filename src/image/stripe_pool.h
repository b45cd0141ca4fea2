// A small pool of worker threads that runs one job split into numbered
// pieces (stripes of an image) and returns when every piece is done.
//
// The calling thread works on pieces too, so a pool of n threads starts
// n - 1 workers. Workers are started by the constructor and ended by the
// destructor, which waits for them; a camera keeps one pool for its life.
// Run may be called from one thread at a time (the camera's frame lock
// serialises its callers); the pieces of one Run may run in any order and
// at once, so each must touch memory of its own.
//
// A frame posts a few jobs in quick succession, and waking a sleeping
// thread costs tens of microseconds (more in a virtual machine, and more
// again under Wine, where a blocked wait goes through the server). So a
// worker that has finished a job watches for the next one for a short
// while before it sleeps, and the caller watches for the last piece before
// it sleeps; a thread is woken only when it sleeps. Pieces are handed out
// without a lock.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"

#include <atomic>
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
  using Job = std::function<void(int, int)>;

  // The ticket holds the current job's number (the upper half, counting
  // posted jobs), its piece count and the next piece to hand out (16 bits
  // each). A piece is taken by advancing the ticket only while it still
  // names the job and has pieces left, so a worker that comes late to a job
  // that has ended takes nothing from the next one.
  static constexpr int kMaxPiecesPerJob = 0xffff;
  static uint32_t JobOf(uint64_t ticket) { return static_cast<uint32_t>(ticket >> 32); }
  static int CountOf(uint64_t ticket) { return static_cast<int>((ticket >> 16) & 0xffff); }
  static int PieceOf(uint64_t ticket) { return static_cast<int>(ticket & 0xffff); }

  // Runs a job of 2..kMaxPiecesPerJob pieces on every thread.
  void RunJob(int count, const Job& piece) KORVEX_EXCLUDES(mutex_);
  void WorkerLoop(int slot) KORVEX_EXCLUDES(mutex_);
  // Waits until a job after `seen` is posted (true, its ticket in *ticket) or
  // the pool ends (false).
  bool AwaitJob(uint32_t seen, uint64_t* ticket) KORVEX_EXCLUDES(mutex_);
  // Runs pieces of job `number` until none are left to take.
  void TakePieces(uint32_t number, int slot) KORVEX_EXCLUDES(mutex_);
  // Counts a finished piece of a job of `count` pieces; wakes the caller
  // when it was the last and the caller sleeps.
  void PieceFinished(int count) KORVEX_EXCLUDES(mutex_);

  std::atomic<uint64_t> ticket_{0};
  // The current job: written before its ticket is posted, read by a thread
  // that has taken one of its pieces.
  std::atomic<const Job*> job_{nullptr};
  std::atomic<int> finished_{0};  // pieces of the current job that returned
  std::atomic<bool> stopping_{false};

  // Sleeping. A thread about to sleep counts itself here under the lock and
  // then checks its condition once more; a thread that changed the
  // condition checks the count afterwards and, when someone sleeps, wakes
  // them under the lock. Either the sleeper sees the change or the changer
  // sees the sleeper.
  Mutex mutex_;
  std::condition_variable_any wake_;  // a job was posted, or the pool ends
  std::condition_variable_any done_;  // the last piece of a job finished
  std::atomic<int> sleepingWorkers_{0};
  std::atomic<bool> callerSleeps_{false};

  // Whether threads watch before they sleep: not when there are more
  // threads than processors, where watching would take a processor from a
  // thread with work.
  bool spin_ = false;

  // Filled by the constructor before any worker runs and unchanged until
  // the destructor has joined them all: read without the lock.
  std::vector<std::thread> workers_;
};

}  // namespace korvex::image
