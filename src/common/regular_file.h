// Opening names that must be regular files. A pipe, a device or a folder
// given as a file name is refused instead of blocking on its open, reading
// without end or failing halfway through.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// The whole content of a regular file, read in one bounded pass of the size
// the file reports; nothing when the name is not a readable regular file.
std::optional<std::vector<uint8_t>> ReadRegularFile(const char* path);

// Opens a regular file for writing from its start, creating it when it does
// not exist and emptying it when it does: a descriptor, or -1 when the name
// is something else or cannot be opened. Never blocks on a pipe.
int OpenRegularFileForWriting(const char* path);

// The file a save writes to instead of its target: a new, empty regular
// file next to the target, so that renaming it over the target replaces the
// target in one step. Its descriptor is in *fd and its name is returned;
// empty when the target names something other than a regular file or no
// file can be created there.
std::string CreateReplacementFile(const char* target, int* fd, std::string* finalName);

}  // namespace korvex
