// A camera's pipeline threads: as many as KORVEX_PIPELINE_THREADS asks for,
// and none left once the camera is released in the middle of a preview.
#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <string>
#include <vector>

namespace {

int ProcessThreads() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
    ++n;
  return n;
}

// The thread count once it is back to `expected`, or after 5 s: a joined
// thread may leave the task list a moment later.
int SettledThreads(int expected) {
  int n = ProcessThreads();
  for (int i = 0; i < 500 && n != expected; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    n = ProcessThreads();
  }
  return n;
}

class PipelineThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* saved = std::getenv("KORVEX_PIPELINE_THREADS");
    saved_ = saved ? saved : "";
    hadValue_ = saved != nullptr;
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
    window_ = KorvexHost_CreateMessageWindow();
    frames_ = KorvexHost_CreateMessageWindow();
  }
  void TearDown() override {
    KorvexHost_DestroyWindow(window_);
    KorvexHost_DestroyWindow(frames_);
    if (hadValue_) {
      setenv("KORVEX_PIPELINE_THREADS", saved_.c_str(), 1);
    } else {
      unsetenv("KORVEX_PIPELINE_THREADS");
    }
  }

  // Starts a colour preview with every stage active under the given thread
  // setting, waits for a frame, counts the process's threads, then releases
  // the camera while frames keep coming. Returns the threads during the
  // preview minus those before the camera existed; `after` gets the same
  // difference after the release.
  int ThreadsDuringPreview(const char* setting, int& after) {
    setenv("KORVEX_PIPELINE_THREADS", setting, 1);
    KorvexHost_FlushMessages(frames_);  // notifications of an earlier camera
    const int before = ProcessThreads();
    const KORVEX_HANDLE handle = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(window_));
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(Korvex_SetPreviewWindow(handle, nullptr, 0, 0, 0, 0), 1);
    EXPECT_EQ(Korvex_SetColorMode(handle, 24), 1);
    Korvex_SetHue(handle, 30);
    Korvex_SetSaturation(handle, 20);
    Korvex_SetSharpness(handle, 5);
    std::vector<uint8_t> buffer(2560u * 1920u * 3u);
    EXPECT_EQ(Korvex_CallBackPreview(handle, reinterpret_cast<KORVEX_HWND>(frames_), buffer.data(),
                                     static_cast<int>(buffer.size()), 1),
              1);
    KorvexHostMessage message;
    // One processed frame: the pool exists, and the next frame is under way.
    // Sanitizer builds take seconds per frame.
    EXPECT_EQ(KorvexHost_GetMessage(frames_, &message, 120000), 1);
    const int during = ProcessThreads() - before;
    // Released without stopping: frames are still being processed.
    EXPECT_EQ(Korvex_Release(handle), 1);
    after = SettledThreads(before) - before;
    return during;
  }

  korvex::test::ScopedRegistryRoot registry_;
  KorvexHostWindow window_ = nullptr, frames_ = nullptr;
  std::string saved_;
  bool hadValue_ = false;
};

TEST_F(PipelineThreads, TheSettingGivesThePoolSizeAndReleaseEndsEveryThread) {
  int after = -1;
  // A first camera starts whatever the process keeps for good (a sanitizer's
  // own thread, say), so the counts below see only the cameras' threads.
  ThreadsDuringPreview("1", after);
  const int one = ThreadsDuringPreview("1", after);
  EXPECT_EQ(after, 0) << "threads left after releasing a one-thread camera";
  const int four = ThreadsDuringPreview("4", after);
  EXPECT_EQ(after, 0) << "threads left after releasing a four-thread camera";
  EXPECT_EQ(four - one, 3) << "three workers beside the thread that runs the frame";
}

}  // namespace
