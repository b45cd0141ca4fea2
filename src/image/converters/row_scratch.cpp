#include "image/converters/row_scratch.h"

namespace korvex::image {
namespace {
constexpr size_t kAlign = 64;
constexpr size_t kFirstBlock = 64 * 1024;
}  // namespace

void* RowScratch::TakeBytes(size_t bytes) {
  bytes = (bytes + kAlign - 1) / kAlign * kAlign;
  if (!blocks_.empty()) {
    Block& b = blocks_.back();
    const uintptr_t base = reinterpret_cast<uintptr_t>(b.memory.get());
    const size_t at = (base + b.used + kAlign - 1) / kAlign * kAlign - base;
    if (at + bytes <= b.size) {
      b.used = at + bytes;
      return b.memory.get() + at;
    }
  }
  // A new block: earlier pieces stay valid in theirs.
  size_t size = blocks_.empty() ? kFirstBlock : 2 * blocks_.back().size;
  while (size < bytes + kAlign) size *= 2;
  Block b;
  b.memory.reset(new uint8_t[size]);
  b.size = size;
  blocks_.push_back(std::move(b));
  return TakeBytes(bytes);
}

void RowScratch::Reset() {
  if (blocks_.size() > 1) {
    // Next time everything fits in one block.
    size_t total = 0;
    for (const Block& b : blocks_) total += b.size;
    blocks_.clear();
    Block b;
    b.memory.reset(new uint8_t[total]);
    b.size = total;
    blocks_.push_back(std::move(b));
  }
  for (Block& b : blocks_) b.used = 0;
}

}  // namespace korvex::image
