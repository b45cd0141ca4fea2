// The source tree's layers. The exports (api/) stand on the camera object;
// the camera stands on its dialogs, the image pipeline, the persistence of
// settings, the device layer and error recording, which never include the
// camera or the exports; the dialogs never include the camera or the
// exports either (the camera opens them and hands them what they show).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Rule {
  const char* layer;
  std::vector<std::string> above;  // folders the layer's files never include
};

TEST(Layering, NoIncludeClimbsIntoALayerAbove) {
  const std::filesystem::path source = KORVEX_SOURCE_DIR;
  ASSERT_TRUE(std::filesystem::is_directory(source / "camera"));
  const std::vector<std::string> cameraAndAbove = {"camera/", "api/", "dialogs/"};
  const Rule rules[] = {
      {"image", cameraAndAbove},  {"settings", cameraAndAbove}, {"device", cameraAndAbove},
      {"common", {"camera/", "api/", "dialogs/", "platform/"}},  // common stands on nothing
      {"errors", cameraAndAbove},   {"dialogs", {"camera/", "api/"}},
      {"camera", {"api/"}},
  };
  int files = 0;
  for (const Rule& rule : rules) {
    ASSERT_TRUE(std::filesystem::is_directory(source / rule.layer)) << rule.layer;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(source / rule.layer)) {
      if (!entry.is_regular_file()) continue;
      ++files;
      std::ifstream in(entry.path());
      std::string line;
      while (std::getline(in, line)) {
        if (line.rfind("#include \"", 0) != 0) continue;
        for (const std::string& folder : rule.above) {
          EXPECT_NE(line.rfind("#include \"" + folder, 0), 0u) << entry.path().string() << ": " << line;
        }
      }
    }
  }
  EXPECT_GT(files, 40) << "the layers were found";
}

}  // namespace
