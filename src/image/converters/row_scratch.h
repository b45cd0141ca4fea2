// Memory for the row buffers of converters that run many times per frame.
//
// The pipeline converts a picture stripe by stripe on several threads, so a
// converter that took its row buffers from the heap would do so hundreds of
// times per frame, and on a heap with one lock (the Windows process heap)
// the threads would wait for each other. A caller that converts stripe
// after stripe keeps one RowScratch per thread and hands it in: after the
// first stripe, buffers come from memory kept between calls. Converters
// called without one use a RowScratch of their own for the call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace korvex::image {

class RowScratch {
 public:
  // count values of T, 64-byte aligned, contents undefined; valid until the
  // next Reset. The memory already taken stays where it is.
  template <typename T>
  T* Take(size_t count) {
    return static_cast<T*>(TakeBytes(count * sizeof(T)));
  }
  // The same, filled with zero bytes.
  template <typename T>
  T* TakeZeroed(size_t count);

  // Gives back everything taken; a converter resets the scratch it is handed
  // when it starts. The memory is kept, in one block, for the next use.
  void Reset();

 private:
  void* TakeBytes(size_t bytes);

  struct Block {
    std::unique_ptr<uint8_t[]> memory;
    size_t size = 0;
    size_t used = 0;
  };
  std::vector<Block> blocks_;
};

template <typename T>
T* RowScratch::TakeZeroed(size_t count) {
  T* p = Take<T>(count);
  for (size_t i = 0; i < count; ++i) p[i] = T{};
  return p;
}

}  // namespace korvex::image
