// CDibImage: strides, palettes, the heap fallback and blits.
#include "image/dib_image.h"

#include "korvex/host_gdi.h"

#include <gtest/gtest.h>

namespace korvex::test {
namespace {

TEST(DibImage, StrideRoundsRowsUpToFourBytes) {
  EXPECT_EQ(CDibImage::StrideFor(2560, 24), 7680);
  EXPECT_EQ(CDibImage::StrideFor(2560, 8), 2560);
  EXPECT_EQ(CDibImage::StrideFor(2560, 48), 15360);
  EXPECT_EQ(CDibImage::StrideFor(1, 24), 4);
  EXPECT_EQ(CDibImage::StrideFor(1, 8), 4);
  EXPECT_EQ(CDibImage::StrideFor(3, 16), 8);

  CDibImage image;
  ASSERT_EQ(image.Create(2560, 1920, 48), 1);
  EXPECT_EQ(image.Stride(), 15360);
  EXPECT_EQ(image.ImageSize(), 15360u * 1920u);
  EXPECT_NE(image.Dc(), nullptr);
  EXPECT_EQ(image.Bits()[image.ImageSize() - 1], 0);  // zero-filled
  const auto& h = image.Header();
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 2560);
  EXPECT_EQ(h.biHeight, 1920);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 48);
  EXPECT_EQ(h.biCompression, 0u);
  EXPECT_EQ(h.biSizeImage, 0u);
  EXPECT_EQ(image.Palette()[200].rgbRed, 0);  // only 8-bit images get a palette
}

TEST(DibImage, EightBitImagesCarryTheGrayRamp) {
  CDibImage image;
  ASSERT_EQ(image.Create(5, 3, 8), 1);
  const auto& e = image.Palette()[200];
  EXPECT_EQ(e.rgbBlue, 200);
  EXPECT_EQ(e.rgbGreen, 200);
  EXPECT_EQ(e.rgbRed, 200);
  EXPECT_EQ(e.rgbReserved, 0);

  // SetGrayPalette restores the section's colour table too.
  KorvexHostDC dc = reinterpret_cast<KorvexHostDC>(image.Dc());
  KorvexHostRgbQuad blue{255, 0, 0, 0};
  ASSERT_EQ(KorvexHost_SetDIBColorTable(dc, 9, 1, &blue), 1);
  image.SetGrayPalette();
  KorvexHostRgbQuad back{};
  ASSERT_EQ(KorvexHost_GetDIBColorTable(dc, 9, 1, &back), 1);
  EXPECT_EQ(back.rgbBlue, 9);
  EXPECT_EQ(back.rgbRed, 9);
}

TEST(DibImage, BadSizesFailAndKeepWhatTheImageHeld) {
  CDibImage image;
  ASSERT_EQ(image.Create(4, 4, 24), 1);
  EXPECT_EQ(image.Create(0, 4, 24), 0);
  EXPECT_EQ(image.Create(4, -1, 24), 0);
  EXPECT_EQ(image.Create(4, 4, 0), 0);
  EXPECT_EQ(image.Create(4, 4, 12), 0);
  EXPECT_EQ(image.Create(100000, 100000, 64), 0);  // too large to address
  EXPECT_EQ(image.Width(), 4);
  EXPECT_EQ(image.BitsPerPixel(), 24);

  CDibImage empty;
  EXPECT_EQ(image.CopyFormat(empty), 0);
  EXPECT_EQ(image.Width(), 4);

  // Release of an empty image leaves it empty with the header size 40.
  empty.Release();
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(empty.Header().biSize, 40u);
  image.Release();
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(image.Header().biSize, 40u);
  EXPECT_EQ(image.Header().biWidth, 0);
  EXPECT_EQ(image.Dc(), nullptr);
}

TEST(DibImage, CopyFormatTakesHeaderAndPaletteButNoPixels) {
  CDibImage source, copy;
  ASSERT_EQ(source.Create(7, 3, 8), 1);
  source.Row(1)[2] = 99;
  ASSERT_EQ(copy.CopyFormat(source), 1);
  EXPECT_EQ(copy.Width(), 7);
  EXPECT_EQ(copy.Stride(), 8);
  EXPECT_EQ(copy.BitsPerPixel(), 8);
  EXPECT_EQ(copy.Palette()[77].rgbGreen, 77);
  EXPECT_EQ(copy.Row(1)[2], 0);
  EXPECT_NE(copy.Bits(), source.Bits());
  ASSERT_EQ(copy.CopyFormat(copy), 1);  // from itself: same format, fresh pixels
  EXPECT_EQ(copy.Width(), 7);
}

TEST(DibImage, WithoutSectionsPixelsLiveOnTheHeap) {
  KorvexHost_SetGdiFaults(KORVEX_HOST_GDI_FAIL_SECTION);
  CDibImage heap;
  EXPECT_EQ(heap.Create(9, 5, 24), 1);
  KorvexHost_SetGdiFaults(0);
  EXPECT_TRUE(heap.OnHeap());
  EXPECT_EQ(heap.Dc(), nullptr);
  EXPECT_EQ(heap.Stride(), 28);
  EXPECT_EQ(heap.Row(4)[27], 0);
  CDibImage other;
  ASSERT_EQ(other.Create(9, 5, 24), 1);
  EXPECT_EQ(other.Blit(heap, nullptr, 0, 0), 0);
  EXPECT_EQ(heap.Blit(other, nullptr, 0, 0), 0);
  heap.Release();
  EXPECT_FALSE(heap.OnHeap());

  // Without a device context creation fails and leaves nothing behind.
  for (uint32_t fault : {KORVEX_HOST_GDI_FAIL_DC, KORVEX_HOST_GDI_FAIL_SELECT}) {
    KorvexHost_SetGdiFaults(fault);
    CDibImage failed;
    EXPECT_EQ(failed.Create(9, 5, 24), 0);
    KorvexHost_SetGdiFaults(0);
    EXPECT_TRUE(failed.IsEmpty());
    EXPECT_EQ(failed.Width(), 0);
  }
}

TEST(DibImage, BlitFromGrayGivesGrayColourPixels) {
  CDibImage gray, colour;
  ASSERT_EQ(gray.Create(6, 4, 8), 1);
  ASSERT_EQ(colour.Create(6, 4, 24), 1);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) gray.Row(y)[x] = static_cast<uint8_t>(40 * y + x);
  ASSERT_EQ(colour.Blit(gray, nullptr, 0, 0), 1);
  // Memory rows correspond one to one, so the top row stays in row 0.
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(colour.Row(y)[3 * x + c], 40 * y + x);

  // A rectangle lands at the given place (device coordinates, top row 0,
  // which is the last memory row of these bottom-up sections).
  CDibImage small;
  ASSERT_EQ(small.Create(6, 4, 24), 1);
  DibRect rect{1, 0, 3, 1};
  ASSERT_EQ(small.Blit(gray, &rect, 4, 3), 1);
  EXPECT_EQ(small.Row(0)[3 * 4], gray.Row(3)[1]);
  EXPECT_EQ(small.Row(0)[3 * 5], gray.Row(3)[2]);
  EXPECT_EQ(small.Row(0)[3 * 3], 0);
}

}  // namespace
}  // namespace korvex::test
