// The stripe pool's hand-off between jobs, on both systems: a worker that
// comes late to a job that has just ended must take nothing from the next
// one, and Run must not return while a piece of its job still runs.
#include "image/stripe_pool.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace korvex::image {
namespace {

// Many short jobs of changing sizes, back to back, so that workers often
// look for pieces just as one job ends and the next is posted.
TEST(StripePool, JobsFollowingEachOtherCloselyRunEveryPieceOnce) {
  constexpr int kRounds = 100000;
  for (int threads : {2, 3}) {
    StripePool pool(threads);
    std::array<std::atomic<int>, 8> hits{};
    std::atomic<int> running{0};
    long total = 0, expected = 0;
    for (int round = 0; round < kRounds; ++round) {
      const int count = 2 + (round * 7) % 5;  // 2..6
      for (auto& h : hits) h.store(0, std::memory_order_relaxed);
      pool.Run(count, [&](int i, int) {
        running.fetch_add(1);
        hits[static_cast<size_t>(i < 0 || i >= count ? 7 : i)].fetch_add(1);
        running.fetch_sub(1);
      });
      ASSERT_EQ(running.load(), 0) << "Run returned while a piece ran, round " << round;
      expected += count;
      for (int i = 0; i < 8; ++i) {
        const int want = i < count ? 1 : 0;
        total += hits[static_cast<size_t>(i)].load();
        ASSERT_EQ(hits[static_cast<size_t>(i)].load(), want)
            << threads << " threads, round " << round << ", piece " << i << " of " << count;
      }
    }
    EXPECT_EQ(total, expected);
  }
}

// The caller and the workers also sleep between jobs: pieces longer than a
// thread watches for, and pauses between jobs longer than that.
TEST(StripePool, ThreadsThatSleptBetweenJobsAreWokenForTheNext) {
  StripePool pool(2);
  for (int round = 0; round < 20; ++round) {
    std::array<std::atomic<int>, 3> hits{};
    pool.Run(3, [&](int i, int) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      hits[static_cast<size_t>(i)].fetch_add(1);
    });
    for (const auto& h : hits) ASSERT_EQ(h.load(), 1) << "round " << round;
    std::this_thread::sleep_for(std::chrono::milliseconds(round % 2 ? 2 : 0));
  }
}

// A job of more pieces than one hand-off counts is run in parts.
TEST(StripePool, AJobOfVeryManyPiecesRunsEachOnce) {
  StripePool pool(2);
  const int count = 2 * 65535 + 3;
  std::vector<std::atomic<uint8_t>> hits(static_cast<size_t>(count));
  pool.Run(count, [&](int i, int) { hits[static_cast<size_t>(i)].fetch_add(1); });
  int once = 0;
  for (const auto& h : hits) once += h.load() == 1;
  EXPECT_EQ(once, count);
}

}  // namespace
}  // namespace korvex::image
