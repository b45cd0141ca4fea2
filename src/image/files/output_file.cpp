#include "image/files/output_file.h"

namespace korvex::image {

bool OutputFile::Write(const void* data, size_t size) {
  if (failed_) return false;
  if (size == 0) return true;
  if (file_ == platform::kNoFile || !platform::WriteFileAt(file_, position_, data, size)) {
    failed_ = true;
    return false;
  }
  position_ += size;
  if (position_ > size_) size_ = position_;
  return true;
}

}  // namespace korvex::image
