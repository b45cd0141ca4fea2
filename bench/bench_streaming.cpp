// Streaming throughput: whole frames from the simulated camera into the ring
// at full speed, beside a plain memcpy of the same bytes.
#include "device/korvex740k3xln_sdk.h"
#include "korvex/host.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <thread>
#include <vector>

namespace {

using korvex::CKorvex740K3XLNSdk;

// One frame per iteration: waits until the streaming thread has completed
// another transfer into the ring.
void BM_StreamIntoRing(benchmark::State& state) {
  KorvexHost_SimReset();
  KorvexHost_SimSetFastPace(1);
  const bool word = state.range(0) != 0;
  CKorvex740K3XLNSdk model;
  model.SetWordMode(word);
  model.SetWindow(0, 0, 3000, 3000, 0);
  const int64_t frameBytes = static_cast<int64_t>(model.TransferSize()) * (word ? 2 : 1);
  if (model.StartStreaming() != 0) {
    state.SkipWithError("streaming did not start");
    return;
  }
  int done = model.StreamFrameCount();
  for (auto _ : state) {
    while (model.StreamFrameCount() == done) std::this_thread::yield();
    done = model.StreamFrameCount();
  }
  model.StopStreaming();
  state.SetBytesProcessed(state.iterations() * frameBytes);
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  KorvexHost_SimReset();
}
BENCHMARK(BM_StreamIntoRing)->Arg(0)->Arg(1)->ArgName("word")->UseRealTime()->MinTime(2.0);

void BM_MemcpyFrame(benchmark::State& state) {
  const size_t bytes = 2560u * 2008u * (state.range(0) ? 2 : 1);
  std::vector<uint8_t> src(bytes, 0x5A), dst(bytes);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), bytes);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MemcpyFrame)->Arg(0)->Arg(1)->ArgName("word")->UseRealTime()->MinTime(2.0);

}  // namespace
