// KorvexSdk_740K3_XLN.dll on its own driver path: run without
// KORVEX_SIMULATED_CAMERAS against the test driver (test_driver.c), which
// tools/windows/run-driver-tests.sh installs with KORVEX_TEST_DRIVER_CAMERAS
// cameras. Camera 0 serves most cases; camera 1 is pulled out by the last
// case and camera 2 serves the traffic comparison fresh, as the Linux
// simulator's camera is.
//
// Started as "korvex_driver_tests --simulator-snapshots FOLDER" the program
// instead takes the same snapshots on the simulator path (korvexsim.dll) for
// the comparison, and writes them to FOLDER.
#include "KorvexSdk_740K3_XLN.h"
#include "driver_client.h"
#include "image/avi/avi_reader.h"
#include "support/registry_util.h"
#include "traffic_scenario.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace korvex::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kModes[] = {8, 16, 24, 32, 48, 64};
constexpr uint32_t kUnplugCamera = 1;
constexpr int kScenarioCamera = 2;
constexpr uint32_t kByteFrame = 2560 * 2008;
constexpr uint32_t kWordFrame = 2 * kByteFrame;

std::string Environment(const char* name) {
  char value[1024] = {};
  const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value) : std::string();
}

int InstalledCameras() { return std::atoi(Environment("KORVEX_TEST_DRIVER_CAMERAS").c_str()); }

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Waits up to `limit` for a condition, polling; true when it held.
template <class Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// A raw frame every build computes alike (word samples; the byte modes read
// its first half), so that each colour mode has detail to convert.
std::vector<uint8_t> FixedFrame() {
  std::vector<uint8_t> bytes(kWordFrame);
  uint32_t state = 2024;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const size_t x = i % 2560, y = i / 2560;
    state = state * 1103515245u + 12345u;
    bytes[i] = static_cast<uint8_t>((x / 7 + y / 5 + ((state >> 16) & 31)) & 0xFF);
  }
  return bytes;
}

// Snapshots of camera 0 in every colour mode, each as the caller's buffer.
std::vector<std::vector<uint8_t>> SnapshotsInEveryMode() {
  std::vector<std::vector<uint8_t>> images;
  const KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  if (h == 0 || !Korvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0)) return images;
  for (const int mode : kModes) {
    std::vector<uint8_t> image;
    if (Korvex_SetColorMode(h, mode)) {
      image.resize(static_cast<size_t>(Korvex_Width(h)) * Korvex_Height(h) * (mode / 8));
      if (!Korvex_SnapShot(h, image.data(), static_cast<int>(image.size()), 1)) image.clear();
    }
    images.push_back(std::move(image));
  }
  Korvex_Release(h);
  return images;
}

std::string ModeFile(const std::string& folder, int mode) {
  return folder + "\\mode" + std::to_string(mode) + ".bin";
}

// The --simulator-snapshots run: the fixed frame through korvexsim.dll.
int WriteSimulatorSnapshots(const std::string& folder) {
  HMODULE sim = ::LoadLibraryA("korvexsim.dll");
  if (sim == nullptr) return 1;
  auto setRawFrame = reinterpret_cast<int (*)(int, const void*, size_t)>(
      reinterpret_cast<void*>(::GetProcAddress(sim, "KorvexHost_SimSetRawFrame")));
  auto setFastPace = reinterpret_cast<void (*)(int)>(
      reinterpret_cast<void*>(::GetProcAddress(sim, "KorvexHost_SimSetFastPace")));
  if (setRawFrame == nullptr || setFastPace == nullptr) return 1;
  const std::vector<uint8_t> frame = FixedFrame();
  setFastPace(1);
  if (!setRawFrame(0, frame.data(), frame.size())) return 1;
  const std::vector<std::vector<uint8_t>> images = SnapshotsInEveryMode();
  if (images.size() != std::size(kModes)) return 1;
  for (size_t m = 0; m < images.size(); ++m) {
    std::ofstream out(ModeFile(folder, kModes[m]), std::ios::binary);
    out.write(reinterpret_cast<const char*>(images[m].data()),
              static_cast<std::streamsize>(images[m].size()));
    if (!out) return 1;
  }
  return 0;
}

// Runs this program with --simulator-snapshots in an environment with
// KORVEX_SIMULATED_CAMERAS=1; its exit status, or -1.
int RunSimulatorSnapshots(const std::string& folder) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" --simulator-snapshots \"" + folder + "\"";
  ::SetEnvironmentVariableA("KORVEX_SIMULATED_CAMERAS", "1");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
  ::SetEnvironmentVariableA("KORVEX_SIMULATED_CAMERAS", nullptr);
  if (!started) return -1;
  ::WaitForSingleObject(process.hProcess, 120000);
  DWORD status = 1;
  if (!::GetExitCodeProcess(process.hProcess, &status) || status == STILL_ACTIVE) status = 1;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

class ScratchFolder {
 public:
  ScratchFolder() {
    char base[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "korvex-driver-" + std::to_string(::GetCurrentProcessId());
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

class DriverPath : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Environment("KORVEX_SIMULATED_CAMERAS").empty())
        << "the driver path is taken without KORVEX_SIMULATED_CAMERAS";
    ASSERT_GE(InstalledCameras(), 3) << "KORVEX_TEST_DRIVER_CAMERAS: cameras installed";
    ASSERT_TRUE(SetFastPace(true)) << "the test driver's control device does not open";
    ASSERT_TRUE(SetFault(0, KORVEX_SIM_FAULT_STALL_STREAM, -1, 0));
  }
  ScopedRegistryRoot registry_;
  ScratchFolder folder_;
};

TEST_F(DriverPath, EnumerationFindsExactlyTheInstalledCamerasAndNoOther) {
  const int installed = InstalledCameras();
  const KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(Korvex_GetLastError(h), 0u) << "camera 0 was found";
  std::vector<char> names(32 * 256);
  EXPECT_EQ(Korvex_EnumDevice(h, names.data()), installed);
  EXPECT_STREQ(&names[0], "Korvex740K3-XLN_01");
  EXPECT_STREQ(&names[static_cast<size_t>(installed - 1) * 256],
               ("Korvex740K3-XLN_0" + std::to_string(installed)).c_str());
  EXPECT_EQ(Korvex_SetDeviceNumber(h, installed - 1), 1);
  EXPECT_EQ(Korvex_SetDeviceNumber(h, installed), 0) << "index " << installed << " stays absent";
  EXPECT_EQ(Korvex_GetLastError(h), static_cast<uint32_t>(KORVEX_ERR_DEVICE));
  EXPECT_TRUE(DeviceOpens(installed - 1));
  EXPECT_FALSE(DeviceOpens(installed));
  EXPECT_FALSE(DeviceOpens(31));
  EXPECT_EQ(Korvex_Release(h), 1);
}

TEST_F(DriverPath, EveryColourModesSnapshotIsByteIdenticalToTheSimulatorPaths) {
  ASSERT_TRUE(SetRawFrame(0, FixedFrame()));
  const std::vector<std::vector<uint8_t>> driver = SnapshotsInEveryMode();
  ASSERT_TRUE(SetRawFrame(0, {}));
  ASSERT_EQ(driver.size(), std::size(kModes));
  DeleteStoredSettings();  // the other process starts from the same defaults
  ASSERT_EQ(RunSimulatorSnapshots(folder_.Path()), 0);
  for (size_t m = 0; m < driver.size(); ++m) {
    SCOPED_TRACE(kModes[m]);
    ASSERT_FALSE(driver[m].empty()) << "no snapshot on the driver path";
    EXPECT_NE(std::count(driver[m].begin(), driver[m].end(), driver[m][0]),
              static_cast<std::ptrdiff_t>(driver[m].size()))
        << "the picture is not one flat value";
    const std::vector<uint8_t> simulator = ReadFile(ModeFile(folder_.Path(), kModes[m]));
    ASSERT_EQ(simulator.size(), driver[m].size());
    EXPECT_TRUE(simulator == driver[m]) << "the two paths' pictures differ";
  }
}

TEST_F(DriverPath, FullSizeFramesTakeTheLargeTransferCodesAndPacketsTheOrdinaryOnes) {
  ASSERT_TRUE(ClearTraffic());
  const KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  ASSERT_NE(h, 0u);
  ASSERT_EQ(Korvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0), 1);
  for (const int mode : {8, 16}) {
    ASSERT_EQ(Korvex_SetColorMode(h, mode), 1);
    std::vector<uint8_t> image(static_cast<size_t>(Korvex_Width(h)) * Korvex_Height(h) *
                               (mode / 8));
    ASSERT_EQ(Korvex_SnapShot(h, image.data(), static_cast<int>(image.size()), 1), 1);
  }
  ASSERT_EQ(Korvex_Release(h), 1);
  const auto log = Traffic();
  ASSERT_TRUE(log.has_value());
  std::vector<uint32_t> frames;
  int packets = 0;
  for (const KorvexSimTraffic& e : *log) {
    if (e.pipe == 2) {
      EXPECT_EQ(e.code, kLargePipeInDirect);
      EXPECT_EQ(e.returned, e.outLength);
      frames.push_back(e.outLength);
    } else if (e.pipe == 0 || e.pipe == 1) {
      ++packets;
      EXPECT_EQ(e.code, e.pipe == 0 ? kPipeInDirect : kPipeOutDirect);
      EXPECT_EQ(e.outLength, 64u);
      EXPECT_EQ(e.returned, 64u);
      EXPECT_EQ(e.inLength, 4u);
    }
  }
  EXPECT_EQ(frames, (std::vector<uint32_t>{kByteFrame, kWordFrame}));
  EXPECT_GT(packets, 388) << "the sensor's initialisation alone sends 388 packets";

  // The driver tells the codes apart: an ordinary request for a full frame
  // is refused, one for fewer than 3,071,999 bytes is served.
  const uint32_t framePipe = 2, commandPipe = 0;
  uint8_t request[64] = {0x02};
  std::vector<uint8_t> frame(kByteFrame);
  uint32_t returned = 0;
  EXPECT_FALSE(CameraRequest(0, kPipeInDirect, &framePipe, 4, frame.data(), kByteFrame, &returned));
  ASSERT_TRUE(CameraRequest(0, kPipeInDirect, &commandPipe, 4, request, 64, &returned));
  EXPECT_TRUE(CameraRequest(0, kPipeInDirect, &framePipe, 4, frame.data(), 3071999, &returned));
  EXPECT_EQ(returned, 3071999u);
}

TEST_F(DriverPath, ARecordingIsAFinishedAviFile) {
  const KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  ASSERT_NE(h, 0u);
  ASSERT_EQ(Korvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_SetColorMode(h, 24), 1);
  const std::string path = folder_.Path() + "\\short.avi";
  ASSERT_TRUE(ClearTraffic());
  ASSERT_EQ(Korvex_Record(h, path.c_str(), 300, 0), 1);
  AviContents contents;
  std::string error;
  EXPECT_TRUE(WaitFor(
      [&] {
        contents = AviContents{};
        return ParseAvi(ReadFile(path), &contents, &error) && contents.hasIndex &&
               contents.strh[3] != 0;
      },
      std::chrono::seconds(60)))
      << error;
  EXPECT_EQ(Korvex_StopPreview(h), 1);
  EXPECT_GE(contents.frames.size(), 1u);
  EXPECT_EQ(contents.index.size(), contents.frames.size());
  EXPECT_EQ(contents.riffSize + 8, ReadFile(path).size());
  EXPECT_EQ(Korvex_GetLastError(h), 0u);
  EXPECT_EQ(Korvex_Release(h), 1);

  // The streaming thread asks for each frame on the command pipe with the
  // out-direct code, and takes it whole with the large-transfer code.
  const auto log = Traffic();
  ASSERT_TRUE(log.has_value());
  size_t requests = 0, frames = 0;
  for (const KorvexSimTraffic& e : *log) {
    if (e.pipe == 0 && e.packetLength > 0 && e.packet[0] == 0x02 && e.code == kPipeOutDirect) {
      ++requests;
    }
    if (e.pipe == 2) {
      ++frames;
      EXPECT_EQ(e.code, kLargePipeInDirect);
      EXPECT_EQ(e.outLength, kByteFrame) << "24-bit colour is read out in bytes";
    }
  }
  EXPECT_GE(frames, contents.frames.size());
  EXPECT_GE(requests, frames);
}

TEST_F(DriverPath, AStalledTransferFailsAfterTheTimeOutSentWithSetTimeout) {
  // Another client asked for a minute; the SDK's trigger start sends 3000 ms.
  const uint32_t minute[11] = {1, 60000};
  uint32_t returned = 0;
  ASSERT_TRUE(CameraRequest(0, kSetTimeout, minute, sizeof minute, nullptr, 0, &returned));
  ASSERT_EQ(CameraState(0)->transferTimeoutMs, 60000u);
  ASSERT_TRUE(ClearTraffic());
  const KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  ASSERT_NE(h, 0u);
  ASSERT_EQ(Korvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_Trigger(h, nullptr, nullptr, 0, 1), 1);
  ASSERT_EQ(Korvex_StopPreview(h), 1);
  EXPECT_EQ(CameraState(0)->transferTimeoutMs, 3000u);
  const auto log = Traffic();
  ASSERT_TRUE(log.has_value());
  const auto record = std::find_if(log->begin(), log->end(),
                                   [](const KorvexSimTraffic& e) { return e.code == kSetTimeout; });
  ASSERT_NE(record, log->end());
  EXPECT_EQ(record->inLength, 44u);
  EXPECT_EQ(record->outLength, 0u);
  const uint8_t expected[44] = {1, 0, 0, 0, 0xB8, 0x0B};
  EXPECT_EQ(std::vector<uint8_t>(record->packet, record->packet + record->packetLength),
            std::vector<uint8_t>(expected, expected + 44));

  // A stall in a preview: the transfer fails once the 3000 ms are over,
  // long before the minute, and the stream ends with its code.
  ASSERT_EQ(Korvex_StartPreview(h), 1);
  const uint32_t served = CameraState(0)->framesServed;
  ASSERT_TRUE(
      WaitFor([&] { return CameraState(0)->framesServed > served + 1; }, std::chrono::seconds(30)));
  ASSERT_TRUE(SetFault(0, KORVEX_SIM_FAULT_STALL_STREAM, -1, 1));
  const auto stalled = Clock::now();
  EXPECT_TRUE(WaitFor([&] { return Korvex_GetLastError(h) == KORVEX_ERR_STREAM_ENDED; },
                      std::chrono::seconds(40)))
      << "the stalled transfer did not end within 40 s";
  EXPECT_GE(Clock::now() - stalled, std::chrono::milliseconds(3000))
      << "the transfer failed before its time-out";
  EXPECT_EQ(Korvex_StopPreview(h), 1);
  EXPECT_EQ(Korvex_Release(h), 1);
}

TEST_F(DriverPath, TheTrafficOfAFixedScenarioEqualsTheLinuxSimulatorsRequestForRequest) {
  const std::string reference = Environment("KORVEX_LINUX_TRAFFIC_LOG");
  if (reference.empty()) GTEST_SKIP() << "KORVEX_LINUX_TRAFFIC_LOG names no Linux log";
  std::ifstream in(reference);
  ASSERT_TRUE(in.good()) << reference;
  std::vector<std::string> linux;
  for (std::string line; std::getline(in, line);) linux.push_back(line);
  ASSERT_GT(linux.size(), 388u);

  ASSERT_TRUE(ClearTraffic());
  ASSERT_EQ(KorvexRunTrafficScenario(kScenarioCamera), 1);
  const auto log = Traffic();
  ASSERT_TRUE(log.has_value());
  std::vector<std::string> windows;
  for (const KorvexSimTraffic& e : *log) {
    char line[256];
    KorvexFormatTraffic(&e, line, sizeof line);
    windows.push_back(line);
  }
  EXPECT_EQ(windows.size(), linux.size());
  for (size_t i = 0; i < std::min(windows.size(), linux.size()); ++i) {
    ASSERT_EQ(windows[i], linux[i]) << "request " << i << " of " << linux.size();
  }
}

// Last: camera 1 does not come back.
TEST_F(DriverPath, UnpluggingWhileStreamingEndsTheStreamWithItsCodeAndStopsCleanly) {
  const int installed = InstalledCameras();
  const KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  ASSERT_NE(h, 0u);
  ASSERT_EQ(Korvex_SetDeviceNumber(h, static_cast<int>(kUnplugCamera)), 1);
  ASSERT_EQ(Korvex_SetPreviewWindow(h, nullptr, 0, 0, 0, 0), 1);
  ASSERT_EQ(Korvex_StartPreview(h), 1);
  ASSERT_TRUE(WaitFor([&] { return CameraState(kUnplugCamera)->framesServed > 2; },
                      std::chrono::seconds(30)));
  ASSERT_TRUE(Unplug(kUnplugCamera));
  EXPECT_FALSE(DeviceOpens(static_cast<int>(kUnplugCamera))) << "the device and its link are gone";
  EXPECT_TRUE(WaitFor([&] { return Korvex_GetLastError(h) == KORVEX_ERR_STREAM_ENDED; },
                      std::chrono::seconds(20)));
  EXPECT_EQ(Korvex_StopPreview(h), 1);
  std::vector<char> names(32 * 256);
  EXPECT_EQ(Korvex_EnumDevice(h, names.data()), installed - 1);
  EXPECT_EQ(Korvex_Release(h), 1);
}

}  // namespace
}  // namespace korvex::test

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--simulator-snapshots") == 0) {
    return korvex::test::WriteSimulatorSnapshots(argv[2]);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
