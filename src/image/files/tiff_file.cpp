// TIFF files through libtiff: classic TIFF, uncompressed, contiguous
// samples, the whole picture in one strip, top row first. Colour samples are
// written red, green, blue; 16-bit samples are widened to the full 16-bit
// range. The fourth sample of 32- and 64-bit pixels is carried along as
// written by the conversion (0 for 32 bits, 0xFFFF for 64).
//
// libtiff writes through procedures over the dispatcher's open file (it
// would otherwise open the file by name itself, shared with other programs
// on Windows). It only writes and seeks here: a new file with one
// directory is never read back.
#include "image/converters/format.h"
#include "image/dib_image.h"
#include "image/files/file_conversion.h"
#include "image/files/image_files.h"

#include <cstdio>
#include <cstring>

#include <tiffio.h>

namespace korvex::image {
namespace {

struct TiffLayout {
  uint16_t bitsPerSample;
  uint16_t photometric;
  uint16_t samplesPerPixel;
};

bool LayoutFor(int bits, TiffLayout* layout) {
  switch (bits) {
    case 8: *layout = {8, PHOTOMETRIC_MINISBLACK, 1}; return true;
    case 16: *layout = {16, PHOTOMETRIC_MINISBLACK, 1}; return true;
    case 24: *layout = {8, PHOTOMETRIC_RGB, 3}; return true;
    case 32: *layout = {8, PHOTOMETRIC_RGB, 4}; return true;
    case 48: *layout = {16, PHOTOMETRIC_RGB, 3}; return true;
    case 64: *layout = {16, PHOTOMETRIC_RGB, 4}; return true;
    default: return false;
  }
}

// Fills the temporary (same format as the image) with the file's samples.
bool Convert(CDibImage& temporary, CDibImage& image, int significantBits) {
  switch (image.BitsPerPixel()) {
    case 8: std::memcpy(temporary.Bits(), image.Bits(), image.ImageSize()); return true;
    case 24:
    case 32: return files::ConvertWhole(temporary, Swap24, image);
    case 16:
      return files::ConvertWhole(temporary, files::ExpandFor(2, true, significantBits), image);
    case 48:
      return files::ConvertWhole(temporary, files::ExpandFor(6, true, significantBits), image);
    case 64:
      return files::ConvertWhole(temporary, files::ExpandFor(8, true, significantBits), image);
    default: return false;
  }
}

extern "C" tmsize_t TiffRead(thandle_t, void*, tmsize_t) { return -1; }

extern "C" tmsize_t TiffWrite(thandle_t handle, void* data, tmsize_t size) {
  if (size < 0) return -1;
  return static_cast<OutputFile*>(handle)->Write(data, static_cast<size_t>(size)) ? size : -1;
}

extern "C" toff_t TiffSeek(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<OutputFile*>(handle);
  uint64_t base = 0;
  switch (whence) {
    case SEEK_SET: break;
    case SEEK_CUR: base = file->Position(); break;
    case SEEK_END: base = file->Size(); break;
    default: return static_cast<toff_t>(-1);
  }
  file->Seek(base + offset);
  return file->Position();
}

extern "C" int TiffClose(thandle_t) { return 0; }  // the dispatcher closes the file

extern "C" toff_t TiffSize(thandle_t handle) { return static_cast<OutputFile*>(handle)->Size(); }

extern "C" int TiffMap(thandle_t, void**, toff_t*) { return 0; }  // never mapped
extern "C" void TiffUnmap(thandle_t, void*, toff_t) {}

}  // namespace

int WriteTiffFile(OutputFile& file, CDibImage& image, int significantBits) {
  if (image.IsEmpty()) return 0;
  TiffLayout layout{};
  if (!LayoutFor(image.BitsPerPixel(), &layout)) return 0;
  CDibImage temporary;
  if (!temporary.CopyFormat(image)) return 0;
  if (!Convert(temporary, image, significantBits)) return 0;

  // TIFF rows are not padded: close up the 4-byte row padding of the buffer.
  const int32_t height = temporary.Height();
  const size_t rowBytes = static_cast<size_t>(temporary.Width()) * (temporary.BitsPerPixel() / 8);
  if (rowBytes != static_cast<size_t>(temporary.Stride())) {
    for (int32_t y = 1; y < height; ++y) {
      std::memmove(temporary.Bits() + y * rowBytes, temporary.Row(y), rowBytes);
    }
  }

  TIFF* tiff = TIFFClientOpen("image", "w", &file, TiffRead, TiffWrite, TiffSeek, TiffClose,
                              TiffSize, TiffMap, TiffUnmap);
  if (tiff == nullptr) return 0;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(temporary.Width()));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samplesPerPixel);
  const tmsize_t bytes = static_cast<tmsize_t>(rowBytes * static_cast<size_t>(height));
  const tmsize_t written = TIFFWriteEncodedStrip(tiff, 0, temporary.Bits(), bytes);
  // Flushing writes the directory; a failure there leaves an unreadable file.
  const bool ok = written > 0 && TIFFFlush(tiff) == 1;
  TIFFClose(tiff);
  return ok && !file.Failed() ? 1 : 0;
}

}  // namespace korvex::image
