// Files the library writes (images, recordings): opened for writing so that
// no other program opens them until they are finished, and positioned with
// 64-bit offsets, so recordings up to 4 GiB are finished correctly where the
// C library's `long` holds 32 bits.
#pragma once

#include <cstdint>
#include <cstdio>

namespace korvex::platform {

// Creates or truncates the file at path for binary writing. Other opens of
// the file fail while it is open where the platform can refuse them
// (Windows); elsewhere a plain open. Null on failure.
std::FILE* OpenFileForWriting(const char* path);

// Moves the write position to offset bytes from the start. False on failure.
bool SeekFile(std::FILE* file, uint64_t offset);

}  // namespace korvex::platform
