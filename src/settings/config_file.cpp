#include "settings/config_file.h"

#include "platform/regular_file.h"

namespace korvex {

namespace {
int32_t LittleEndian32(const unsigned char* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

ConfigRead ReadConfigFile(const platform::FileName& path, std::vector<ConfigEntry>* entries) {
  // Only a regular file is read: a folder, a device or a pipe is no list.
  std::vector<uint8_t> bytes;
  switch (platform::ReadRegularFile(path, kMaxConfigFileBytes, &bytes)) {
    case platform::ReadResult::kRead: break;
    case platform::ReadResult::kTooLarge: return ConfigRead::kTooLarge;
    case platform::ReadResult::kUnreadable: return ConfigRead::kUnreadable;
  }
  entries->clear();
  entries->reserve(bytes.size() / 8);
  for (size_t offset = 0; offset + 8 <= bytes.size(); offset += 8) {
    entries->emplace_back(LittleEndian32(&bytes[offset]), LittleEndian32(&bytes[offset + 4]));
  }
  return ConfigRead::kRead;
}

}  // namespace korvex
