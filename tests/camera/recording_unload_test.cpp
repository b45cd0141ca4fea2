// A program that ends, or unloads the library, while a recording runs: the
// file must still describe the frames already written. Each case runs in a
// child process that loads the shared library by its path, starts a
// recording on the simulated camera, waits for the first frame in the file
// and then ends the way the case names.
#include "KorvexSdk_740K3_XLN.h"
#include "image/avi/finished_avi.h"
#include "korvex/host_sim.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace korvex::test {
namespace {

constexpr int kWidth = 32, kHeight = 24;

enum class Ending { kExit, kExitFromAnotherThread, kDlclose };

// Child exit codes for a set-up that failed, told apart in the message.
constexpr int kNoLibrary = 20, kNoRecording = 21, kNoFrame = 22, kStillRunning = 23;

using InitializeFn = KORVEX_HANDLE(KORVEX_CALL*)(KORVEX_HWND);
using SetPreviewWindowFn = int(KORVEX_CALL*)(KORVEX_HANDLE, KORVEX_HWND, int, int, int, int);
using SetCaptureWindowExFn = int(KORVEX_CALL*)(KORVEX_HANDLE, int, int, int, int, int, int);
using RecordFn = int(KORVEX_CALL*)(KORVEX_HANDLE, const char*, int, int);

// The child's whole life; never returns.
[[noreturn]] void RecordThenEnd(const std::string& path, Ending ending) {
  void* library = dlopen(KORVEX_SDK_SO_PATH, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) _exit(kNoLibrary);
  auto initialize = reinterpret_cast<InitializeFn>(dlsym(library, "Korvex_Initialize"));
  auto setPreview = reinterpret_cast<SetPreviewWindowFn>(dlsym(library, "Korvex_SetPreviewWindow"));
  auto setWindow =
      reinterpret_cast<SetCaptureWindowExFn>(dlsym(library, "Korvex_SetCaptureWindowEx"));
  auto record = reinterpret_cast<RecordFn>(dlsym(library, "Korvex_Record"));
  if (!initialize || !setPreview || !setWindow || !record) _exit(kNoLibrary);
  KorvexHost_SimSetFastPace(1);
  const KORVEX_HANDLE camera = initialize(nullptr);
  if (camera == 0 || setPreview(camera, nullptr, 0, 0, 0, 0) != 1 ||
      setWindow(camera, 2560, 0, kWidth, 2560, 0, kHeight) != 1 ||
      record(camera, path.c_str(), 60000, 0) != 1)
    _exit(kNoRecording);
  const uintmax_t firstFrameEnd = 232 + 8 + ((kWidth * 3 + 3) & ~3) * kHeight;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  std::error_code error;
  while (std::filesystem::file_size(path, error) < firstFrameEnd || error) {
    if (std::chrono::steady_clock::now() > deadline) _exit(kNoFrame);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  switch (ending) {
    case Ending::kExit: std::exit(0);  // as a return from main does
    case Ending::kExitFromAnotherThread: std::thread([] { std::exit(0); }).join(); break;
    case Ending::kDlclose:
      dlclose(library);
      // No thread of the library may run on: a moment later the process
      // is still alive to end normally.
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      _exit(0);
  }
  _exit(kStillRunning);
}

class RecordingAtTheEnd : public ::testing::TestWithParam<Ending> {
 protected:
  // Runs the child; its exit status, or -1 when a signal ended it.
  int RunChild(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) RecordThenEnd(path, GetParam());
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  TempFolder folder_;
};

TEST_P(RecordingAtTheEnd, LeavesAFinishedFileOfTheFramesWritten) {
  const std::string path = folder_.File("ended.avi");
  const int status = RunChild(path);
  ASSERT_NE(status, kNoLibrary);
  ASSERT_NE(status, kNoRecording);
  ASSERT_NE(status, kNoFrame);
  // Leaked camera objects may make the leak checker's exit status; only
  // dlclose, which ends with _exit, has its own.
  if (GetParam() == Ending::kDlclose) {
    EXPECT_EQ(status, 0);
  }
  EXPECT_NE(status, -1) << "a signal ended the child";

  AviContents avi;
  ASSERT_NO_FATAL_FAILURE(ExpectFinishedAvi(path, &avi));
  EXPECT_EQ(avi.strf[1], static_cast<uint32_t>(kWidth));
}

INSTANTIATE_TEST_SUITE_P(Endings, RecordingAtTheEnd,
                         ::testing::Values(Ending::kExit, Ending::kExitFromAnotherThread,
                                           Ending::kDlclose),
                         [](const ::testing::TestParamInfo<Ending>& info) {
                           switch (info.param) {
                             case Ending::kExit: return "Exit";
                             case Ending::kExitFromAnotherThread: return "ExitFromAnotherThread";
                             case Ending::kDlclose: return "Dlclose";
                           }
                           return "Unknown";
                         });

}  // namespace
}  // namespace korvex::test
