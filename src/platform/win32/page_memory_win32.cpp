// Page memory on Windows: committed VirtualAlloc regions, zero-filled by
// the system and released whole.
#include <windows.h>

#include "platform/page_memory.h"

namespace korvex::platform {

void* AllocatePages(size_t bytes) {
  if (bytes == 0) return nullptr;
  return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreePages(void* block, size_t) {
  if (block != nullptr) ::VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace korvex::platform
