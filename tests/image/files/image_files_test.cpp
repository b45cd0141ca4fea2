// The image writers: every format read back from disk and compared with the
// image it came from, for every output depth, on a size whose rows carry
// padding.
#include "image/dib_image.h"
#include "image/files/file_readers.h"
#include "log/log.h"
#include "image/files/image_files.h"
#include "support/file_size_limit.h"
#include "support/special_names.h"
#include "KorvexSdk_740K3_XLN.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace korvex::test {
namespace {

using image::SaveImageFile;

constexpr int kW = 37, kH = 21;  // no depth fills a row exactly
constexpr int kDepths[] = {8, 16, 24, 32, 48, 64};

int Channels(int bits) { return bits == 8 || bits == 16 ? 1 : (bits == 32 || bits == 64 ? 4 : 3); }
bool Deep(int bits) { return bits == 16 || bits == 48 || bits == 64; }

// A smooth 10-bit value per pixel and channel (stored order: blue, green,
// red, fourth), below 1024 everywhere; 8-bit images hold its upper 8 bits.
int Smooth10(int x, int y, int c) { return x * 12 + y * 15 + c * 90; }

uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint16_t BigWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// Fills an image with the pattern; the first pixel carries the largest
// sample (1023 or 255) so full-range scaling shows, and the fourth channel
// of 32/64-bit pixels is given values too.
void Fill(CDibImage& image) {
  const int bits = image.BitsPerPixel(), channels = Channels(bits);
  for (int y = 0; y < image.Height(); ++y) {
    uint8_t* row = image.Row(y);
    for (int x = 0; x < image.Width(); ++x) {
      for (int c = 0; c < channels; ++c) {
        const int v = (x == 0 && y == 0 && c == 0) ? 1023 : Smooth10(x, y, c);
        if (Deep(bits)) {
          uint8_t* p = row + (x * channels + c) * 2;
          p[0] = static_cast<uint8_t>(v);
          p[1] = static_cast<uint8_t>(v >> 8);
        } else {
          row[x * channels + c] = static_cast<uint8_t>(v >> 2);
        }
      }
    }
  }
}

// The sample of stored channel c at (x, y) as the image holds it.
int Sample(const CDibImage& image, int x, int y, int c) {
  const int bits = image.BitsPerPixel(), channels = Channels(bits);
  const uint8_t* row = image.Row(y);
  return Deep(bits) ? Word(row + (x * channels + c) * 2) : row[x * channels + c];
}

// Compares every sample of a top-down file (channels red first) with the
// image; want(stored sample, stored channel) gives the file's value.
template <typename Want>
void ExpectSamples(const DecodedImage& file, const CDibImage& image, bool bigEndian, Want want) {
  const int channels = Channels(image.BitsPerPixel()), bytes = file.bitDepth / 8;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      for (int c = 0; c < channels; ++c) {
        const int stored = channels >= 3 && c < 3 ? 2 - c : c;
        const uint8_t* at = file.samples.data() + y * file.RowBytes() + (x * channels + c) * bytes;
        const int got = bytes == 1 ? *at : (bigEndian ? BigWord(at) : Word(at));
        ASSERT_EQ(got, want(Sample(image, x, y, stored), stored)) << x << "," << y << " ch " << c;
      }
    }
  }
}

class ImageFiles : public ::testing::Test {
 protected:
  CDibImage& Make(int bits, int width = kW, int height = kH) {
    image_.Release();
    EXPECT_EQ(image_.Create(width, height, bits), 1);
    Fill(image_);
    return image_;
  }
  TempFolder folder_;
  CDibImage image_;
};

TEST_F(ImageFiles, BmpHoldsHeaderColourTableAndReversedRows) {
  for (int bits : kDepths) {
    SCOPED_TRACE(bits);
    CDibImage& image = Make(bits);
    const std::string name = folder_.File("picture.bmp");
    ASSERT_EQ(SaveImageFile(name.c_str(), image, image::kSaveBmp, 10), 1);
    const std::vector<uint8_t> file = ReadWholeFile(name);
    const uint32_t offset = bits <= 8 ? 1078 : 54;
    const size_t pixels = static_cast<size_t>(kH) * image.Stride();
    ASSERT_EQ(file.size(), offset + pixels);
    auto le32 = [&](size_t at) {
      return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | uint32_t{file[at + 3]} << 24;
    };
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(le32(2), file.size());
    EXPECT_EQ(le32(6), 0u);
    EXPECT_EQ(le32(10), offset);
    EXPECT_EQ(le32(14), 40u);
    EXPECT_EQ(le32(18), static_cast<uint32_t>(kW));
    EXPECT_EQ(le32(22), static_cast<uint32_t>(kH));  // positive: bottom-up
    EXPECT_EQ(file[26] | file[27] << 8, 1);
    EXPECT_EQ(file[28] | file[29] << 8, bits);
    for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(le32(at), 0u) << at;
    if (bits == 8) {
      for (int i : {0, 200, 255}) {
        EXPECT_EQ(file[54 + 4 * i + 0], i);
        EXPECT_EQ(file[54 + 4 * i + 1], i);
        EXPECT_EQ(file[54 + 4 * i + 2], i);
        EXPECT_EQ(file[54 + 4 * i + 3], 0);
      }
    }
    // The file's first row is the picture's bottom row; deep samples as held.
    for (int r = 0; r < kH; ++r) {
      ASSERT_EQ(std::memcmp(file.data() + offset + static_cast<size_t>(r) * image.Stride(),
                            image.Row(kH - 1 - r), static_cast<size_t>(image.Stride())),
                0)
          << "file row " << r;
    }
  }
}

TEST_F(ImageFiles, RawIsThePixelBlockAsHeld) {
  for (int bits : kDepths) {
    SCOPED_TRACE(bits);
    CDibImage& image = Make(bits);
    const std::string name = folder_.File("picture.raw");
    ASSERT_EQ(SaveImageFile(name.c_str(), image, image::kSaveRaw, 10), 1);
    const std::vector<uint8_t> file = ReadWholeFile(name);
    ASSERT_EQ(file.size(), image.ImageSize());
    EXPECT_EQ(std::memcmp(file.data(), image.Bits(), file.size()), 0);
  }
}

TEST_F(ImageFiles, PngSamplesTopRowFirstRgbOrderFullRangeBigEndian) {
  struct Expect {
    int depth, type;
  };
  const Expect expect[] = {{8, PNG_COLOR_TYPE_GRAY}, {16, PNG_COLOR_TYPE_GRAY},
                           {8, PNG_COLOR_TYPE_RGB},  {8, PNG_COLOR_TYPE_RGB_ALPHA},
                           {16, PNG_COLOR_TYPE_RGB}, {16, PNG_COLOR_TYPE_RGB_ALPHA}};
  for (int i = 0; i < 6; ++i) {
    const int bits = kDepths[i];
    SCOPED_TRACE(bits);
    CDibImage& image = Make(bits);
    const std::string name = folder_.File("picture.png");
    ASSERT_EQ(SaveImageFile(name.c_str(), image, image::kSavePng, 10), 1);
    DecodedImage png;
    ASSERT_TRUE(DecodePng(name, &png));
    ASSERT_EQ(png.width, kW);
    ASSERT_EQ(png.height, kH);
    ASSERT_EQ(png.bitDepth, expect[i].depth);
    ASSERT_EQ(png.colorType, expect[i].type);
    ASSERT_EQ(png.channels, Channels(bits));
    ExpectSamples(png, image, true, [bits](int v, int channel) {
      if (Deep(bits)) return channel == 3 ? 0xFFFF : v << 6;
      return bits == 32 && channel == 3 ? 255 - v : v;  // alpha: opaque for a 0 byte
    });
    if (bits == 16) {
      EXPECT_EQ(BigWord(png.samples.data()), 65472);  // 1023 widened
    }
  }
}

TEST_F(ImageFiles, TiffTagsAndUnpaddedStripInRgbOrder) {
  struct Expect {
    int bps, photometric, spp;
  };
  const Expect expect[] = {{8, 1, 1}, {16, 1, 1}, {8, 2, 3}, {8, 2, 4}, {16, 2, 3}, {16, 2, 4}};
  for (int i = 0; i < 6; ++i) {
    const int bits = kDepths[i];
    SCOPED_TRACE(bits);
    CDibImage& image = Make(bits);
    const std::string name = folder_.File("picture.tif");
    ASSERT_EQ(SaveImageFile(name.c_str(), image, image::kSaveTiff, 10), 1);
    const std::vector<uint8_t> file = ReadWholeFile(name);
    ASSERT_GE(file.size(), 8u);
    EXPECT_EQ(file[0], 'I');
    EXPECT_EQ(file[2], 42);  // classic TIFF, not BigTIFF
    DecodedImage tiff;
    ASSERT_TRUE(DecodeTiff(name, &tiff));
    EXPECT_EQ(tiff.width, kW);
    EXPECT_EQ(tiff.height, kH);
    ASSERT_EQ(tiff.bitDepth, expect[i].bps);
    EXPECT_EQ(tiff.colorType, expect[i].photometric);
    ASSERT_EQ(tiff.channels, expect[i].spp);
    EXPECT_EQ(tiff.compression, COMPRESSION_NONE);
    EXPECT_EQ(tiff.planar, PLANARCONFIG_CONTIG);
    EXPECT_FALSE(tiff.extraSamplesTag);
    ExpectSamples(tiff, image, false, [bits](int v, int channel) {
      if (Deep(bits)) return channel == 3 ? 0xFFFF : v << 6;
      return bits == 32 && channel == 3 ? 0 : v;  // the fourth byte is not carried
    });
  }
}

TEST_F(ImageFiles, JpegProgressiveUpperEightBitsAndQualityOrder) {
  for (int bits : kDepths) {
    SCOPED_TRACE(bits);
    CDibImage& image = Make(bits);
    size_t sizes[3] = {};
    const int formats[3] = {image::kSaveJpegHigh, image::kSaveJpegMid, image::kSaveJpegLow};
    for (int q = 0; q < 3; ++q) {
      const std::string name = folder_.File("picture" + std::to_string(q) + ".jpg");
      ASSERT_EQ(SaveImageFile(name.c_str(), image, formats[q], 10), 1);
      sizes[q] = ReadWholeFile(name).size();
      DecodedImage jpeg;
      ASSERT_TRUE(DecodeJpeg(name, &jpeg));
      EXPECT_TRUE(jpeg.progressive);
      ASSERT_EQ(jpeg.width, kW);
      ASSERT_EQ(jpeg.height, kH);
      const int channels = bits <= 16 ? 1 : 3;
      ASSERT_EQ(jpeg.channels, channels);
      EXPECT_EQ(jpeg.colorType, channels == 1 ? JCS_GRAYSCALE : JCS_YCbCr);
      if (q != 0) continue;
      // Quality 100: close to the picture, top row first, red first.
      long total = 0;
      for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
          for (int c = 0; c < channels; ++c) {
            const int stored = channels == 3 ? 2 - c : 0;
            int want = Sample(image, x, y, stored);
            if (Deep(bits)) want >>= 2;
            total += std::abs(jpeg.samples[y * jpeg.RowBytes() + x * channels + c] - want);
          }
        }
      }
      EXPECT_LT(static_cast<double>(total) / (kW * kH * channels), 2.0);
    }
    EXPECT_GT(sizes[0], sizes[1]);
    EXPECT_GT(sizes[1], sizes[2]);
  }
}

TEST_F(ImageFiles, TwelveSignificantBitsWidenByFourOthersAreRefused) {
  CDibImage& image = Make(16);
  const std::string name = folder_.File("deep.png");
  ASSERT_EQ(SaveImageFile(name.c_str(), image, image::kSavePng, 12), 1);
  DecodedImage png;
  ASSERT_TRUE(DecodePng(name, &png));
  EXPECT_EQ(BigWord(png.samples.data()), 1023 << 4);

  const std::string jpeg = folder_.File("deep.jpg");
  ASSERT_EQ(SaveImageFile(jpeg.c_str(), image, image::kSaveJpegHigh, 12), 1);
  DecodedImage decoded;
  ASSERT_TRUE(DecodeJpeg(jpeg, &decoded));
  EXPECT_NEAR(decoded.samples[kW / 2], Sample(image, kW / 2, 0, 0) >> 4, 3);

  // Samples of unknown depth would come out all zero: nothing is written.
  for (int format : {image::kSavePng, image::kSaveTiff, image::kSaveJpegHigh}) {
    const std::string odd = folder_.File("odd" + std::to_string(format));
    EXPECT_EQ(SaveImageFile(odd.c_str(), image, format, 11), 0) << format;
    EXPECT_FALSE(std::filesystem::exists(odd)) << format;
  }
  // Depths that need no widening do not care.
  CDibImage& gray = Make(8);
  EXPECT_EQ(SaveImageFile(folder_.File("gray.png").c_str(), gray, image::kSavePng, 11), 1);
}

TEST_F(ImageFiles, UnknownFormatsMissingImagesAndUnopenableNamesGiveZero) {
  CDibImage& image = Make(24);
  for (int format : {7, -1, 100}) {
    const std::string name = folder_.File("unknown" + std::to_string(format));
    EXPECT_EQ(SaveImageFile(name.c_str(), image, format, 10), 0);
    EXPECT_FALSE(std::filesystem::exists(name));
  }
  const std::string nowhere = folder_.File("no-such-folder/picture");
  CDibImage empty;
  for (int format = 0; format <= 6; ++format) {
    EXPECT_EQ(SaveImageFile(nowhere.c_str(), image, format, 10), 0) << format;
    EXPECT_EQ(SaveImageFile(folder_.File("empty").c_str(), empty, format, 10), 0) << format;
    EXPECT_EQ(SaveImageFile(nullptr, image, format, 10), 0) << format;
  }
}

TEST_F(ImageFiles, AFailedSaveLeavesTheOldFileAsItWas) {
  CDibImage& image = Make(24, 640, 480);  // more than the stdio buffer and the limit
  for (int format = 0; format <= 6; ++format) {
    SCOPED_TRACE(format);
    const std::string name = folder_.File("kept" + std::to_string(format));
    {
      std::FILE* old = std::fopen(name.c_str(), "wb");
      ASSERT_NE(old, nullptr);
      std::fputs("the old picture", old);
      std::fclose(old);
    }
    {
      ScopedFileSizeLimit fullDisk(256);
      EXPECT_EQ(SaveImageFile(name.c_str(), image, format, 10), 0);
    }
    const std::vector<uint8_t> kept = ReadWholeFile(name);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "the old picture");
    // Nothing else is left behind in the folder.
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(name).parent_path()))
      ++files;
    EXPECT_EQ(files, static_cast<size_t>(format) + 1);
  }
  // With room again the same save replaces the old file whole.
  const std::string name = folder_.File("kept1");
  ASSERT_EQ(SaveImageFile(name.c_str(), image, KORVEX_SAVE_RAW, 10), 1);
  EXPECT_EQ(ReadWholeFile(name).size(), image.ImageSize());
}

TEST_F(ImageFiles, NamesThatAreNotRegularFilesAreRefusedWithoutBlocking) {
  CDibImage& image = Make(24);
  ScopedPipeName pipe(folder_.Path(), "pipe");
  ASSERT_TRUE(pipe.Made());
  const std::string folder = folder_.File("folder");
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  for (int format = 0; format <= 6; ++format) {
    EXPECT_EQ(SaveImageFile(pipe.Name().c_str(), image, format, 10), 0) << format;
    EXPECT_EQ(SaveImageFile(folder.c_str(), image, format, 10), 0) << format;
    EXPECT_EQ(SaveImageFile(DeviceName(), image, format, 10), 0) << format;
    if (std::filesystem::exists("/dev/full")) {
      EXPECT_EQ(SaveImageFile("/dev/full", image, format, 10), 0) << format;
    }
  }
  EXPECT_TRUE(pipe.Untouched()) << "the pipe is not replaced or opened";
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(ImageFiles, WriterRefusesDepthsItCannotDescribe) {
  const uint8_t pixels[16] = {};
  const platform::FileHandle handle =
      platform::OpenRegularFileForWriting(folder_.File("bad").c_str());
  ASSERT_NE(handle, platform::kNoFile);
  image::OutputFile file(handle);
  // libpng's complaint reaches the diagnostic log, not the application's stderr.
  log::Settings logged;
  logged.destination = folder_.File("korvex.log");
  log::Configure(logged);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(image::WritePngFile(file, pixels, 2, 2, 40), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  log::Configure({});
  const std::vector<uint8_t> text = ReadWholeFile(logged.destination);
  EXPECT_NE(std::string(text.begin(), text.end()).find("error files: libpng: "), std::string::npos);
  CDibImage gray;
  ASSERT_EQ(gray.Create(4, 4, 16), 1);
  EXPECT_EQ(image::WriteJpegFile(file, gray, 100, 1), 0);
  EXPECT_TRUE(platform::CloseFile(handle));
}

}  // namespace
}  // namespace korvex::test
