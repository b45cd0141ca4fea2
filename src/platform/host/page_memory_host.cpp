// Page memory on Linux: anonymous private mappings, which the kernel fills
// with zeros and takes back whole at munmap.
#include "platform/page_memory.h"

#include <sys/mman.h>

namespace korvex::platform {

void* AllocatePages(size_t bytes) {
  if (bytes == 0) return nullptr;
  void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
}

void FreePages(void* block, size_t bytes) {
  if (block != nullptr) ::munmap(block, bytes);
}

}  // namespace korvex::platform
