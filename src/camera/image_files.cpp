// Saving the current output image to a file.
#include "camera/korvex.h"
#include "image/dib_image.h"
#include "image/files/image_files.h"

#include <optional>

namespace korvex {
namespace {

// Deep samples of the output images carry 10 significant bits.
constexpr int kOutputSignificantBits = 10;

}  // namespace

int CKorvex::SaveImage(const char* fileName, int format) {
  return SaveImageFile(platform::FileName(fileName), format);
}

int CKorvex::SaveImageW(const KORVEX_WCHAR* fileName, int format) {
  // The wide name is used as it is, whatever the ANSI code page holds (on
  // Linux converted to the locale's character set). A name that cannot be
  // a file name at all is a file error; no name at all is not possible.
  if (fileName == nullptr) return NotPossible();
  const std::optional<platform::FileName> name = platform::FileName::FromWide(fileName);
  if (!name) {
    if (!HasDevice()) return NotPossible();
    return Fail(KORVEX_ERR_FILE);
  }
  return SaveImageFile(*name, format);
}

int CKorvex::SaveImageFile(const platform::FileName& fileName, int format) {
  if (!HasDevice()) return NotPossible();
  // Nothing has been processed into the output image yet.
  if (imageReady_.load(std::memory_order_acquire) == 0) return NotPossible();
  // Held while converting, so no frame is processed into the image meanwhile.
  LockGuard<RecursiveMutex> frame(frameLock_);
  CDibImage* output = OutputImage();
  if (output == nullptr) return NotPossible();
  // A failing save is not an error of the camera: result 0, nothing raised.
  return image::SaveImageFile(fileName, *output, format, kOutputSignificantBits);
}

}  // namespace korvex
