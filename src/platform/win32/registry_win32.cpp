// The registry seam on the Win32 registry functions (ANSI forms).
#include <windows.h>

#include "platform/registry.h"

namespace korvex::platform {
namespace {

HKEY ToWin(RegKey key) { return reinterpret_cast<HKEY>(key); }

static_assert(kRegOk == ERROR_SUCCESS && kRegNotFound == ERROR_FILE_NOT_FOUND &&
              kRegMoreData == ERROR_MORE_DATA);
static_assert(kRegSz == REG_SZ && kRegBinary == REG_BINARY && kRegDword == REG_DWORD);
static_assert(kKeyRead == KEY_READ && kKeyAllAccess == KEY_ALL_ACCESS);

}  // namespace

RegKey CurrentUserKey() { return reinterpret_cast<RegKey>(HKEY_CURRENT_USER); }

long OpenRegistryKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result) {
  HKEY key = nullptr;
  const LONG rc = ::RegOpenKeyExA(ToWin(parent), subKey, 0, access, &key);
  *result = rc == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key) : nullptr;
  return rc;
}

long CreateRegistryKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result) {
  HKEY key = nullptr;
  const LONG rc = ::RegCreateKeyExA(ToWin(parent), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    access, nullptr, &key, nullptr);
  *result = rc == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key) : nullptr;
  return rc;
}

long QueryRegistryValue(RegKey key, const char* name, uint32_t* type, void* data, uint32_t* size) {
  DWORD storedType = 0;
  DWORD bytes = size != nullptr ? *size : 0;
  const LONG rc = ::RegQueryValueExA(ToWin(key), name, nullptr, &storedType,
                                     static_cast<BYTE*>(data), size != nullptr ? &bytes : nullptr);
  if (type != nullptr) *type = storedType;
  if (size != nullptr) *size = bytes;
  return rc;
}

long SetRegistryValue(RegKey key, const char* name, uint32_t type, const void* data,
                      uint32_t size) {
  return ::RegSetValueExA(ToWin(key), name, 0, type, static_cast<const BYTE*>(data), size);
}

long CloseRegistryKey(RegKey key) { return ::RegCloseKey(ToWin(key)); }

}  // namespace korvex::platform
