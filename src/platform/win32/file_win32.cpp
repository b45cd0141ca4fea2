// Files on Windows: opened without sharing (as CreateFileA with share mode 0)
// while they are written, positioned with 64-bit offsets.
#include <share.h>
#include <stdio.h>

#include "platform/file.h"

namespace korvex::platform {

std::FILE* OpenFileForWriting(const char* path) {
  return path != nullptr ? ::_fsopen(path, "wb", _SH_DENYRW) : nullptr;
}

bool SeekFile(std::FILE* file, uint64_t offset) {
  return file != nullptr && offset <= static_cast<uint64_t>(INT64_MAX) &&
         ::_fseeki64(file, static_cast<int64_t>(offset), SEEK_SET) == 0;
}

}  // namespace korvex::platform
