// Reading and writing stored settings from tests, in the Windows registry
// (the Wine prefix's when the tests run under Wine). Same interface as the
// Linux helper of the same name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace korvex::test {

inline const std::string kRoot = "Software\\Quorel\\Korvex740K3XLNSdk";

inline std::optional<uint32_t> ReadDword(const std::string& key, const char* name) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD value = 0, type = 0, size = sizeof value;
  const LONG result =
      ::RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  ::RegCloseKey(handle);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return value;
}

inline bool KeyExists(const std::string& key) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return false;
  ::RegCloseKey(handle);
  return true;
}

inline void WriteDword(const std::string& key, const char* name, uint32_t value) {
  HKEY handle = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
    return;
  const DWORD stored = value;
  ::RegSetValueExA(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored),
                   sizeof stored);
  ::RegCloseKey(handle);
}

// Removes the SDK's stored settings.
inline void DeleteStoredSettings() { ::RegDeleteTreeA(HKEY_CURRENT_USER, kRoot.c_str()); }

// One test's registry: no stored settings when it starts, none left after.
class ScopedRegistryRoot {
 public:
  ScopedRegistryRoot() { DeleteStoredSettings(); }
  ~ScopedRegistryRoot() { DeleteStoredSettings(); }
  ScopedRegistryRoot(const ScopedRegistryRoot&) = delete;
  ScopedRegistryRoot& operator=(const ScopedRegistryRoot&) = delete;
};

}  // namespace korvex::test
