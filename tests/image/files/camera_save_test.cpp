// Saving through the exports on the simulated camera: the saved files are
// the camera's output image, and the failures are reported as documented.
#include "KorvexSdk_740K3_XLN.h"
#include "support/error_codes.h"
#include "image/files/file_readers.h"
#include "korvex/host_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace korvex::test {
namespace {

constexpr int kWidth = 2560, kHeight = 1920;

class CameraSave : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    handle_ = Korvex_Initialize(nullptr);
    ASSERT_NE(handle_, 0u);
    ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
  }
  void TearDown() override { EXPECT_EQ(Korvex_Release(handle_), 1); }

  // Takes one frame in the colour mode and returns the output image in
  // stored row order (top row first, rows padded to 4 bytes).
  std::vector<uint8_t> Snap(int mode, int bytesPerPixel) {
    EXPECT_EQ(Korvex_SetColorMode(handle_, mode), 1);
    EXPECT_EQ(Korvex_SnapShot(handle_, nullptr, 0, 1), 1);
    std::vector<uint8_t> image(static_cast<size_t>(kWidth) * bytesPerPixel * kHeight);
    EXPECT_EQ(Korvex_GetImage(handle_, image.data(), static_cast<int>(image.size()), 1), 1);
    // A picture, not a blank buffer, or the comparisons below prove nothing.
    EXPECT_NE(std::count(image.begin(), image.end(), image[0]), static_cast<long>(image.size()));
    return image;
  }
  std::vector<uint32_t> Errors() { return korvex::test::DrainErrors(handle_); }

  TempFolder folder_;
  KORVEX_HANDLE handle_ = 0;
};

TEST_F(CameraSave, BeforeAnyFrameTheNarrowSaveIsNotPossible) {
  const std::string name = folder_.File("early.bmp");
  EXPECT_EQ(Korvex_SaveImage(handle_, name.c_str(), KORVEX_SAVE_BMP), 0);
  EXPECT_EQ(Errors(), std::vector<uint32_t>{KORVEX_ERR_NOT_POSSIBLE});
  EXPECT_FALSE(std::filesystem::exists(name));
}

TEST_F(CameraSave, TheWideSaveAlsoNeedsAProcessedImage) {
  const std::string name = folder_.File("wide.bmp");
  const std::vector<KORVEX_WCHAR> wide(name.c_str(), name.c_str() + name.size() + 1);
  EXPECT_EQ(Korvex_SaveImageW(handle_, wide.data(), KORVEX_SAVE_BMP), 0) << "before any frame";
  EXPECT_EQ(Errors(), std::vector<uint32_t>{KORVEX_ERR_NOT_POSSIBLE});
  ASSERT_EQ(Korvex_SnapShot(handle_, nullptr, 0, 1), 1);
  ASSERT_EQ(Korvex_Close(handle_), 1);
  EXPECT_EQ(Korvex_SaveImageW(handle_, wide.data(), KORVEX_SAVE_BMP), 0) << "after Close";
  EXPECT_EQ(Errors(), std::vector<uint32_t>{KORVEX_ERR_NOT_POSSIBLE});
  EXPECT_FALSE(std::filesystem::exists(name));
}

TEST_F(CameraSave, GrayFramesSaveAsRawAndBottomUpBmp) {
  const std::vector<uint8_t> image = Snap(8, 1);
  const std::string raw = folder_.File("gray.raw"), bmp = folder_.File("gray.bmp");
  ASSERT_EQ(Korvex_SaveImage(handle_, raw.c_str(), KORVEX_SAVE_RAW), 1);
  EXPECT_EQ(ReadWholeFile(raw), image);

  ASSERT_EQ(Korvex_SaveImage(handle_, bmp.c_str(), KORVEX_SAVE_BMP), 1);
  const std::vector<uint8_t> file = ReadWholeFile(bmp);
  ASSERT_EQ(file.size(), 4916278u);
  for (int r = 0; r < kHeight; r += 97) {
    ASSERT_EQ(std::memcmp(file.data() + 1078 + static_cast<size_t>(r) * kWidth,
                          image.data() + static_cast<size_t>(kHeight - 1 - r) * kWidth, kWidth),
              0)
        << r;
  }
  EXPECT_TRUE(Errors().empty());
}

TEST_F(CameraSave, DeepGrayRawIsTheLittleEndianWordsAsHeld) {
  const std::vector<uint8_t> image = Snap(16, 2);
  const std::string raw = folder_.File("deep.raw");
  ASSERT_EQ(Korvex_SaveImage(handle_, raw.c_str(), KORVEX_SAVE_RAW), 1);
  const std::vector<uint8_t> file = ReadWholeFile(raw);
  EXPECT_EQ(file.size(), 9830400u);
  EXPECT_EQ(file, image);
}

TEST_F(CameraSave, ColourFramesSaveAsTiffAndJpegThroughTheWideName) {
  const std::vector<uint8_t> image = Snap(24, 3);
  const std::string tiff = folder_.File("colour.tif");
  const std::string jpeg = folder_.File("colour.jpg");
  std::vector<KORVEX_WCHAR> wide(jpeg.begin(), jpeg.end());
  wide.push_back(0);

  ASSERT_EQ(Korvex_SaveImage(handle_, tiff.c_str(), KORVEX_SAVE_TIFF), 1);
  DecodedImage decoded;
  ASSERT_TRUE(DecodeTiff(tiff, &decoded));
  ASSERT_EQ(decoded.samples.size(), image.size());
  for (size_t i = 0; i < image.size(); i += 3) {
    ASSERT_TRUE(decoded.samples[i] == image[i + 2] && decoded.samples[i + 1] == image[i + 1] &&
                decoded.samples[i + 2] == image[i])
        << i;
  }

  ASSERT_EQ(Korvex_SaveImageW(handle_, wide.data(), KORVEX_SAVE_JPEG_MID), 1);
  DecodedImage picture;
  ASSERT_TRUE(DecodeJpeg(jpeg, &picture));
  ASSERT_EQ(picture.width, kWidth);
  ASSERT_EQ(picture.height, kHeight);
  EXPECT_TRUE(picture.progressive);
  long total = 0;
  for (size_t i = 0; i < image.size(); i += 3) {
    for (int c = 0; c < 3; ++c) total += std::abs(picture.samples[i + c] - image[i + 2 - c]);
  }
  EXPECT_LT(static_cast<double>(total) / image.size(), 8.0);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(CameraSave, BadFormatsAndNamesFailAsDocumented) {
  Snap(8, 1);
  // Unknown formats and unopenable names: 0, nothing raised.
  EXPECT_EQ(Korvex_SaveImage(handle_, folder_.File("x").c_str(), 7), 0);
  EXPECT_EQ(Korvex_SaveImage(handle_, folder_.File("x").c_str(), -1), 0);
  EXPECT_EQ(Korvex_SaveImage(handle_, folder_.File("none/x.bmp").c_str(), KORVEX_SAVE_BMP), 0);
  EXPECT_EQ(Korvex_SaveImage(handle_, nullptr, KORVEX_SAVE_RAW), 0);
  EXPECT_TRUE(Errors().empty());

  // A wide name longer than the system allows fails as an unopenable
  // narrow one does; no name is not possible.
  std::vector<KORVEX_WCHAR> longName(1100, 'a');
  longName.push_back(0);
  EXPECT_EQ(Korvex_SaveImageW(handle_, longName.data(), KORVEX_SAVE_RAW), 0);
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Korvex_SaveImageW(handle_, nullptr, KORVEX_SAVE_RAW), 0);
  EXPECT_EQ(Errors(), (std::vector<uint32_t>{KORVEX_ERR_NOT_POSSIBLE}));
}

}  // namespace
}  // namespace korvex::test
