// The save dispatcher: converts the output image into what the chosen
// format's writer expects and calls the writer. Bottom-up formats (BMP, and
// JPEG, whose writer feeds rows from the last one up) get a temporary with
// the rows reversed; top-down formats (raw, PNG, TIFF) are written from
// memory row 0.
#include "image/converters/format.h"
#include "image/dib_image.h"
#include "image/files/file_conversion.h"
#include "image/files/image_files.h"
#include "platform/file.h"
#include "platform/gdi.h"
#include "platform/regular_file.h"

namespace korvex::image {
namespace {

using files::ConvertWhole;

int QualityFor(int format) {
  switch (format) {
    case kSaveJpegMid: return 70;
    case kSaveJpegLow: return 20;
    default: return 100;
  }
}

// The JPEG writer's temporary: 8-bit gray or 24-bit blue-green-red, rows
// reversed.
bool MakeJpegTemporary(CDibImage& temporary, CDibImage& image, int significantBits) {
  const int width = image.Width(), height = image.Height();
  switch (image.BitsPerPixel()) {
    case 8:
      return temporary.Create(width, height, 8) != 0 && ConvertWhole(temporary, FlipRows, image);
    case 16: {
      if (!files::KnownSignificantBits(significantBits)) return false;
      return temporary.Create(width, height, 8) != 0 &&
             ConvertWhole(temporary, significantBits == 12 ? Reduce16To8Flip12 : Reduce16To8Flip,
                          image);
    }
    case 24:
    case 32: {
      if (temporary.Create(width, height, 24) == 0) return false;
      // The platform's stretching blit reverses the rows when the source
      // height is negated, and drops the fourth byte of 32-bit pixels.
      if (temporary.Dc() != nullptr && image.Dc() != nullptr &&
          platform::StretchBlt(temporary.Dc(), 0, 0, width, height, image.Dc(), 0, height, width,
                               -height, platform::kSrcCopy)) {
        return true;
      }
      // Images without a device context (heap-backed) convert the same way
      // without the platform.
      return ConvertWhole(temporary, Copy24Flip, image);
    }
    case 48:
    case 64:
      return temporary.Create(width, height, 24) != 0 &&
             ConvertWhole(temporary, Reduce48To24Flip, image);
    default: return false;
  }
}

int SavePng(OutputFile& file, CDibImage& image, int significantBits) {
  const int bits = image.BitsPerPixel();
  RegionConverter converter = nullptr;
  switch (bits) {
    case 16: converter = files::ExpandFor(2, false, significantBits); break;
    case 32: converter = Alpha32; break;
    case 48: converter = files::ExpandFor(6, false, significantBits); break;
    case 64: converter = files::ExpandFor(8, false, significantBits); break;
    default:  // 8 and 24 bits are written as stored; other depths fail in the writer
      return WritePngFile(file, image.Bits(), image.Width(), image.Height(), bits);
  }
  if (converter == nullptr) return 0;
  CDibImage temporary;
  if (!temporary.CopyFormat(image) || !ConvertWhole(temporary, converter, image)) return 0;
  return WritePngFile(file, temporary.Bits(), image.Width(), image.Height(), bits);
}

// Writes the file for one format into the open file.
int WriteImageFile(OutputFile& file, CDibImage& image, int format, int significantBits) {
  switch (format) {
    case kSaveBmp: {
      CDibImage temporary;
      if (!temporary.CopyFormat(image) || !ConvertWhole(temporary, FlipRows, image)) return 0;
      return WriteBmpFile(temporary, file);
    }
    case kSaveRaw: return WriteRawFile(image, file);
    case kSaveJpegHigh:
    case kSaveJpegMid:
    case kSaveJpegLow: {
      CDibImage temporary;
      if (!MakeJpegTemporary(temporary, image, significantBits)) return 0;
      return WriteJpegFile(file, temporary, QualityFor(format), 1);
    }
    case kSavePng: return SavePng(file, image, significantBits);
    case kSaveTiff: return WriteTiffFile(file, image, significantBits);
    default: return 0;
  }
}

bool KnownFormat(int format) { return format >= kSaveBmp && format <= kSaveTiff; }

}  // namespace

// The file is written under a temporary name next to the target, through
// the handle that created it (so nobody else opens it meanwhile), and put in
// the target's place only once it is complete and closed, with the old
// file's permissions, so a failed save (a full disk, say) leaves the target
// as it was. A target the user may not write is refused, as a plain write
// would be.
int SaveImageFile(const platform::FileName& fileName, CDibImage& image, int format,
                  int significantBits) {
  if (fileName.IsEmpty() || image.IsEmpty() || !KnownFormat(format)) return 0;
  platform::ReplacementFile replacement;
  if (!replacement.Create(fileName)) return 0;
  OutputFile file(replacement.Handle());
  const int written = WriteImageFile(file, image, format, significantBits);
  if (written != 1 || file.Failed()) return 0;  // the replacement removes itself
  return replacement.Commit() ? 1 : 0;
}

}  // namespace korvex::image
