// Pixel converters on a 2560 x 1920 picture merged from a simulated
// 2560 x 2008 raw frame, one stage at a time, beside a memcpy of the 24-bit
// picture (the floor for one pass over the output).
#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "common/camera_settings.h"
#include "image/converters/converters.h"
#include "image/converters/vector_level.h"
#include "image/pipeline.h"
#include "image/pipeline_workers.h"

#ifdef KORVEX_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace korvex::image {
namespace {

struct Buffer {
  int32_t width = 0, height = 0, bpp = 0, stride = 0;
  std::vector<uint8_t> bytes;
  Buffer(int32_t w, int32_t h, int32_t b)
      : width(w), height(h), bpp(b), stride((w * b + 3) & ~3), bytes(size_t(stride) * h) {}
  uint8_t* data() { return bytes.data(); }
  Rect All() const { return Rect{0, 0, width, height}; }
};

int32_t Apply(RegionConverter f, Buffer& dst, const Buffer& src, int32_t* block) {
  int32_t* p = block;
  return f(dst.data(), src.bytes.data(), src.All(), 0, 0, uint16_t(dst.bpp), uint16_t(src.bpp),
           dst.stride, src.stride, &p, nullptr);
}

// A raw frame of a smooth scene with a green colour cast and sensor noise,
// both depths, and every intermediate picture derived from it once.
struct Scene {
  Buffer raw8{kPictureWidth, kRawHeight, 1}, raw16{kPictureWidth, kRawHeight, 2};
  Buffer gray8{kPictureWidth, kPictureHeight, 1}, gray16{kPictureWidth, kPictureHeight, 2};
  Buffer rgb24{kPictureWidth, kPictureHeight, 3}, rgb48{kPictureWidth, kPictureHeight, 6};

  Scene() {
    std::mt19937 rng(42);
    for (int32_t y = 0; y < kRawHeight; ++y) {
      for (int32_t x = 0; x < kPictureWidth; ++x) {
        const bool greenSite = ((x ^ y) & 1) == 0;
        const int32_t base = ((x / 7 + y / 5) % 200) + (greenSite ? 40 : 0);
        const int32_t v10 = std::min(1023, base * 4 + int32_t(rng() % 24));
        raw8.bytes[size_t(y) * raw8.stride + x] = uint8_t(v10 >> 2);
        raw16.bytes[size_t(y) * raw16.stride + 2 * x] = uint8_t(v10);
        raw16.bytes[size_t(y) * raw16.stride + 2 * x + 1] = uint8_t(v10 >> 8);
      }
    }
    Merge(MergeFields8, gray8, raw8);
    Merge(MergeFields16, gray16, raw16);
    int32_t wb[] = {0, 100, 100, 100};
    Apply(Demosaic8, rgb24, gray8, wb);
    Apply(Demosaic8Border, rgb24, gray8, wb);
    Apply(Demosaic16, rgb48, gray16, wb);
    Apply(Demosaic16Border, rgb48, gray16, wb);
  }

  static void Merge(ScalingConverter f, Buffer& dst, Buffer& raw) {
    f(dst.data(), raw.data(), dst.All(), raw.All(), Size{dst.width, dst.height},
      Size{raw.width, raw.height}, uint16_t(dst.bpp), uint16_t(raw.bpp), dst.stride, raw.stride, 0,
      0);
  }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void SetBytes(benchmark::State& state, const Buffer& out) {
  state.SetBytesProcessed(int64_t(state.iterations()) * out.stride * out.height);
}

void BM_Memcpy24(benchmark::State& state) {
  Scene& s = TheScene();
  Buffer out(kPictureWidth, kPictureHeight, 3);
  for (auto _ : state) {
    std::memcpy(out.data(), s.rgb24.data(), s.rgb24.bytes.size());
    benchmark::ClobberMemory();
  }
  SetBytes(state, out);
}
BENCHMARK(BM_Memcpy24)->Unit(benchmark::kMillisecond);

void BM_MergeFields(benchmark::State& state) {
  Scene& s = TheScene();
  const bool deep = state.range(0) == 16;
  Buffer out(kPictureWidth, kPictureHeight, deep ? 2 : 1);
  ScalingConverter f = SelectMergeFields(deep, state.range(1) & 1, state.range(1) & 2);
  for (auto _ : state) {
    Scene::Merge(f, out, deep ? s.raw16 : s.raw8);
    benchmark::ClobberMemory();
  }
  SetBytes(state, out);
}
BENCHMARK(BM_MergeFields)
    ->ArgNames({"bits", "mirror"})
    ->Args({8, 0})
    ->Args({8, 3})
    ->Args({16, 0})
    ->Args({16, 3})
    ->Unit(benchmark::kMillisecond);

// Demosaic (interior and border) into 24-bit; with arg 1 the white-balance
// measurement runs first, as it does every frame with automatic balance.
void BM_Demosaic8(benchmark::State& state) {
  Scene& s = TheScene();
  Buffer out(kPictureWidth, kPictureHeight, int32_t(state.range(1)));
  for (auto _ : state) {
    int32_t wb[] = {0, 135, 100, 120};
    if (state.range(0)) {
      int32_t m[] = {0, 0, 0, 0};
      Apply(MeasureWhiteBalance8, s.gray8, s.gray8, m);
      wb[1] = std::min(m[2], 400), wb[3] = std::min(m[0], 400);
    }
    Apply(Demosaic8, out, s.gray8, wb);
    Apply(Demosaic8Border, out, s.gray8, wb);
    benchmark::ClobberMemory();
  }
  SetBytes(state, out);
}
BENCHMARK(BM_Demosaic8)
    ->ArgNames({"measure", "bpp"})
    ->Args({0, 3})
    ->Args({1, 3})
    ->Args({0, 4})
    ->Unit(benchmark::kMillisecond);

// The 8-bit demosaic at one vector level (2 AVX2, 3 AVX-512, as far as the
// processor has it): most Windows desktops stop at AVX2.
void BM_Demosaic8AtLevel(benchmark::State& state) {
  Scene& s = TheScene();
  Buffer out(kPictureWidth, kPictureHeight, 3);
  LimitVectorLevel(static_cast<VectorLevel>(state.range(0)));
  state.SetLabel(static_cast<int>(ActiveVectorLevel()) == state.range(0) ? "" : "level missing");
  for (auto _ : state) {
    int32_t wb[] = {0, 135, 100, 120};
    Apply(Demosaic8, out, s.gray8, wb);
    Apply(Demosaic8Border, out, s.gray8, wb);
    benchmark::ClobberMemory();
  }
  LimitVectorLevel(VectorLevel::kAvx512);
  SetBytes(state, out);
}
BENCHMARK(BM_Demosaic8AtLevel)->ArgName("level")->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

#ifdef KORVEX_BENCH_OPENCV
// This thread's CPU time in seconds: on a busy machine it is disturbed far
// less than the wall clock.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs ours() beside OpenCV's bilinear Bayer conversion of the scene's
// mosaic, both on this thread in the same run, timed by the thread's CPU
// time: the time is ours, "ratio" ours over OpenCV's.
template <typename Ours>
void VersusOpenCv(benchmark::State& state, Ours ours) {
  Scene& s = TheScene();
  cv::setNumThreads(1);
  const cv::Mat mosaic(kPictureHeight, kPictureWidth, CV_8UC1, s.gray8.data(),
                       static_cast<size_t>(s.gray8.stride));
  cv::Mat bgr(kPictureHeight, kPictureWidth, CV_8UC3);
  double oursTotal = 0, theirs = 0;
  for (auto _ : state) {
    const double t0 = ThreadSeconds();
    ours();
    benchmark::ClobberMemory();
    const double t1 = ThreadSeconds();
    cv::cvtColor(mosaic, bgr, cv::COLOR_BayerGB2BGR);
    benchmark::ClobberMemory();
    const double t2 = ThreadSeconds();
    oursTotal += t1 - t0;
    theirs += t2 - t1;
    state.SetIterationTime(t1 - t0);
  }
  state.counters["opencv_ms"] = theirs * 1000.0 / static_cast<double>(state.iterations());
  state.counters["ratio"] = theirs > 0 ? oursTotal / theirs : 0.0;
}

// The 8-bit demosaic with the white-balance measurement, whole-picture
// converters one after another.
void BM_Demosaic8VersusOpenCv(benchmark::State& state) {
  Scene& s = TheScene();
  Buffer out(kPictureWidth, kPictureHeight, 3);
  VersusOpenCv(state, [&] {
    int32_t m[] = {0, 0, 0, 0};
    Apply(MeasureWhiteBalance8, s.gray8, s.gray8, m);
    int32_t wb[] = {0, std::min(m[2], 400), 100, std::min(m[0], 400)};
    Apply(Demosaic8, out, s.gray8, wb);
    Apply(Demosaic8Border, out, s.gray8, wb);
  });
}
BENCHMARK(BM_Demosaic8VersusOpenCv)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same work as the camera does it on one pipeline thread: the
// white-balance measurement, then the demosaic stripe by stripe (interior
// and border rows of a stripe together).
void BM_PipelineDemosaic8VersusOpenCv(benchmark::State& state) {
  Scene& s = TheScene();
  Buffer out(kPictureWidth, kPictureHeight, 3);
  const ImageView gray{s.gray8.data(), kPictureWidth, kPictureHeight, s.gray8.stride, 8};
  const ImageView color{out.data(), kPictureWidth, kPictureHeight, out.stride, 24};
  PipelineWorkers workers(1);
  CameraSettings settings;
  settings.video.Color = 2;
  settings.filter.Gamma = 100;
  settings.filter.BayerGainAuto = 1;
  VersusOpenCv(state, [&] { BalanceAndDemosaic(color, gray, settings, {}, &workers); });
}
BENCHMARK(BM_PipelineDemosaic8VersusOpenCv)->UseManualTime()->Unit(benchmark::kMillisecond);
#endif

void BM_Demosaic16(benchmark::State& state) {
  Scene& s = TheScene();
  Buffer out(kPictureWidth, kPictureHeight, int32_t(state.range(0)));
  for (auto _ : state) {
    int32_t wb[] = {0, 135, 100, 120};
    Apply(Demosaic16, out, s.gray16, wb);
    Apply(Demosaic16Border, out, s.gray16, wb);
    benchmark::ClobberMemory();
  }
  SetBytes(state, out);
}
BENCHMARK(BM_Demosaic16)->ArgName("bpp")->Arg(6)->Arg(8)->Unit(benchmark::kMillisecond);

// One region converter from a picture of the scene into a separate buffer
// of the same format, so that the picture does not degrade between runs
// (in place: InPlace below).
void Stage(benchmark::State& state, RegionConverter f, Buffer& (*pick)(Scene&),
           std::vector<int32_t> block) {
  Scene& s = TheScene();
  Buffer& src = pick(s);
  Buffer out = src;
  for (auto _ : state) {
    std::vector<int32_t> b = block;
    benchmark::DoNotOptimize(Apply(f, out, src, b.data()));
    benchmark::ClobberMemory();
  }
  SetBytes(state, out);
}

Buffer& Gray8(Scene& s) { return s.gray8; }
Buffer& Gray16(Scene& s) { return s.gray16; }
Buffer& Rgb24(Scene& s) { return s.rgb24; }
Buffer& Rgb48(Scene& s) { return s.rgb48; }

#define KORVEX_STAGE(name, F, pick, ...)                                     \
  BENCHMARK_CAPTURE(Stage, name, F, pick, std::vector<int32_t>{__VA_ARGS__}) \
      ->Unit(benchmark::kMillisecond)

KORVEX_STAGE(MeasureWhiteBalance8, MeasureWhiteBalance8, Gray8, 0, 0, 0, 0);
KORVEX_STAGE(MeasureWhiteBalance16, MeasureWhiteBalance16, Gray16, 0, 0, 0, 0);
KORVEX_STAGE(GrayGainOffset8, GrayGainOffset8, Gray8, 0, 140, 128, 120, 130, 3, 0, -2, 1, 8);
KORVEX_STAGE(GrayGainOffset16, GrayGainOffset16, Gray16, 0, 140, 128, 120, 130, 3, 0, -2, 1, 10);
KORVEX_STAGE(MeasureGrayGains8, MeasureGrayGains, Gray8, 0, 128, 128, 128, 128, 0, 0, 0, 0, 8);
KORVEX_STAGE(HueSaturation24, HueSaturation24, Rgb24, 40, 0, 60, 10);
KORVEX_STAGE(HueSaturation48, HueSaturation48, Rgb48, 40, 0, 60, 10);
KORVEX_STAGE(Gamma8, Gamma8, Gray8, 150, 10);
KORVEX_STAGE(Gamma16, Gamma16, Gray16, 150, 10);
KORVEX_STAGE(Gamma24, Gamma24, Rgb24, 150, 10);
KORVEX_STAGE(Gamma48, Gamma48, Rgb48, 150, 10);
KORVEX_STAGE(Contrast24, Contrast24, Rgb24, 40, 10);
KORVEX_STAGE(Contrast48, Contrast48, Rgb48, 40, 10);
KORVEX_STAGE(Sharpen8, Sharpen8, Gray8, 20, 10);
KORVEX_STAGE(Sharpen16, Sharpen16, Gray16, 20, 10);
KORVEX_STAGE(Sharpen24, Sharpen24, Rgb24, 20, 10);
KORVEX_STAGE(Sharpen48, Sharpen48, Rgb48, 20, 10);
KORVEX_STAGE(Brightness8, Brightness8, Gray8, 60, 10);
KORVEX_STAGE(Brightness24, Brightness24, Rgb24, 60, 10);
KORVEX_STAGE(Brightness48, Brightness48, Rgb48, 60, 10);
KORVEX_STAGE(Reduce48To24, Reduce48To24, Rgb48, 0);
KORVEX_STAGE(Swap24, Swap24, Rgb24, 0);
KORVEX_STAGE(Expand48, Expand48, Rgb48, 0);

// The pipeline runs the colour stages in place, which is not always the same
// work for the processor as into another buffer: a load that overlaps a
// store still in flight waits for it. Hue and saturation in place on a copy
// of the picture (the vector kernels take the same time for any pixels, so
// the picture may drift between runs).
void InPlace(benchmark::State& state, RegionConverter f, Buffer& (*pick)(Scene&),
             std::vector<int32_t> block) {
  Buffer out = pick(TheScene());
  for (auto _ : state) {
    std::vector<int32_t> b = block;
    benchmark::DoNotOptimize(Apply(f, out, out, b.data()));
    benchmark::ClobberMemory();
  }
  SetBytes(state, out);
}
BENCHMARK_CAPTURE(InPlace, HueSaturation24, HueSaturation24, Rgb24,
                  std::vector<int32_t>{40, 0, 60, 10})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(InPlace, HueSaturation48, HueSaturation48, Rgb48,
                  std::vector<int32_t>{40, 0, 60, 10})
    ->Unit(benchmark::kMillisecond);

void BM_ColorToGray(benchmark::State& state) {
  Scene& s = TheScene();
  Buffer out(kPictureWidth, kPictureHeight, 1);
  for (auto _ : state) {
    Apply(ColorToGray, out, s.rgb24, nullptr);
    benchmark::ClobberMemory();
  }
  SetBytes(state, out);
}
BENCHMARK(BM_ColorToGray)->Unit(benchmark::kMillisecond);

// Every stage of colour mode 2 in pipeline order on one frame: merge,
// white-balance measurement, demosaic, hue and saturation, gamma, contrast,
// copy for the sharpness source, sharpness, brightness.
void BM_ColourMode2AllStages(benchmark::State& state) {
  Scene& s = TheScene();
  Buffer gray(kPictureWidth, kPictureHeight, 1), out(kPictureWidth, kPictureHeight, 3),
      copy(kPictureWidth, kPictureHeight, 3);
  for (auto _ : state) {
    Scene::Merge(MergeFields8, gray, s.raw8);
    int32_t m[] = {0, 0, 0, 0};
    Apply(MeasureWhiteBalance8, gray, gray, m);
    int32_t wb[] = {0, std::min(m[2], 400), std::min(m[1], 400), std::min(m[0], 400)};
    Apply(Demosaic8, out, gray, wb);
    Apply(Demosaic8Border, out, gray, wb);
    int32_t hs[] = {20, 0, 40, 10}, gamma[] = {130, 10}, contrast[] = {20, 10}, sharp[] = {10, 10},
            bright[] = {30, 10};
    Apply(HueSaturation24, out, out, hs);
    Apply(Gamma24, out, out, gamma);
    Apply(Contrast24, out, out, contrast);
    std::memcpy(copy.data(), out.data(), out.bytes.size());
    Apply(Sharpen24, out, copy, sharp);
    Apply(Brightness24, out, out, bright);
    benchmark::ClobberMemory();
  }
  SetBytes(state, out);
}
BENCHMARK(BM_ColourMode2AllStages)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvex::image
