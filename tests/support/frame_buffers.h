// Image buffers for pipeline tests and benchmarks: every buffer a colour
// mode needs, laid out as the camera creates them.
#pragma once

#include "image/pipeline.h"

#include <cstdint>
#include <vector>

namespace korvex::test {

struct OwnedImage {
  OwnedImage() = default;
  OwnedImage(int width, int height, int bits) {
    const int stride = ((width * (bits / 8)) + 3) & ~3;
    bytes.assign(static_cast<size_t>(stride) * height, 0);
    view = image::ImageView{bytes.data(), width, height, stride, bits};
  }
  std::vector<uint8_t> bytes;
  image::ImageView view;
};

struct FrameBuffers {
  explicit FrameBuffers(int mode, int width = 2560, int height = 1920) {
    const bool deep = mode == 1 || mode == 4 || mode == 5;
    raw = OwnedImage(2560, 2008, deep ? 16 : 8);
    if (mode <= 3) gray8 = OwnedImage(width, height, 8);
    if (deep) gray16 = OwnedImage(width, height, 16);
    if (mode != 1) color24 = OwnedImage(width, height, 24);
    if (mode == 3) color32 = OwnedImage(width, height, 32);
    if (mode == 4) color48 = OwnedImage(width, height, 48);
    if (mode == 5) color64 = OwnedImage(width, height, 64);
    static const int kOutputBits[6] = {8, 16, 24, 32, 48, 64};
    current = OwnedImage(width, height, kOutputBits[mode]);
  }
  image::FrameImages Views() const {
    return image::FrameImages{raw.view,     gray8.view,   gray16.view,  color24.view,
                              color32.view, color48.view, color64.view, current.view};
  }
  OwnedImage raw, gray8, gray16, color24, color32, color48, color64, current;
};

// Settings under which every stage after the demosaic is neutral, with the
// stored defaults' Bayer mode and white balance.
inline void NeutralSettings(CameraSettings& s, int mode) {
  s.video.Color = mode;
  s.filter.R_Gain = 100;
  s.filter.G_Gain = 100;
  s.filter.B_Gain = 100;
  s.filter.Gamma = 100;
  s.filter.BayerMode = 1;
  s.filter.GainR1 = 128;
  s.filter.GainG1 = 128;
  s.filter.GainG2 = 128;
  s.filter.GainB1 = 128;
}

}  // namespace korvex::test
