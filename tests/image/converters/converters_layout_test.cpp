// Field merge, re-layout, format conversion and display stretch.
#include <gtest/gtest.h>

#include "image/converters/converters.h"
#include "image/converters/vector_level.h"
#include "image_util.h"

namespace korvex::image::test {
namespace {

// Raw frame whose every sample encodes its raw row and column.
Img RawFrame(int bytesPerSample) {
  Img raw(kPictureWidth, kRawHeight, bytesPerSample);
  for (int32_t y = 0; y < raw.height; ++y) {
    for (int32_t x = 0; x < raw.width; ++x) {
      raw.Set(x, y, 0,
              bytesPerSample == 1 ? static_cast<uint32_t>(y * 7 + x) & 255
                                  : static_cast<uint32_t>(y * 31 + x * 3) & 0xFFFF);
    }
  }
  return raw;
}

int32_t Merge(ScalingConverter f, Img& dst, const Img& raw) {
  return f(dst.data(), raw.data(), dst.All(), raw.All(), Size{dst.width, dst.height},
           Size{raw.width, raw.height}, static_cast<uint16_t>(dst.bpp),
           static_cast<uint16_t>(raw.bpp), dst.stride, raw.stride, 0, 0);
}

// Every column of a few rows, at every vector level (the horizontal mirror
// has vector kernels).
TEST(ConverterFieldMerge, FieldsInterleaveInEachMirrorVariant) {
  for (int level = 0; level <= static_cast<int>(DetectedVectorLevel()); ++level) {
    LimitVectorLevel(static_cast<VectorLevel>(level));
    for (int size : {1, 2}) {
      const Img raw = RawFrame(size);
      for (int v = 0; v < 2; ++v) {
        for (int h = 0; h < 2; ++h) {
          Img pic(kPictureWidth, kPictureHeight, size);
          Merge(SelectMergeFields(size == 2, v, h), pic, raw);
          for (int32_t row : {0, 1, 2, 3, 1000, 1917, 1918, 1919}) {
            const int32_t p = v ? kPictureHeight - 1 - row : row;
            const int32_t rawRow = p % 2 ? 1019 + p / 2 : 5 + p / 2;
            for (int32_t col = 0; col < kPictureWidth; ++col) {
              const int32_t rawCol = h ? kPictureWidth - 1 - col : col;
              ASSERT_EQ(pic.Get(col, row), raw.Get(rawCol, rawRow))
                  << "level " << level << " v" << v << " h" << h << " " << col << "," << row;
            }
          }
        }
      }
    }
  }
  LimitVectorLevel(VectorLevel::kAvx512);
}

TEST(ConverterFieldMerge, SmallerAndLargerBuffersStayInBounds) {
  const Img raw = RawFrame(1);
  // ASan guards the small buffers; a larger one keeps what lies outside.
  Img small(100, 51, 1);
  Merge(MergeFields8MirrorVH, small, raw);
  EXPECT_EQ(small.Get(0, 0), raw.Get(99, 5 + 25));  // picture row 50 of 51 rows
  Img wide(2600, 1930, 1, 0xEE);
  Merge(MergeFields8, wide, raw);
  EXPECT_EQ(wide.Get(2559, 1919), raw.Get(2559, 1019 + 959));
  EXPECT_EQ(wide.Get(2560, 0), 0xEEu);
  EXPECT_EQ(wide.Get(0, 1920), 0xEEu);
  Img shortRaw(kPictureWidth, 1000, 1);  // second field missing: those rows untouched
  Img pic(kPictureWidth, kPictureHeight, 1, 0x11);
  Merge(MergeFields8, pic, shortRaw);
  EXPECT_EQ(pic.Get(5, 0), 0u);
  EXPECT_EQ(pic.Get(5, 1), 0x11u);
}

TEST(ConverterLayout, PadRowsMovesPackedRowsToTheStride) {
  Img img(3, 3, 2);  // stride 8 for 6 packed bytes
  for (int i = 0; i < 18; ++i) img.bytes[i] = static_cast<uint8_t>(i + 1);
  int32_t* none = nullptr;
  PadRows16(img.data(), img.data(), img.All(), 0, 0, 2, 2, img.stride, img.stride, &none, nullptr);
  for (int32_t y = 0; y < 3; ++y) {
    for (int i = 0; i < 6; ++i) ASSERT_EQ(img.bytes[y * 8 + i], y * 6 + i + 1);
  }
}

TEST(ConverterFormat, DepthOrderAndRowConversions) {
  Img deep(2, 2, 2);
  deep.Set(0, 0, 0, 0x3FF), deep.Set(1, 1, 0, 0xABC);
  Img gray(2, 2, 1);
  Apply(Reduce16To8Flip, gray, deep, nullptr);
  EXPECT_EQ(gray.Get(0, 1), 255u);   // row 0 now last
  EXPECT_EQ(gray.Get(1, 0), 0xAFu);  // (0xABC >> 2) & 255
  Apply(Reduce16To8Flip12, gray, deep, nullptr);
  EXPECT_EQ(gray.Get(1, 0), 0xABu);
  Apply(Reduce16To8, gray, deep, nullptr);
  EXPECT_EQ(gray.Get(0, 0), 255u);
  Apply(Expand16, deep, deep, nullptr);
  EXPECT_EQ(deep.Get(0, 0), 0xFFC0u);

  Img c64(1, 2, 8);
  for (int c = 0; c < 4; ++c) c64.Set(0, 0, c, 100 + c), c64.Set(0, 1, c, 200 + c);
  Img e64(1, 2, 8);
  Apply(Expand64Rgb, e64, c64, nullptr);
  EXPECT_EQ(e64.Get(0, 0, 0), 102u << 6);
  EXPECT_EQ(e64.Get(0, 0, 2), 100u << 6);
  EXPECT_EQ(e64.Get(0, 0, 3), 0xFFFFu);
  Apply(SelectExpand(8, false, 12), e64, c64, nullptr);
  EXPECT_EQ(e64.Get(0, 0, 0), 100u << 4);
  Img c24(1, 2, 3);
  Apply(Reduce48To24Flip, c24, c64, nullptr);
  EXPECT_EQ(c24.Get(0, 0, 0), 200u >> 2);
  EXPECT_EQ(c24.Get(0, 1, 2), 102u >> 2);

  Img c32(2, 1, 4);
  const uint8_t px[] = {1, 2, 3, 0, 4, 5, 6, 0xF0};
  std::memcpy(c32.data(), px, 8);
  Img a32(2, 1, 4);
  Apply(Alpha32, a32, c32, nullptr);
  EXPECT_EQ(a32.Get(0, 0, 3), 255u);
  EXPECT_EQ(a32.Get(1, 0, 3), 0x0Fu);
  Img s24(2, 1, 3);
  Apply(Swap24, s24, c32, nullptr);
  EXPECT_EQ(s24.Get(1, 0, 0), 6u);
  EXPECT_EQ(s24.Get(1, 0, 2), 4u);
  Apply(Copy32To24, s24, c32, nullptr);
  EXPECT_EQ(s24.Get(1, 0, 0), 4u);
  Img g(2, 1, 1);
  Apply(ColorToGray, g, c32, nullptr);
  EXPECT_EQ(g.Get(1, 0), (6u * 30 + 5 * 59 + 4 * 11) / 100);

  Img rows(3, 3, 1), flipped(3, 3, 1);
  for (int32_t y = 0; y < 3; ++y) rows.Set(0, y, 0, 10 + y);
  Apply(FlipRows, flipped, rows, nullptr);
  EXPECT_EQ(flipped.Get(0, 0), 12u);
  EXPECT_EQ(flipped.Get(0, 2), 10u);
}

TEST(ConverterStretch, NearestNeighbourWithRowsReversed) {
  Img src(4, 4, 3), dst(2, 2, 3);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x) src.Set(x, y, 0, 10 * y + x);
  StretchFlip24(dst.data(), src.data(), dst.All(), src.All(), Size{2, 2}, Size{4, 4}, 3, 3,
                dst.stride, src.stride, 0, 0);
  EXPECT_EQ(dst.Get(0, 0, 0), 30u);  // source row 3 - 0
  EXPECT_EQ(dst.Get(1, 0, 0), 32u);
  EXPECT_EQ(dst.Get(1, 1, 0), 12u);  // source row 3 - 2
  // A destination rectangle beyond the image is cut, not written past.
  Img tiny(3, 3, 1);
  const Rect big{1, 1, 40, 40};
  StretchFlip8(tiny.data(), src.data(), big, src.All(), Size{3, 3}, Size{4, 4}, 1, 3, tiny.stride,
               src.stride, 0, 0);
  EXPECT_EQ(tiny.Get(0, 0), 0u);
}

}  // namespace
}  // namespace korvex::image::test
