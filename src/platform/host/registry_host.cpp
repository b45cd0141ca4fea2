// The registry seam on top of the host library's registry.
#include "platform/registry.h"

#include "korvex/host_registry.h"

namespace korvex::platform {
namespace {

KorvexHostRegKey ToHost(RegKey key) { return reinterpret_cast<KorvexHostRegKey>(key); }

}  // namespace

RegKey CurrentUserKey() { return reinterpret_cast<RegKey>(KORVEX_HOST_HKEY_CURRENT_USER); }

long OpenRegistryKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result) {
  KorvexHostRegKey key = nullptr;
  int32_t rc = KorvexHost_RegOpenKey(ToHost(parent), subKey, access, &key);
  *result = reinterpret_cast<RegKey>(key);
  return rc;
}

long CreateRegistryKey(RegKey parent, const char* subKey, uint32_t access, RegKey* result) {
  KorvexHostRegKey key = nullptr;
  int32_t rc = KorvexHost_RegCreateKey(ToHost(parent), subKey, access, &key, nullptr);
  *result = reinterpret_cast<RegKey>(key);
  return rc;
}

long QueryRegistryValue(RegKey key, const char* name, uint32_t* type, void* data, uint32_t* size) {
  return KorvexHost_RegQueryValue(ToHost(key), name, type, data, size);
}

long SetRegistryValue(RegKey key, const char* name, uint32_t type, const void* data,
                      uint32_t size) {
  return KorvexHost_RegSetValue(ToHost(key), name, type, data, size);
}

long CloseRegistryKey(RegKey key) { return KorvexHost_RegCloseKey(ToHost(key)); }

}  // namespace korvex::platform
