// The pipeline's stages run in stripes on a camera's workers: the
// white-balance measurement, the demosaic and the finishing stages (hue and
// saturation, gamma, contrast, sharpness, brightness). Each gives exactly
// the bytes of the whole-picture converter calls it replaces.
#pragma once

#include <cstdint>

#include "image/dispatch.h"
#include "image/pipeline_workers.h"

namespace korvex::image {

// Fills a white-balance result block (fourth member the adjusted Bayer mode)
// as MeasureWhiteBalance8/16 on the whole mosaic would.
void MeasureWhiteBalanceStriped(PipelineWorkers& workers, const ImageView& gray,
                                int32_t* result);

// Demosaic8/16 then Demosaic8Border/16Border from the mosaic into the colour
// image, with the white-balance block.
void DemosaicStriped(PipelineWorkers& workers, const ImageView& color, const ImageView& gray,
                     int32_t* block);

// Settings of the stages after the demosaic; each runs when not neutral
// (hue and saturation 0, gamma 100, the others 0).
struct FinishingSettings {
  int32_t hue = 0, saturation = 0, gamma = 100, contrast = 0, sharpness = 0, brightness = 0;
};

// The finishing stages in place on the output image, by sample family
// (0: 8-bit gray, 1: 16-bit gray, 2: 24/32-bit, 3: 48/64-bit colour). The
// sharpness stage first copies the image into `copy` (same stride and
// height, else it is skipped) and reads that copy.
void FinishStriped(PipelineWorkers& workers, const ImageView& out, const ImageView& copy,
                   int family, const FinishingSettings& settings);

}  // namespace korvex::image
