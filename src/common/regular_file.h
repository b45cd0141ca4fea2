// Reading and replacing names that must be regular files, over the file
// seam. A pipe, a device or a folder given as a file name is refused instead
// of blocking on its open, reading without end or failing halfway through.
#pragma once

#include "platform/file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// The whole content of a regular file, read in one bounded pass of the size
// the file reports; nothing when the name is not a readable regular file.
std::optional<std::vector<uint8_t>> ReadRegularFile(const char* path);

// The file a save writes to instead of its target: a new, empty regular
// file next to the target, open for writing in *file, so that renaming it
// over *finalName (the target, its links followed) replaces the target in
// one step. Its name is returned; empty (and *file kNoFile) when the target
// names something other than a regular file or no file can be created there.
std::string CreateReplacementFile(const char* target, platform::FileHandle* file,
                                  std::string* finalName);

}  // namespace korvex
