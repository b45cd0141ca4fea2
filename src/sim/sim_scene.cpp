// The synthetic scene and its read-out through the colour mosaic.
#include "sim/sim_scene.h"

#include <algorithm>
#include <cmath>

namespace korvex::sim {
namespace {

// Colour cast of the simulated optics and filters (red, green, blue): a warm,
// greenish tint that white balance is expected to remove.
constexpr double kCast[3] = {0.78, 1.0, 0.62};
constexpr int kBlackLevel = 16;       // 10-bit sample of a black scene
constexpr double kFullWhite = 900.0;  // 10-bit signal of white at 2028 lines, gain 512

struct Rgb {
  double r, g, b;
};

Rgb Hue(double h) {  // h in [0, 6): fully saturated colour
  const double f = h - std::floor(h);
  switch (static_cast<int>(h) % 6) {
    case 0: return {1, f, 0};
    case 1: return {1 - f, 1, 0};
    case 2: return {0, 1, f};
    case 3: return {0, 1 - f, 1};
    case 4: return {f, 0, 1};
    default: return {1, 0, 1 - f};
  }
}

// The still scene at picture pixel (x, y), reflectances 0..1.
Rgb SceneAt(int x, int y) {
  if (y < 640) {  // colour bars
    static const Rgb bars[8] = {{0.85, 0.85, 0.85}, {0.8, 0.8, 0.05},  {0.05, 0.8, 0.8},
                                {0.05, 0.8, 0.05},  {0.8, 0.05, 0.8},  {0.8, 0.05, 0.05},
                                {0.05, 0.05, 0.8},  {0.02, 0.02, 0.02}};
    return bars[x / 320];
  }
  if (y < 960) {  // gray ramp, black to white
    const double v = x / 2559.0;
    return {v, v, v};
  }
  if (y < 1280) {  // hue ramp
    const Rgb c = Hue(x * 6.0 / 2560.0);
    return {0.85 * c.r, 0.85 * c.g, 0.85 * c.b};
  }
  if (x < 1280) {  // ten gray steps
    const double v = (x / 128) / 9.0;
    return {v, v, v};
  }
  // fine checkerboards: 16-pixel squares above, 4-pixel squares below
  const int cell = y < 1600 ? 16 : 4;
  const double v = ((x / cell + y / cell) & 1) ? 0.85 : 0.15;
  return {v, v, v};
}

// Colour-filter channel of a picture site: RGGB (R on even rows, even
// columns; B on odd rows, odd columns).
int ChannelAt(int x, int y) {
  if ((y & 1) == 0) return (x & 1) ? 1 : 0;
  return (x & 1) ? 2 : 1;
}

uint16_t Radiance12(double reflectance, int channel) {
  const double v = std::clamp(reflectance * kCast[channel], 0.0, 1.0);
  return static_cast<uint16_t>(std::lround(v * 4095.0));
}

// 12-bit radiance of every raw sample; rows outside the two fields see black.
// It lives as long as the process: a camera may still stream while the
// process's static objects are destroyed at its exit.
const std::vector<uint16_t>& StaticRadiance() {
  static const std::vector<uint16_t>* const radiance = new std::vector<uint16_t>([] {
    std::vector<uint16_t> r(kFramePixels, 0);
    for (int y = 0; y < kPictureLines; ++y) {
      uint16_t* row = &r[static_cast<size_t>(RawRowOfPictureRow(y)) * kFrameWidth];
      for (int x = 0; x < kFrameWidth; ++x) {
        const Rgb c = SceneAt(x, y);
        const int ch = ChannelAt(x, y);
        row[x] = Radiance12(ch == 0 ? c.r : ch == 1 ? c.g : c.b, ch);
      }
    }
    return r;
  }());
  return *radiance;
}

constexpr int kDiscRadius = 96;
constexpr int kDiscCentreRow = 960;
constexpr int kDiscStep = 24;  // pixels per frame
constexpr Rgb kDiscColour = {1.0, 0.5, 0.08};

}  // namespace

std::shared_ptr<const RenderedFrame> RenderStatic(const ReadoutParams& params) {
  auto frame = std::make_shared<RenderedFrame>();
  frame->params = params;
  const double lines = std::max<uint32_t>(params.exposureLines, 1);
  const double gain = (params.globalGain + 256) / 768.0;
  const double k = kFullWhite * (lines / 2028.0) * gain;
  frame->response.resize(4096);
  for (int r = 0; r < 4096; ++r) {
    const double v = kBlackLevel + r * k / 4095.0;
    frame->response[r] = static_cast<uint16_t>(std::min(1023.0, std::floor(v + 0.5)));
  }
  const std::vector<uint16_t>& radiance = StaticRadiance();
  const uint16_t* lut = frame->response.data();
  if (params.wordMode) {
    frame->bytes.resize(kFramePixels * 2);
    uint8_t* out = frame->bytes.data();
    for (size_t i = 0; i < kFramePixels; ++i) {
      const uint16_t v = lut[radiance[i]];
      out[2 * i] = static_cast<uint8_t>(v);
      out[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
  } else {
    uint8_t lut8[4096];
    for (int r = 0; r < 4096; ++r) lut8[r] = static_cast<uint8_t>(lut[r] >> 2);
    frame->bytes.resize(kFramePixels);
    uint8_t* out = frame->bytes.data();
    for (size_t i = 0; i < kFramePixels; ++i) out[i] = lut8[radiance[i]];
  }
  return frame;
}

void DrawMovingPart(const RenderedFrame& frame, uint32_t frameNumber, uint8_t* buffer,
                    size_t length) {
  const int travel = kFrameWidth + 2 * kDiscRadius;
  const int cx =
      static_cast<int>((static_cast<uint64_t>(frameNumber) * kDiscStep) % travel) - kDiscRadius;
  const int cy = kDiscCentreRow;
  const size_t bpp = frame.params.wordMode ? 2 : 1;
  const uint16_t samples[3] = {frame.response[Radiance12(kDiscColour.r, 0)],
                               frame.response[Radiance12(kDiscColour.g, 1)],
                               frame.response[Radiance12(kDiscColour.b, 2)]};
  const int r2 = kDiscRadius * kDiscRadius;
  for (int y = cy - kDiscRadius; y <= cy + kDiscRadius; ++y) {
    const int dy = y - cy;
    const size_t rowOffset = static_cast<size_t>(RawRowOfPictureRow(y)) * kFrameWidth;
    const int x0 = std::max(0, cx - kDiscRadius);
    const int x1 = std::min(kFrameWidth - 1, cx + kDiscRadius);
    for (int x = x0; x <= x1; ++x) {
      const int dx = x - cx;
      if (dx * dx + dy * dy > r2) continue;
      const size_t at = (rowOffset + x) * bpp;
      if (at + bpp > length) break;  // the rest of this row lies beyond too
      const uint16_t v = samples[ChannelAt(x, y)];
      if (bpp == 2) {
        buffer[at] = static_cast<uint8_t>(v);
        buffer[at + 1] = static_cast<uint8_t>(v >> 8);
      } else {
        buffer[at] = static_cast<uint8_t>(v >> 2);
      }
    }
  }
}

std::shared_ptr<const RenderedFrame> SceneCache::Get(const ReadoutParams& params) {
  LockGuard<Mutex> lock(mutex_);
  if (!last_ || !(last_->params == params)) last_ = RenderStatic(params);
  return last_;
}

}  // namespace korvex::sim
