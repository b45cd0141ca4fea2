// Saving the current output image to a file.
#include "camera/korvex.h"
#include "image/dib_image.h"
#include "image/files/image_files.h"
#include "platform/text.h"

#include <mutex>

namespace korvex {
namespace {

// Deep samples of the output images carry 10 significant bits.
constexpr int kOutputSignificantBits = 10;
// Converted file names, terminator included, fit into this many bytes.
constexpr int kNameBufferSize = 1024;

}  // namespace

int CKorvex::SaveImage(const char* fileName, int format) {
  if (!HasDevice()) return NotPossible();
  // Nothing has been processed into the output image yet.
  if (imageReady_.load(std::memory_order_acquire) == 0) return NotPossible();
  // Held while converting, so no frame is processed into the image meanwhile.
  LockGuard<platform::CriticalSection> frame(frameLock_);
  CDibImage* output = OutputImage();
  if (output == nullptr) return NotPossible();
  // A failing save is not an error of the camera: result 0, nothing raised.
  return image::SaveImageFile(fileName, *output, format, kOutputSignificantBits);
}

int CKorvex::SaveImageW(const KORVEX_WCHAR* fileName, int format) {
  if (!HasDevice()) return NotPossible();
  // As for the narrow name: nothing has been processed into the image yet.
  if (imageReady_.load(std::memory_order_acquire) == 0) return NotPossible();
  LockGuard<platform::CriticalSection> frame(frameLock_);
  CDibImage* output = OutputImage();
  if (output == nullptr) return NotPossible();
  char name[kNameBufferSize];
  const int length = platform::WideToAnsi(fileName, name, kNameBufferSize);
  if (length == 0 || length > kNameBufferSize - 1) return NotPossible();
  return image::SaveImageFile(name, *output, format, kOutputSignificantBits);
}

}  // namespace korvex
