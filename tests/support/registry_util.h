// Reading and writing stored settings from tests.
#pragma once

#include "korvex/host_registry.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdlib.h>
#include <string>

namespace korvex::test {

inline const std::string kRoot = "Software\\Quorel\\Korvex740K3XLNSdk";

inline std::optional<uint32_t> ReadDword(const std::string& key, const char* name) {
  KorvexHostRegKey handle = nullptr;
  if (KorvexHost_RegOpenKey(KORVEX_HOST_HKEY_CURRENT_USER, key.c_str(), KORVEX_HOST_KEY_READ,
                            &handle) != KORVEX_HOST_REG_OK)
    return std::nullopt;
  uint32_t value = 0, type = 0, size = sizeof value;
  const int32_t result = KorvexHost_RegQueryValue(handle, name, &type, &value, &size);
  KorvexHost_RegCloseKey(handle);
  if (result != KORVEX_HOST_REG_OK) return std::nullopt;
  return value;
}

inline bool KeyExists(const std::string& key) {
  KorvexHostRegKey handle = nullptr;
  if (KorvexHost_RegOpenKey(KORVEX_HOST_HKEY_CURRENT_USER, key.c_str(), KORVEX_HOST_KEY_READ,
                            &handle) != KORVEX_HOST_REG_OK)
    return false;
  KorvexHost_RegCloseKey(handle);
  return true;
}

inline void WriteDword(const std::string& key, const char* name, uint32_t value) {
  KorvexHostRegKey handle = nullptr;
  if (KorvexHost_RegCreateKey(KORVEX_HOST_HKEY_CURRENT_USER, key.c_str(),
                              KORVEX_HOST_KEY_ALL_ACCESS, &handle, nullptr) != KORVEX_HOST_REG_OK)
    return;
  KorvexHost_RegSetValue(handle, name, KORVEX_HOST_REG_DWORD, &value, sizeof value);
  KorvexHost_RegCloseKey(handle);
}

// Points the registry at a fresh empty folder for one test.
class ScopedRegistryRoot {
 public:
  ScopedRegistryRoot() {
    char previous[4096] = {};
    KorvexHost_RegGetRoot(previous, sizeof previous);
    previous_ = previous;
    std::string pattern =
        (std::filesystem::temp_directory_path() / "korvex-registry-XXXXXX").string();
    if (mkdtemp(pattern.data())) folder_ = pattern;
    KorvexHost_RegSetRoot(folder_.c_str());
  }
  ~ScopedRegistryRoot() {
    KorvexHost_RegSetRoot(previous_.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& Folder() const { return folder_; }

 private:
  std::string previous_;
  std::string folder_;
};

}  // namespace korvex::test
