// Files on Linux: the C library with 64-bit offsets. Other programs' opens
// cannot be refused here; nothing else writes the files while we do.
#include "platform/file.h"

#include <sys/types.h>

namespace korvex::platform {

std::FILE* OpenFileForWriting(const char* path) {
  return path != nullptr ? std::fopen(path, "wb") : nullptr;
}

bool SeekFile(std::FILE* file, uint64_t offset) {
  static_assert(sizeof(off_t) == 8);
  return file != nullptr && offset <= static_cast<uint64_t>(INT64_MAX) &&
         ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

}  // namespace korvex::platform
