// The source tree's layers: the image pipeline, the persistence of settings
// and the device layer stand below the camera object and never include it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

TEST(Layering, LowerLayersNeverIncludeTheCameraLayer) {
  const std::filesystem::path source = KORVEX_SOURCE_DIR;
  ASSERT_TRUE(std::filesystem::is_directory(source / "camera"));
  int files = 0;
  for (const char* layer : {"image", "settings", "device", "common"}) {
    if (!std::filesystem::exists(source / layer)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(source / layer)) {
      if (!entry.is_regular_file()) continue;
      ++files;
      std::ifstream in(entry.path());
      std::string line;
      while (std::getline(in, line)) {
        EXPECT_EQ(line.find("#include \"camera/"), std::string::npos)
            << entry.path().string() << ": " << line;
      }
    }
  }
  EXPECT_GT(files, 20) << "the layers were found";
}

}  // namespace
