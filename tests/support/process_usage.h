// What the test process holds right now: threads, open file descriptors and
// heap bytes in use, for tests that check that repeated work gives
// everything back.
#pragma once

#include <malloc.h>

#include <cstddef>
#include <filesystem>

namespace korvex::test {

inline size_t CountEntries(const char* folder) {
  size_t n = 0;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator(folder, error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error))
    ++n;
  return n;
}

inline size_t ThreadCount() { return CountEntries("/proc/self/task"); }
// The iterator's own descriptor is counted every time, so differences are exact.
inline size_t OpenDescriptors() { return CountEntries("/proc/self/fd"); }

// Heap bytes in use (small blocks and mapped large ones). The sanitizers
// replace the allocator and keep freed memory in quarantine, so there this
// says nothing and the checks that use it are left to the normal build.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kHeapMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kHeapMeasurable = false;
#else
inline constexpr bool kHeapMeasurable = true;
#endif
#else
inline constexpr bool kHeapMeasurable = true;
#endif

inline size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

}  // namespace korvex::test
