// Named shared memory that every process of the user sees (a named file
// mapping backed by the paging file), and the identity of processes that
// keep records in it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvex::platform {

class SharedMemory {
 public:
  SharedMemory() = default;
  ~SharedMemory() { Close(); }
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;

  // Opens the block by name; if there is none, creates it with `size` zero
  // bytes. Then maps the whole block. False when no view could be obtained.
  bool OpenOrCreate(const char* name, size_t size);
  // True when OpenOrCreate created the block rather than opening it.
  bool NewlyCreated() const { return created_; }
  uint8_t* View() const { return view_; }
  size_t Size() const { return size_; }
  void Close();

 private:
  void* handle_ = nullptr;
  uint8_t* view_ = nullptr;
  size_t size_ = 0;
  bool created_ = false;
};

// Names the calling process while it runs; never 0. A recycled process id
// does not give the same value.
uint64_t CurrentProcessToken();
// Whether the process named by a token (or a bare process id) still runs.
bool ProcessAlive(uint64_t token);

}  // namespace korvex::platform
