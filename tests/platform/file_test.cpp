// Files written through the platform: positions beyond what a 32-bit `long`
// holds, and a fresh file on every open.
#include "platform/file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace korvex::platform {
namespace {

std::filesystem::path TempFile(const char* name) {
  return std::filesystem::temp_directory_path() / name;
}

TEST(PlatformFile, WritesLandBeyondTwoAndFourGibibytes) {
  const std::filesystem::path path = TempFile("korvex-file-far.bin");
  std::FILE* file = OpenFileForWriting(path.string().c_str());
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(SeekFile(file, 0xC0000000ull));  // 3 GiB: negative as a 32-bit long
  ASSERT_EQ(std::fwrite("abcd", 1, 4, file), 4u);
  ASSERT_TRUE(SeekFile(file, 0x100000010ull));  // past 4 GiB
  ASSERT_EQ(std::fwrite("ef", 1, 2, file), 2u);
  ASSERT_TRUE(SeekFile(file, 2));
  ASSERT_EQ(std::fwrite("Z", 1, 1, file), 1u);
  ASSERT_EQ(std::fclose(file), 0);
  EXPECT_EQ(std::filesystem::file_size(path), 0x100000012ull);

  std::FILE* in = std::fopen(path.string().c_str(), "rb");
  ASSERT_NE(in, nullptr);
  char head[3] = {};
  ASSERT_EQ(std::fread(head, 1, 3, in), 3u);
  EXPECT_EQ(head[2], 'Z');
  std::fclose(in);
  std::filesystem::remove(path);
}

TEST(PlatformFile, OpeningTruncatesAndBadArgumentsFail) {
  const std::filesystem::path path = TempFile("korvex-file-trunc.bin");
  std::FILE* file = OpenFileForWriting(path.string().c_str());
  ASSERT_NE(file, nullptr);
  std::fwrite("12345678", 1, 8, file);
  std::fclose(file);
  file = OpenFileForWriting(path.string().c_str());
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  std::filesystem::remove(path);

  EXPECT_EQ(OpenFileForWriting(nullptr), nullptr);
  EXPECT_EQ(OpenFileForWriting((TempFile("no-such-folder-korvex") / "x.bin").string().c_str()),
            nullptr);
  EXPECT_FALSE(SeekFile(nullptr, 0));
}

}  // namespace
}  // namespace korvex::platform
