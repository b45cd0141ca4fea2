// End-to-end latency of a live preview: from the streaming thread's receipt
// of a frame's last byte to the application's frame notification, colour
// mode 24 with every stage active, on one and two pipeline threads, with the
// default wait time between frames (10 ms) and with none. The simulated
// camera runs at its sensor's pace, so one frame is in the pipeline at a
// time; each iteration is one frame, and the median and 99th percentile are
// reported as counters (milliseconds).
#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/registry_util.h"

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
  const int threads = static_cast<int>(state.range(0));
  const int waitTime = static_cast<int>(state.range(1));
  const char* saved = std::getenv("KORVEX_PIPELINE_THREADS");
  const std::string keep = saved ? saved : "";
  setenv("KORVEX_PIPELINE_THREADS", std::to_string(threads).c_str(), 1);
  korvex::test::ScopedRegistryRoot registry;
  KorvexHost_SimReset();
  FrameSource source;
  source.frame.resize(2560u * 2008u);
  KorvexHost_SimRenderFrame(0, 0, source.frame.data(), source.frame.size());
  KorvexHost_SimSetFrameCallback(0, &FrameSource::Fill, &source);
  KorvexHostWindow notify = KorvexHost_CreateMessageWindow();
  KorvexHostWindow frames = KorvexHost_CreateMessageWindow();
  const KORVEX_HANDLE camera = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(notify));
  std::vector<uint8_t> buffer(2560u * 1920u * 3u);
  bool started = camera != 0 && Korvex_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0) == 1 &&
                 Korvex_SetColorMode(camera, 24) == 1 && Korvex_SetWaitTime(camera, waitTime) == 1;
  if (started) {
    Korvex_SetHue(camera, 20);
    Korvex_SetSaturation(camera, 40);
    Korvex_SetGamma(camera, 80);
    Korvex_SetContrast(camera, 20);
    Korvex_SetSharpness(camera, 10);
    Korvex_SetBrightness(camera, 15);
    Korvex_SetBayerGainAuto(camera, 1);
    started = Korvex_CallBackPreview(camera, reinterpret_cast<KORVEX_HWND>(frames), buffer.data(),
                                     static_cast<int>(buffer.size()), 1) == 1;
  }
  KorvexHostMessage message;
  std::vector<double> latencies;
  if (!started || KorvexHost_GetMessage(frames, &message, 10000) != 1) {
    state.SkipWithError("the preview did not start");
  } else {
    for (auto _ : state) {
      if (KorvexHost_GetMessage(frames, &message, 10000) != 1) {
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
  if (camera != 0) {
    Korvex_StopPreview(camera);
    Korvex_Release(camera);
  }
  KorvexHost_SimSetFrameCallback(0, nullptr, nullptr);
  KorvexHost_DestroyWindow(frames);
  KorvexHost_DestroyWindow(notify);
  if (saved) {
    setenv("KORVEX_PIPELINE_THREADS", keep.c_str(), 1);
  } else {
    unsetenv("KORVEX_PIPELINE_THREADS");
  }
}
BENCHMARK(BM_FrameToNotification)
    ->ArgsProduct({{1, 2}, {10, 0}})
    ->ArgNames({"threads", "wait_ms"})
    ->UseManualTime()
    ->Iterations(120)
    ->Unit(benchmark::kMillisecond);

}  // namespace
