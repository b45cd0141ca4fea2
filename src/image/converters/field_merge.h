// First stage: the two interlaced fields of a raw frame merged into one
// picture, in four mirror variants per sample depth; and the in-place
// re-layout of packed rows into a padded stride.
#pragma once

#include "image/converters/converter.h"

namespace korvex::image {

// Raw frame geometry of this sensor.
inline constexpr int32_t kPictureWidth = 2560;
inline constexpr int32_t kPictureHeight = 1920;
inline constexpr int32_t kRawHeight = 2008;
inline constexpr int32_t kField1FirstRow = 5;     // picture rows 0, 2, 4, ...
inline constexpr int32_t kField2FirstRow = 1019;  // picture rows 1, 3, 5, ...

// Scaling converters. The rectangles are ignored; the sizes bound the work:
// the merge writes the top-left min(width, 2560) x min(height, 1920) block of
// the destination and nothing else (a larger destination keeps its other
// pixels, a smaller one receives the picture's top-left part of its size,
// mirrored within that block). Raw rows beyond the source height are not
// read; their picture rows are left as they were.
KORVEX_SCALING_CONVERTER(MergeFields8);          // rows top to bottom
KORVEX_SCALING_CONVERTER(MergeFields8MirrorV);   // rows bottom to top
KORVEX_SCALING_CONVERTER(MergeFields8MirrorH);   // each row reversed
KORVEX_SCALING_CONVERTER(MergeFields8MirrorVH);  // both
KORVEX_SCALING_CONVERTER(MergeFields16);
KORVEX_SCALING_CONVERTER(MergeFields16MirrorV);
KORVEX_SCALING_CONVERTER(MergeFields16MirrorH);
KORVEX_SCALING_CONVERTER(MergeFields16MirrorVH);

// The first-stage converter for a raw depth and the mirror flags.
ScalingConverter SelectMergeFields(bool sixteenBit, bool mirrorV, bool mirrorH);

// Destination rows first..last - 1 of what that converter writes (the same
// bytes; the converter is this over every row), so that stripes of the
// picture can be merged on several threads.
void MergeFieldRows(bool sixteenBit, bool mirrorV, bool mirrorH, uint8_t* dst, const uint8_t* src,
                    Size dstSize, Size srcSize, int32_t dstStride, int32_t srcStride,
                    int32_t first, int32_t last);

// In place: rows delivered packed (width x sample size bytes per row) are
// moved to the destination stride, last row first, so nothing is overwritten
// before it has moved. The rectangle gives width and height.
KORVEX_REGION_CONVERTER(PadRows8);
KORVEX_REGION_CONVERTER(PadRows16);

}  // namespace korvex::image
