// The current user's registry, shaped like the Windows registry functions.
// Only the settings persistence uses it.
#pragma once

#include <cstdint>

namespace korvex::platform {

struct RegKeyTag;
using RegKey = RegKeyTag*;

// HKEY_CURRENT_USER.
RegKey CurrentUserKey();

// Results (the Windows error codes).
inline constexpr long kRegOk = 0;
inline constexpr long kRegNotFound = 2;
inline constexpr long kRegMoreData = 234;

// Value types.
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;

// Access rights.
inline constexpr uint32_t kKeyRead = 0x20019u;
inline constexpr uint32_t kKeyAllAccess = 0xF003Fu;

// Opens an existing key below `parent` (RegOpenKeyEx); *result is null on failure.
long OpenRegistryKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result);
// Opens or creates a key with an empty class and no options (RegCreateKeyEx).
long CreateRegistryKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result);
// Reads a value of any type as stored (RegQueryValueEx): *size is the buffer
// size on entry and the value's size on return.
long QueryRegistryValue(RegKey key, const char* name, uint32_t* type, void* data, uint32_t* size);
long SetRegistryValue(RegKey key, const char* name, uint32_t type, const void* data, uint32_t size);
long CloseRegistryKey(RegKey key);

// Closes its key when it goes out of scope.
class ScopedRegKey {
 public:
  ScopedRegKey() = default;
  ~ScopedRegKey() { Reset(); }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;

  RegKey get() const { return key_; }
  RegKey* out() {
    Reset();
    return &key_;
  }
  explicit operator bool() const { return key_ != nullptr; }
  void Reset() {
    if (key_ != nullptr) CloseRegistryKey(key_);
    key_ = nullptr;
  }

 private:
  RegKey key_ = nullptr;
};

}  // namespace korvex::platform
