// The whole per-frame pipeline on a frame from the simulated camera, by
// colour mode, with every setting neutral and with every stage active.
#include <benchmark/benchmark.h>

#include "image/pipeline.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"

#include <vector>

namespace korvex::image {
namespace {

struct Owned {
  Owned() = default;
  Owned(int width, int height, int bits) {
    const int stride = (width * (bits / 8) + 3) & ~3;
    bytes.assign(static_cast<size_t>(stride) * height, 0);
    view = ImageView{bytes.data(), width, height, stride, bits};
  }
  std::vector<uint8_t> bytes;
  ImageView view;
};

struct Frame {
  explicit Frame(int mode) {
    const bool deep = mode == 1 || mode == 4 || mode == 5;
    raw = Owned(2560, 2008, deep ? 16 : 8);
    if (mode <= 3) gray8 = Owned(2560, 1920, 8);
    if (deep) gray16 = Owned(2560, 1920, 16);
    if (mode != 1) color24 = Owned(2560, 1920, 24);
    if (mode == 3) color32 = Owned(2560, 1920, 32);
    if (mode == 4) color48 = Owned(2560, 1920, 48);
    if (mode == 5) color64 = Owned(2560, 1920, 64);
    static const int kBits[6] = {8, 16, 24, 32, 48, 64};
    current = Owned(2560, 1920, kBits[mode]);
    // A frame of the simulated camera in the sample width of the mode.
    KorvexHost_SimReset();
    uint8_t wordMode[1] = {static_cast<uint8_t>(deep ? 1 : 0)};
    (void)wordMode;
    std::vector<uint8_t> frame(2560 * 2008 * 2);
    const size_t got = KorvexHost_SimRenderFrame(0, 0, frame.data(), frame.size());
    if (deep && got >= raw.bytes.size()) {
      std::copy_n(frame.begin(), raw.bytes.size(), raw.bytes.begin());
    } else {
      // Byte-mode camera: widen to 10 bits for the deep modes.
      for (size_t i = 0; i < 2560u * 2008u && i < got; ++i) {
        if (deep) {
          const uint16_t v = static_cast<uint16_t>(frame[i] << 2);
          raw.bytes[2 * i] = v & 0xFF;
          raw.bytes[2 * i + 1] = v >> 8;
        } else {
          raw.bytes[i] = frame[i];
        }
      }
    }
  }
  FrameImages Views() const {
    return {raw.view, gray8.view, gray16.view, color24.view,
            color32.view, color48.view, color64.view, current.view};
  }
  Owned raw, gray8, gray16, color24, color32, color48, color64, current;
};

void Configure(CameraSettings& s, int mode, bool active) {
  s.video.Color = mode;
  s.filter.BayerMode = 1;
  s.filter.R_Gain = 100;
  s.filter.G_Gain = 100;
  s.filter.B_Gain = 100;
  s.filter.Gamma = 100;
  s.filter.GainR1 = 128;
  s.filter.GainG1 = 128;
  s.filter.GainG2 = 128;
  s.filter.GainB1 = 128;
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
  Frame frame(mode);
  CameraSettings settings;
  Configure(settings, mode, active);
  for (auto _ : state) {
    ProcessFrame(frame.Views(), settings, nullptr, {});
    benchmark::ClobberMemory();
  }
  state.SetLabel(active ? "every stage" : "neutral");
}
BENCHMARK(BM_ProcessFrame)
    ->ArgsProduct({{0, 1, 2, 4}, {0, 1}})
    ->ArgNames({"mode", "active"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvex::image
