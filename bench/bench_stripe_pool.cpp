// What one job costs the stripe pool beyond its pieces: waking the workers,
// handing out the numbers and waiting for the last one. Each piece spins
// for a fixed number of microseconds, so on two threads a job of n pieces
// ideally takes n / 2 of them; the rest is the hand-off. A frame posts a
// few jobs, so this cost is paid a few times per frame.
#include <benchmark/benchmark.h>

#include "image/stripe_pool.h"

#include <chrono>
#include <functional>

namespace korvex::image {
namespace {

void BM_StripePoolJob(benchmark::State& state) {
  const int pieces = static_cast<int>(state.range(0));
  const auto work = std::chrono::microseconds(state.range(1));
  StripePool pool(2);
  const std::function<void(int, int)> piece = [&](int, int) {
    const auto end = std::chrono::steady_clock::now() + work;
    while (std::chrono::steady_clock::now() < end) {
    }
  };
  for (auto _ : state) pool.Run(pieces, piece);
  state.counters["ideal_us"] = static_cast<double>(pieces * state.range(1)) / 2;
}
BENCHMARK(BM_StripePoolJob)
    ->ArgNames({"pieces", "us"})
    ->Args({2, 0})
    ->Args({8, 25})
    ->Args({32, 25})
    ->Args({3, 400})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvex::image
