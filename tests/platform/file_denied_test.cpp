// A name that may not be looked at is "denied" on Linux as on Windows: not
// missing (a save would otherwise try to create it) and not a file. On
// Windows the same answer comes from the access-denied error of the
// attribute open; Wine, running as root here, cannot be made to deny, so
// this check runs on Linux only.
#include "platform/file.h"
#include "support/other_user.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace korvex::platform {
namespace {

namespace fs = std::filesystem;

TEST(PlatformFileDenied, ANameBehindAFolderThatMayNotBeSearchedIsDeniedNotMissing) {
  const fs::path folder =
      fs::temp_directory_path() / ("korvex-denied-" + std::to_string(CurrentProcessId()));
  fs::remove_all(folder);
  ASSERT_TRUE(fs::create_directories(folder / "closed"));
  std::ofstream(folder / "closed" / "inside") << "x";
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_all | fs::perms::others_all);
  fs::permissions(folder / "closed", fs::perms::none);
  const std::string inside = (folder / "closed" / "inside").string();
  const std::string missing = (folder / "missing").string();
  const bool asExpected = test::RunUnprivileged([&] {
    return KindOfFileName(inside.c_str()) == FileNameKind::kDenied &&
           KindOfFileName(missing.c_str()) == FileNameKind::kMissing;
  });
  fs::permissions(folder / "closed", fs::perms::owner_all);
  fs::remove_all(folder);
  EXPECT_TRUE(asExpected);
}

}  // namespace
}  // namespace korvex::platform
