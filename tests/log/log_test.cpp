// The diagnostic log: what a failed export and a lost camera write, the
// level filter, the size cap with its one older file, and a log switched on
// that has nothing to say creating no file.
#include "log/log.h"
#include "KorvexSdk_740K3_XLN.h"
#include "image/files/file_readers.h"
#include "korvex/host.h"
#include "korvex/host_messages.h"
#include "korvex/host_sim.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace korvex::test {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override { KorvexHost_SimReset(); }
  void TearDown() override { log::Configure({}); }

  void LogTo(log::Level level, uint64_t maxBytes = 1u << 20) {
    log::Settings settings;
    settings.destination = path_;
    settings.level = level;
    settings.maxBytes = maxBytes;
    log::Configure(settings);
  }

  TempFolder folder_;
  const std::string path_ = folder_.File("korvex.log");
};

TEST_F(LogTest, AFailedExportIsLoggedWithItsArgumentsAndTheCodeByName) {
  LogTo(log::Level::kError);
  const KORVEX_HANDLE camera = Korvex_Initialize(nullptr);
  ASSERT_NE(camera, 0u);
  EXPECT_EQ(Korvex_SetColorMode(camera, 12), 0);
  EXPECT_EQ(Korvex_SaveImage(camera, nullptr, 0), 0);
  EXPECT_EQ(Korvex_SetColorMode(camera, 24), 1);  // a success writes nothing
  Korvex_Release(camera);

  const std::string text = Slurp(path_);
  char handle[16];
  std::snprintf(handle, sizeof handle, "0x%08X", camera);
  EXPECT_NE(text.find(std::string("Korvex_SetColorMode(") + handle +
                      ", 12) failed: KORVEX_ERR_ARGUMENT (9)"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(std::string("Korvex_SaveImage(") + handle + ", null, 0) failed: KORVEX_ERR_"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("Korvex_SetColorMode(" + std::string(handle) + ", 24)"), std::string::npos)
      << text;
  EXPECT_NE(text.find(std::string("camera=") + handle + " error api:"), std::string::npos) << text;
}

TEST_F(LogTest, ACameraPulledOutWhileStreamingIsLoggedWithTheStreamEndCode) {
  LogTo(log::Level::kWarning);
  KorvexHost_SimSetFastPace(1);
  const KORVEX_HANDLE camera = Korvex_Initialize(nullptr);
  ASSERT_NE(camera, 0u);
  ASSERT_EQ(Korvex_SetCaptureWindowEx(camera, 2560, 0, 64, 2560, 0, 48), 1);
  ASSERT_EQ(Korvex_SetColorMode(camera, 8), 1);
  ASSERT_EQ(Korvex_SetPreviewWindow(camera, nullptr, 0, 0, 0, 0), 1);
  const KorvexHostWindow frames = KorvexHost_CreateMessageWindow();
  std::vector<uint8_t> image(64 * 48);
  ASSERT_EQ(Korvex_CallBackPreview(camera, reinterpret_cast<KORVEX_HWND>(frames), image.data(),
                                   static_cast<int>(image.size()), 1),
            1);
  // Pulled out once frames flow, so the stream loses a camera it had open.
  KorvexHostMessage message;
  ASSERT_EQ(KorvexHost_GetMessage(frames, &message, 20000), 1);
  ASSERT_EQ(KorvexHost_SimUnplug(0), 1);
  // The worker reports the end within the frame wait; generous for a loaded machine.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::string text;
  while (std::chrono::steady_clock::now() < end &&
         (text = Slurp(path_)).find("KORVEX_ERR_STREAM_ENDED (13)") == std::string::npos)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Korvex_StopPreview(camera);
  Korvex_Release(camera);
  KorvexHost_DestroyWindow(frames);
  KorvexHost_SimPlug(0);
  EXPECT_NE(text.find("error camera: KORVEX_ERR_STREAM_ENDED (13)"), std::string::npos) << text;
  EXPECT_NE(text.find("error device: \\\\.\\Kvrx740K3XLN-0: a frame transfer failed"),
            std::string::npos)
      << text;
  // Info lines (the start and the stop) are below the level.
  EXPECT_EQ(text.find("preview started"), std::string::npos) << text;
}

TEST_F(LogTest, LinesBelowTheLevelAreLeftOut) {
  LogTo(log::Level::kInfo);
  EXPECT_TRUE(log::Enabled(log::Level::kInfo));
  EXPECT_FALSE(log::Enabled(log::Level::kDebug));
  KORVEX_LOG(kDebug, kDevice, 0, "debug line %d", 1);
  KORVEX_LOG(kInfo, kCamera, 7, "info line %d", 2);
  KORVEX_LOG(kError, kFiles, 0, "error line %s", "three");
  const std::string text = Slurp(path_);
  EXPECT_EQ(text.find("debug line"), std::string::npos) << text;
  EXPECT_NE(text.find("camera=0x00000007 info camera: info line 2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("error files: error line three\n"), std::string::npos) << text;
}

TEST_F(LogTest, AFullFileIsRotatedSoTheLogStaysUnderTwiceItsCap) {
  constexpr uint64_t kCap = 4096;
  LogTo(log::Level::kDebug, kCap);
  const std::string filler(100, 'x');
  for (int i = 0; i < 1000; ++i) KORVEX_LOG(kDebug, kDevice, 0, "line %04d %s", i, filler.c_str());
  const std::string newest = Slurp(path_), older = Slurp(path_ + ".1");
  EXPECT_LE(newest.size(), kCap);
  EXPECT_LE(older.size(), kCap);
  EXPECT_GT(older.size(), kCap / 2) << "the older file was full when it was set aside";
  EXPECT_NE(newest.find("line 0999"), std::string::npos) << "the newest line is kept";
  EXPECT_EQ(newest.find("line 0000"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(path_ + ".2"));
}

TEST_F(LogTest, TheEnvironmentChoosesTheFileTheLevelAndTheCap) {
  setenv("KORVEX_LOG", "/some/where.log", 1);
  setenv("KORVEX_LOG_LEVEL", "debug", 1);
  setenv("KORVEX_LOG_MAX_KB", "64", 1);
  const log::Settings chosen = log::SettingsFromEnvironment();
  setenv("KORVEX_LOG_LEVEL", "loud", 1);  // not a level: the default stands
  setenv("KORVEX_LOG_MAX_KB", "-5", 1);
  const log::Settings wrong = log::SettingsFromEnvironment();
  unsetenv("KORVEX_LOG");
  unsetenv("KORVEX_LOG_LEVEL");
  unsetenv("KORVEX_LOG_MAX_KB");
  EXPECT_EQ(chosen.destination, "/some/where.log");
  EXPECT_EQ(chosen.level, log::Level::kDebug);
  EXPECT_EQ(chosen.maxBytes, 64u * 1024u);
  EXPECT_EQ(wrong.level, log::Level::kWarning);
  EXPECT_EQ(wrong.maxBytes, 8192u * 1024u);
  EXPECT_TRUE(log::SettingsFromEnvironment().destination.empty()) << "off without the variable";
}

// The file is made by the first line: a run with nothing at its level, or a
// log switched off, leaves no file behind.
TEST_F(LogTest, NoFileIsCreatedUntilALineIsWritten) {
  LogTo(log::Level::kError);
  KorvexHost_SimSetFastPace(1);
  KORVEX_HANDLE camera = Korvex_Initialize(nullptr);
  ASSERT_NE(camera, 0u);
  std::vector<uint8_t> image(2560 * 1920 * 3);
  EXPECT_EQ(Korvex_SnapShot(camera, image.data(), static_cast<int>(image.size()), 1), 1);
  Korvex_Release(camera);
  EXPECT_FALSE(std::filesystem::exists(path_));

  log::Configure({});
  EXPECT_FALSE(log::Enabled(log::Level::kError));
  camera = Korvex_Initialize(nullptr);
  EXPECT_EQ(Korvex_SetColorMode(camera, 12), 0);
  Korvex_Release(camera);
  EXPECT_FALSE(std::filesystem::exists(path_));
}

}  // namespace
}  // namespace korvex::test
