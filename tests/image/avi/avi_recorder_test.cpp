// The AVI recorder on its own: the file layout it writes and patches, row
// padding, files without frames, and the conversion of every output depth
// into 24-bit frames with the bottom row first.
#include "image/avi/avi_frame.h"
#include "image/avi/avi_reader.h"
#include "image/avi/avi_recorder.h"
#include "image/dib_image.h"
#include "image/files/file_readers.h"
#include "support/file_size_limit.h"
#include "support/special_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

namespace korvex::test {
namespace {

using image::avi::CAviRecorder;

std::vector<uint8_t> Frame(uint32_t bytes, uint8_t seed) {
  std::vector<uint8_t> frame(bytes);
  for (uint32_t i = 0; i < bytes; ++i) frame[i] = static_cast<uint8_t>(seed + i * 13);
  return frame;
}

AviContents ParseFile(const std::string& path) {
  AviContents contents;
  std::string error;
  EXPECT_TRUE(ParseAvi(ReadWholeFile(path), &contents, &error)) << error;
  return contents;
}

TEST(AviRecorder, WritesTheHeadersFramesAndIndexAndPatchesTheCounts) {
  TempFolder folder;
  const std::string path = folder.File("three.avi");
  CAviRecorder recorder;
  recorder.SetFrameFormat(8, 2, 32);
  ASSERT_EQ(recorder.BeginAviFile(path.c_str()), 1);
  const uint32_t b = 3 * 8 * 2;  // rows of 24 bytes need no padding
  ASSERT_EQ(recorder.FrameBytes(), b);
  std::vector<std::vector<uint8_t>> frames;
  for (uint8_t i = 0; i < 3; ++i) {
    frames.push_back(Frame(b, i));
    ASSERT_TRUE(recorder.AppendAviFrame(frames.back().data()));
  }
  recorder.FinishAviFile(2500);  // 25 frames per second
  EXPECT_FALSE(recorder.IsOpen());

  const std::vector<uint8_t> file = ReadWholeFile(path);
  ASSERT_EQ(file.size(), 232u + 3 * (8 + b) + 8 + 3 * 16);
  const AviContents c = ParseFile(path);
  EXPECT_EQ(c.riffSize, file.size() - 8);
  EXPECT_EQ(c.headerListSize, 200u);
  EXPECT_EQ(c.streamListSize, 124u);
  EXPECT_EQ(c.movieSize, 4u + 3 * (8 + b));
  const uint32_t s = b + 8;
  const uint32_t avih[14] = {40000, s * 30, 0, 0x10010, 3, 0, 1, s, 8, 2, 0, 0, 0, 0};
  for (int i = 0; i < 14; ++i) EXPECT_EQ(c.avih[i], avih[i]) << "avih field " << i;
  EXPECT_EQ(c.streamType, "vids");
  EXPECT_EQ(c.streamHandler, "DIB ");
  // flags, priority|language, initial frames, scale, rate, start, length,
  // buffer, quality, sample size, rectangle
  const uint32_t strh[14] = {0, 0, 0, 400000, 10000000, 0, 3, s, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 14; ++i) EXPECT_EQ(c.strh[i], strh[i]) << "strh field " << i;
  const uint32_t strf[10] = {40, 8, 2, 1 | 24 << 16, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(c.strf[i], strf[i]) << "strf field " << i;

  ASSERT_EQ(c.frames.size(), 3u);
  ASSERT_TRUE(c.hasIndex);
  ASSERT_EQ(c.index.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(c.frames[i].pixels, frames[i]);
    EXPECT_EQ(c.index[i].id, "00db");
    EXPECT_EQ(c.index[i].flags, 0x10u);
    EXPECT_EQ(c.index[i].offset, c.frames[i].offset);
    EXPECT_EQ(c.index[i].size, b);
  }
  EXPECT_EQ(c.index[0].offset, 4u);
}

TEST(AviRecorder, TimingComesFromTheFrameCountAndTheRecordedTime) {
  using image::avi::MeasuredRate;
  // Frames x 100,000 / milliseconds, in hundredths of a frame per second.
  EXPECT_EQ(MeasuredRate(300, 10000), 3000u);
  EXPECT_EQ(MeasuredRate(7, 1000), 700u);
  EXPECT_EQ(MeasuredRate(2, 3), 66666u);
  EXPECT_EQ(MeasuredRate(1, 100001), 1u) << "below one frame per 100 s counts as 1";

  // 300 frames in 10 s: 30 frames per second, 33,333 microseconds per
  // frame and a stream scale of 333,333 for the rate of 10,000,000.
  TempFolder folder;
  const std::string path = folder.File("thirty.avi");
  CAviRecorder recorder;
  recorder.SetFrameFormat(4, 2, 24);
  ASSERT_EQ(recorder.BeginAviFile(path.c_str()), 1);
  const std::vector<uint8_t> frame = Frame(24, 9);
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(recorder.AppendAviFrame(frame.data()));
  recorder.FinishAviFile(MeasuredRate(300, 10000));
  AviContents c = ParseFile(path);
  EXPECT_EQ(c.avih[0], 33333u);
  EXPECT_EQ(c.strh[3], 333333u);
  EXPECT_EQ(c.strh[4], 10000000u);
  EXPECT_EQ(c.avih[4], 300u);
  EXPECT_EQ(c.strh[6], 300u);
  EXPECT_EQ(c.frames.size(), 300u);

  // A rate of 0 is taken as 1 hundredth: the divisions stay defined.
  ASSERT_EQ(recorder.BeginAviFile(path.c_str()), 1);
  ASSERT_TRUE(recorder.AppendAviFrame(frame.data()));
  recorder.FinishAviFile(0);
  c = ParseFile(path);
  EXPECT_EQ(c.avih[0], 100000000u);
  EXPECT_EQ(c.strh[3], 1000000000u);
}

TEST(AviRecorder, RowsKeepTheirFourBytePadding) {
  TempFolder folder;
  const std::string path = folder.File("odd.avi");
  CAviRecorder recorder;
  recorder.SetFrameFormat(5, 3, 24);  // 15-byte rows padded to 16
  ASSERT_EQ(recorder.BeginAviFile(path.c_str()), 1);
  ASSERT_EQ(recorder.FrameBytes(), 48u);
  const std::vector<uint8_t> frame = Frame(48, 7);
  ASSERT_TRUE(recorder.AppendAviFrame(frame.data()));
  recorder.FinishAviFile(3000);
  const AviContents c = ParseFile(path);
  ASSERT_EQ(c.frames.size(), 1u);
  EXPECT_EQ(c.frames[0].pixels, frame);
  EXPECT_EQ(c.avih[7], 56u);  // suggested buffer: one chunk with its header
  EXPECT_EQ(c.avih[0], 33333u);
  EXPECT_EQ(c.strh[3], 333333u);
}

TEST(AviRecorder, AFileWithoutFramesIsStillComplete) {
  TempFolder folder;
  const std::string path = folder.File("empty.avi");
  CAviRecorder recorder;
  recorder.SetFrameFormat(4, 4, 8);
  ASSERT_EQ(recorder.BeginAviFile(path.c_str()), 1);
  recorder.FinishAviFile(0);  // a rate of 0 counts as 1
  const AviContents c = ParseFile(path);
  EXPECT_TRUE(c.frames.empty());
  EXPECT_TRUE(c.hasIndex);
  EXPECT_TRUE(c.index.empty());
  EXPECT_EQ(c.avih[4], 0u);
  EXPECT_EQ(c.avih[0], 100000000u);
  EXPECT_EQ(c.strh[3], 1000000000u);
}

TEST(AviRecorder, RefusesUnopenablePathsAndUnusableSizes) {
  TempFolder folder;
  CAviRecorder recorder;
  recorder.SetFrameFormat(4, 4, 24);
  EXPECT_EQ(recorder.BeginAviFile(folder.File("missing/dir/x.avi").c_str()), 0);
  EXPECT_EQ(recorder.BeginAviFile(nullptr), 0);
  EXPECT_FALSE(recorder.IsOpen());
  const uint8_t pixels[48] = {};
  EXPECT_FALSE(recorder.AppendAviFrame(pixels));
  // A frame the 32-bit sizes cannot hold.
  recorder.SetFrameFormat(40000, 40000, 24);
  EXPECT_EQ(recorder.BeginAviFile(folder.File("huge.avi").c_str()), 0);
}

TEST(AviRecorder, RefusesNamesThatAreNotRegularFilesWithoutBlocking) {
  TempFolder folder;
  CAviRecorder recorder;
  recorder.SetFrameFormat(4, 4, 24);
  ScopedPipeName pipe(folder.Path(), "pipe.avi");
  ASSERT_TRUE(pipe.Made());
  EXPECT_EQ(recorder.BeginAviFile(pipe.Name().c_str()), 0);
  EXPECT_EQ(recorder.BeginAviFile(DeviceName()), 0);
  EXPECT_TRUE(pipe.Untouched());
  const std::string directory = folder.File("folder.avi");
  ASSERT_TRUE(std::filesystem::create_directory(directory));
  EXPECT_EQ(recorder.BeginAviFile(directory.c_str()), 0);
  EXPECT_FALSE(recorder.IsOpen());
}

// A full disk in the middle of a recording: the failed frame is taken back
// whole and the finished file describes exactly the frames it holds.
TEST(AviRecorder, AFullDiskLeavesAFileOfTheFramesThatWereWritten) {
  TempFolder folder;
  constexpr uint32_t kBytes = 64 * 64 * 3;
  const std::vector<uint8_t> pixels = Frame(kBytes, 9);
  {
    const std::string path = folder.File("two.avi");
    CAviRecorder recorder;
    recorder.SetFrameFormat(64, 64, 24);
    ScopedFileSizeLimit fullDisk(232 + 2 * (8 + kBytes) + 200);  // room for the index only
    ASSERT_EQ(recorder.BeginAviFile(path.c_str()), 1);
    EXPECT_TRUE(recorder.AppendAviFrame(pixels.data()));
    EXPECT_TRUE(recorder.AppendAviFrame(pixels.data()));
    EXPECT_FALSE(recorder.WriteFailed());
    EXPECT_FALSE(recorder.AppendAviFrame(pixels.data()));
    EXPECT_TRUE(recorder.WriteFailed());
    EXPECT_TRUE(recorder.FinishAviFile(3000));
    const AviContents c = ParseFile(path);
    EXPECT_EQ(c.frames.size(), 2u);
    EXPECT_EQ(c.avih[4], 2u);
    EXPECT_EQ(c.index.size(), 2u);
    EXPECT_EQ(c.riffSize + 8, ReadWholeFile(path).size()) << "no stray bytes after the index";
  }
  {
    const std::string path = folder.File("no-index.avi");
    CAviRecorder recorder;
    recorder.SetFrameFormat(64, 64, 24);
    ScopedFileSizeLimit fullDisk(232 + (8 + kBytes) + 10);  // not even the index fits
    ASSERT_EQ(recorder.BeginAviFile(path.c_str()), 1);
    EXPECT_TRUE(recorder.AppendAviFrame(pixels.data()));
    EXPECT_FALSE(recorder.AppendAviFrame(pixels.data()));
    EXPECT_FALSE(recorder.FinishAviFile(3000)) << "the index could not be written";
    EXPECT_FALSE(recorder.IsOpen());
    const AviContents c = ParseFile(path);
    EXPECT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.avih[4], 1u);
    EXPECT_FALSE(c.hasIndex);
    EXPECT_EQ(c.riffSize + 8, ReadWholeFile(path).size());
  }
}

TEST(AviRecorder, TheSizeLimitEndsTheFileAtTheLastFrameThatFitsWithItsIndex) {
  TempFolder folder;
  constexpr uint32_t kBytes = 16 * 4 * 3;
  const std::vector<uint8_t> pixels = Frame(kBytes, 5);
  // Headers, two frame chunks, the index chunk's header and two entries.
  constexpr uint64_t kTwoFrames = 232 + 2 * (8 + kBytes) + 8 + 2 * 16;
  for (const uint64_t limit : {kTwoFrames, kTwoFrames - 1}) {
    SCOPED_TRACE(limit);
    const uint32_t fit = limit == kTwoFrames ? 2 : 1;
    const std::string path = folder.File("limit.avi");
    CAviRecorder recorder;
    recorder.SetFrameFormat(16, 4, 24);
    recorder.LimitFileSize(limit);
    ASSERT_EQ(recorder.BeginAviFile(path.c_str()), 1);
    for (uint32_t i = 0; i < fit; ++i) EXPECT_TRUE(recorder.AppendAviFrame(pixels.data()));
    EXPECT_FALSE(recorder.LimitReached());
    EXPECT_FALSE(recorder.AppendAviFrame(pixels.data()));
    EXPECT_TRUE(recorder.LimitReached());
    EXPECT_FALSE(recorder.WriteFailed());
    EXPECT_TRUE(recorder.FinishAviFile(3000));
    const AviContents c = ParseFile(path);
    EXPECT_EQ(c.frames.size(), fit);
    EXPECT_EQ(c.avih[4], fit);
    EXPECT_EQ(c.index.size(), fit);
    const uint64_t size = ReadWholeFile(path).size();
    EXPECT_EQ(c.riffSize + 8, size);
    EXPECT_LE(size, limit);
    // The next file starts afresh under the same limit.
    ASSERT_EQ(recorder.BeginAviFile(path.c_str()), 1);
    EXPECT_FALSE(recorder.LimitReached());
    EXPECT_TRUE(recorder.FinishAviFile(3000));
  }
}

// Converts a 2 x 3 image of the given depth whose bytes are `fill(i)`.
class AviFrameConversion : public ::testing::Test {
 protected:
  static constexpr int kW = 2, kH = 3;
  void Fill(CDibImage& image, int bits) {
    ASSERT_EQ(image.Create(kW, kH, bits), 1);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW * bits / 8; ++x)
        image.Row(y)[x] = static_cast<uint8_t>(17 * y + 5 * x + 3);
  }
  // The expected frame: rows bottom first, each pixel from `pixel`.
  template <typename F>
  void Expect(const CDibImage& frame, F pixel) {
    ASSERT_EQ(frame.BitsPerPixel(), 24);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        uint8_t bgr[3];
        pixel(kH - 1 - y, x, bgr);
        EXPECT_EQ(std::memcmp(frame.Row(y) + 3 * x, bgr, 3), 0) << "row " << y << " column " << x;
      }
  }
  image::avi::AviFrameImages work_;
  CDibImage source_;
};

TEST_F(AviFrameConversion, EveryDepthBecomesBottomUp24Bit) {
  ASSERT_TRUE(work_.Create(kW, kH));
  for (int bits : {24, 32}) {
    Fill(source_, bits);
    const CDibImage* frame = work_.Convert(source_);
    ASSERT_NE(frame, nullptr) << bits;
    Expect(*frame,
           [&](int y, int x, uint8_t* o) { std::memcpy(o, source_.Row(y) + x * bits / 8, 3); });
  }
  for (int bits : {48, 64}) {
    Fill(source_, bits);
    const CDibImage* frame = work_.Convert(source_);
    ASSERT_NE(frame, nullptr) << bits;
    Expect(*frame, [&](int y, int x, uint8_t* o) {
      const uint8_t* p = source_.Row(y) + x * bits / 8;
      for (int c = 0; c < 3; ++c)
        o[c] = static_cast<uint8_t>(((p[2 * c] | p[2 * c + 1] << 8) >> 2) & 255);
    });
  }
  Fill(source_, 16);
  const CDibImage* frame = work_.Convert(source_);
  ASSERT_NE(frame, nullptr);
  Expect(*frame, [&](int y, int x, uint8_t* o) {
    const uint8_t* p = source_.Row(y) + 2 * x;
    o[0] = o[1] = o[2] = static_cast<uint8_t>(((p[0] | p[1] << 8) >> 2) & 255);
  });
  Fill(source_, 8);  // with the gray ramp
  frame = work_.Convert(source_);
  ASSERT_NE(frame, nullptr);
  Expect(*frame, [&](int y, int x, uint8_t* o) { o[0] = o[1] = o[2] = source_.Row(y)[x]; });
}

TEST_F(AviFrameConversion, ImagesOfAnotherSizeAreLeftOut) {
  ASSERT_TRUE(work_.Create(kW + 1, kH));
  Fill(source_, 24);
  EXPECT_EQ(work_.Convert(source_), nullptr);
}

}  // namespace
}  // namespace korvex::test
