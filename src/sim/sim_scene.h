// The synthetic scene the simulated camera looks at, and the raw frames it
// reads out of it.
//
// The scene is fixed (colour bars, gray and hue gradients, gray steps, a fine
// checkerboard) apart from an orange disc that crosses it, one step per
// frame. It is seen through an RGGB colour mosaic and a warm colour cast, so
// white balance has something to remove. Rendering is split so that serving
// a frame costs one copy: the static part is read out once per exposure,
// gain and sample width and kept; only the disc is drawn per frame.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace korvex::sim {

constexpr int kFrameWidth = 2560;
constexpr int kFrameLines = 2008;
constexpr int kPictureLines = 1920;
constexpr int kField1FirstRow = 5;
constexpr int kField2FirstRow = 1019;
constexpr size_t kFramePixels = static_cast<size_t>(kFrameWidth) * kFrameLines;

// What decides how a frame looks.
struct ReadoutParams {
  bool wordMode = false;
  uint32_t exposureLines = 2028;  // 1 .. 2028 (0 reads as a 1-line minimum)
  uint32_t globalGain = 512;      // 0 .. 1023

  bool operator==(const ReadoutParams&) const = default;
};

// Raw row of picture row y (the two interlaced fields).
inline int RawRowOfPictureRow(int y) {
  return (y & 1) ? kField2FirstRow + (y >> 1) : kField1FirstRow + (y >> 1);
}

// The static part of a frame read out with given parameters.
struct RenderedFrame {
  ReadoutParams params;
  std::vector<uint8_t> bytes;      // kFramePixels samples, 1 or 2 bytes each
  std::vector<uint16_t> response;  // 12-bit scene radiance -> 10-bit sample
};

// Builds the frame (slow: a few milliseconds per megapixel).
std::shared_ptr<const RenderedFrame> RenderStatic(const ReadoutParams& params);

// Draws the moving disc of frame `frameNumber` into a transfer buffer holding
// the static frame; only bytes below `length` are touched.
void DrawMovingPart(const RenderedFrame& frame, uint32_t frameNumber, uint8_t* buffer,
                    size_t length);

// One camera's last rendered frame, rebuilt only when the parameters change.
class SceneCache {
 public:
  std::shared_ptr<const RenderedFrame> Get(const ReadoutParams& params);

 private:
  Mutex mutex_;
  std::shared_ptr<const RenderedFrame> last_ KORVEX_GUARDED_BY(mutex_);
};

}  // namespace korvex::sim
