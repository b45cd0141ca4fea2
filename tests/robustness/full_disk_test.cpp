// Writers on a full file system and on a read-only one: every image format,
// the AVI recorder and the registry. The call reports failure, a file that
// already had the name keeps its old content, and the registry keeps its
// last good state. The file system is a small tmpfs mounted for the test;
// where mounting is not allowed the tests are skipped.
#include "KorvexSdk_740K3_XLN.h"
#include "support/error_codes.h"
#include "image/avi/avi_reader.h"
#include "image/files/file_readers.h"
#include "korvex/host.h"
#include "korvex/host_sim.h"
#include "support/registry_util.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

namespace korvex::test {
namespace {

constexpr int kWidth = 256, kHeight = 192;

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}
void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class FullDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/korvex-volume-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    volume_ = pattern;
    if (::mount("tmpfs", volume_.c_str(), "tmpfs", 0, "size=1m,mode=0700") != 0) {
      std::filesystem::remove(volume_);
      volume_.clear();
      GTEST_SKIP() << "mounting a small file system is not allowed here";
    }
    KorvexHost_SimReset();
    KorvexHost_SimSetFastPace(1);
  }
  void TearDown() override {
    if (handle_ != 0) {
      EXPECT_EQ(Korvex_Release(handle_), 1);
    }
    if (volume_.empty()) return;
    ::umount2(volume_.c_str(), MNT_DETACH);
    std::filesystem::remove(volume_);
  }
  std::string File(const std::string& name) const { return volume_ + "/" + name; }

  // Takes all the space that is left.
  void Fill() {
    const int fd = ::open(File("filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    ASSERT_GE(fd, 0);
    std::vector<char> block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    // The last partial block.
    while (::write(fd, block.data(), 1) > 0) {
    }
    ::close(fd);
    const int probe = ::open(File("probe").c_str(), O_WRONLY | O_CREAT, 0600);
    const bool wrote = probe >= 0 && ::write(probe, "x", 1) == 1;
    if (probe >= 0) ::close(probe);
    ::unlink(File("probe").c_str());
    ASSERT_FALSE(wrote) << "the file system has room left";
  }
  void MakeReadOnly() {
    ASSERT_EQ(::mount(nullptr, volume_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0)
        << std::strerror(errno);
  }
  // A camera with a colour image ready to save.
  void OpenCamera() {
    handle_ = Korvex_Initialize(nullptr);
    ASSERT_NE(handle_, 0u);
    ASSERT_EQ(Korvex_SetPreviewWindow(handle_, nullptr, 0, 0, 0, 0), 1);
    ASSERT_EQ(Korvex_SetCaptureWindowEx(handle_, 2560, 0, kWidth, 2560, 0, kHeight), 1);
    ASSERT_EQ(Korvex_SetColorMode(handle_, 24), 1);
    ASSERT_EQ(Korvex_SnapShot(handle_, nullptr, 0, 1), 1);
    Codes();
  }
  std::vector<uint32_t> Codes() { return korvex::test::DrainErrors(handle_); }
  // Saves every format over an existing file of that name; each save must
  // fail and leave the old file as it was, and leave no other file behind.
  void ExpectSavesFailKeepingOldFiles() {
    const auto before = std::distance(std::filesystem::directory_iterator(volume_),
                                      std::filesystem::directory_iterator());
    for (int format = KORVEX_SAVE_BMP; format <= KORVEX_SAVE_TIFF; ++format) {
      SCOPED_TRACE(format);
      const std::string path = File("image" + std::to_string(format));
      EXPECT_EQ(Korvex_SaveImage(handle_, path.c_str(), format), 0);
      EXPECT_TRUE(ReadText(path) == "old content " + std::to_string(format))
          << "the old file was overwritten";
      const std::string newPath = File("new" + std::to_string(format));
      EXPECT_EQ(Korvex_SaveImage(handle_, newPath.c_str(), format), 0);
    }
    const auto after = std::distance(std::filesystem::directory_iterator(volume_),
                                     std::filesystem::directory_iterator());
    EXPECT_LE(after, before + 7) << "failed saves leave at most an empty file of the new name";
  }
  void CreateOldImages() {
    for (int format = KORVEX_SAVE_BMP; format <= KORVEX_SAVE_TIFF; ++format)
      WriteText(File("image" + std::to_string(format)), "old content " + std::to_string(format));
  }

  std::string volume_;
  KORVEX_HANDLE handle_ = 0;
};

TEST_F(FullDisk, ImageSavesFailAndKeepTheOldFile) {
  OpenCamera();
  CreateOldImages();
  Fill();
  ExpectSavesFailKeepingOldFiles();
}

TEST_F(FullDisk, ImageSavesOnAReadOnlyFileSystemFailAndKeepTheOldFile) {
  OpenCamera();
  CreateOldImages();
  MakeReadOnly();
  ExpectSavesFailKeepingOldFiles();
}

TEST_F(FullDisk, RecordingEndsWithAConsistentFileAndSaysSo) {
  OpenCamera();
  const std::string film = File("film.avi");
  Fill();
  const int result = Korvex_Record(handle_, film.c_str(), 60000, 0);
  std::vector<uint32_t> codes = Codes();
  if (result == 1) {
    // The recording could start: its failing writes end it and are
    // reported.
    for (int i = 0; i < 300 && codes.empty(); ++i) {
      KorvexHostMessage ignored;
      KorvexHost_GetMessage(nullptr, &ignored, 10);
      codes = Codes();
    }
    EXPECT_FALSE(codes.empty()) << "a recording that cannot write reports it";
  } else {
    EXPECT_EQ(codes.front(), static_cast<uint32_t>(KORVEX_ERR_FILE));
  }
  EXPECT_EQ(Korvex_StopPreview(handle_), 1);
  // Whatever is in the file is a consistent AVI file, or nothing.
  const std::vector<uint8_t> bytes = ReadWholeFile(film);
  if (!bytes.empty()) {
    AviContents contents;
    std::string error;
    EXPECT_TRUE(ParseAvi(bytes, &contents, &error)) << error;
    EXPECT_EQ(contents.avih[4], contents.frames.size());
  }
}

TEST_F(FullDisk, RecordingOnAReadOnlyFileSystemFailsAndKeepsTheOldFile) {
  OpenCamera();
  const std::string film = File("film.avi");
  WriteText(film, "old film");
  MakeReadOnly();
  EXPECT_EQ(Korvex_Record(handle_, film.c_str(), 100, 0), 0);
  EXPECT_EQ(Codes().front(), static_cast<uint32_t>(KORVEX_ERR_FILE));
  EXPECT_TRUE(ReadText(film) == "old film") << "the old file was overwritten";
}

// The registry replaces its file only with a whole new one: a change that
// cannot be written fails and the file keeps the last good state.
TEST_F(FullDisk, RegistryKeepsItsLastGoodState) {
  const std::string folder = File("registry");
  std::filesystem::create_directory(folder);
  char previous[4096] = {};
  KorvexHost_RegGetRoot(previous, sizeof previous);
  KorvexHost_RegSetRoot(folder.c_str());
  const std::string key = kRoot + "\\Camera_00";
  WriteDword(key, "Brightness", 40);
  ASSERT_EQ(ReadDword(key, "Brightness"), 40u);
  const std::string good = ReadText(folder + "/HKEY_CURRENT_USER.reg");

  Fill();
  KorvexHostRegKey handle = nullptr;
  ASSERT_EQ(KorvexHost_RegOpenKey(KORVEX_HOST_HKEY_CURRENT_USER, key.c_str(),
                                  KORVEX_HOST_KEY_ALL_ACCESS, &handle),
            KORVEX_HOST_REG_OK);
  const uint32_t value = 77;
  EXPECT_NE(
      KorvexHost_RegSetValue(handle, "Brightness", KORVEX_HOST_REG_DWORD, &value, sizeof value),
      KORVEX_HOST_REG_OK);
  KorvexHost_RegCloseKey(handle);
  EXPECT_EQ(ReadDword(key, "Brightness"), 40u);

  // The camera saves its settings on release; on a full disk that fails
  // silently and the stored settings stay as they were.
  handle_ = Korvex_Initialize(nullptr);
  ASSERT_NE(handle_, 0u);
  EXPECT_EQ(Korvex_SetBrightness(handle_, -12), 1);
  EXPECT_EQ(Korvex_Release(handle_), 1);
  handle_ = 0;
  EXPECT_TRUE(ReadText(folder + "/HKEY_CURRENT_USER.reg") == good) << "the hive changed";

  MakeReadOnly();
  handle_ = Korvex_Initialize(nullptr);
  EXPECT_EQ(Korvex_SetBrightness(handle_, -12), 1);
  EXPECT_EQ(Korvex_Release(handle_), 1);
  handle_ = 0;
  EXPECT_TRUE(ReadText(folder + "/HKEY_CURRENT_USER.reg") == good) << "the hive changed";
  EXPECT_EQ(ReadDword(key, "Brightness"), 40u);
  KorvexHost_RegSetRoot(previous);
}

}  // namespace
}  // namespace korvex::test
