// Capture control on the simulated camera: snapshots, capture mode, live
// acquisition with frame notifications and copies, triggered capture, and
// the end of a stream.
#include "KorvexSdk_740K3_XLN.h"
#include "camera/korvex.h"
#include "device/korvex740k3xln_sdk.h"
#include "image/converters/field_merge.h"
#include "image/dispatch.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/process_usage.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
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
    created_ = std::chrono::steady_clock::now();
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
    KorvexHost_SimSetFrameCallback(0, nullptr, nullptr);
    KorvexHost_SetClockOffset(0);
  }
  // Waits for the next message of the frame window.
  bool NextFrameMessage(KorvexHostMessage* message, uint32_t timeoutMs = 5000) {
    return KorvexHost_GetMessage(frames_, message, timeoutMs) == 1;
  }
  // Waits for the next frame notification, skipping nothing: a frame error
  // fails the wait.
  const KORVEX_FRAME_INFO* NextFrameInfo() {
    KorvexHostMessage message;
    if (!NextFrameMessage(&message) || message.message != KORVEX_WM_FRAME || message.wParam == 0)
      return nullptr;
    return reinterpret_cast<const KORVEX_FRAME_INFO*>(message.wParam);
  }
  std::vector<uint8_t> Errors() {
    std::vector<uint8_t> codes;
    for (uint32_t code; (code = Korvex_GetLastError(handle_)) != 0;) codes.push_back(code);
    return codes;
  }

  korvex::test::ScopedRegistryRoot registry_;
  KorvexHostWindow window_ = nullptr, frames_ = nullptr;
  KORVEX_HANDLE handle_ = 0;
  std::chrono::steady_clock::time_point created_;  // just before the camera object was made
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
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_MEMORY, KORVEX_ERR_MEMORY}))
      << "the copy's code, then the snapshot's";
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
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_NOT_POSSIBLE}));
  EXPECT_EQ(Korvex_Trigger(handle_, nullptr, nullptr, 0, 1), 0);
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_EQ(Korvex_Close(handle_), 1);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
  EXPECT_EQ(Korvex_StartPreview(handle_), 1);
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
}

TEST_F(Capture, InvalidGeometryFailsThePreparationWithGeometryThenNotPossible) {
  EXPECT_EQ(Korvex_SetCaptureWindowEx(handle_, 2560, 0, 2561, 2560, 0, 1920), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_GEOMETRY}));
  EXPECT_EQ(Korvex_Capture(handle_), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_NOT_POSSIBLE, KORVEX_ERR_GEOMETRY}));
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
    EXPECT_EQ(message.message, static_cast<uint32_t>(KORVEX_WM_FRAME));
    EXPECT_NE(message.wParam, 0u);
  }
  std::vector<uint8_t> snapshot(buffer.size());
  EXPECT_EQ(Korvex_SnapShot(handle_, snapshot.data(), static_cast<int>(snapshot.size()), 1), 0)
      << "no snapshot during a preview";
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_NOT_POSSIBLE}));
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
    EXPECT_EQ(message.lParam, KORVEX_ERR_MEMORY);
  }
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  const std::vector<uint8_t> errors = Errors();
  ASSERT_FALSE(errors.empty());
  for (uint8_t code : errors) EXPECT_EQ(code, KORVEX_ERR_MEMORY);
}

TEST_F(Capture, UnpluggedCameraEndsThePreviewWithTheStreamEndCode) {
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1),
            1);
  KorvexHostMessage message;
  ASSERT_TRUE(NextFrameMessage(&message));
  KorvexHost_SimUnplug(0);
  bool ended = false;
  for (int i = 0; i < 1000 && !ended; ++i) {
    ASSERT_TRUE(NextFrameMessage(&message, 8000));
    ended = message.wParam == 0 && message.lParam == KORVEX_ERR_STREAM_ENDED;
  }
  EXPECT_TRUE(ended);
  // The error notification follows the frame error.
  KorvexHostMessage error;
  bool notified = false;
  while (!notified && KorvexHost_GetMessage(window_, &error, 5000) == 1)
    notified = error.lParam == KORVEX_ERR_STREAM_ENDED;
  EXPECT_TRUE(notified) << "also an error notification";
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_STREAM_ENDED}));
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
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_NOT_POSSIBLE}));
}

TEST_F(Capture, AStreamingCameraIsClaimedForOtherCameraObjects) {
  const KORVEX_HANDLE other = Korvex_Initialize(nullptr);
  ASSERT_NE(other, 0u);
  ASSERT_EQ(Korvex_SetPreviewWindow(other, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_StartPreview(handle_), 1);
  EXPECT_EQ(Korvex_StartPreview(other), 0);
  EXPECT_EQ(Korvex_GetLastError(other), KORVEX_ERR_NOT_POSSIBLE);
  EXPECT_EQ(Korvex_GetLastError(other), KORVEX_ERR_DEVICE) << "the device has an owner";
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_EQ(Korvex_StartPreview(other), 1);
  EXPECT_EQ(Korvex_Release(other), 1);
}

TEST_F(Capture, ACameraStreamingWithoutANotificationWindowIsClaimedToo) {
  const KORVEX_HANDLE owner = Korvex_Initialize(nullptr);
  const KORVEX_HANDLE other = Korvex_Initialize(nullptr);
  ASSERT_NE(owner, 0u);
  ASSERT_NE(other, 0u);
  ASSERT_EQ(Korvex_SetPreviewWindow(owner, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_SetPreviewWindow(other, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_StartPreview(owner), 1);
  EXPECT_EQ(Korvex_StartPreview(other), 0);
  EXPECT_EQ(Korvex_GetLastError(other), KORVEX_ERR_NOT_POSSIBLE);
  EXPECT_EQ(Korvex_GetLastError(other), KORVEX_ERR_DEVICE) << "the device has an owner";
  EXPECT_EQ(Korvex_StartPreview(handle_), 0) << "whatever window the contender has";
  // Another camera object of the process, on the same device with the same
  // (null) window, ends without having streamed: the claim is not its own.
  const KORVEX_HANDLE idle = Korvex_Initialize(nullptr);
  ASSERT_NE(idle, 0u);
  EXPECT_EQ(Korvex_Release(idle), 1);
  EXPECT_EQ(Korvex_StartPreview(other), 0) << "the idle object's release cleared the claim";
  while (Korvex_GetLastError(other) != 0) {
  }
  while (Korvex_GetLastError(handle_) != 0) {
  }
  EXPECT_EQ(Korvex_StopPreview(owner), 1);
  EXPECT_EQ(Korvex_StartPreview(other), 1) << "the stop released the claim";
  EXPECT_EQ(Korvex_Release(other), 1) << "and so does the release";
  EXPECT_EQ(Korvex_StartPreview(owner), 1);
  EXPECT_EQ(Korvex_Release(owner), 1);
  EXPECT_EQ(Korvex_StartPreview(handle_), 1);
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
}

TEST_F(Capture, PreviewWithARectangleOpensAWindowOfItsOwn) {
  ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 640, 480), 1);
  EXPECT_EQ(Korvex_Preview(handle_), 1);
  EXPECT_TRUE(Errors().empty());
  const KorvexHostWindow window =
      KorvexHost_FindWindowEx(nullptr, nullptr, nullptr, "Active Window");
  EXPECT_NE(window, nullptr);
  EXPECT_EQ(Korvex_Close(handle_), 1);
  EXPECT_EQ(KorvexHost_IsWindow(window), 0);
}

// ---- Faults at the edges: exceptions, pauses, mode changes, lost cameras

void ThrowingFrameSource(void*, uint32_t, int, uint8_t*, size_t) { throw std::bad_alloc(); }

TEST_F(Capture, AnExceptionInsideAnOperationStopsAtTheExportAsAMemoryError) {
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

// A stored wait time past INT32_MAX (an earlier camera dialog stored what
// was typed) loads as the longest wait, not as -1; a stop ends that wait at
// once.
TEST_F(Capture, AStoredPausePastTheLargestIsTheLongestAndAStopEndsIt) {
  ASSERT_EQ(Korvex_Release(handle_), 1);
  korvex::test::WriteDword(korvex::test::kRoot + "\\Camera_00", "WaitTime", 0xFFFFFFFFu);
  handle_ = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(window_));
  ASSERT_NE(handle_, 0u);
  ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_GetWaitTime(handle_), 2147483647);
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1),
            1);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  // A valid wait time set afterwards delivers frames again.
  ASSERT_EQ(Korvex_SetWaitTime(handle_, 0), 1);
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1),
            1);
  KorvexHostMessage message;
  // Frames come slowly under ThreadSanitizer on a busy machine.
  ASSERT_TRUE(NextFrameMessage(&message, 30000));
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
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

TEST_F(Capture, ACameraGoneBeforeTheStartFailsItWithTheDeviceCode) {
  KorvexHost_SimUnplug(0);
  const KORVEX_HWND frames = reinterpret_cast<KORVEX_HWND>(frames_);
  EXPECT_EQ(Korvex_CallBackPreview(handle_, frames, nullptr, 0, 1), 0);
  EXPECT_EQ(Errors(),
            (std::vector<uint8_t>{KORVEX_ERR_FRAME, KORVEX_ERR_NOT_POSSIBLE, KORVEX_ERR_DEVICE}));
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

// The exposure timing read-out and the device's mirror flags are written by
// every acquisition start as well as by the exports; an application may call
// those from any thread while another starts and stops the preview
// (ThreadSanitizer sees two writers that share no lock).
TEST_F(Capture, ParameterExportsOnOneThreadRaceNoAcquisitionStartOnAnother) {
  ASSERT_EQ(Korvex_SetExposureTime(handle_, 100), 1);
  ASSERT_EQ(Korvex_SetMirrorH(handle_, 1), 1);
  std::atomic<bool> done{false};
  std::atomic<int> wrong{0};
  std::thread other([&] {
    while (!done.load()) {
      int ok = 0;
      if (Korvex_GetRealExposureTime(handle_, &ok) != 12119 || ok != 1) wrong.fetch_add(1);
      if (Korvex_SetMirrorH(handle_, 1) != 1 || Korvex_SetMirrorV(handle_, 0) != 1) {
        wrong.fetch_add(1);
      }
    }
  });
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Korvex_StartPreview(handle_), 1);
    int ok = 0;
    EXPECT_EQ(Korvex_GetRealExposureTime(handle_, &ok), 12119);
    EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  }
  done.store(true);
  other.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(Korvex_GetMirrorH(handle_), 1);
  EXPECT_EQ(Korvex_GetMirrorV(handle_), 0);
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

namespace {

// Holds every frame transfer of the simulated camera until the test lets
// one through, so that a test knows exactly which frames were taken.
class FrameGate {
 public:
  static void Fill(void* user, uint32_t, int, uint8_t* buffer, size_t length) {
    auto* gate = static_cast<FrameGate*>(user);
    {
      std::unique_lock<std::mutex> lock(gate->mutex_);
      gate->changed_.wait(lock, [gate] { return gate->open_ || gate->permits_ > 0; });
      if (!gate->open_) --gate->permits_;
    }
    std::memset(buffer, 0x40, length);
  }
  void Let(int frames) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      permits_ += frames;
    }
    changed_.notify_all();
  }
  // Lets every frame through; needed before a stop, which waits for the
  // transfer in progress.
  void Open() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      open_ = true;
    }
    changed_.notify_all();
  }
  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
    permits_ = 0;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int permits_ = 0;
  bool open_ = false;
};

int64_t MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

}  // namespace

TEST_F(Capture, FrameRateCoversThePauseBeforeItsFirstReportAndIsZeroInTriggerMode) {
  // Frames are let through one at a time and the clock is moved on by known
  // amounts, so each reported rate (frames per 10 s) is known up to the few
  // milliseconds the test itself takes, which it measures.
  ASSERT_EQ(Korvex_SetCaptureWindowEx(handle_, 640, 0, 640, 480, 0, 480), 1);
  FrameGate gate;
  ASSERT_EQ(KorvexHost_SimSetFrameCallback(0, FrameGate::Fill, &gate), 1);
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1),
            1);

  // The first frame comes 1.5 s after the camera object was made: the
  // measurement covers all of that time and counts one frame.
  KorvexHost_SetClockOffset(1500);
  const auto firstLet = std::chrono::steady_clock::now();
  gate.Let(1);
  const KORVEX_FRAME_INFO* info = NextFrameInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->size, 32u);
  EXPECT_EQ(info->bitsPerPixel, 8u);
  EXPECT_EQ(info->u.buffer, nullptr);
  const uint32_t sinceCreation = static_cast<uint32_t>(MillisecondsSince(created_)) + 1;
  EXPECT_GE(info->frameRate, 10000u / (1500u + sinceCreation));
  EXPECT_LE(info->frameRate, 10000u / 1500u);
  // Four more frames within the new window: no new measurement.
  const uint32_t firstRate = info->frameRate;
  for (int i = 0; i < 4; ++i) {
    gate.Let(1);
    info = NextFrameInfo();
    ASSERT_NE(info, nullptr) << "frame " << i;
    ASSERT_EQ(info->frameRate, firstRate) << "a second passed within four frames";
  }
  // Frames that slip through while the stop is under way are counted too;
  // each of them was notified.
  gate.Open();
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  gate.Close();
  KorvexHostMessage stale;
  uint32_t slipped = 0;
  while (NextFrameMessage(&stale, 50)) ++slipped;

  // A pause of 2 s, then a new preview: the counter and the window go on,
  // so its first report counts the four frames before the pause and this
  // one over the whole time, pause included.
  KorvexHost_SetClockOffset(1500 + 2000);
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1),
            1);
  gate.Let(1);
  info = NextFrameInfo();
  ASSERT_NE(info, nullptr);
  const uint32_t realMs = static_cast<uint32_t>(MillisecondsSince(firstLet)) + 1;
  const uint32_t rate = info->frameRate;
  EXPECT_GE(rate, 5u * 10000u / (2000u + realMs));
  EXPECT_LE(rate, (5u + slipped) * 10000u / 2000u);
  gate.Open();
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  gate.Close();
  while (NextFrameMessage(&stale, 50)) {
  }
  ASSERT_NE(rate, 0u);

  // The trigger worker reports no rate.
  ASSERT_EQ(Korvex_Trigger(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1), 1);
  ASSERT_EQ(KorvexHost_SimTrigger(0), 1);
  gate.Let(1);
  info = NextFrameInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->frameRate, 0u);
  EXPECT_EQ(info->width, 2560u);
  EXPECT_EQ(info->height, 2008u);
  gate.Open();
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Capture, CallBackPreviewWithRowOrderZeroCopiesTheBottomRowFirst) {
  const std::vector<uint8_t> raw = PatternFrame();
  ASSERT_EQ(KorvexHost_SimSetRawFrame(0, raw.data(), raw.size()), 1);
  const std::vector<uint8_t> picture = MergedPicture(raw);
  std::vector<uint8_t> buffer(picture.size());
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), buffer.data(),
                                   static_cast<int>(buffer.size()), 0),
            1);
  for (int i = 0; i < 2; ++i) ASSERT_NE(NextFrameInfo(), nullptr) << "frame " << i;
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  int wrongRows = 0;
  for (int y = 0; y < kHeight; ++y) {
    wrongRows += std::memcmp(&buffer[static_cast<size_t>(y) * kWidth],
                             &picture[static_cast<size_t>(kHeight - 1 - y) * kWidth], kWidth) != 0;
  }
  EXPECT_EQ(wrongRows, 0);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Capture, EachStateRefusesTheStartsOfTheOthersAsNotPossible) {
  // Previewing: Capture is refused, the preview goes on.
  ASSERT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1),
            1);
  ASSERT_NE(NextFrameInfo(), nullptr);
  EXPECT_EQ(Korvex_Capture(handle_), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_NOT_POSSIBLE}));
  KorvexHostMessage message;
  EXPECT_NE(NextFrameInfo(), nullptr) << "still previewing";
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  while (NextFrameMessage(&message, 50)) {
  }

  // Triggered: Capture, SnapShot and StartPreview are refused; the trigger
  // worker still takes a frame per trigger.
  ASSERT_EQ(Korvex_Trigger(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1), 1);
  std::vector<uint8_t> image(static_cast<size_t>(kWidth) * kHeight);
  EXPECT_EQ(Korvex_Capture(handle_), 0);
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 0);
  EXPECT_EQ(Korvex_StartPreview(handle_), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_NOT_POSSIBLE, KORVEX_ERR_NOT_POSSIBLE,
                                            KORVEX_ERR_NOT_POSSIBLE}));
  ASSERT_EQ(KorvexHost_SimTrigger(0), 1);
  const KORVEX_FRAME_INFO* info = NextFrameInfo();
  ASSERT_NE(info, nullptr) << "still triggered";
  uint8_t trigger = 0;
  EXPECT_EQ(KorvexHost_SimReadControllerRegister(0, 11, &trigger), 1);
  EXPECT_EQ(trigger, 0x25u);
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);

  // Capturing: Trigger is refused; capture mode keeps its open channel.
  ASSERT_EQ(Korvex_Capture(handle_), 1);
  EXPECT_EQ(Korvex_Trigger(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_NOT_POSSIBLE}));
  EXPECT_EQ(KorvexHost_SimReadControllerRegister(0, 11, &trigger), 1);
  EXPECT_EQ(trigger, 0u) << "no trigger mode";
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), static_cast<int>(image.size()), 1), 1);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 1u) << "still capturing";
  EXPECT_FALSE(NextFrameMessage(&message, 100)) << "no trigger worker";
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Capture, PreviewThatCannotStartClosesAndReportsTheFrameCodeAfterTheCause) {
  // Another camera object streams from the device, so this one's
  // preparation finds it owned (a claim names the owner's notification
  // window).
  const KorvexHostWindow otherWindow = KorvexHost_CreateMessageWindow();
  const KORVEX_HANDLE other = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(otherWindow));
  ASSERT_NE(other, 0u);
  ASSERT_EQ(Korvex_SetPreviewWindow(other, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_StartPreview(other), 1);
  ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 640, 480), 1);
  EXPECT_EQ(Korvex_Preview(handle_), 0);
  EXPECT_EQ(Errors(),
            (std::vector<uint8_t>{KORVEX_ERR_FRAME, KORVEX_ERR_NOT_POSSIBLE, KORVEX_ERR_DEVICE}));
  EXPECT_EQ(KorvexHost_FindWindowEx(nullptr, nullptr, nullptr, "Active Window"), nullptr)
      << "the failed start closed the window it had opened";
  EXPECT_EQ(Korvex_CallBackPreview(handle_, reinterpret_cast<KORVEX_HWND>(frames_), nullptr, 0, 1),
            0);
  EXPECT_EQ(Errors(),
            (std::vector<uint8_t>{KORVEX_ERR_FRAME, KORVEX_ERR_NOT_POSSIBLE, KORVEX_ERR_DEVICE}));
  EXPECT_EQ(Korvex_Release(other), 1);
  KorvexHost_DestroyWindow(otherWindow);
  EXPECT_EQ(Korvex_Preview(handle_), 1) << "free again";
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(Capture, FailedSnapshotTransferReportsTheFrameCodeAndKeepsTheState) {
  std::vector<uint8_t> image(static_cast<size_t>(kWidth) * kHeight);
  const int size = static_cast<int>(image.size());
  // From idle: the channel is closed and the camera stays idle.
  ASSERT_EQ(KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_FAIL_TRANSFER, 2, 1), 1);
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), size, 1), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_FRAME}));
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
  EXPECT_EQ(Korvex_StartPreview(handle_), 1) << "idle";
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);

  // In capture mode: the camera stays in capture mode, and the next
  // snapshot keeps its channel open again.
  ASSERT_EQ(Korvex_Capture(handle_), 1);
  ASSERT_EQ(Korvex_SnapShot(handle_, image.data(), size, 1), 1);
  ASSERT_EQ(KorvexHost_SimSetFault(0, KORVEX_SIM_FAULT_FAIL_TRANSFER, 2, 1), 1);
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), size, 1), 0);
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_FRAME}));
  EXPECT_EQ(Korvex_StartPreview(handle_), 0) << "still capturing";
  EXPECT_EQ(Errors(), (std::vector<uint8_t>{KORVEX_ERR_NOT_POSSIBLE}));
  EXPECT_EQ(Korvex_SnapShot(handle_, image.data(), size, 1), 1);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 1u);
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_TRUE(Errors().empty());
}

TEST(CaptureStart, StreamThatCannotStartStopsThePreviewAsRefused) {
  korvex::test::ScopedRegistryRoot registry;
  KorvexHost_SimReset();
  KorvexHost_SimSetFastPace(1);
  korvex::CKorvex camera;
  ASSERT_EQ(camera.Initialize(nullptr), 1);
  ASSERT_EQ(camera.SetPreviewWindow(nullptr, 0, 0, 0, 0), 1);
  // One run started and ended first, so that threads a sanitizer's runtime
  // starts with the process's first thread are in the count already.
  ASSERT_EQ(camera.Device()->StartStreaming(), 0);
  ASSERT_EQ(camera.Device()->StopStreaming(), 0);
  const size_t threads = korvex::test::ThreadCount();
  // A run that is already active makes the device refuse a second start.
  ASSERT_EQ(camera.Device()->StartStreaming(), 0);
  EXPECT_EQ(camera.StartPreview(), 0);
  EXPECT_EQ(camera.GetLastError(), static_cast<uint32_t>(KORVEX_ERR_REFUSED));
  EXPECT_EQ(camera.GetLastError(), 0u);
  EXPECT_EQ(camera.State(), korvex::kIdle);
  EXPECT_EQ(camera.Device()->StopStreaming(), 0);
  EXPECT_EQ(korvex::test::ThreadCount(), threads) << "the worker was stopped";
  EXPECT_EQ(camera.StartPreview(), 1);
  EXPECT_EQ(camera.State(), korvex::kPreviewing);
  EXPECT_EQ(camera.StopPreview(), 1);
  KorvexHost_SimReset();
}
