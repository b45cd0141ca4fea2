// Memory given back: an application that opens cameras, streams and
// releases them gets the frame buffers' memory back from the system, not
// just back into the allocator's free lists. Measured in a fresh process
// (this program run again for the one test below), so that "before the
// first Korvex_Initialize" means what it says.
#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host_sim.h"
#include "support/process_usage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace korvex::test {
namespace {

constexpr char kChildVariable[] = "KORVEX_TEST_MEMORY_CHILD";
constexpr double kAllowedMegabytes = 20;

// Resident memory of this process, in megabytes.
double ResidentMegabytes() {
  std::ifstream statm("/proc/self/statm");
  unsigned long long size = 0, resident = 0;
  statm >> size >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

// The simulated cameras' frames come from here, so that what is measured
// is the library's memory, not the rendered test picture the simulated
// hardware keeps: a few bright rows over black, and a count per camera.
void ServeFrame(void* user, uint32_t frameNumber, int, uint8_t* buffer, size_t length) {
  static_cast<std::atomic<int>*>(user)->fetch_add(1);
  std::memset(buffer, 0, length);
  std::memset(buffer + (frameNumber % 64) * 4096, 200, length > 300000 ? 4096 : 0);
}

// Runs in the child only: two cameras stream at the fast pace, in the
// colour mode with the largest buffers and then in another, and both are
// released after each round.
TEST(MemoryReturnChild, StreamTwoCamerasAndRelease) {
  if (std::getenv(kChildVariable) == nullptr) GTEST_SKIP() << "run by MemoryReturn";
  KorvexHost_SimSetFastPace(1);
  ASSERT_EQ(KorvexHost_SimPlug(1), 1);
  std::atomic<int> served[2] = {0, 0};
  for (int index = 0; index < 2; ++index)
    ASSERT_EQ(KorvexHost_SimSetFrameCallback(index, ServeFrame, &served[index]), 1);
  const double before = ResidentMegabytes();
  for (int round = 0; round < 2; ++round) {
    KORVEX_HANDLE cameras[2] = {Korvex_Initialize(nullptr), Korvex_Initialize(nullptr)};
    ASSERT_NE(cameras[0], 0u);
    ASSERT_NE(cameras[1], 0u);
    ASSERT_EQ(Korvex_SetDeviceNumber(cameras[1], 1), 1);
    for (KORVEX_HANDLE camera : cameras) {
      ASSERT_EQ(Korvex_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
      ASSERT_EQ(Korvex_SetColorMode(camera, round == 0 ? 64 : 24), 1);
      ASSERT_EQ(Korvex_StartPreview(camera), 1);
    }
    // Frames pass through every buffer: wait until both cameras have
    // served a good number of them.
    const int target = served[0].load() + 20;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while ((served[0].load() < target || served[1].load() < target) &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_GE(served[0].load(), target);
    EXPECT_GE(served[1].load(), target);
    for (KORVEX_HANDLE camera : cameras) EXPECT_EQ(Korvex_Release(camera), 1);
  }
  const double after = ResidentMegabytes();
  std::printf("resident before %.1f MB, after the last release %.1f MB\n", before, after);
  EXPECT_LE(after, before + kAllowedMegabytes);
}

TEST(MemoryReturn, ReleasingEveryCameraGivesItsMemoryBackToTheSystem) {
  if (!kHeapMeasurable) GTEST_SKIP() << "the sanitizers keep freed memory in quarantine";
  if (std::getenv(kChildVariable) != nullptr) GTEST_SKIP() << "the child runs the other test";
  const std::string command = std::string(kChildVariable) + "=1 /proc/" + std::to_string(getpid()) +
                              "/exe --gtest_filter=MemoryReturnChild.* 2>&1";
  FILE* child = popen(command.c_str(), "r");
  ASSERT_NE(child, nullptr);
  std::string output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, child) != nullptr) output += buffer;
  const int status = pclose(child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

}  // namespace
}  // namespace korvex::test
