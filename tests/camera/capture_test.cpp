// Capture control on the simulated camera: snapshots, capture mode, live
// acquisition with frame notifications and copies, triggered capture, and
// the end of a stream.
#include "KorvexSdk_740K3_XLN.h"
#include "image/converters/field_merge.h"
#include "image/dispatch.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <latch>
#include <new>
#include <thread>
#include <vector>

namespace {

constexpr int kWidth = 2560, kHeight = 1920;
constexpr size_t kRawBytes = 2560u * 2008u;

class Capture : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    window_ = KorvexHost_CreateMessageWindow();
    handle_ = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(window_));
    ASSERT_NE(handle_, 0u);
    ASSERT_EQ(Korvex_GetLastError(handle_), 0u);
    // No display window: the library's own preview window is not wanted.
    ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Korvex_SetColorMode(handle_, 8), 1);
    frames_ = KorvexHost_CreateMessageWindow();
    KorvexHost_FlushMessages(window_);
  }
  void TearDown() override {
    EXPECT_EQ(Korvex_Release(handle_), 1);
    KorvexHost_DestroyWindow(window_);
    KorvexHost_DestroyWindow(frames_);
    KorvexHost_SimSetRawFrame(0, nullptr, 0);
  }
  // Waits for the next message of the frame window.
  bool NextFrameMessage(KorvexHostMessage* message, uint32_t timeoutMs = 5000) {
    return KorvexHost_GetMessage(frames_, message, timeoutMs) == 1;
  }
  std::vector<uint8_t> Errors() {
    std::vector<uint8_t> codes;
    for (uint32_t code; (code = Korvex_GetLastError(handle_)) != 0;) codes.push_back(code);
    return codes;
  }

  korvex::test::ScopedRegistryRoot registry_;
  KorvexHostWindow window_ = nullptr, frames_ = nullptr;
  KORVEX_HANDLE handle_ = 0;
};

// A raw frame whose merged picture the test can predict.
std::vector<uint8_t> PatternFrame() {
  std::vector<uint8_t> raw(kRawBytes);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>((i * 7 + i / 2560) % 253);
  return raw;
}

std::vector<uint8_t> MergedPicture(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> picture(static_cast<size_t>(kWidth) * kHeight);
  korvex::image::ImageView src{const_cast<uint8_t*>(raw.data()), 2560, 2008, 2560, 8};
  korvex::image::ImageView dst{picture.data(), kWidth, kHeight, kWidth, 8};
  korvex::image::ConvertScaled(dst, korvex::image::MergeFields8, src, nullptr, nullptr);
  return picture;
}

TEST_F(Capture, SnapshotFromIdleDeliversTheProcessedFrameInEitherRowOrder) {
  const std::vector<uint8_t> raw = PatternFrame();
  ASSERT_EQ(KorvexHost_SimSetRawFrame(0, raw.data(), raw.size()), 1);
  const std::vector<uint8_t> expected = MergedPicture(raw);
  std::vector<uint8_t> image(expected.size());
  ASSERT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 1);
  EXPECT_EQ(image, expected);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u) << "a snapshot from idle closes its channel";

  ASSERT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 0), 1);
  for (int y : {0, 1, 959, 1919}) {
    EXPECT_EQ(0, std::memcmp(&image[static_cast<size_t>(y) * kWidth],
                             &expected[static_cast<size_t>(kHeight - 1 - y) * kWidth], kWidth))
        << "row " << y << " is reversed";
  }
  std::vector<uint8_t> again(image.size());
  EXPECT_EQ(Korvex_GetImage(handle_, again.data(), static_cast<int>(again.size()), 0), 1);
  EXPECT_EQ(again, image);
  EXPECT_TRUE(Errors().empty());

  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()) - 1, 1), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{5, 5})) << "the copy's code, then the snapshot's";
}

TEST_F(Capture, CaptureModeKeepsTheChannelAndRefusesOtherStarts) {
  EXPECT_EQ(Korvex_Capture(handle_), 1);
  EXPECT_EQ(Korvex_Capture(handle_), 1);
  std::vector<uint8_t> image(static_cast<size_t>(kWidth) * kHeight, 0xAA);
  EXPECT_EQ(Korvex_GetImage(handle_, image.data(), static_cast<int>(image.size()), 1), 1)
      << "the freshly created output image";
  EXPECT_EQ(image[12345], 0);
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 1);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 1u) << "capture mode keeps the channel open";
  EXPECT_EQ(Korvex_StartPreview(handle_), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{1}));
  EXPECT_EQ(Korvex_Trigger(handle_, nullptr, nullptr, 0, 1), 0);
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_EQ(Korvex_Close(handle_), 1);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
  EXPECT_EQ(Korvex_StartPreview(handle_), 1);
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
}

TEST_F(Capture, InvalidGeometryFailsThePreparationWithSevenThenOne) {
  EXPECT_EQ(Korvex_SetCaptureWindowEx(handle_, 2560, 0, 2561, 2560, 0, 1920), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{7}));
  EXPECT_EQ(Korvex_Capture(handle_), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{1, 7}));
}

TEST_F(Capture, LivePreviewNotifiesEveryFrameAndCopiesIt) {
  const std::vector<uint8_t> raw = PatternFrame();
  ASSERT_EQ(KorvexHost_SimSetRawFrame(0, raw.data(), raw.size()), 1);
  std::vector<uint8_t> buffer(static_cast<size_t>(kWidth) * kHeight);
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), buffer.data(),
                                   static_cast<int>(buffer.size()), 1),
            1);
  KorvexHostMessage message;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(NextFrameMessage(&message)) << "frame " << i;
    EXPECT_EQ(message.message, 32770u);
    EXPECT_NE(message.wParam, 0u);
  }
  std::vector<uint8_t> snapshot(buffer.size());
  EXPECT_EQ(Korvex_SnapShot(handle_, snapshot.data(), static_cast<int>(snapshot.size()), 1), 0)
      << "no snapshot during a preview";
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{1}));
  EXPECT_EQ(Korvex_StartPreview(handle_), 1) << "already previewing";
  ASSERT_TRUE(NextFrameMessage(&message)) << "the preview goes on";
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);

  // Read after stopping: the record and the buffer stay put.
  const auto* info = reinterpret_cast<const KORVEX_FRAME_INFO*>(message.wParam);
  EXPECT_EQ(info->size, 32u);
  EXPECT_EQ(info->width, 2560u);
  EXPECT_EQ(info->height, 2008u);
  EXPECT_EQ(info->bitsPerPixel, 8u);
  EXPECT_EQ(info->u.buffer, buffer.data());
  EXPECT_EQ(buffer, MergedPicture(raw));
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Capture, TooSmallBufferLosesTheCopyAndNotificationButNotThePreview) {
  std::vector<uint8_t> buffer(static_cast<size_t>(kWidth) * kHeight - 1);
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), buffer.data(),
                                   static_cast<int>(buffer.size()), 1),
            1);
  KorvexHostMessage message;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(NextFrameMessage(&message));
    EXPECT_EQ(message.wParam, 0u) << "a frame error, not a frame notification";
    EXPECT_EQ(message.lParam, 5);
  }
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  const std::vector<uint8_t> errors = Errors();
  ASSERT_FALSE(errors.empty());
  for (uint8_t code : errors) EXPECT_EQ(code, 5);
}

TEST_F(Capture, UnpluggedCameraEndsThePreviewWithCodeThirteen) {
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1),
            1);
  KorvexHostMessage message;
  ASSERT_TRUE(NextFrameMessage(&message));
  KorvexHost_SimUnplug(0);
  bool ended = false;
  for (int i = 0; i < 1000 && !ended; ++i) {
    ASSERT_TRUE(NextFrameMessage(&message, 8000));
    ended = message.wParam == 0 && message.lParam == 13;
  }
  EXPECT_TRUE(ended);
  // The error notification follows the frame error.
  KorvexHostMessage error;
  bool notified = false;
  while (!notified && KorvexHost_GetMessage(window_, &error, 5000) == 1) notified = error.lParam == 13;
  EXPECT_TRUE(notified) << "also an error notification";
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{13}));
}

TEST_F(Capture, TriggeredCaptureDeliversOneFramePerTrigger) {
  ASSERT_EQ(Korvex_Trigger(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1), 1);
  uint8_t value = 0;
  EXPECT_EQ(KorvexHost_SimReadControllerRegister(0, 11, &value), 1);
  EXPECT_EQ(value, 0x25u);
  KorvexHostMessage message;
  EXPECT_FALSE(NextFrameMessage(&message, 300)) << "no frame without a trigger";
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(KorvexHost_SimTrigger(0), 1);
    ASSERT_TRUE(NextFrameMessage(&message)) << "trigger " << i;
    EXPECT_NE(message.wParam, 0u);
  }
  EXPECT_FALSE(NextFrameMessage(&message, 200)) << "one frame per trigger";
  EXPECT_EQ(Korvex_Trigger(handle_, nullptr, nullptr, 0, 1), 0) << "one worker per camera";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(KorvexHost_SimReadControllerRegister(0, 11, &value), 1);
  EXPECT_EQ(value, 0u);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{1}));
}

TEST_F(Capture, AStreamingCameraIsClaimedForOtherCameraObjects) {
  const KORVEX_HANDLE other = Korvex_Initialize(nullptr);
  ASSERT_NE(other, 0u);
  ASSERT_EQ(Korvex_SetPreviewWindow(other, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_StartPreview(handle_), 1);
  EXPECT_EQ(Korvex_StartPreview(other), 0);
  EXPECT_EQ(Korvex_GetLastError(other), 1u);
  EXPECT_EQ(Korvex_GetLastError(other), 2u) << "the device has an owner";
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_EQ(Korvex_StartPreview(other), 1);
  EXPECT_EQ(Korvex_Release(other), 1);
}

TEST_F(Capture, PreviewWithARectangleOpensAWindowOfItsOwn) {
  ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 640, 480), 1);
  EXPECT_EQ(Korvex_Preview(handle_), 1);
  EXPECT_TRUE(Errors().empty());
  const KorvexHostWindow window = KorvexHost_FindWindowEx(nullptr, nullptr, nullptr, "Active Window");
  EXPECT_NE(window, nullptr);
  EXPECT_EQ(Korvex_Close(handle_), 1);
  EXPECT_EQ(KorvexHost_IsWindow(window), 0);
}

// ---- Faults at the edges: exceptions, pauses, mode changes, lost cameras

void ThrowingFrameSource(void*, uint32_t, int, uint8_t*, size_t) { throw std::bad_alloc(); }

TEST_F(Capture, AnExceptionInsideAnOperationStopsAtTheExportWithCodeFive) {
  // The camera's transfer runs this on the calling thread.
  ASSERT_EQ(KorvexHost_SimSetFrameCallback(0, ThrowingFrameSource, nullptr), 1);
  std::vector<uint8_t> image(static_cast<size_t>(kWidth) * kHeight);
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_MEMORY}));
  KorvexHost_SimSetFrameCallback(0, nullptr, nullptr);
  EXPECT_EQ(Korvex_Close(handle_), 1);
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 1)
      << "the camera works on after the failure";
}

TEST_F(Capture, AStopEndsTheWorkersPauseAtOnce) {
  for (int wait : {30000, INT_MAX}) {
    SCOPED_TRACE(wait);
    ASSERT_EQ(Korvex_SetWaitTime(handle_, wait), 1);
    ASSERT_EQ(Korvex_StartPreview(handle_), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the worker is pausing
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Korvex_StopPreview(handle_), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  }
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Capture, ANegativeStoredPauseCountsAsNone) {
  ASSERT_EQ(Korvex_Release(handle_), 1);
  korvex::test::WriteDword(korvex::test::kRoot + "\\Camera_00", "WaitTime", 0xFFFFFFFFu);
  handle_ = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(window_));
  ASSERT_NE(handle_, 0u);
  ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_GetWaitTime(handle_), -1);
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1),
            1);
  KorvexHostMessage message;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(NextFrameMessage(&message)) << "frame " << i;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(Capture, AColourModeSetDuringAcquisitionWaitsForTheNextStart) {
  const std::vector<uint8_t> raw = PatternFrame();
  ASSERT_EQ(KorvexHost_SimSetRawFrame(0, raw.data(), raw.size()), 1);
  ASSERT_EQ(Korvex_SetBayerGainAuto(handle_, 1), 1);
  int ok = 0;
  const int red = Korvex_GetBayerGainRed(handle_, &ok);
  ASSERT_NE(red, 0);
  ASSERT_EQ(Korvex_Capture(handle_), 1);
  ASSERT_EQ(Korvex_SetColorMode(handle_, 48), 1);
  EXPECT_EQ(Korvex_GetColorMode(handle_), 42) << "stored for the next start";
  std::vector<uint8_t> image(static_cast<size_t>(kWidth) * kHeight);
  ASSERT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 1);
  EXPECT_EQ(image, MergedPicture(raw)) << "still the 8-bit picture of the running capture";
  EXPECT_EQ(Korvex_GetBayerGainRed(handle_, &ok), red) << "no white balance ran, none is stored";
  EXPECT_TRUE(Errors().empty());

  ASSERT_EQ(Korvex_Close(handle_), 1);
  std::vector<uint8_t> deep(static_cast<size_t>(kWidth) * 6 * kHeight);
  EXPECT_EQ(Korvex_SnapShot(handle_, deep.data(), static_cast<int>(deep.size()), 1), 1)
      << "the next start takes the new mode";
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 0)
      << "an 8-bit buffer is too small for it";
}

TEST_F(Capture, ACameraGoneBeforeTheStartFailsItWithCodeTwo) {
  KorvexHost_SimUnplug(0);
  const KORVEX_HWND frames = reinterpret_cast<KORVEX_HWND>(frames_);
  EXPECT_EQ(Korvex_CallBackPreview(handle_, frames, nullptr, 0, 1), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_FRAME, KORVEX_ERR_NOT_POSSIBLE,
                                            KORVEX_ERR_DEVICE}));
  EXPECT_EQ(Korvex_StartPreview(handle_), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_NOT_POSSIBLE, KORVEX_ERR_DEVICE}));
  EXPECT_EQ(Korvex_Trigger(handle_, frames, nullptr, 0, 1), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_NOT_POSSIBLE, KORVEX_ERR_DEVICE}));
}

// ---- Calls racing from several threads (ThreadSanitizer reports the faults)

TEST_F(Capture, EnumerationRacesNeitherSelectionNorStarts) {
  std::atomic<bool> done{false};
  std::thread enumerate([&] {
    std::vector<char> names(32 * 256);
    std::vector<KORVEX_WCHAR> wide(32 * 256);
    char name[32];
    KORVEX_WCHAR wideName[32];
    while (!done.load()) {
      Korvex_EnumDevice(handle_, names.data());
      Korvex_EnumDeviceW(handle_, wide.data());
      Korvex_GetDeviceName(handle_, 0, name, sizeof name);
      Korvex_GetDeviceNameW(handle_, 0, wideName, 32);
    }
  });
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Korvex_SetDeviceNumber(handle_, 0), 1);
    EXPECT_EQ(Korvex_StartPreview(handle_), 1);
    EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  }
  done.store(true);
  enumerate.join();
}

TEST_F(Capture, TwoThreadsClosingACaptureModeCameraDoNotRace) {
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(Korvex_Capture(handle_), 1);
    ASSERT_EQ(Korvex_SnapShot(handle_, nullptr, 0, 1), 1);
    std::latch start(2);
    auto close = [&] {
      start.arrive_and_wait();
      EXPECT_EQ(Korvex_Close(handle_), 1);
    };
    std::thread first(close), second(close);
    first.join();
    second.join();
    EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
  }
}

}  // namespace
