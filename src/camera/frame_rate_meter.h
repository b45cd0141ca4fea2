// The preview's frame rate as the frame information reports it: frames
// counted over windows of just over a second of the millisecond tick, given
// in tenths of frames per second. A rate holds until the next window is
// complete; the count and the window go on across stops and starts, so the
// first rate after a pause covers the pause too. Used by one thread at a
// time (the preview worker, under the camera's frame lock).
#pragma once

#include <cstdint>

namespace korvex {

class FrameRateMeter {
 public:
  // `now`: the tick at which the first window starts.
  explicit FrameRateMeter(uint32_t now) : windowStart_(now) {}

  // Counts a frame that arrived at `now` and returns the rate of the last
  // complete window (0 before the first). Elapsed time is a difference of
  // ticks, right across the tick's wrap.
  int32_t Count(uint32_t now) {
    ++frames_;
    const uint32_t elapsed = now - windowStart_;
    if (elapsed > 1000) {
      rate_ = static_cast<int32_t>(static_cast<double>(frames_) * 10000.0 / elapsed);
      frames_ = 0;
      windowStart_ = now;
    }
    return rate_;
  }

 private:
  uint32_t windowStart_;
  uint32_t frames_ = 0;
  int32_t rate_ = 0;
};

}  // namespace korvex
