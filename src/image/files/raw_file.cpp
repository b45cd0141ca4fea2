// Raw files: the image's pixel block exactly as held in memory, top row of
// the picture first, rows padded to 4 bytes, 16-bit samples little-endian.
#include "platform/file.h"
#include "image/dib_image.h"
#include "image/files/image_files.h"

#include <cstdio>

namespace korvex::image {

int WriteRawFile(const CDibImage& image, const char* fileName) {
  if (fileName == nullptr || image.IsEmpty()) return 0;
  std::FILE* file = platform::OpenFileForWriting(fileName);
  if (file == nullptr) return 0;
  const size_t bytes = image.ImageSize();
  bool ok = std::fwrite(image.Bits(), 1, bytes, file) == bytes;
  if (std::fclose(file) != 0) ok = false;
  return ok ? 1 : 0;
}

}  // namespace korvex::image
