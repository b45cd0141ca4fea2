// The shared memory seam on a named file mapping backed by the paging file,
// and process identity from the process id and its creation time.
#include <windows.h>

#include "platform/shared_memory.h"

namespace korvex::platform {
namespace {

// Low 32 bits of a process's creation time; 0 when it cannot be read.
uint32_t CreationStamp(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return created.dwLowDateTime != 0 ? created.dwLowDateTime : 1;
}

}  // namespace

bool SharedMemory::OpenOrCreate(const char* name, size_t size) {
  Close();
  HANDLE mapping = ::OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
  bool created = false;
  if (mapping == nullptr) {
    const uint64_t bytes = size;
    mapping =
        ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                             static_cast<DWORD>(bytes >> 32), static_cast<DWORD>(bytes), name);
    if (mapping == nullptr) return false;
    // Another process may have created it between the two calls.
    created = ::GetLastError() != ERROR_ALREADY_EXISTS;
  }
  void* view = ::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (view == nullptr) {
    ::CloseHandle(mapping);
    return false;
  }
  // The block's size is what the view covers: the requested size when this
  // process created it, whole pages when it opened one.
  MEMORY_BASIC_INFORMATION region{};
  size_t mapped = size;
  if (!created && ::VirtualQuery(view, &region, sizeof region) != 0) mapped = region.RegionSize;
  handle_ = mapping;
  view_ = static_cast<uint8_t*>(view);
  size_ = mapped;
  created_ = created;
  return true;
}

void SharedMemory::Close() {
  if (view_ != nullptr) ::UnmapViewOfFile(view_);
  if (handle_ != nullptr) ::CloseHandle(static_cast<HANDLE>(handle_));
  view_ = nullptr;
  handle_ = nullptr;
  size_ = 0;
  created_ = false;
}

uint64_t CurrentProcessToken() {
  const uint32_t pid = ::GetCurrentProcessId();
  return (static_cast<uint64_t>(CreationStamp(::GetCurrentProcess())) << 32) | pid;
}

bool ProcessAlive(uint64_t token) {
  const auto pid = static_cast<uint32_t>(token);
  const auto stamp = static_cast<uint32_t>(token >> 32);
  if (pid == 0) return false;
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return ::GetLastError() == ERROR_ACCESS_DENIED;
  DWORD exitCode = 0;
  bool alive = ::GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
  // A recycled id belongs to a process created at another time.
  if (alive && stamp != 0) alive = CreationStamp(process) == stamp;
  ::CloseHandle(process);
  return alive;
}

}  // namespace korvex::platform
