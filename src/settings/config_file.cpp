#include "settings/config_file.h"

#include "common/regular_file.h"

namespace korvex {

namespace {
int32_t LittleEndian32(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

std::optional<std::vector<ConfigEntry>> ReadConfigFile(const char* path) {
  // Only a regular file is read: a folder, a device or a pipe is no list.
  const std::optional<std::vector<uint8_t>> bytes = ReadRegularFile(path);
  if (!bytes) return std::nullopt;
  std::vector<ConfigEntry> entries;
  entries.reserve(bytes->size() / 8);
  for (size_t offset = 0; offset + 8 <= bytes->size(); offset += 8) {
    entries.emplace_back(LittleEndian32(&(*bytes)[offset]), LittleEndian32(&(*bytes)[offset + 4]));
  }
  return entries;
}

}  // namespace korvex
