#include "image/stripe_pool.h"

#include <chrono>
#include <cstdlib>

namespace korvex::image {
namespace {

// How long a thread watches for what it waits for before it sleeps: longer
// than the gap between two jobs of one frame, short enough that watching
// after a frame's last job costs little (a hundredth of a processor at
// 60 frames per second).
constexpr auto kWatch = std::chrono::microseconds(150);

// Tells the processor this thread is waiting in a loop.
inline void Relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Calls ready() until it is true (true) or kWatch has passed (false).
template <typename Ready>
bool WatchFor(Ready ready) {
  const auto until = std::chrono::steady_clock::now() + kWatch;
  for (;;) {
    for (int i = 0; i < 64; ++i) {
      if (ready()) return true;
      Relax();
    }
    if (std::chrono::steady_clock::now() >= until) return ready();
  }
}

}  // namespace

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
  spin_ = static_cast<unsigned>(threads) <= std::thread::hardware_concurrency();
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
  stopping_.store(true);
  {
    LockGuard<Mutex> lock(mutex_);
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
}

bool StripePool::AwaitJob(uint32_t seen, uint64_t* ticket) {
  const auto posted = [&] {
    *ticket = ticket_.load();
    return JobOf(*ticket) != seen;
  };
  const auto ready = [&] { return stopping_.load() || posted(); };
  if (!(spin_ && WatchFor(ready))) {
    UniqueLock<Mutex> lock(mutex_);
    sleepingWorkers_.fetch_add(1);
    wake_.wait(lock, ready);
    sleepingWorkers_.fetch_sub(1);
  }
  return !stopping_.load();
}

void StripePool::TakePieces(uint32_t number, int slot) {
  uint64_t ticket = ticket_.load();
  for (;;) {
    const int piece = PieceOf(ticket), count = CountOf(ticket);
    if (JobOf(ticket) != number || piece >= count) return;
    if (!ticket_.compare_exchange_weak(ticket, ticket + 1)) continue;  // look again
    // The job cannot end before this piece has finished: job_ is its own.
    (*job_.load(std::memory_order_relaxed))(piece, slot);
    PieceFinished(count);
    ticket = ticket_.load();
  }
}

void StripePool::PieceFinished(int count) {
  if (finished_.fetch_add(1) + 1 == count && callerSleeps_.load()) {
    { LockGuard<Mutex> lock(mutex_); }
    done_.notify_all();
  }
}

void StripePool::WorkerLoop(int slot) {
  uint32_t seen = 0;
  uint64_t ticket = 0;
  while (AwaitJob(seen, &ticket)) {
    seen = JobOf(ticket);
    TakePieces(seen, slot);
  }
}

void StripePool::Run(int count, const Job& piece) {
  if (workers_.empty() || count == 1) {
    for (int i = 0; i < count; ++i) piece(i, 0);
    return;
  }
  if (count <= kMaxPiecesPerJob) {
    if (count > 0) RunJob(count, piece);
    return;
  }
  for (int first = 0; first < count; first += kMaxPiecesPerJob) {
    const int n = count - first < kMaxPiecesPerJob ? count - first : kMaxPiecesPerJob;
    RunJob(n, [&](int i, int slot) { piece(first + i, slot); });
  }
}

void StripePool::RunJob(int count, const Job& piece) {
  // Every piece of the previous job has finished, so no thread reads these
  // until the new ticket is posted.
  job_.store(&piece, std::memory_order_relaxed);
  finished_.store(0, std::memory_order_relaxed);
  const uint32_t number = JobOf(ticket_.load()) + 1;
  ticket_.store(static_cast<uint64_t>(number) << 32 | static_cast<uint64_t>(count) << 16);
  if (sleepingWorkers_.load() > 0) {
    { LockGuard<Mutex> lock(mutex_); }
    wake_.notify_all();
  }
  TakePieces(number, 0);
  // Every piece has been handed out; wait for those still running.
  const auto allDone = [&] { return finished_.load() == count; };
  if (!(spin_ && WatchFor(allDone))) {
    UniqueLock<Mutex> lock(mutex_);
    callerSleeps_.store(true);
    done_.wait(lock, allDone);
    callerSleeps_.store(false);
  }
}

}  // namespace korvex::image
