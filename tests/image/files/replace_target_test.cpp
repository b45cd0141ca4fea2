// Saving over a file that exists: the new file takes the old one's place
// with its permissions (and, where the system allows, its owner), a file
// the user may not write is refused as a plain write would refuse it, and
// names as long as the system allows are saved, since the temporary file
// the save writes first fits wherever the target's name fits.
#include "image/dib_image.h"
#include "image/files/file_readers.h"
#include "image/files/image_files.h"
#include "support/other_user.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex::test {
namespace {

namespace fs = std::filesystem;
using image::SaveImageFile;

constexpr char kOld[] = "the old picture";

class ReplaceTarget : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(image_.Create(16, 8, 24), 1);
    image_.Bits()[0] = 7;
    previousMask_ = ::umask(022);  // what a new file would get is 0644
  }
  void TearDown() override { ::umask(previousMask_); }

  std::string Put(const std::string& name, mode_t mode) {
    const std::string path = folder_.File(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (file == nullptr) return path;
    std::fputs(kOld, file);
    std::fclose(file);
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);
    return path;
  }
  static mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
  }
  static bool HoldsOld(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end()) == kOld;
  }
  size_t EntriesInFolder() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_.Path())) ++n;
    return n;
  }

  TempFolder folder_;
  CDibImage image_;
  mode_t previousMask_ = 0;
};

TEST_F(ReplaceTarget, TheNewFileKeepsTheOldFilesPermissions) {
  for (mode_t mode : {0600, 0640, 0604, 0755, 0666}) {
    SCOPED_TRACE(mode);
    const std::string path = Put("picture" + std::to_string(mode), mode);
    ASSERT_EQ(SaveImageFile(path.c_str(), image_, image::kSaveRaw, 10), 1);
    EXPECT_EQ(ReadWholeFile(path).size(), image_.ImageSize());
    EXPECT_EQ(ModeOf(path), mode) << "a private file must not become readable by others";
  }
  // A new file gets what the user's file-creation mask gives any new file.
  const std::string fresh = folder_.File("fresh");
  ASSERT_EQ(SaveImageFile(fresh.c_str(), image_, image::kSaveBmp, 10), 1);
  EXPECT_EQ(ModeOf(fresh), 0644u);
}

TEST_F(ReplaceTarget, TheOwnerIsKeptWhereTheSystemAllows) {
  if (!RunningAsRoot()) GTEST_SKIP() << "only root may give a file to another user";
  const std::string path = Put("theirs", 0640);
  ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(SaveImageFile(path.c_str(), image_, image::kSaveRaw, 10), 1);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, kNobody);
  EXPECT_EQ(info.st_gid, kNobody);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(ReplaceTarget, AFileTheUserMayNotWriteIsRefusedThoughTheFolderIsWritable) {
  // The folder is open to everyone, so only the file's own permissions stop
  // the save, as they stop `cp` or a shell redirection.
  ASSERT_EQ(::chmod(folder_.Path().c_str(), 0777), 0);
  const std::string readOnly = Put("read-only", 0444);
  const std::string othersFile = Put("others", 0644);
  const std::string writable = Put("writable", 0666);
  if (RunningAsRoot()) {
    // Files of root's that the unprivileged user may read but not write.
    ASSERT_EQ(::chown(readOnly.c_str(), 0, 0), 0);
    ASSERT_EQ(::chown(othersFile.c_str(), 0, 0), 0);
  } else {
    ASSERT_EQ(::chmod(othersFile.c_str(), 0444), 0);  // the user's own, made read-only
  }
  const bool asExpected = RunUnprivileged([&] {
    return SaveImageFile(readOnly.c_str(), image_, image::kSaveRaw, 10) == 0 &&
           SaveImageFile(othersFile.c_str(), image_, image::kSaveRaw, 10) == 0 &&
           SaveImageFile(writable.c_str(), image_, image::kSaveRaw, 10) == 1;
  });
  EXPECT_TRUE(asExpected) << "refused the two read-only files and saved the writable one";
  EXPECT_TRUE(HoldsOld(readOnly));
  EXPECT_TRUE(HoldsOld(othersFile));
  EXPECT_EQ(ModeOf(readOnly), 0444u);
  EXPECT_EQ(ReadWholeFile(writable).size(), image_.ImageSize());
  EXPECT_EQ(EntriesInFolder(), 3u) << "no temporary file is left behind";
}

TEST_F(ReplaceTarget, NamesUpToTheSystemsLimitAreSavedAndReplaced) {
  const long limit = ::pathconf(folder_.Path().c_str(), _PC_NAME_MAX);
  ASSERT_GT(limit, 12);
  for (long length : {limit, limit - 1, limit - 15, 1L, 2L, 3L, 12L}) {
    SCOPED_TRACE(length);
    const std::string name(static_cast<size_t>(length), 'n');
    const std::string path = Put(name, 0644);
    ASSERT_EQ(SaveImageFile(path.c_str(), image_, image::kSaveRaw, 10), 1);
    EXPECT_EQ(ReadWholeFile(path).size(), image_.ImageSize());
    ASSERT_TRUE(fs::remove(path));
    // A new file of that length too.
    ASSERT_EQ(SaveImageFile(path.c_str(), image_, image::kSaveBmp, 10), 1);
    ASSERT_TRUE(fs::remove(path));
  }
  EXPECT_EQ(EntriesInFolder(), 0u) << "no temporary file is left behind";
  const std::string tooLong(static_cast<size_t>(limit) + 1, 'n');
  EXPECT_EQ(SaveImageFile(folder_.File(tooLong).c_str(), image_, image::kSaveRaw, 10), 0);
}

}  // namespace
}  // namespace korvex::test
