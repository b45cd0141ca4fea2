// The example programs run to completion on the simulated camera and do
// what they say.
#include "image/files/file_readers.h"
#include "tool/tool_runner.h"

#include <gtest/gtest.h>

#include <regex>

namespace korvex::test {
namespace {

class Examples : public ::testing::Test {
 protected:
  ToolResult Example(const std::string& name, const std::vector<std::string>& args) {
    return runner_.Run(std::string(KORVEX_EXAMPLES_DIR) + "/example_" + name, args);
  }

  TempFolder folder_;
  ToolRunner runner_{folder_.File("")};
};

TEST_F(Examples, SnapshotWritesAColourPng) {
  const ToolResult r = Example("snapshot", {folder_.File("picture.png")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  DecodedImage png;
  ASSERT_TRUE(DecodePng(folder_.File("picture.png"), &png));
  EXPECT_EQ(png.width, 2560);
  EXPECT_EQ(png.height, 1920);
  EXPECT_EQ(png.channels, 3);
}

TEST_F(Examples, LivePreviewCopiesTheFramesItIsNotifiedOf) {
  const ToolResult r = Example("live_preview", {"5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(frame 5: centre pixel B \d+ G \d+ R \d+)")))
      << r.out;
  EXPECT_NE(r.out.find("5 frames copied"), std::string::npos) << r.out;
}

TEST_F(Examples, TriggeredCaptureGetsOneFramePerPulse) {
  const ToolResult r = Example("triggered_capture", {});
  ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
  EXPECT_NE(r.out.find("trigger 3: frame with mean"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("3 of 3 triggered frames"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace korvex::test
