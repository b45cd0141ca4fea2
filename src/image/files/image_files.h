// Saving an image buffer to a file: the save dispatcher, which converts the
// image for the chosen format into a temporary, and one writer per format.
// The writers write to a file the dispatcher opened (OutputFile) from its
// start. Every function returns 1 when the file was written completely and
// 0 when nothing or only part of it could be written.
#pragma once

#include "image/files/output_file.h"
#include "platform/file_name.h"

#include <cstdint>

namespace korvex {

class CDibImage;

namespace image {

// Format codes of the save exports.
enum SaveFormat : int {
  kSaveBmp = 0,
  kSaveRaw = 1,
  kSaveJpegHigh = 2,  // quality 100
  kSaveJpegMid = 3,   // quality 70
  kSaveJpegLow = 4,   // quality 20
  kSavePng = 5,
  kSaveTiff = 6,
};

// Writes `image` (top row of the picture in memory row 0) as format `format`.
// `significantBits` (10 or 12) says how deep samples are widened or reduced;
// a save that needs that conversion fails for any other value.
// A name that is not a regular file, or a file the user may not write, is
// refused (0); a file that is replaced keeps its permissions.
int SaveImageFile(const platform::FileName& fileName, CDibImage& image, int format,
                  int significantBits);

// BMP: file header, the image's information header, the colour table for
// 8-bit images, then the rows as stored (the caller reverses them first).
int WriteBmpFile(const CDibImage& image, OutputFile& file);
// The pixel rows exactly as held in memory, no header.
int WriteRawFile(const CDibImage& image, OutputFile& file);
// Progressive (or baseline) JPEG from an 8-bit gray or 24-bit blue-green-red
// image whose rows are held bottom row first.
int WriteJpegFile(OutputFile& file, const CDibImage& image, int quality, int progressive);
// PNG from `height` rows of blue-green-red(-alpha) or gray pixels at `pixels`,
// each row padded to 4 bytes; 16-bit samples are little-endian words.
int WritePngFile(OutputFile& file, const uint8_t* pixels, int width, int height, int bits);
// Classic TIFF, one uncompressed strip, from an output image of any depth.
int WriteTiffFile(OutputFile& file, CDibImage& image, int significantBits);

}  // namespace image
}  // namespace korvex
