#include "platform/win32/own_module.h"

#include <cstring>

namespace korvex::platform {

HMODULE OwnModule() {
  static const HMODULE module = [] {
    HMODULE handle = nullptr;
    ::GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&OwnModule), &handle);
    return handle;
  }();
  return module;
}

void OwnModuleFolder(char* folder, size_t size) {
  folder[0] = '\0';
  HMODULE self = OwnModule();
  if (self == nullptr) return;
  const DWORD n = ::GetModuleFileNameA(self, folder, static_cast<DWORD>(size));
  if (n == 0 || n >= size) {
    folder[0] = '\0';
    return;
  }
  char* slash = std::strrchr(folder, '\\');
  if (slash == nullptr) slash = std::strrchr(folder, '/');
  if (slash != nullptr) {
    slash[1] = '\0';
  } else {
    folder[0] = '\0';
  }
}

}  // namespace korvex::platform
