// A full disk for one test (Windows): every file the library writes through
// its file seam is held to a size limit, so writes past it fail as they
// would on a full disk.
#pragma once

#include <cstdint>

namespace korvex::platform {
void SetFileSizeLimitForTesting(uint64_t bytes);  // defined by the Win32 file seam
}

namespace korvex::test {

class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(uint64_t bytes) { platform::SetFileSizeLimitForTesting(bytes); }
  ~ScopedFileSizeLimit() { platform::SetFileSizeLimitForTesting(UINT64_MAX); }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
};

}  // namespace korvex::test
