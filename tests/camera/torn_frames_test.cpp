// Every image the library hands out is one whole frame. The simulated camera
// fills each frame with a single value taken from its frame number, so an
// image that mixes two frames shows two values. Checked in snapshots, in
// images read while the preview runs, in triggered frames with their copies,
// in the preview's copy once it stops, and in every recorded frame.
#include "KorvexSdk_740K3_XLN.h"
#include "image/avi/avi_reader.h"
#include "image/files/file_readers.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace korvex::test {
namespace {

// A narrow picture of every picture row, so both fields and the whole
// height of each raw frame are in every image.
constexpr int kWidth = 32, kHeight = 1920;

uint8_t FrameValue(uint32_t frameNumber) { return static_cast<uint8_t>(1 + frameNumber % 250); }

void FillFrame(void*, uint32_t frameNumber, int, uint8_t* buffer, size_t length) {
  std::memset(buffer, FrameValue(frameNumber), length);
}

// The value of the frame an image was made from, or -1 when its pixels
// are not all the same (two frames mixed). Padding bytes are left out.
int OneFrameValue(const std::vector<uint8_t>& image, int bytesPerPixel) {
  const size_t row = static_cast<size_t>(kWidth) * bytesPerPixel;
  const size_t stride = (row + 3) & ~size_t{3};
  const uint8_t first = image[0];
  for (size_t y = 0; y < image.size() / stride; ++y)
    for (size_t x = 0; x < row; ++x)
      if (image[y * stride + x] != first) return -1;
  return first;
}

size_t ImageBytes(int bytesPerPixel) {
  return ((static_cast<size_t>(kWidth) * bytesPerPixel + 3) & ~size_t{3}) * kHeight;
}

class TornFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    ASSERT_EQ(KorvexHost_SimSetFrameCallback(0, FillFrame, nullptr), 1);
    frames_ = KorvexHost_CreateMessageWindow();
    handle_ = Korvex_Initialize(nullptr);
    ASSERT_NE(handle_, 0u);
    ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Korvex_SetCaptureWindowEx(handle_, 2560, 1000, kWidth, 2560, 0, kHeight), 1);
    ASSERT_EQ(Korvex_SetWaitTime(handle_, 0), 1);
    ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
  }
  void TearDown() override {
    EXPECT_EQ(Korvex_Release(handle_), 1);
    KorvexHost_DestroyWindow(frames_);
    KorvexHost_SimSetFrameCallback(0, nullptr, nullptr);
  }
  std::vector<uint8_t> GetImage(int bytesPerPixel) {
    std::vector<uint8_t> image(ImageBytes(bytesPerPixel));
    EXPECT_EQ(Korvex_GetImage(handle_, image.data(), static_cast<int>(image.size()), 1), 1);
    return image;
  }

  korvex::test::ScopedRegistryRoot registry_;
  KorvexHostWindow frames_ = nullptr;
  KORVEX_HANDLE handle_ = 0;
};

TEST_F(TornFrames, SnapshotsAreEachOneWholeFrameInGrayAndColour) {
  for (const auto& [mode, bytes] : {std::pair{8, 1}, std::pair{24, 3}}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(Korvex_SetColorMode(handle_, mode), 1);
    ASSERT_EQ(Korvex_Capture(handle_), 1);
    std::vector<uint8_t> image(ImageBytes(bytes));
    int previous = -2;
    for (int i = 0; i < 20; ++i) {
      ASSERT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 1);
      const int value = OneFrameValue(image, bytes);
      ASSERT_NE(value, -1) << "snapshot " << i << " mixes frames";
      EXPECT_NE(value, previous) << "each snapshot takes a new frame";
      EXPECT_EQ(OneFrameValue(GetImage(bytes), bytes), value);
      previous = value;
    }
    ASSERT_EQ(Korvex_Close(handle_), 1);
  }
}

TEST_F(TornFrames, ImagesReadWhileThePreviewRunsAreEachOneWholeFrame) {
  std::vector<uint8_t> copy(ImageBytes(1));
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), copy.data(),
                                   static_cast<int>(copy.size()), 1),
            1);
  std::set<int> seen;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  // At least half a second of reads, and on until 20 frames were seen.
  while (Clock::now() < start + std::chrono::seconds(3) &&
         (seen.size() < 20 || Clock::now() < start + std::chrono::milliseconds(500))) {
    const int value = OneFrameValue(GetImage(1), 1);
    ASSERT_NE(value, -1) << "an image read during the preview mixes frames";
    seen.insert(value);
  }
  EXPECT_GE(seen.size(), 5u) << "the preview went on delivering frames";
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  // Nothing rewrites the copy once the preview has stopped.
  const int last = OneFrameValue(copy, 1);
  EXPECT_NE(last, -1) << "the preview copy mixes frames";
  EXPECT_EQ(last, OneFrameValue(GetImage(1), 1)) << "the copy is the last image";
}

TEST_F(TornFrames, TriggeredFramesAndTheirCopiesAreEachOneWholeFrame) {
  std::vector<uint8_t> copy(ImageBytes(1));
  ASSERT_EQ(Korvex_Trigger(handle_, reinterpret_cast<KORVEX_HWND>(frames_), copy.data(),
                           static_cast<int>(copy.size()), 1),
            1);
  int previous = -2;
  for (int i = 0; i < 8; ++i) {
    ASSERT_EQ(KorvexHost_SimTrigger(0), 1);
    KorvexHostMessage message;
    ASSERT_EQ(KorvexHost_GetMessage(frames_, &message, 5000), 1) << "trigger " << i;
    ASSERT_NE(message.wParam, 0u) << "a frame, not a frame error";
    // The next frame needs the next trigger: the copy stays as it is.
    const int value = OneFrameValue(copy, 1);
    ASSERT_NE(value, -1) << "triggered copy " << i << " mixes frames";
    EXPECT_NE(value, previous);
    EXPECT_EQ(OneFrameValue(GetImage(1), 1), value);
    previous = value;
  }
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
}

TEST_F(TornFrames, RecordedFramesAreEachOneWholeFrame) {
  TempFolder folder;
  const std::string path = folder.File("frames.avi");
  ASSERT_EQ(Korvex_Record(handle_, path.c_str(), 400, 0), 1);
  AviContents contents;
  std::string error;
  for (int i = 0; i < 1000 && !(ParseAvi(ReadWholeFile(path), &contents, &error) &&
                                contents.hasIndex && contents.strh[3] != 0);
       ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  ASSERT_TRUE(ParseAvi(ReadWholeFile(path), &contents, &error)) << error;
  std::set<int> seen;
  for (size_t i = 0; i < contents.frames.size(); ++i) {
    const std::vector<uint8_t>& pixels = contents.frames[i].pixels;
    ASSERT_EQ(pixels.size(), ImageBytes(3));
    const int value = OneFrameValue(pixels, 3);
    ASSERT_NE(value, -1) << "recorded frame " << i << " mixes frames";
    seen.insert(value);
  }
  EXPECT_GE(seen.size(), 2u) << "the recording holds more than one camera frame";
}

}  // namespace
}  // namespace korvex::test
