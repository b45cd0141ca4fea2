// The histogram of a frame: 256 bins per channel (deep samples binned by
// their top 8 of 10 bits) and the count of clipped pixels, those with a
// sample at the mode's maximum value. Counting is separate from drawing so
// that the viewer counts only while the panel is shown.
#pragma once

#include "frame.h"

#include <array>
#include <cstdint>

namespace korvex::viewer {

struct Histogram {
  int channels = 0;  // 1 gray, 3 red, green, blue
  std::array<std::array<uint32_t, 256>, 3> bins{};
  uint64_t pixels = 0;
  uint64_t clipped = 0;
};

// Counts the pixels of every third row of `frame` (rows 0, 3, 6...): the
// shape and the clipped share of a camera picture at a third of the work,
// so that counting keeps pace with a fast camera. The rows alternate in
// parity, so both rows of a colour mosaic shown raw are seen. `pixels` is
// the number counted.
Histogram CountHistogram(const Frame& frame);

}  // namespace korvex::viewer
