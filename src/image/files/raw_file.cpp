// Raw files: the image's pixel block exactly as held in memory, top row of
// the picture first, rows padded to 4 bytes, 16-bit samples little-endian.
#include "image/dib_image.h"
#include "image/files/image_files.h"

namespace korvex::image {

int WriteRawFile(const CDibImage& image, OutputFile& file) {
  if (image.IsEmpty()) return 0;
  return file.Write(image.Bits(), image.ImageSize()) ? 1 : 0;
}

}  // namespace korvex::image
