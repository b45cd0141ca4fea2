// BMP files: a 14-byte file header, the image's own 40-byte information
// header, the 256-entry colour table for 8-bit images and the pixel rows as
// the image holds them. The caller hands in an image whose rows are already
// reversed, so the file's first row is the bottom of the picture.
#include "image/dib_image.h"
#include "image/files/image_files.h"

#include <cstring>
#include <limits>

namespace korvex::image {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kColorTableSize = 256 * 4;

void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

int WriteBmpFile(const CDibImage& image, OutputFile& file) {
  if (image.IsEmpty()) return 0;
  const bool withColorTable = image.BitsPerPixel() <= 8;
  const uint32_t pixelOffset =
      kFileHeaderSize + kInfoHeaderSize + (withColorTable ? kColorTableSize : 0);
  const size_t pixelBytes = image.ImageSize();
  // The size field is 32 bits; a larger image cannot be described.
  if (pixelBytes > std::numeric_limits<uint32_t>::max() - pixelOffset) return 0;

  uint8_t fileHeader[kFileHeaderSize] = {};
  PutLe16(fileHeader + 0, 0x4D42);  // "BM"
  PutLe32(fileHeader + 2, pixelOffset + static_cast<uint32_t>(pixelBytes));
  PutLe32(fileHeader + 6, 0);
  PutLe32(fileHeader + 10, pixelOffset);

  // The information header is the platform's packed little-endian layout,
  // which is the file's layout too.
  bool ok =
      file.Write(fileHeader, sizeof fileHeader) && file.Write(&image.Header(), kInfoHeaderSize);
  if (ok && withColorTable) ok = file.Write(image.Palette(), kColorTableSize);
  if (ok) ok = file.Write(image.Bits(), pixelBytes);
  return ok ? 1 : 0;
}

}  // namespace korvex::image
