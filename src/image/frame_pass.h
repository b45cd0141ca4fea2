// The per-pixel part of a frame in one pass over the picture: every stage
// from the mosaic to the finished output runs on one stripe of rows while it
// is in the cache. The picture is cut into a few bands, two per worker
// thread, and each band is worked stripe after stripe.
//
// A stripe is made from the mosaic, which no stage changes during the pass:
//   1. the first stage by the colour mode: the demosaic with white balance,
//      the demosaic followed by the colour-to-gray conversion, the gray gain
//      and offset, or a plain copy of the mosaic rows;
//   2. hue and saturation (colour), then gamma and contrast as one table;
//   3. sharpness, which reads two rows above and one below each row: the
//      stages before it write into memory of the thread, where the last
//      three rows of a stripe stay for the next; a band's first stripe makes
//      the rows above it itself, from the mosaic, so no band waits for
//      another;
//   4. brightness.
// Each stage computes exactly the bytes of its whole-picture converter, so
// the output does not depend on the thread count, the stripe height or the
// vector level. The current-output copy of the stage order (the sharpness
// stage's source) is not filled: the thread's rows stand in for it.
#pragma once

#include <cstdint>

#include "image/converters/demosaic.h"
#include "image/dispatch.h"
#include "image/pipeline_workers.h"

namespace korvex::image {

// How the output's samples are laid out, which picks the converters of the
// finishing stages.
enum class SampleFamily {
  kGray8,    // 8-bit gray
  kGray10,   // 16-bit gray with 10 significant bits
  kColor8,   // 24- or 32-bit colour
  kColor10,  // 48- or 64-bit colour, 10 significant bits per channel
};

// What makes a stripe's first rows from the mosaic.
enum class FirstStage {
  kCopy,            // the mosaic is the output (nothing when they are one image)
  kGrayGain,        // the gray gain and offset per mosaic site
  kDemosaic,        // the demosaic with white balance
  kDemosaicToGray,  // the demosaic, then colour to 8-bit gray
};

// The gray gain and offset per site class (the indices of kGrayGainR1 ...
// minus 1: R1, G1, G2, B1).
struct GrayGainParams {
  int32_t bayerMode = 0;  // adjusted for mirroring
  int32_t gain[4] = {128, 128, 128, 128};
  int32_t offset[4] = {};
};

// Settings of the stages after the first; each runs when not neutral (hue
// and saturation 0, gamma 100, the others 0).
struct FinishingParams {
  int32_t hue = 0, saturation = 0, gamma = 100, contrast = 0, sharpness = 0, brightness = 0;
};

struct FramePass {
  ImageView mosaic;  // 8- or 16-bit mosaic, read only
  ImageView out;     // the output image; may be the mosaic itself
  SampleFamily family = SampleFamily::kColor8;
  FirstStage first = FirstStage::kCopy;
  DemosaicParams demosaic;  // kDemosaic, kDemosaicToGray
  GrayGainParams grayGain;  // kGrayGain
  FinishingParams finishing;
};

// The family of an output image of this many bits per pixel.
SampleFamily FamilyOf(int32_t bits);

// Runs the pass on the workers; returns when the output is complete. Does
// nothing when an image has no pixels or the images do not fit each other.
void RunFramePass(PipelineWorkers& workers, const FramePass& pass);

// Fills a white-balance result block (fourth member the adjusted Bayer mode)
// as MeasureWhiteBalance8/16 on the whole mosaic would: stripes are summed
// on the workers and added in stripe order.
void MeasureWhiteBalanceStriped(PipelineWorkers& workers, const ImageView& mosaic, int32_t* result);

// Writes the gray gains into a gray block (kGrayBits saying the samples'
// size) as MeasureGrayGains on the whole mosaic would, from stripes summed
// on the workers.
void MeasureGrayGainsStriped(PipelineWorkers& workers, const ImageView& mosaic, int32_t* block);

}  // namespace korvex::image
