// One picture as the SDK's Korvex_GetImage copies it: top row first, each
// row padded to a multiple of 4 bytes, blue-green-red sample order, deep
// modes (16, 48, 64 bits) with 10 significant bits in 16-bit words.
#pragma once

#include <cstdint>
#include <vector>

namespace korvex::viewer {

struct Frame {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;  // 8, 16, 24, 32, 48 or 64
  std::vector<uint8_t> bytes;

  int Stride() const { return (width * bitsPerPixel / 8 + 3) & ~3; }
  size_t Size() const { return static_cast<size_t>(Stride()) * height; }
  bool Empty() const { return width <= 0 || height <= 0 || bytes.size() < Size(); }
  // 1 for the gray modes, 3 for colour (the fourth sample of 32 and 64 bits
  // carries nothing).
  int Channels() const { return bitsPerPixel == 8 || bitsPerPixel == 16 ? 1 : 3; }
  bool Deep() const { return bitsPerPixel == 16 || bitsPerPixel >= 48; }
  // The largest sample value: 255, or 1023 for the deep modes.
  int MaxValue() const { return Deep() ? 1023 : 255; }
  int BytesPerPixel() const { return bitsPerPixel / 8; }

  // Samples of pixel (x, y) in red, green, blue order (gray: one value);
  // returns the channel count, 0 outside the picture.
  int PixelAt(int x, int y, int values[3]) const {
    if (Empty() || x < 0 || y < 0 || x >= width || y >= height) return 0;
    const uint8_t* p =
        bytes.data() + static_cast<size_t>(y) * Stride() + static_cast<size_t>(x) * BytesPerPixel();
    const auto word = [p](int i) { return p[2 * i] | (p[2 * i + 1] << 8); };
    const int channels = Channels();
    for (int c = 0; c < channels; ++c) {
      const int stored = channels == 1 ? 0 : 2 - c;  // stored blue first
      values[c] = Deep() ? word(stored) : p[stored];
    }
    return channels;
  }
};

}  // namespace korvex::viewer
