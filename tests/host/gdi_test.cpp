// Bitmap sections, device contexts and transfers between depths.
#include "korvex/host_gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace korvex::test {
namespace {

struct Info {
  KorvexHostBitmapInfoHeader header{};
  KorvexHostRgbQuad colors[256]{};
};

// A section selected into its own DC.
struct Surface {
  KorvexHostDC dc = nullptr;
  KorvexHostBitmap bitmap = nullptr;
  KorvexHostBitmap previous = nullptr;
  uint8_t* bits = nullptr;
  int stride = 0;

  Surface(int w, int h, int depth, bool gray = true) {
    Info info;
    info.header.biSize = 40;
    info.header.biWidth = w;
    info.header.biHeight = h;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<uint16_t>(depth);
    for (int i = 0; i < 256 && gray; ++i)
      info.colors[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i),
                        0};
    void* p = nullptr;
    bitmap = KorvexHost_CreateDIBSection(&info, &p);
    bits = static_cast<uint8_t*>(p);
    dc = KorvexHost_CreateCompatibleDC(nullptr);
    previous = KorvexHost_SelectObject(dc, bitmap);
    stride = (w * depth / 8 + 3) & ~3;
  }
  ~Surface() {
    KorvexHost_SelectObject(dc, previous);
    KorvexHost_DeleteObject(bitmap);
    KorvexHost_DeleteDC(dc);
  }
  // Memory row of device row y (bottom-up).
  uint8_t* At(int x, int y, int h, int bytes) { return bits + (h - 1 - y) * stride + x * bytes; }
};

TEST(HostGdi, SectionsAndSelectionFollowTheRules) {
  Info info;
  info.header = {40, 4, 2, 1, 24, 0, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  KorvexHostBitmap bmp = KorvexHost_CreateDIBSection(&info, &bits);
  ASSERT_NE(bmp, nullptr);
  KorvexHostBitmapDesc desc{};
  ASSERT_EQ(KorvexHost_GetBitmapDesc(bmp, &desc), 1);
  EXPECT_EQ(desc.stride, 12);
  EXPECT_EQ(desc.pixels, bits);
  EXPECT_EQ(static_cast<uint8_t*>(bits)[23], 0);

  KorvexHostDC a = KorvexHost_CreateCompatibleDC(nullptr);
  KorvexHostDC b = KorvexHost_CreateCompatibleDC(a);
  KorvexHostBitmap stock = KorvexHost_SelectObject(a, bmp);
  ASSERT_NE(stock, nullptr);
  EXPECT_EQ(KorvexHost_GetCurrentBitmap(a), bmp);
  EXPECT_EQ(KorvexHost_SelectObject(b, bmp), nullptr);  // one DC at a time
  EXPECT_EQ(KorvexHost_DeleteObject(bmp), 0);           // still selected
  // A 24-bit section has no colour table.
  KorvexHostRgbQuad c{1, 2, 3, 0};
  EXPECT_EQ(KorvexHost_SetDIBColorTable(a, 0, 1, &c), 0);
  EXPECT_EQ(KorvexHost_SelectObject(a, stock), bmp);
  EXPECT_EQ(KorvexHost_DeleteObject(bmp), 1);
  EXPECT_EQ(KorvexHost_DeleteDC(a), 1);
  EXPECT_EQ(KorvexHost_DeleteDC(b), 1);
  EXPECT_EQ(KorvexHost_DeleteDC(b), 0);

  info.header.biBitCount = 12;
  EXPECT_EQ(KorvexHost_CreateDIBSection(&info, &bits), nullptr);
  info.header.biBitCount = 8;
  info.header.biWidth = 0;
  EXPECT_EQ(KorvexHost_CreateDIBSection(&info, &bits), nullptr);
}

TEST(HostGdi, DepthConversionGoesThroughColour) {
  Surface gray(3, 2, 8), rgb(3, 2, 24);
  gray.At(0, 0, 2, 1)[0] = 200;
  gray.At(2, 1, 2, 1)[0] = 7;
  ASSERT_EQ(KorvexHost_BitBlt(rgb.dc, 0, 0, 3, 2, gray.dc, 0, 0, KORVEX_HOST_SRCCOPY), 1);
  EXPECT_EQ(std::vector<uint8_t>(rgb.At(0, 0, 2, 3), rgb.At(0, 0, 2, 3) + 3),
            (std::vector<uint8_t>{200, 200, 200}));
  EXPECT_EQ(rgb.At(2, 1, 2, 3)[1], 7);

  // The colour table decides: entry 200 made red.
  KorvexHostRgbQuad red{0, 0, 255, 0};
  ASSERT_EQ(KorvexHost_SetDIBColorTable(gray.dc, 200, 1, &red), 1);
  KorvexHostRgbQuad back[2]{};
  ASSERT_EQ(KorvexHost_GetDIBColorTable(gray.dc, 255, 2, back), 1);  // the table ends at 255
  ASSERT_EQ(KorvexHost_GetDIBColorTable(gray.dc, 200, 1, back), 1);
  EXPECT_EQ(back[0].rgbRed, 255);
  KorvexHost_BitBlt(rgb.dc, 0, 0, 3, 2, gray.dc, 0, 0, KORVEX_HOST_SRCCOPY);
  EXPECT_EQ(rgb.At(0, 0, 2, 3)[2], 255);
  EXPECT_EQ(rgb.At(0, 0, 2, 3)[0], 0);

  // Back to 8 bits through the nearest gray; 16-bit and deep formats.
  Surface target(3, 2, 8);
  uint8_t* p = rgb.At(1, 0, 2, 3);
  p[0] = 100, p[1] = 110, p[2] = 120;
  KorvexHost_BitBlt(target.dc, 0, 0, 3, 2, rgb.dc, 0, 0, KORVEX_HOST_SRCCOPY);
  EXPECT_EQ(target.At(1, 0, 2, 1)[0], 110);

  Surface s16(1, 1, 16), s48(1, 1, 48), s32(1, 1, 32);
  s16.bits[0] = 0xFF, s16.bits[1] = 0x7F;  // white in X1R5G5B5
  KorvexHost_BitBlt(s32.dc, 0, 0, 1, 1, s16.dc, 0, 0, KORVEX_HOST_SRCCOPY);
  EXPECT_EQ(std::vector<uint8_t>(s32.bits, s32.bits + 4), (std::vector<uint8_t>{255, 255, 255, 0}));
  const uint16_t deep[3] = {0x1234, 0xABCD, 0x00FF};
  std::memcpy(s48.bits, deep, 6);
  KorvexHost_BitBlt(s32.dc, 0, 0, 1, 1, s48.dc, 0, 0, KORVEX_HOST_SRCCOPY);
  EXPECT_EQ(std::vector<uint8_t>(s32.bits, s32.bits + 3), (std::vector<uint8_t>{0x12, 0xAB, 0x00}));
}

TEST(HostGdi, NegativeSourceHeightFlipsAndClippingLeavesTheRest) {
  constexpr int W = 5, H = 4;
  Surface src(W, H, 24), dst(W, H, 24);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) src.At(x, y, H, 3)[0] = static_cast<uint8_t>(10 * y + x);
  ASSERT_EQ(KorvexHost_StretchBlt(dst.dc, 0, 0, W, H, src.dc, 0, H, W, -H, KORVEX_HOST_SRCCOPY), 1);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) EXPECT_EQ(dst.At(x, y, H, 3)[0], 10 * (H - 1 - y) + x);

  // Doubling: every source pixel covers two target pixels.
  Surface big(2 * W, 2 * H, 24);
  KorvexHost_StretchBlt(big.dc, 0, 0, 2 * W, 2 * H, src.dc, 0, 0, W, H, KORVEX_HOST_SRCCOPY);
  EXPECT_EQ(big.At(7, 5, 2 * H, 3)[0], 10 * 2 + 3);

  // A transfer hanging over the edges writes only inside, reads only inside.
  std::memset(dst.bits, 0xEE, static_cast<size_t>(dst.stride) * H);
  KorvexHost_BitBlt(dst.dc, 3, -1, W, H, src.dc, 0, 0, KORVEX_HOST_SRCCOPY);
  EXPECT_EQ(dst.At(3, 0, H, 3)[0], 10 * 1 + 0);
  EXPECT_EQ(dst.At(2, 0, H, 3)[0], 0xEE);
  EXPECT_EQ(dst.At(4, 3, H, 3)[0], 0xEE);  // its source row 4 does not exist
  EXPECT_EQ(KorvexHost_BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 0x00EE0086u), 0);
}

TEST(HostGdi, RowCopiesMatchThePixelByPixelPath) {
  std::mt19937 rng(7);
  const int depths[] = {8, 16, 24, 32, 48, 64};
  for (int round = 0; round < 40; ++round) {
    const int sd = depths[rng() % 6], dd = rng() % 2 ? sd : depths[rng() % 6];
    Surface src(13, 9, sd), a(11, 7, dd), b(11, 7, dd);
    for (int i = 0; i < src.stride * 9; ++i) src.bits[i] = static_cast<uint8_t>(rng());
    const int x = static_cast<int>(rng() % 5) - 2, y = static_cast<int>(rng() % 5) - 2;
    const int w = static_cast<int>(rng() % 14) - 2, h = static_cast<int>(rng() % 12) - 2;
    const int sx = static_cast<int>(rng() % 6), sy = static_cast<int>(rng() % 10);
    const int sw = rng() % 2 ? w : -w, sh = static_cast<int>(rng() % 12) - 6;
    KorvexHost_SetGdiFastPaths(1);
    KorvexHost_StretchBlt(a.dc, x, y, w, h, src.dc, sx, sy, sw, sh, KORVEX_HOST_SRCCOPY);
    KorvexHost_SetGdiFastPaths(0);
    KorvexHost_StretchBlt(b.dc, x, y, w, h, src.dc, sx, sy, sw, sh, KORVEX_HOST_SRCCOPY);
    KorvexHost_SetGdiFastPaths(1);
    ASSERT_EQ(std::memcmp(a.bits, b.bits, static_cast<size_t>(a.stride) * 7), 0) << round;
  }
}

}  // namespace
}  // namespace korvex::test
