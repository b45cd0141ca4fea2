#include "histogram.h"

namespace korvex::viewer {
namespace {

constexpr int kRowStep = 3;

template <int kBytesPerPixel, bool kDeep>
void CountRows(const Frame& frame, Histogram& h) {
  constexpr int kChannels = kBytesPerPixel == 1 || (kDeep && kBytesPerPixel == 2) ? 1 : 3;
  constexpr int kMax = kDeep ? 1023 : 255;
  const int stride = frame.Stride();
  for (int y = 0; y < frame.height; y += kRowStep) {
    const uint8_t* p = frame.bytes.data() + static_cast<size_t>(y) * stride;
    for (int x = 0; x < frame.width; ++x, p += kBytesPerPixel) {
      bool clipped = false;
      for (int c = 0; c < kChannels; ++c) {
        const int stored = kChannels == 1 ? 0 : 2 - c;  // blue is stored first
        int v = kDeep ? (p[2 * stored] | (p[2 * stored + 1] << 8)) : p[stored];
        if (v > kMax) v = kMax;
        clipped |= v == kMax;
        ++h.bins[c][kDeep ? v >> 2 : v];
      }
      h.clipped += clipped;
    }
  }
  h.channels = kChannels;
  h.pixels = static_cast<uint64_t>(frame.width) * ((frame.height + kRowStep - 1) / kRowStep);
}

}  // namespace

Histogram CountHistogram(const Frame& frame) {
  Histogram h;
  if (frame.Empty()) return h;
  switch (frame.bitsPerPixel) {
    case 8: CountRows<1, false>(frame, h); break;
    case 16: CountRows<2, true>(frame, h); break;
    case 24: CountRows<3, false>(frame, h); break;
    case 32: CountRows<4, false>(frame, h); break;
    case 48: CountRows<6, true>(frame, h); break;
    case 64: CountRows<8, true>(frame, h); break;
    default: break;
  }
  return h;
}

}  // namespace korvex::viewer
