// A full disk for one test (Windows): every write that this program makes
// through WriteFile or SetEndOfFile past a size limit fails as it would on
// a full disk (ERROR_DISK_FULL, after writing what fits). The library's
// code is linked into the test program, so its calls go through the
// program's import table; the test points those two entries at checks of
// its own for as long as the limit holds. The library itself has no test
// hook: on Linux the same limit comes from the system (RLIMIT_FSIZE).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace korvex::test {

namespace file_size_limit {

inline uint64_t limit = UINT64_MAX;
inline decltype(&::WriteFile) realWriteFile = nullptr;
inline decltype(&::SetEndOfFile) realSetEndOfFile = nullptr;

inline uint64_t PositionOf(HANDLE file, const OVERLAPPED* at) {
  if (at != nullptr) return static_cast<uint64_t>(at->OffsetHigh) << 32 | at->Offset;
  LARGE_INTEGER zero{}, now{};
  return ::SetFilePointerEx(file, zero, &now, FILE_CURRENT) ? static_cast<uint64_t>(now.QuadPart)
                                                            : 0;
}

inline BOOL WINAPI LimitedWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                    LPOVERLAPPED at) {
  if (::GetFileType(file) != FILE_TYPE_DISK) return realWriteFile(file, data, size, written, at);
  const uint64_t position = PositionOf(file, at);
  if (position + size <= limit) return realWriteFile(file, data, size, written, at);
  const DWORD fits = position >= limit ? 0 : static_cast<DWORD>(limit - position);
  DWORD done = 0;
  if (fits > 0) realWriteFile(file, data, fits, &done, at);
  if (written != nullptr) *written = done;
  ::SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

inline BOOL WINAPI LimitedSetEndOfFile(HANDLE file) {
  if (::GetFileType(file) == FILE_TYPE_DISK && PositionOf(file, nullptr) > limit) {
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
  return realSetEndOfFile(file);
}

// The import-table slot of `function` in this program, whichever DLL it
// comes from; null when the program does not import it.
inline void** ImportSlot(const char* function) {
  auto* base = reinterpret_cast<uint8_t*>(::GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return nullptr;
  for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       module->Name != 0; ++module) {
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
        base + (module->OriginalFirstThunk != 0 ? module->OriginalFirstThunk : module->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
        return reinterpret_cast<void**>(&slots->u1.Function);
      }
    }
  }
  return nullptr;
}

// Points an import slot elsewhere; returns what it held (null: no slot).
inline void* Redirect(const char* function, void* to) {
  void** slot = ImportSlot(function);
  if (slot == nullptr) return nullptr;
  DWORD previous = 0;
  if (!::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous)) return nullptr;
  void* const was = *slot;
  *slot = to;
  ::VirtualProtect(slot, sizeof *slot, previous, &previous);
  return was;
}

}  // namespace file_size_limit

// Not for tests that run several at once: one limit for the whole program.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(uint64_t bytes) {
    namespace l = file_size_limit;
    l::limit = bytes;
    l::realWriteFile = reinterpret_cast<decltype(l::realWriteFile)>(
        l::Redirect("WriteFile", reinterpret_cast<void*>(&l::LimitedWriteFile)));
    l::realSetEndOfFile = reinterpret_cast<decltype(l::realSetEndOfFile)>(
        l::Redirect("SetEndOfFile", reinterpret_cast<void*>(&l::LimitedSetEndOfFile)));
  }
  ~ScopedFileSizeLimit() {
    namespace l = file_size_limit;
    if (l::realWriteFile != nullptr)
      l::Redirect("WriteFile", reinterpret_cast<void*>(l::realWriteFile));
    if (l::realSetEndOfFile != nullptr)
      l::Redirect("SetEndOfFile", reinterpret_cast<void*>(l::realSetEndOfFile));
    l::limit = UINT64_MAX;
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

  // False when the program does not import the two functions (the test
  // would prove nothing).
  bool Active() const { return file_size_limit::realWriteFile != nullptr; }
};

}  // namespace korvex::test
