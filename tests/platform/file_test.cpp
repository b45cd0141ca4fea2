// The file seam: positions beyond what 32 bits hold, emptying and cutting
// files, new files that refuse taken names, replacing by rename, and names
// that are not regular files refused without blocking.
#include "platform/file.h"
#include "support/special_names.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace korvex::platform {
namespace {

namespace fs = std::filesystem;

class PlatformFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("korvex-file-" + std::to_string(CurrentProcessId()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    ASSERT_TRUE(fs::create_directory(folder_));
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string File(const char* name) const { return (folder_ / name).string(); }

  static void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  }
  static std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path folder_;
};

TEST_F(PlatformFile, WritesLandBeyondTwoAndFourGibibytes) {
  const std::string path = File("far.bin");
  const FileHandle file = OpenRegularFileForWriting(path.c_str());
  ASSERT_NE(file, kNoFile);
  ASSERT_TRUE(WriteFileAt(file, 0xC0000000ull, "abcd", 4));  // 3 GiB: negative as a 32-bit long
  ASSERT_TRUE(WriteFileAt(file, 0x100000010ull, "ef", 2));   // past 4 GiB
  ASSERT_TRUE(WriteFileAt(file, 2, "Z", 1));
  ASSERT_TRUE(CloseFile(file));
  EXPECT_EQ(fs::file_size(path), 0x100000012ull);

  uint64_t size = 0;
  const FileHandle in = OpenRegularFileForReading(path.c_str(), &size);
  ASSERT_NE(in, kNoFile);
  EXPECT_EQ(size, 0x100000012ull);
  char head[3] = {1, 1, 1};
  ASSERT_EQ(ReadFromFile(in, head, 3), 3);
  EXPECT_EQ(head[0], '\0');
  EXPECT_EQ(head[2], 'Z');
  EXPECT_TRUE(CloseFile(in));
}

TEST_F(PlatformFile, OpeningEmptiesTruncatingCutsAndBadArgumentsFail) {
  const std::string path = File("trunc.bin");
  Put(path, "12345678");
  FileHandle file = OpenRegularFileForWriting(path.c_str());
  ASSERT_NE(file, kNoFile);
  EXPECT_EQ(fs::file_size(path), 0u);
  ASSERT_TRUE(WriteFileAt(file, 0, "abcdefgh", 8));
  ASSERT_TRUE(TruncateFile(file, 3));
  ASSERT_TRUE(WriteFileAt(file, 3, "XY", 2));
  ASSERT_TRUE(CloseFile(file));
  EXPECT_EQ(Get(path), "abcXY");

  EXPECT_EQ(OpenRegularFileForWriting(nullptr), kNoFile);
  EXPECT_EQ(OpenRegularFileForWriting(File("no-such-folder/x.bin").c_str()), kNoFile);
  uint64_t size = 7;
  EXPECT_EQ(OpenRegularFileForReading(File("missing.bin").c_str(), &size), kNoFile);
  EXPECT_EQ(OpenRegularFileForReading(path.c_str(), nullptr), kNoFile);
  EXPECT_FALSE(WriteFileAt(kNoFile, 0, "x", 1));
  EXPECT_FALSE(TruncateFile(kNoFile, 0));
  EXPECT_EQ(ReadFromFile(kNoFile, &size, 1), -1);
  EXPECT_FALSE(CloseFile(kNoFile));
}

TEST_F(PlatformFile, NewFilesRefuseTakenNamesAndSayWhy) {
  const std::string path = File("new.bin");
  bool taken = true;
  const FileHandle file = CreateNewFile(path.c_str(), &taken);
  ASSERT_NE(file, kNoFile);
  EXPECT_FALSE(taken);
  ASSERT_TRUE(WriteFileAt(file, 0, "first", 5));
  ASSERT_TRUE(CloseFile(file));

  EXPECT_EQ(CreateNewFile(path.c_str(), &taken), kNoFile);
  EXPECT_TRUE(taken);
  EXPECT_EQ(Get(path), "first") << "the taken file is left as it was";
  EXPECT_EQ(CreateNewFile(File("no-such-folder/x.bin").c_str(), &taken), kNoFile);
  EXPECT_FALSE(taken) << "a missing folder is no taken name";
}

TEST_F(PlatformFile, RenamingReplacesTheTargetInOneStep) {
  const std::string from = File("from.bin"), to = File("to.bin");
  Put(from, "new content");
  Put(to, "old");
  ASSERT_TRUE(RenameFileOver(from.c_str(), to.c_str()));
  EXPECT_EQ(Get(to), "new content");
  EXPECT_FALSE(fs::exists(from));
  EXPECT_FALSE(RenameFileOver(from.c_str(), to.c_str())) << "nothing left to rename";
  EXPECT_EQ(Get(to), "new content");

  EXPECT_TRUE(RemoveFile(to.c_str()));
  EXPECT_FALSE(fs::exists(to));
  EXPECT_FALSE(RemoveFile(to.c_str()));
  EXPECT_FALSE(RemoveFile(nullptr));
}

TEST_F(PlatformFile, NamesThatAreNotRegularFilesAreRefusedWithoutBlocking) {
  const std::string regular = File("regular.bin");
  Put(regular, "x");
  EXPECT_EQ(KindOfFileName(regular.c_str()), FileNameKind::kRegularFile);
  EXPECT_EQ(KindOfFileName(File("missing").c_str()), FileNameKind::kMissing);
  EXPECT_EQ(KindOfFileName(nullptr), FileNameKind::kMissing);

  const std::string folder = File("folder");
  ASSERT_TRUE(fs::create_directory(folder));
  test::ScopedPipeName pipe(folder_.string(), "pipe");
  ASSERT_TRUE(pipe.Made());
  for (const std::string& name : {folder, pipe.Name(), std::string(test::DeviceName())}) {
    EXPECT_EQ(KindOfFileName(name.c_str()), FileNameKind::kOther) << name;
    EXPECT_EQ(OpenRegularFileForWriting(name.c_str()), kNoFile) << name;
    uint64_t size = 0;
    EXPECT_EQ(OpenRegularFileForReading(name.c_str(), &size), kNoFile) << name;
  }
  EXPECT_TRUE(pipe.Untouched());
  EXPECT_TRUE(fs::is_directory(folder));
}

}  // namespace
}  // namespace korvex::platform
