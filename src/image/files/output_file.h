// The file an image writer writes to: an open handle of the file seam with
// a write position, so writers that stream (BMP, raw, PNG, JPEG) and a
// writer that seeks back (TIFF, for its directory offset) write to the
// same, unshared file. Each write goes straight to the file; the first
// failure sticks, so a writer may check once at the end.
//
// Not thread-safe: one writer uses it at a time. The caller keeps ownership
// of the handle.
#pragma once

#include "platform/file.h"

#include <cstddef>
#include <cstdint>

namespace korvex::image {

class OutputFile {
 public:
  explicit OutputFile(platform::FileHandle file) : file_(file) {}

  // Writes at the position and moves it past the bytes. False (and Failed()
  // from then on) when not everything was written.
  bool Write(const void* data, size_t size);
  // Moves the write position; the file grows only when written past its end.
  void Seek(uint64_t position) { position_ = position; }
  uint64_t Position() const { return position_; }
  // One past the furthest byte written so far.
  uint64_t Size() const { return size_; }
  bool Failed() const { return failed_; }

 private:
  platform::FileHandle file_;
  uint64_t position_ = 0;
  uint64_t size_ = 0;
  bool failed_ = false;
};

}  // namespace korvex::image
