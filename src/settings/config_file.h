// Configuration files: a headerless array of 8-byte records, each two
// little-endian 32-bit values.
#pragma once

#include "platform/file_name.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace korvex {

using ConfigEntry = std::pair<int32_t, int32_t>;

// The largest configuration file read: 131,072 records, hundreds of times
// more than this camera has registers to set. A larger file is no
// configuration of this camera, and reading it whole would take minutes
// and gigabytes for nothing.
inline constexpr uint64_t kMaxConfigFileBytes = 1u << 20;

enum class ConfigRead {
  kRead,
  kUnreadable,  // missing, not a regular file, or not readable
  kTooLarge,    // more than kMaxConfigFileBytes: refused unread
};

// Reads the file and splits it into records into *entries; trailing bytes
// beyond the last whole record are ignored. *entries is left alone unless
// the result is kRead.
ConfigRead ReadConfigFile(const platform::FileName& path, std::vector<ConfigEntry>* entries);

}  // namespace korvex
