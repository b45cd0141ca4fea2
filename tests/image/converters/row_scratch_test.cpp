// The converters' per-thread row buffers: pieces taken in one call stay
// where they are while later, larger ones make the scratch grow, and the
// memory is reused after a reset.
#include "image/converters/row_scratch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace korvex::image {
namespace {

TEST(RowScratch, PiecesStayWhereTheyAreWhileTheScratchGrows) {
  RowScratch scratch;
  for (int round = 0; round < 3; ++round) {
    scratch.Reset();
    // Each piece larger than the last, the last larger than everything
    // before: the scratch grows twice within one call.
    const size_t sizes[] = {1000, 40000, 300000, 5};
    std::vector<uint32_t*> pieces;
    for (size_t i = 0; i < 4; ++i) {
      uint32_t* p = scratch.Take<uint32_t>(sizes[i]);
      ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % 64, 0u);
      for (size_t k = 0; k < sizes[i]; ++k) p[k] = static_cast<uint32_t>(i * 1000003 + k);
      pieces.push_back(p);
    }
    for (size_t i = 0; i < 4; ++i) {
      for (size_t k = 0; k < sizes[i]; ++k) {
        ASSERT_EQ(pieces[i][k], i * 1000003 + k) << "round " << round << ", piece " << i;
      }
    }
    const uint16_t* zeroed = scratch.TakeZeroed<uint16_t>(777);
    for (size_t k = 0; k < 777; ++k) ASSERT_EQ(zeroed[k], 0);
  }
  // After a reset the same demand fits in the memory kept: the first piece
  // comes back at the start of one block.
  scratch.Reset();
  uint8_t* first = scratch.Take<uint8_t>(1000);
  scratch.Reset();
  EXPECT_EQ(scratch.Take<uint8_t>(1000), first);
}

}  // namespace
}  // namespace korvex::image
