// Memory for frame-sized buffers, taken from the system page by page
// (mmap on Linux, VirtualAlloc on Windows) rather than from the C heap.
// Freeing such a block gives its pages back to the system at once: the C
// library's allocator keeps large freed blocks for reuse once it has seen
// a few (glibc raises its threshold for mapping blocks after the first
// large free), so an application that opens and releases cameras would
// otherwise keep hundreds of megabytes it no longer uses. Blocks start on a
// page boundary, which satisfies every vector kernel's alignment, and are
// zero-filled.
//
// The functions may run on several threads at once; a PageBuffer is used
// by one thread at a time, as any owner of memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace korvex::platform {

// A zero-filled block of at least `bytes` bytes (bytes > 0), starting on a
// page boundary (4 KiB or more: beyond the 64 bytes the widest vector
// kernel may want); null when the system has no memory for it.
void* AllocatePages(size_t bytes);
// Gives a block back; `bytes` is the size it was allocated with. Null is
// ignored.
void FreePages(void* block, size_t bytes);

// One block, owned: freed when the buffer is destroyed, reset or assigned.
class PageBuffer {
 public:
  PageBuffer() = default;
  // A zero-filled block; empty (false) when memory is short or bytes is 0.
  explicit PageBuffer(size_t bytes)
      : data_(bytes > 0 ? static_cast<uint8_t*>(AllocatePages(bytes)) : nullptr),
        size_(data_ != nullptr ? bytes : 0) {}
  ~PageBuffer() { reset(); }
  PageBuffer(PageBuffer&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
  PageBuffer& operator=(PageBuffer&& other) noexcept {
    if (this != &other) {
      reset();
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  PageBuffer(const PageBuffer&) = delete;
  PageBuffer& operator=(const PageBuffer&) = delete;

  uint8_t* get() const { return data_; }
  size_t size() const { return size_; }
  explicit operator bool() const { return data_ != nullptr; }
  bool operator==(std::nullptr_t) const { return data_ == nullptr; }
  void reset() {
    FreePages(data_, size_);
    data_ = nullptr;
    size_ = 0;
  }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace korvex::platform
