// Recording on the simulated camera: the written files parse as complete
// AVI files whose frames are the camera's output image turned to 24 bits,
// however the recording ends; bad names and paths fail as documented.
#include "KorvexSdk_740K3_XLN.h"
#include "support/error_codes.h"
#include "api/sdk_chain.h"
#include "camera/korvex.h"
#include "image/avi/avi_reader.h"
#include "image/files/file_readers.h"
#include "korvex/host_sim.h"
#include "support/file_size_limit.h"
#include "support/registry_util.h"
#include "support/special_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace korvex::test {
namespace {

// A small picture keeps the recordings quick; 30 pixels of 3 bytes need
// row padding, which the files keep.
constexpr int kWidth = 30, kHeight = 24;

class Recording : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    handle_ = Korvex_Initialize(nullptr);
    ASSERT_NE(handle_, 0u);
    ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Korvex_SetCaptureWindowEx(handle_, 2560, 0, kWidth, 2560, 0, kHeight), 1);
    std::vector<uint8_t> raw(2560u * 2008u * 2);
    for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>((i * 7 + i / 2560) % 251);
    ASSERT_EQ(KorvexHost_SimSetRawFrame(0, raw.data(), raw.size()), 1);
    Errors();
  }
  void TearDown() override {
    if (handle_ != 0) {
      EXPECT_EQ(Korvex_Release(handle_), 1);
    }
    KorvexHost_SimSetRawFrame(0, nullptr, 0);
  }
  std::vector<uint32_t> Errors() { return korvex::test::DrainErrors(handle_); }
  static bool Parse(const std::string& path, AviContents* contents, std::string* error) {
    return ParseAvi(ReadWholeFile(path), contents, error);
  }
  // The parsed file, which must be complete and hold at least one frame of
  // the camera's picture size with an index entry per frame.
  AviContents Complete(const std::string& path) {
    AviContents c;
    std::string error;
    EXPECT_TRUE(Parse(path, &c, &error)) << error;
    EXPECT_TRUE(c.hasIndex);
    EXPECT_EQ(c.avih[4], c.frames.size());
    EXPECT_EQ(c.strh[6], c.frames.size());
    EXPECT_EQ(c.avih[8], static_cast<uint32_t>(kWidth));
    EXPECT_EQ(c.avih[9], static_cast<uint32_t>(kHeight));
    EXPECT_EQ(c.strf[3], 1u | 24u << 16);
    EXPECT_EQ(c.index.size(), c.frames.size());
    for (size_t i = 0; i < c.index.size() && i < c.frames.size(); ++i) {
      EXPECT_EQ(c.index[i].offset, c.frames[i].offset);
      EXPECT_EQ(c.index[i].size, c.frames[i].pixels.size());
    }
    return c;
  }
  // The output image as a bottom-up bitmap (rows bottom first, padded).
  std::vector<uint8_t> OutputBottomUp(int bytesPerPixel) {
    const int stride = (kWidth * bytesPerPixel + 3) & ~3;
    std::vector<uint8_t> image(static_cast<size_t>(stride) * kHeight);
    EXPECT_EQ(Korvex_GetImage(handle_, image.data(), static_cast<int>(image.size()), 0), 1);
    return image;
  }
  // Records in a colour mode until the recording ends by itself, stops the
  // preview, and checks every frame against the output image.
  void RecordMode(int mode, int bytesPerPixel, uint8_t (*reduce)(const uint8_t*)) {
    SCOPED_TRACE(mode);
    const std::string path = folder_.File("mode" + std::to_string(mode) + ".avi");
    ASSERT_EQ(Korvex_SetColorMode(handle_, mode), 1);
    ASSERT_EQ(Korvex_Record(handle_, path.c_str(), 100, 0), 1);
    AwaitFinished(path);
    ASSERT_EQ(Korvex_StopPreview(handle_), 1);
    const AviContents c = Complete(path);
    ASSERT_GE(c.frames.size(), 1u);
    const std::vector<uint8_t> output = OutputBottomUp(bytesPerPixel);
    const int outStride = (kWidth * bytesPerPixel + 3) & ~3, frameStride = (kWidth * 3 + 3) & ~3;
    std::vector<uint8_t> expected(static_cast<size_t>(frameStride) * kHeight, 0);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        for (int ch = 0; ch < 3; ++ch)
          expected[y * frameStride + 3 * x + ch] =
              reduce(&output[y * outStride + x * bytesPerPixel +
                             (bytesPerPixel >= 3 ? ch * bytesPerPixel / 3 : 0)]);
    for (const AviFrameChunk& frame : c.frames) EXPECT_EQ(frame.pixels, expected);
    EXPECT_TRUE(Errors().empty());
  }
  static uint32_t MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start)
                                     .count()) +
           1;
  }
  // The header's timing is that of frames x 100,000 / E hundredths of a
  // frame per second (at least 1) for some recorded time E between the
  // bounds, in milliseconds: 100,000,000 / rate microseconds per frame and
  // a stream scale of 1,000,000,000 / rate.
  static void ExpectTiming(const AviContents& c, uint32_t minMs, uint32_t maxMs) {
    const uint64_t frames = c.frames.size();
    bool found = false;
    for (uint64_t e = minMs; e <= maxMs && !found; ++e) {
      const uint64_t rate = std::max<uint64_t>(1, frames * 100000 / e);
      found = c.avih[0] == 100000000 / rate && c.strh[3] == 1000000000 / rate;
    }
    EXPECT_TRUE(found) << c.frames.size() << " frames, " << c.avih[0] << " us per frame, scale "
                       << c.strh[3] << ", recorded for " << minMs << " to " << maxMs << " ms";
  }
  // Waits until the recording thread has finished the file by itself.
  void AwaitFinished(const std::string& path) {
    AviContents c;
    std::string error;
    for (int i = 0; i < 1000 && !(Parse(path, &c, &error) && c.hasIndex && c.strh[3] != 0); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(c.hasIndex) << error;
  }

  // Waits until the running recording has written its first frame: the file
  // then holds more than the headers it had when the recording started.
  static void AwaitFirstFrame(const std::string& path) {
    const size_t headers = ReadWholeFile(path).size(),
                 frame = 8 + ((kWidth * 3 + 3) & ~3) * kHeight;
    for (int i = 0; i < 1000 && ReadWholeFile(path).size() < headers + frame; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  ScopedRegistryRoot registry_;
  TempFolder folder_;
  KORVEX_HANDLE handle_ = 0;
};

TEST_F(Recording, EndsByItselfWithEveryFrameTheOutputImageWhileThePreviewRuns) {
  const std::string path = folder_.File("by-time.avi");
  ASSERT_EQ(Korvex_SetColorMode(handle_, 24), 1);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(Korvex_Record(handle_, path.c_str(), 150, 0), 1);
  AwaitFinished(path);
  const std::vector<uint8_t> finished = ReadWholeFile(path);
  // The preview goes on after the recording; stopping it leaves the file.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_EQ(ReadWholeFile(path), finished);
  const AviContents c = Complete(path);
  // The first frame opens the recording time and the first frame after it
  // closes it, so there are at least two.
  EXPECT_GE(c.frames.size(), 2u);
  const std::vector<uint8_t> output = OutputBottomUp(3);
  ASSERT_NE(std::count(output.begin(), output.end(), output[0]), static_cast<long>(output.size()));
  for (const AviFrameChunk& frame : c.frames) EXPECT_EQ(frame.pixels, output);
  // The recording time runs from the first frame to the first frame after
  // 150 ms, and lies within the time the test waited.
  ExpectTiming(c, 151, MillisecondsSince(started));
  EXPECT_TRUE(Errors().empty());

  // A new recording may start once the last one is over.
  const std::string again = folder_.File("again.avi");
  const std::vector<KORVEX_WCHAR> wide(again.begin(), again.end() + 1);
  ASSERT_EQ(Korvex_RecordW(handle_, wide.data(), 0, 0), 1);
  AwaitFinished(again);
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_GE(Complete(again).frames.size(), 2u);
}

TEST_F(Recording, GrayAndDeepColourModesRecordAs24Bit) {
  RecordMode(8, 1, [](const uint8_t* p) { return p[0]; });
  RecordMode(48, 6, [](const uint8_t* p) {
    return static_cast<uint8_t>(((p[0] | p[1] << 8) >> 2) & 255);
  });
}

TEST_F(Recording, StoppingEarlyLeavesACompleteFile) {
  const std::string stopped = folder_.File("stopped.avi"), closed = folder_.File("closed.avi"),
                    released = folder_.File("released.avi"), at_once = folder_.File("at-once.avi");
  ASSERT_EQ(Korvex_Record(handle_, stopped.c_str(), 60000, 0), 1);
  // One recording at a time.
  EXPECT_EQ(Korvex_Record(handle_, at_once.c_str(), 100, 0), 0);
  EXPECT_EQ(Errors(), std::vector<uint32_t>{KORVEX_ERR_NOT_POSSIBLE});
  AwaitFirstFrame(stopped);
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_GE(Complete(stopped).frames.size(), 1u);

  ASSERT_EQ(Korvex_Record(handle_, at_once.c_str(), 60000, 0), 1);
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  Complete(at_once);  // perhaps without a frame, but complete

  ASSERT_EQ(Korvex_Record(handle_, closed.c_str(), 60000, 0), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(Korvex_Close(handle_), 1);
  Complete(closed);

  ASSERT_EQ(Korvex_Record(handle_, released.c_str(), 60000, 0), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(Korvex_Release(handle_), 1);
  handle_ = 0;
  Complete(released);
}

TEST_F(Recording, BadNamesAndPathsFailWithTheirCodes) {
  EXPECT_EQ(Korvex_Record(handle_, nullptr, 100, 0), 0);
  EXPECT_EQ(Korvex_Record(handle_, "", 100, 0), 0);
  const KORVEX_WCHAR empty[1] = {0};
  EXPECT_EQ(Korvex_RecordW(handle_, empty, 100, 0), 0);
  EXPECT_EQ(Korvex_RecordW(handle_, nullptr, 100, 0), 0);
  EXPECT_EQ(Errors(), std::vector<uint32_t>(4, KORVEX_ERR_ARGUMENT));

  const std::string unopenable = folder_.File("no/such/folder/x.avi");
  EXPECT_EQ(Korvex_Record(handle_, unopenable.c_str(), 100, 0), 0);
  EXPECT_EQ(Errors(), std::vector<uint32_t>{KORVEX_ERR_FILE});
  // The failed start closed the preview it had opened: a snapshot is possible.
  EXPECT_EQ(Korvex_SnapShot(handle_, nullptr, 0, 1), 1);
}

TEST_F(Recording, ANegativeDurationIsRefusedAsAnInvalidArgument) {
  const std::string path = folder_.File("negative.avi");
  EXPECT_EQ(Korvex_Record(handle_, path.c_str(), -1, 0), 0);
  EXPECT_EQ(Errors(), std::vector<uint32_t>{KORVEX_ERR_ARGUMENT});
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(Korvex_SnapShot(handle_, nullptr, 0, 1), 1) << "no preview was started";
}

TEST_F(Recording, APipeAsTheNameFailsAtOnceWithTheFileCode) {
  ScopedPipeName pipe(folder_.Path(), "pipe.avi");
  ASSERT_TRUE(pipe.Made());
  EXPECT_EQ(Korvex_Record(handle_, pipe.Name().c_str(), 100, 0), 0);
  EXPECT_EQ(Errors(), std::vector<uint32_t>{KORVEX_ERR_FILE});
}

TEST_F(Recording, AFullDiskEndsTheRecordingWithAConsistentFileAndTheFileCode) {
  const std::string path = folder_.File("full.avi");
  const uint32_t frameBytes = ((kWidth * 3 + 3) & ~3) * kHeight;
  std::vector<uint32_t> errors;
  {
    ScopedFileSizeLimit fullDisk(232 + (8 + frameBytes) + 100);  // one frame and the index
    ASSERT_EQ(Korvex_Record(handle_, path.c_str(), 60000, 0), 1);
    for (int i = 0; i < 1000 && errors.empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      errors = Errors();
    }
  }
  EXPECT_EQ(errors, std::vector<uint32_t>{KORVEX_ERR_FILE}) << "the application learns of it";
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  const AviContents c = Complete(path);
  EXPECT_EQ(c.frames.size(), 1u);
  EXPECT_EQ(c.riffSize + 8, ReadWholeFile(path).size()) << "no stray bytes";
}

}  // namespace
}  // namespace korvex::test

namespace korvex::test {
namespace {

TEST_F(Recording, ReachingTheFileSizeLimitEndsTheRecordingWithAFinishedFileAndTheFileCode) {
  // The 4 GiB of an AVI file, lowered to three frames of the small picture.
  const uint32_t frameBytes = ((kWidth * 3 + 3) & ~3) * kHeight;
  Chain().Lookup(handle_)->LimitRecordingFileSize(232 + 3 * (8 + frameBytes) + 8 + 3 * 16);
  const std::string path = folder_.File("limit.avi");
  ASSERT_EQ(Korvex_Record(handle_, path.c_str(), 60000, 0), 1);
  std::vector<uint32_t> errors;
  for (int i = 0; i < 1000 && errors.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    errors = Errors();
  }
  EXPECT_EQ(errors, std::vector<uint32_t>{KORVEX_ERR_FILE}) << "the application learns of it";
  AwaitFinished(path);
  const AviContents c = Complete(path);
  EXPECT_EQ(c.frames.size(), 3u);
  EXPECT_EQ(c.riffSize + 8, ReadWholeFile(path).size());
  // The recording is over while the preview goes on: a new one may start.
  const std::string next = folder_.File("next.avi");
  EXPECT_EQ(Korvex_Record(handle_, next.c_str(), 0, 0), 1);
  AwaitFinished(next);
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
}

TEST_F(Recording, DurationZeroRecordsExactlyTwoFrames) {
  // The first frame opens the recording time with no length; the next
  // frame, at a later tick, is past it and ends the recording.
  const std::string path = folder_.File("zero.avi");
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(Korvex_Record(handle_, path.c_str(), 0, 0), 1);
  AwaitFinished(path);
  const uint32_t waited = MillisecondsSince(started);
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  const AviContents c = Complete(path);
  EXPECT_EQ(c.frames.size(), 2u);
  EXPECT_EQ(c.avih[4], 2u);
  ExpectTiming(c, 1, waited);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Recording, WideNamesThatCannotBeFileNamesFailWithTheFileCode) {
  std::vector<uint32_t> expected;
#ifndef _WIN32
  // A lone surrogate: no character set holds it, so no Linux file name
  // (Windows takes any UTF-16 as a name).
  const std::string path = folder_.File("x.avi");
  std::vector<KORVEX_WCHAR> lone(path.begin(), path.end());
  lone.push_back(0xD800);
  lone.push_back(0);
  EXPECT_EQ(Korvex_RecordW(handle_, lone.data(), 100, 0), 0);
  expected.push_back(KORVEX_ERR_FILE);
#endif
  std::vector<KORVEX_WCHAR> tooLong(1100, 'a');  // longer than any system's name
  tooLong.push_back(0);
  EXPECT_EQ(Korvex_RecordW(handle_, tooLong.data(), 100, 0), 0);
  expected.push_back(KORVEX_ERR_FILE);
  EXPECT_EQ(Errors(), expected);
  // Nothing was started.
  EXPECT_EQ(Korvex_Capture(handle_), 1) << "the camera is idle";
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_TRUE(Errors().empty());
}

}  // namespace
}  // namespace korvex::test
