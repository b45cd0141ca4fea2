// Demosaic with white balance: a colour mosaic (8-bit or 10-bit samples) to
// blue, green, red pixels of 3, 4, 6 or 8 bytes (only the first three
// channels are written).
//
// Output pixel (x, y) stands for the centre of the 2 x 2 mosaic cell with
// corners (x - 1, y - 1) and (x, y): green is the mean of the cell's two
// greens; red and blue are the bilinear interpolation at the cell centre,
// 9 x the site inside the cell + 3 x each of the two next sites of that
// colour toward the centre + 1 x the diagonal one, scaled by the colour's
// white-balance gain (percent x 1.28, in 1/128) and limited to the maximum.
// The green gain is not used.
//
// Demosaic8/16 compute rows and columns 2 .. size - 3; the Border variants
// the two-pixel frame, reading taps that fall outside the image four rows or
// columns further inside (a site of the same colour). Images narrower or
// lower than 4 pixels are left untouched.
#pragma once

#include "image/converters/converter.h"
#include "image/converters/row_scratch.h"

namespace korvex::image {

KORVEX_REGION_CONVERTER(Demosaic8);
KORVEX_REGION_CONVERTER(Demosaic8Border);
KORVEX_REGION_CONVERTER(Demosaic16);
KORVEX_REGION_CONVERTER(Demosaic16Border);

// The demosaic's settings: the Bayer mode adjusted for mirroring and the
// red and blue white-balance gains in percent (green is never scaled).
struct DemosaicParams {
  int32_t bayerMode = 0;
  int32_t redGain = 100;
  int32_t blueGain = 100;
};

// A whole mosaic: 1 (8-bit) or 2 (10-bit words) bytes per sample.
struct MosaicImage {
  const uint8_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;
  int bytesPerSample = 1;
};

// Rows top .. bottom - 1 of what Demosaic then Demosaic*Border compute for
// the whole mosaic (interior and frame alike), written to `out`, which holds
// picture row outRow0 in its first row, outStride bytes per row and outBpp
// bytes per pixel. Reads mosaic rows top - 2 .. bottom + 1 (folded inward at
// the picture's edges), so stripes of one picture may run at once.
// scratch: the calling thread's row buffers, kept between calls (see
// RowScratch); without one the call takes its own.
void DemosaicRows(const MosaicImage& mosaic, const DemosaicParams& params, uint8_t* out,
                  int32_t outStride, int outBpp, int32_t outRow0, int32_t top, int32_t bottom,
                  RowScratch* scratch = nullptr);

// Gain factor in 1/128 from a percentage: trunc(percent x 1.28); negative
// gains count as 0.
int64_t DemosaicGainFactor(int32_t percent);

}  // namespace korvex::image
