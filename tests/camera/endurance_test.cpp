// Long use through the exports on the simulated camera: many starts and
// stops, two cameras streaming side by side, and a release while other
// threads keep calling. Each must give back every thread, file descriptor
// and heap block it took.
#include "KorvexSdk_740K3_XLN.h"
#include "support/error_codes.h"
#include "image/converters/field_merge.h"
#include "image/dispatch.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/process_usage.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace korvex::test {
namespace {

constexpr size_t kRawBytes = 2560u * 2008u;
// Heap that a run may keep for good (caches of the host and the C library).
constexpr size_t kHeapSlack = 1u << 20;

struct Usage {
  size_t threads, descriptors, heap;
  static Usage Now() { return {ThreadCount(), OpenDescriptors(), HeapInUse()}; }
};

void ExpectGivenBack(const Usage& before, const Usage& after) {
  EXPECT_EQ(after.threads, before.threads) << "threads";
  EXPECT_EQ(after.descriptors, before.descriptors) << "file descriptors";
  if (kHeapMeasurable) {
    EXPECT_LE(after.heap, before.heap + kHeapSlack)
        << "heap grew by " << (after.heap - before.heap) << " bytes";
  }
}

// Waits (bounded) until the process is back to `threads` threads: threads
// that have been joined may take a moment to leave /proc.
void SettleThreads(size_t threads) {
  for (int i = 0; i < 200 && ThreadCount() != threads; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

std::vector<uint8_t> Pattern(int seed) {
  std::vector<uint8_t> raw(kRawBytes);
  for (size_t i = 0; i < raw.size(); ++i)
    raw[i] = static_cast<uint8_t>((i * seed + i / 2560) % 251);
  return raw;
}

std::vector<uint8_t> MergedPicture(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> picture(2560u * 1920u);
  image::ImageView src{const_cast<uint8_t*>(raw.data()), 2560, 2008, 2560, 8};
  image::ImageView dst{picture.data(), 2560, 1920, 2560, 8};
  image::ConvertScaled(dst, image::MergeFields8, src, nullptr, nullptr);
  return picture;
}

class Endurance : public ::testing::Test {
 protected:
  void SetUp() override {
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
  }
  void TearDown() override {
    KorvexHost_SimSetRawFrame(0, nullptr, 0);
    KorvexHost_SimSetRawFrame(1, nullptr, 0);
    KorvexHost_SimReset();
  }
  static KORVEX_HANDLE OpenQuiet() {
    const KORVEX_HANDLE h = Korvex_Initialize(nullptr);
    EXPECT_NE(h, 0u);
    EXPECT_EQ(Korvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0), 1);
    EXPECT_EQ(Korvex_SetColorMode(h, 8), 1);
    return h;
  }
  static std::vector<uint32_t> Errors(KORVEX_HANDLE h) { return korvex::test::DrainErrors(h); }

  ScopedRegistryRoot registry_;
};

TEST_F(Endurance, TwoHundredStartsAndStopsGiveEverythingBack) {
  const KORVEX_HANDLE h = OpenQuiet();
  ASSERT_EQ(Korvex_SetCaptureWindowEx(h, 640, 0, 640, 480, 0, 480), 1);
  ASSERT_EQ(Korvex_SetWaitTime(h, 1), 1);
  // One cycle with frames first: buffers made at the first start stay for
  // the next, and the simulated camera keeps its rendered scene.
  ASSERT_EQ(Korvex_StartPreview(h), 1);
  for (int i = 0; i < 2000 && KorvexHost_SimFramesServed(0) < 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(Korvex_StopPreview(h), 1);
  const Usage before = Usage::Now();
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(Korvex_StartPreview(h), 1) << "start " << i;
    ASSERT_EQ(Korvex_StopPreview(h), 1) << "stop " << i;
  }
  SettleThreads(before.threads);
  ExpectGivenBack(before, Usage::Now());
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
  std::vector<uint8_t> image(640u * 480u);
  EXPECT_EQ(Korvex_SnapShot(h, image.data(), static_cast<int>(image.size()), 1), 1)
      << "still usable";
  EXPECT_TRUE(Errors(h).empty());
  EXPECT_EQ(Korvex_Release(h), 1);
}

TEST_F(Endurance, TwoCamerasPreviewAtOnceEachWithItsOwnPicture) {
  ASSERT_EQ(KorvexHost_SimPlug(1), 1);
  const std::vector<uint8_t> raw[2] = {Pattern(7), Pattern(11)};
  for (int c = 0; c < 2; ++c)
    ASSERT_EQ(KorvexHost_SimSetRawFrame(c, raw[c].data(), raw[c].size()), 1);
  const KorvexHostWindow frames[2] = {KorvexHost_CreateMessageWindow(),
                                      KorvexHost_CreateMessageWindow()};
  // Opens both cameras, previews on both at once until each has delivered
  // `frameCount` frames, stops and releases them.
  auto round = [&](int frameCount) {
    KORVEX_HANDLE h[2] = {OpenQuiet(), OpenQuiet()};
    ASSERT_EQ(Korvex_SetDeviceNumber(h[1], 1), 1);
    std::vector<uint8_t> buffers[2] = {std::vector<uint8_t>(2560u * 1920u),
                                       std::vector<uint8_t>(2560u * 1920u)};
    for (int c = 0; c < 2; ++c) {
      ASSERT_EQ(Korvex_CallBackPreview(h[c], reinterpret_cast<KORVEX_HWND>(frames[c]),
                                       buffers[c].data(), static_cast<int>(buffers[c].size()), 1),
                1)
          << "camera " << c;
    }
    // Both stream at the same time: each window gets frames while the
    // other camera is running too.
    for (int i = 0; i < frameCount; ++i) {
      for (int c = 0; c < 2; ++c) {
        KorvexHostMessage message;
        ASSERT_EQ(KorvexHost_GetMessage(frames[c], &message, 5000), 1) << "camera " << c;
        EXPECT_NE(message.wParam, 0u) << "a frame, not a frame error";
      }
    }
    for (int c = 0; c < 2; ++c) ASSERT_EQ(Korvex_StopPreview(h[c]), 1);
    for (int c = 0; c < 2; ++c) {
      EXPECT_EQ(buffers[c], MergedPicture(raw[c])) << "camera " << c << " shows its own picture";
      EXPECT_TRUE(Errors(h[c]).empty()) << "camera " << c;
      EXPECT_EQ(Korvex_Release(h[c]), 1);
      KorvexHost_FlushMessages(frames[c]);
    }
  };
  round(1);  // the host and the simulated cameras set up what they keep
  const Usage before = Usage::Now();
  round(5);
  EXPECT_GT(KorvexHost_SimFramesServed(0), 5u);
  EXPECT_GT(KorvexHost_SimFramesServed(1), 5u);
  SettleThreads(before.threads);
  ExpectGivenBack(before, Usage::Now());
  for (KorvexHostWindow w : frames) KorvexHost_DestroyWindow(w);
}

TEST_F(Endurance, ReleaseWhileOtherThreadsKeepCallingTheExports) {
  {
    // A first camera with frames, so that what the host keeps is there
    // before counting.
    const KORVEX_HANDLE first = OpenQuiet();
    ASSERT_EQ(Korvex_SetCaptureWindowEx(first, 640, 0, 640, 480, 0, 480), 1);
    std::vector<uint8_t> image(640u * 480u);
    ASSERT_EQ(Korvex_SnapShot(first, image.data(), static_cast<int>(image.size()), 1), 1);
    ASSERT_EQ(Korvex_StartPreview(first), 1);
    ASSERT_EQ(Korvex_Release(first), 1);
  }
  const Usage before = Usage::Now();
  const KORVEX_HANDLE h = OpenQuiet();
  ASSERT_EQ(Korvex_SetCaptureWindowEx(h, 640, 0, 640, 480, 0, 480), 1);
  ASSERT_EQ(Korvex_StartPreview(h), 1);

  std::atomic<bool> released{false};
  std::atomic<int> callsAfterRelease{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      std::vector<uint8_t> image(640u * 480u);
      const int size = static_cast<int>(image.size());
      // Keeps calling until well after the release.
      for (int after = 0; after < 200;) {
        const bool gone = released.load();
        switch (t) {
          case 0:
            Korvex_GetImage(h, image.data(), size, 1);
            Korvex_GetLastError(h);
            break;
          case 1:
            Korvex_SetWaitTime(h, 1 + after % 5);
            Korvex_GetWaitTime(h);
            Korvex_GetColorMode(h);
            Korvex_SetBrightness(h, after % 20);
            break;
          case 2:
            Korvex_StopPreview(h);
            Korvex_StartPreview(h);
            break;
          default:
            Korvex_SnapShot(h, image.data(), size, 1);
            Korvex_Width(h);
            break;
        }
        if (gone) {
          ++after;
          ++callsAfterRelease;
        }
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(Korvex_Release(h), 1);
  released = true;
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(callsAfterRelease.load(), 800);

  // The handle is gone for everyone.
  EXPECT_EQ(Korvex_GetWaitTime(h), -1);
  EXPECT_EQ(Korvex_StartPreview(h), 0);
  EXPECT_EQ(Korvex_Release(h), 0);
  EXPECT_EQ(KorvexHost_SimOpenHandles(0), 0u);
  SettleThreads(before.threads);
  ExpectGivenBack(before, Usage::Now());
}

}  // namespace
}  // namespace korvex::test
