// End to end: a live preview on the simulated camera at its fast pace,
// colour mode 24 with every stage active, each frame copied into the
// application's buffer and notified; frames per second with the default
// pipeline threads and with one.
#include "korvex/host_sim.h"
#include "live_preview.h"

#include <benchmark/benchmark.h>

namespace {

void BM_PreviewColourEveryStage(benchmark::State& state) {
  korvex::bench::LivePreview preview(static_cast<int>(state.range(0)));  // 0: the default
  KorvexHost_SimReset();
  KorvexHost_SimSetFastPace(1);
  if (!preview.Start()) {
    state.SkipWithError("the preview did not start");
    return;
  }
  for (auto _ : state) {
    if (!preview.NextFrame()) {
      state.SkipWithError("no frame within 10 s");
      break;
    }
  }
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PreviewColourEveryStage)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("threads")
    ->UseRealTime()
    ->MinTime(3.0)
    ->Unit(benchmark::kMillisecond);

}  // namespace
