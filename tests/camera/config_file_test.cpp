// Configuration files: records of two 32-bit values replace the camera's list.
#include "KorvexSdk_740K3_XLN.h"
#include "api/sdk_chain.h"
#include "camera/korvex.h"
#include "support/special_names.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace korvex {
namespace {

class ConfigFile : public ::testing::Test {
 protected:
  std::string Write(const std::vector<uint8_t>& bytes) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("korvex-config-" + std::to_string(getpid()) +
                                                   "-" + std::to_string(files_.size()) + ".bin"))
            .string();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    files_.push_back(path);
    return path;
  }
  void TearDown() override {
    for (const auto& f : files_) std::remove(f.c_str());
  }
  static std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes;
    for (uint32_t w : words)
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return bytes;
  }
  CKorvex camera_;  // loading needs no device
  std::vector<std::string> files_;
};

using Entries = std::vector<std::pair<int32_t, int32_t>>;

TEST_F(ConfigFile, RecordsReplaceTheListAndTrailingBytesAreIgnored) {
  EXPECT_EQ(camera_.LoadConfigFile(Write(Words({1, 2, 3, 4})).c_str()), 1);
  EXPECT_EQ(camera_.ConfigList(), (Entries{{1, 2}, {3, 4}}));
  EXPECT_EQ(camera_.LoadConfigFile(Write(Words({5, 0xFFFFFFFFu, 7, 8, 9})).c_str()), 1);
  EXPECT_EQ(camera_.ConfigList(), (Entries{{5, -1}, {7, 8}}));
  EXPECT_EQ(camera_.LoadConfigFile("/nonexistent/korvex.cfg"), 0);
  EXPECT_EQ(camera_.ConfigList(), (Entries{{5, -1}, {7, 8}})) << "a failed load keeps the list";
  EXPECT_EQ(camera_.GetLastError(), 0u) << "a missing file raises nothing";
  EXPECT_EQ(camera_.LoadConfigFile(Write({1, 2, 3}).c_str()), 1);
  EXPECT_TRUE(camera_.ConfigList().empty()) << "fewer than 8 bytes hold no record";

  // An empty file empties a list that held entries.
  ASSERT_EQ(camera_.LoadConfigFile(Write(Words({11, 12})).c_str()), 1);
  ASSERT_EQ(camera_.ConfigList(), (Entries{{11, 12}}));
  EXPECT_EQ(camera_.LoadConfigFile(Write({}).c_str()), 1);
  EXPECT_TRUE(camera_.ConfigList().empty());
}

TEST_F(ConfigFile, WideNamesAreConvertedOrRefusedWithTheFileCode) {
  const std::string path = Write(Words({10, 20}));
  std::vector<KORVEX_WCHAR> wide(path.begin(), path.end());
  wide.push_back(0);
  EXPECT_EQ(camera_.LoadConfigFileW(wide.data()), 1);
  EXPECT_EQ(camera_.ConfigList(), (Entries{{10, 20}}));

  // A lone surrogate: on Linux no character set holds it, so the name is
  // refused with the file code; Windows takes any UTF-16 as a name, and
  // there is no such file.
  const KORVEX_WCHAR lone[] = {0xD800, 'x', 0};
  EXPECT_EQ(camera_.LoadConfigFileW(lone), 0);
#ifdef _WIN32
  EXPECT_EQ(camera_.GetLastError(), 0u);
#else
  EXPECT_EQ(camera_.GetLastError(), KORVEX_ERR_FILE);
#endif
  EXPECT_EQ(camera_.ConfigList(), (Entries{{10, 20}}));
}

TEST_F(ConfigFile, OnlyRegularFilesAreReadAndOtherNamesKeepTheList) {
  EXPECT_EQ(camera_.LoadConfigFile(Write(Words({1, 2})).c_str()), 1);
  const Entries loaded{{1, 2}};

  // A folder opens as a stream but cannot be read.
  const std::string folder = Write({}) + ".d";
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  EXPECT_EQ(camera_.LoadConfigFile(folder.c_str()), 0);
  std::filesystem::remove(folder);
  // A device (one that never ends on Linux), and a pipe without a writer
  // that would block the open for ever.
  EXPECT_EQ(camera_.LoadConfigFile(test::DeviceName()), 0);
  test::ScopedPipeName pipe(std::filesystem::temp_directory_path().string(),
                            "korvex-config-" + std::to_string(getpid()) + ".fifo");
  ASSERT_TRUE(pipe.Made());
  EXPECT_EQ(camera_.LoadConfigFile(pipe.Name().c_str()), 0);
  EXPECT_TRUE(pipe.Untouched());

  EXPECT_EQ(camera_.ConfigList(), loaded);
  EXPECT_EQ(camera_.GetLastError(), 0u) << "an unreadable name raises nothing";
}

// Larger than any configuration of this camera: refused with the file code
// before anything is read, and the list stays as it was.
TEST_F(ConfigFile, FilesLargerThanAnyConfigurationAreRefusedUnread) {
  constexpr size_t kLimit = 1u << 20;
  std::vector<uint8_t> largest(kLimit, 0);
  largest[kLimit - 8] = 9;
  ASSERT_EQ(camera_.LoadConfigFile(Write(largest).c_str()), 1);
  const Entries list = camera_.ConfigList();
  ASSERT_EQ(list.size(), kLimit / 8);
  EXPECT_EQ(list.back(), (std::pair<int32_t, int32_t>{9, 0}));

  largest.resize(kLimit + 8, 1);
  EXPECT_EQ(camera_.LoadConfigFile(Write(largest).c_str()), 0);
  EXPECT_EQ(camera_.GetLastError(), KORVEX_ERR_FILE);
  EXPECT_EQ(camera_.GetLastError(), 0u);
  EXPECT_EQ(camera_.ConfigList(), list);
}

TEST_F(ConfigFile, AFourGibibyteFileIsRefusedFromItsSize) {
  const std::string path = Write({});
  // Sparse: no disk space, but a size of 4 GiB and a byte.
  std::filesystem::resize_file(path, (uint64_t{1} << 32) + 1);
  ASSERT_EQ(camera_.LoadConfigFile(Write(Words({3, 4})).c_str()), 1);
  EXPECT_EQ(camera_.LoadConfigFile(path.c_str()), 0);
  EXPECT_EQ(camera_.GetLastError(), KORVEX_ERR_FILE);
  EXPECT_EQ(camera_.ConfigList(), (Entries{{3, 4}}));
}

}  // namespace
}  // namespace korvex
