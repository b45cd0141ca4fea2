#include "settings/config_file.h"

#include <fstream>
#include <iterator>

namespace korvex {

namespace {
int32_t LittleEndian32(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

std::optional<std::vector<ConfigEntry>> ReadConfigFile(const char* path) {
  if (path == nullptr) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  if (file.bad()) return std::nullopt;
  std::vector<ConfigEntry> entries;
  entries.reserve(bytes.size() / 8);
  for (size_t offset = 0; offset + 8 <= bytes.size(); offset += 8) {
    entries.emplace_back(LittleEndian32(&bytes[offset]), LittleEndian32(&bytes[offset + 4]));
  }
  return entries;
}

}  // namespace korvex
