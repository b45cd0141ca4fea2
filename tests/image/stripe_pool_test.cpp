// The pipeline's worker pool: every piece once, on several threads, threads
// that end with the pool, and the thread count the environment asks for.
#include "image/stripe_pool.h"
#include "image/pipeline_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace korvex::image {
namespace {

int ProcessThreads() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
    ++n;
  return n;
}

// The thread count once it is `expected`, or what it is after 5 s: a thread
// that was joined can stay listed for a moment while the system finishes
// its exit.
int ProcessThreadsSettlingAt(int expected) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int n = ProcessThreads();
  while (n != expected && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    n = ProcessThreads();
  }
  return n;
}

// The thread count once it has stopped changing for 20 ms (at most 5 s).
int SettledProcessThreads() {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int n = ProcessThreads();
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const int now = ProcessThreads();
    if (now == n || std::chrono::steady_clock::now() >= until) return now;
    n = now;
  }
}

TEST(StripePool, RunsEveryPieceExactlyOnceAtEveryThreadCount) {
  for (int threads : {1, 2, 3, 8}) {
    StripePool pool(threads);
    EXPECT_EQ(pool.Threads(), threads);
    for (int count : {0, 1, 2, 7, 100}) {
      // Many jobs in a row: a worker waking late must not miss or repeat one.
      for (int round = 0; round < 50; ++round) {
        std::vector<std::atomic<int>> hits(static_cast<size_t>(count));
        std::atomic<int> badSlots{0};
        pool.Run(count, [&](int i, int slot) {
          hits[static_cast<size_t>(i)].fetch_add(1);
          if (slot < 0 || slot >= threads) badSlots.fetch_add(1);
        });
        ASSERT_EQ(badSlots.load(), 0);
        for (int i = 0; i < count; ++i) {
          ASSERT_EQ(hits[static_cast<size_t>(i)].load(), 1)
              << threads << " threads, piece " << i << " of " << count;
        }
      }
    }
  }
}

TEST(StripePool, PiecesRunAtOnceOnDifferentThreads) {
  StripePool pool(3);
  std::atomic<int> started{0};
  std::mutex lock;
  std::set<std::thread::id> ids;
  std::set<int> slots;
  pool.Run(3, [&](int, int slot) {
    {
      std::lock_guard<std::mutex> guard(lock);
      ids.insert(std::this_thread::get_id());
      slots.insert(slot);
    }
    started.fetch_add(1);
    // Each piece waits for the others: only three threads can finish.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (started.load() < 3 && std::chrono::steady_clock::now() < until) {
      std::this_thread::yield();
    }
  });
  EXPECT_EQ(started.load(), 3);
  EXPECT_EQ(ids.size(), 3u);
  // Pieces running at once never share a slot's scratch memory.
  EXPECT_EQ(slots, (std::set<int>{0, 1, 2}));
}

TEST(StripePool, WorkersStartWithThePoolAndEndWithIt) {
  // A thread started and ended first, so that a sanitizer's own helper
  // thread, which comes with the process's first thread, is counted already.
  std::thread([] {}).join();
  const int before = SettledProcessThreads();
  {
    StripePool pool(5);
    EXPECT_EQ(ProcessThreads(), before + 4) << "the calling thread is the fifth";
    pool.Run(10, [](int, int) {});
  }
  EXPECT_EQ(ProcessThreadsSettlingAt(before), before);
  StripePool clamped(100);
  EXPECT_EQ(clamped.Threads(), StripePool::kMaxThreads);
  StripePool atLeastOne(-3);
  EXPECT_EQ(atLeastOne.Threads(), 1);
}

TEST(StripePool, EnvironmentSetsTheDefaultThreadCount) {
  const unsigned hardware = std::thread::hardware_concurrency();
  const int automatic = hardware == 0 ? 1 : std::min<int>(static_cast<int>(hardware), 8);
  const char* saved = std::getenv("KORVEX_PIPELINE_THREADS");
  const std::string keep = saved ? saved : "";
  const std::pair<const char*, int> cases[] = {
      {"1", 1},          {"3", 3},           {"8", 8},          {"50", 8},      {"0", automatic},
      {"-2", automatic}, {"two", automatic}, {"2x", automatic}, {"", automatic}};
  for (const auto& [text, threads] : cases) {
    setenv("KORVEX_PIPELINE_THREADS", text, 1);
    EXPECT_EQ(StripePool::DefaultThreads(), threads) << '"' << text << '"';
  }
  setenv("KORVEX_PIPELINE_THREADS", "1", 1);
  {
    const int before = ProcessThreads();
    PipelineWorkers workers;
    EXPECT_EQ(workers.Threads(), 1);
    EXPECT_EQ(ProcessThreads(), before) << "one thread: the caller's own";
  }
  unsetenv("KORVEX_PIPELINE_THREADS");
  EXPECT_EQ(StripePool::DefaultThreads(), automatic);
  if (saved) setenv("KORVEX_PIPELINE_THREADS", keep.c_str(), 1);
}

}  // namespace
}  // namespace korvex::image
