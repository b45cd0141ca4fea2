// The whole per-frame pipeline on a frame from the simulated camera, by
// colour mode, with every setting neutral and with every stage active, on
// one pipeline thread and on two.
#include <benchmark/benchmark.h>

#include "image/pipeline.h"
#include "image/pipeline_workers.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/frame_buffers.h"

#include <vector>

namespace korvex::image {
namespace {

// A frame of the simulated camera in the sample width of the mode.
test::FrameBuffers SimulatedFrame(int mode) {
  test::FrameBuffers frame(mode);
  const bool deep = mode == 1 || mode == 4 || mode == 5;
  KorvexHost_SimReset();
  std::vector<uint8_t> bytes(2560 * 2008);
  const size_t got = KorvexHost_SimRenderFrame(0, 0, bytes.data(), bytes.size());
  for (size_t i = 0; i < got; ++i) {
    if (deep) {  // the byte-mode frame widened to 10 bits
      frame.raw.bytes[2 * i] = static_cast<uint8_t>(bytes[i] << 2);
      frame.raw.bytes[2 * i + 1] = static_cast<uint8_t>(bytes[i] >> 6);
    } else {
      frame.raw.bytes[i] = bytes[i];
    }
  }
  return frame;
}

void Configure(CameraSettings& s, int mode, bool active) {
  test::NeutralSettings(s, mode);
  if (!active) return;
  s.filter.Hue = 20;
  s.filter.Saturation = 40;
  s.filter.Gamma = 80;
  s.filter.Contrast = 20;
  s.filter.Sharpness = 10;
  s.filter.Brightness = 15;
  s.filter.BayerGainAuto = 1;
  if (mode <= 1) {
    s.filter.Mode = 1;
    s.filter.GainG1 = 140;
  }
}

void BM_ProcessFrame(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  const bool active = state.range(1) != 0;
  const int threads = static_cast<int>(state.range(2));
  const test::FrameBuffers frame = SimulatedFrame(mode);
  CameraSettings settings;
  Configure(settings, mode, active);
  PipelineWorkers workers(threads);
  for (auto _ : state) {
    ProcessFrame(frame.Views(), settings, nullptr, {}, &workers);
    benchmark::ClobberMemory();
  }
  state.SetLabel(active ? "every stage" : "neutral");
}
// Real time: with two threads the calling thread's CPU time is not the
// frame's cost.
BENCHMARK(BM_ProcessFrame)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}, {1, 2}})
    ->ArgNames({"mode", "active", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvex::image
