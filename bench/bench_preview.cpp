// End to end: a live preview on the simulated camera at its fast pace,
// colour mode 24 with every stage active, each frame copied into the
// application's buffer and notified; frames per second with the default
// pipeline threads and with one.
#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/registry_util.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

void BM_PreviewColourEveryStage(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));  // 0: the default
  const char* saved = std::getenv("KORVEX_PIPELINE_THREADS");
  const std::string keep = saved ? saved : "";
  if (threads > 0) {
    setenv("KORVEX_PIPELINE_THREADS", std::to_string(threads).c_str(), 1);
  } else {
    unsetenv("KORVEX_PIPELINE_THREADS");
  }
  korvex::test::ScopedRegistryRoot registry;
  KorvexHost_SimReset();
  KorvexHost_SimSetFastPace(1);
  KorvexHostWindow notify = KorvexHost_CreateMessageWindow();
  KorvexHostWindow frames = KorvexHost_CreateMessageWindow();
  const KORVEX_HANDLE camera = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(notify));
  std::vector<uint8_t> buffer(2560u * 1920u * 3u);
  bool started = camera != 0 && Korvex_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0) == 1 &&
                 Korvex_SetColorMode(camera, 24) == 1;
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
  if (!started || KorvexHost_GetMessage(frames, &message, 10000) != 1) {
    state.SkipWithError("the preview did not start");
  } else {
    for (auto _ : state) {
      if (KorvexHost_GetMessage(frames, &message, 10000) != 1) {
        state.SkipWithError("no frame within 10 s");
        break;
      }
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  }
  if (camera != 0) {
    Korvex_StopPreview(camera);
    Korvex_Release(camera);
  }
  KorvexHost_DestroyWindow(frames);
  KorvexHost_DestroyWindow(notify);
  if (saved) {
    setenv("KORVEX_PIPELINE_THREADS", keep.c_str(), 1);
  } else {
    unsetenv("KORVEX_PIPELINE_THREADS");
  }
}
BENCHMARK(BM_PreviewColourEveryStage)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("threads")
    ->UseRealTime()
    ->MinTime(3.0)
    ->Unit(benchmark::kMillisecond);

}  // namespace
