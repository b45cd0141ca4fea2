// End-to-end latency of a live preview: from the streaming thread's receipt
// of a frame's last byte to the application's frame notification, colour
// mode 24 with every stage active, on one and two pipeline threads, with the
// default wait time between frames (10 ms) and with none. The simulated
// camera runs at its sensor's pace, so one frame is in the pipeline at a
// time; each iteration is one frame, and the median and 99th percentile are
// reported as counters (milliseconds).
#include "korvex/host_sim.h"
#include "live_preview.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// What the camera sends: the scene rendered once, copied into every
// transfer; the time is taken when the copy has reached the transfer's last
// byte, which is when the streaming thread has the whole frame.
struct FrameSource {
  std::vector<uint8_t> frame;
  std::atomic<int64_t> lastByteNs{0};

  static void Fill(void* user, uint32_t, int, uint8_t* buffer, size_t length) {
    auto* self = static_cast<FrameSource*>(user);
    const size_t n = std::min(length, self->frame.size());
    std::memcpy(buffer, self->frame.data(), n);
    std::memset(buffer + n, 0, length - n);
    self->lastByteNs.store(Clock::now().time_since_epoch().count());
  }
};

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t i = std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
  return values[i];
}

void BM_FrameToNotification(benchmark::State& state) {
  KorvexHost_SimReset();
  FrameSource source;
  source.frame.resize(2560u * 2008u);
  KorvexHost_SimRenderFrame(0, 0, source.frame.data(), source.frame.size());
  KorvexHost_SimSetFrameCallback(0, &FrameSource::Fill, &source);
  {
    korvex::bench::LivePreview preview(static_cast<int>(state.range(0)));
    std::vector<double> latencies;
    if (!preview.Start(static_cast<int>(state.range(1)))) {
      state.SkipWithError("the preview did not start");
    } else {
      for (auto _ : state) {
        if (!preview.NextFrame()) {
          state.SkipWithError("no frame within 10 s");
          break;
        }
        const int64_t now = Clock::now().time_since_epoch().count();
        const double ms = static_cast<double>(now - source.lastByteNs.load()) / 1e6;
        latencies.push_back(ms);
        state.SetIterationTime(ms / 1e3);
      }
      state.counters["median_ms"] = Percentile(latencies, 0.5);
      state.counters["p99_ms"] = Percentile(latencies, 0.99);
    }
  }  // the camera is released before the frame source goes
  KorvexHost_SimSetFrameCallback(0, nullptr, nullptr);
}
BENCHMARK(BM_FrameToNotification)
    ->ArgsProduct({{1, 2}, {10, 0}})
    ->ArgNames({"threads", "wait_ms"})
    ->UseManualTime()
    ->Iterations(120)
    ->Unit(benchmark::kMillisecond);

}  // namespace
