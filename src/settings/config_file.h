// Configuration files: a headerless array of 8-byte records, each two
// little-endian 32-bit values.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace korvex {

using ConfigEntry = std::pair<int32_t, int32_t>;

// Reads the whole file and splits it into records; trailing bytes beyond
// the last whole record are ignored. Empty when the name is not a regular
// file (a folder, a device, a pipe) or the file cannot be read.
std::optional<std::vector<ConfigEntry>> ReadConfigFile(const char* path);

}  // namespace korvex
