// The korvex tool against the simulated camera, run as a user runs it: exit
// codes, messages, and the files it writes read back with independent
// decoders. Each child process has a fresh simulated camera, so two
// snapshots with the same settings hold the same frame.
#include "image/avi/avi_reader.h"
#include "image/files/file_readers.h"
#include "support/file_size_limit.h"
#include "tool/tool_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <regex>
#include <thread>

namespace korvex::test {
namespace {

class KorvexTool : public ::testing::Test {
 protected:
  ToolResult Korvex(const std::vector<std::string>& args) {
    return runner_.Run(KORVEX_TOOL_PATH, args);
  }
  std::string File(const std::string& name) const { return folder_.File(name); }

  TempFolder folder_;
  ToolRunner runner_{folder_.File("")};
};

// A 24-bit raw file holds rows of 3 * width bytes padded to 4, top row
// first, blue-green-red.
std::vector<uint8_t> RawToRgbRows(const std::vector<uint8_t>& raw, int width, int height,
                                  bool bottomUp, size_t offset = 0) {
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> rgb;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = raw.data() + offset + (bottomUp ? height - 1 - y : y) * stride;
    for (int x = 0; x < width; ++x) {
      rgb.push_back(row[3 * x + 2]);
      rgb.push_back(row[3 * x + 1]);
      rgb.push_back(row[3 * x]);
    }
  }
  return rgb;
}

TEST_F(KorvexTool, SnapshotsInEveryFormatHoldTheSamePicture) {
  const std::vector<std::string> small = {"--size", "64x48", "--color-mode", "24"};
  auto snap = [&](const std::string& name, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"snap", File(name)};
    args.insert(args.end(), small.begin(), small.end());
    args.insert(args.end(), extra.begin(), extra.end());
    const ToolResult r = Korvex(args);
    EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
    EXPECT_NE(r.out.find("64 x 48"), std::string::npos) << r.out;
  };
  snap("shot.raw");
  snap("shot.png");
  snap("shot.TIF");
  snap("shot.bmp");
  snap("shot.picture", {"--format", "png"});

  const std::vector<uint8_t> raw = ReadWholeFile(File("shot.raw"));
  ASSERT_EQ(raw.size(), 48u * 192u);
  const std::vector<uint8_t> expected = RawToRgbRows(raw, 64, 48, false);

  for (const char* name : {"shot.png", "shot.picture"}) {
    DecodedImage png;
    ASSERT_TRUE(DecodePng(File(name), &png)) << name;
    EXPECT_EQ(png.width, 64);
    EXPECT_EQ(png.height, 48);
    EXPECT_EQ(png.channels, 3);
    EXPECT_EQ(png.samples, expected) << name;
  }
  DecodedImage tiff;
  ASSERT_TRUE(DecodeTiff(File("shot.TIF"), &tiff));
  EXPECT_EQ(tiff.samples, expected);

  const std::vector<uint8_t> bmp = ReadWholeFile(File("shot.bmp"));
  ASSERT_EQ(bmp.size(), 54u + 48u * 192u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(RawToRgbRows(bmp, 64, 48, true, 54), expected);
}

TEST_F(KorvexTool, JpegQualityReachesTheFile) {
  // The same frame losslessly and at the three qualities: the lower the
  // quality, the further the decoded picture lies from it.
  auto snap = [&](const std::string& name, const std::vector<std::string>& extra) {
    // The whole test picture, with its colour ramp and fine checkerboard.
    std::vector<std::string> args = {"snap", File(name)};
    args.insert(args.end(), extra.begin(), extra.end());
    const ToolResult r = Korvex(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
  };
  snap("reference.png", {});
  DecodedImage reference;
  ASSERT_TRUE(DecodePng(File("reference.png"), &reference));
  long long previous = -1;
  for (const char* quality : {"100", "70", "20"}) {
    const std::string name = std::string("q") + quality + ".jpg";
    EXPECT_NE(snap(name, {"--quality", quality}).find(std::string("JPEG quality ") + quality),
              std::string::npos);
    DecodedImage jpeg;
    ASSERT_TRUE(DecodeJpeg(File(name), &jpeg));
    ASSERT_EQ(jpeg.samples.size(), reference.samples.size());
    long long distance = 0;
    for (size_t i = 0; i < jpeg.samples.size(); ++i)
      distance += std::abs(int{jpeg.samples[i]} - int{reference.samples[i]});
    EXPECT_GT(distance, previous) << "quality " << quality;
    previous = distance;
  }
}

TEST_F(KorvexTool, GrayAndDeepColourModesSaveTheirDepth) {
  struct Case {
    const char* mode;
    const char* name;
    int channels, bitDepth;
  };
  for (const Case& c :
       {Case{"8", "gray8.png", 1, 8}, Case{"16", "gray16.png", 1, 16}, Case{"32", "rgba.png", 4, 8},
        Case{"48", "deep.tif", 3, 16}, Case{"64", "deep.png", 4, 16}}) {
    const ToolResult r = Korvex({"snap", File(c.name), "--size", "32x16", "--color-mode", c.mode});
    ASSERT_EQ(r.exitCode, 0) << c.name << ": " << r.err;
    DecodedImage image;
    const bool png = std::string(c.name).ends_with(".png");
    ASSERT_TRUE(png ? DecodePng(File(c.name), &image) : DecodeTiff(File(c.name), &image));
    EXPECT_EQ(image.width, 32) << c.name;
    EXPECT_EQ(image.channels, c.channels) << c.name;
    EXPECT_EQ(image.bitDepth, c.bitDepth) << c.name;
  }
}

TEST_F(KorvexTool, FailuresSayWhatFailedAndEndNonZero) {
  ToolResult r = Korvex({"get", "gain", "--camera", "5"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("cannot select camera 5"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("KORVEX_ERR_DEVICE"), std::string::npos) << r.err;

  r = Korvex({"set", "gian", "3"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("unknown parameter 'gian'; did you mean 'gain'?"), std::string::npos)
      << r.err;

  r = Korvex({"set", "gamma", "12x"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("not a whole number"), std::string::npos) << r.err;

  r = Korvex({"snap", File("missing/shot.png"), "--size", "32x16"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(File("missing/shot.png")));

  r = Korvex({"snap", File("shot.gif")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("cannot tell the format"), std::string::npos) << r.err;

  r = Korvex({"reg", "read", "0xC5"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("KORVEX_ERR_REFUSED"), std::string::npos) << r.err;

  r = Korvex({"config", "load", File("absent.cfg")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("cannot read the configuration file"), std::string::npos) << r.err;

  EXPECT_EQ(Korvex({"get", "--camera", "32"}).exitCode, 2);
  EXPECT_EQ(Korvex({"fly"}).exitCode, 2);
  EXPECT_EQ(Korvex({}).exitCode, 2);
}

TEST_F(KorvexTool, ValuesOutsideTheirRangeAreUsageErrorsThatNameTheRange) {
  struct Case {
    std::vector<std::string> args;
    const char* range;  // what the message must name
  };
  const Case cases[] = {
      {{"set", "gain", "1024"}, "gain accepts 0..1023"},
      {{"set", "exposure-us", "-1"}, "exposure-us accepts 0..122271"},
      {{"set", "wb-rgb", "0x1000000"}, "wb-rgb accepts 0..0xFFFFFF"},
      {{"set", "wait-ms", "4294967295"}, "wait-ms accepts 0..2147483647"},
      {{"set", "mirror-h=2"}, "mirror-h accepts 0..1"},
      {{"set", "color-mode", "12"}, "color-mode accepts 8, 16, 24, 32, 48 or 64"},
      {{"set", "gamma", "nan"}, "gamma accepts 0..200"},
      {{"record", File("nan.avi"), "--seconds", "nan"}, "0..3600"},
      {{"record", File("neg.avi"), "--seconds", "-1"}, "0..3600"},
      {{"preview", "--seconds", "nan"}, "3600"},
      {{"preview", "--seconds", "inf"}, "3600"},
      {{"snap", File("big.png"), "--size", "2000x100+1000+0"}, "2560"},
      {{"snap", File("zero.png"), "--size", "0x10"}, "1..2560"},
      {{"snap", File("set.png"), "--set", "gain=-3"}, "gain accepts 0..1023"},
      {{"reg", "read", "zz"}, "0..255"},
      {{"srom", "read", "0", "0x1000000"}, "1..256"},
  };
  for (const Case& c : cases) {
    const ToolResult r = Korvex(c.args);
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    EXPECT_EQ(r.exitCode, 2) << line << r.err;
    EXPECT_NE(r.err.find(c.range), std::string::npos) << line << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(File("nan.avi")));
  EXPECT_FALSE(std::filesystem::exists(File("set.png")));

  // Every value is checked before the camera sees any: the good first
  // value is not applied either.
  ToolResult r = Korvex({"set", "gain", "5", "exposure", "1015"});
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_EQ(r.out, "");
  r = Korvex({"get", "gain"});
  EXPECT_EQ(r.out, "gain = 512\n");
}

TEST_F(KorvexTool, SetReportsTheAppliedValueAndStoredValuesLastToTheNextRun) {
  ToolResult r =
      Korvex({"set", "exposure-us", "12200", "wb-auto=1", "brightness", "-20", "color-mode=16"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // 12200 us is 101 whole lines, which take 12240 us.
  EXPECT_NE(r.out.find("exposure-us = 12240\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("wb-auto = 1  (this run only"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("brightness = -20\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("color-mode = 16  (this run only"), std::string::npos) << r.out;

  r = Korvex({"get", "exposure", "brightness", "wb-auto", "color-mode"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "exposure = 101\nbrightness = -20\nwb-auto = 0\ncolor-mode = 24\n");

  r = Korvex({"set", "gain"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("no value given for 'gain'"), std::string::npos) << r.err;
}

TEST_F(KorvexTool, RecordingWithoutATerminalPrintsPlainLinesAndFinishesTheFile) {
  const ToolResult r =
      Korvex({"record", File("clip.avi"), "--seconds", "1.2", "--size", "320x240"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.find('\r'), std::string::npos) << "no in-place rewriting off a terminal";
  EXPECT_EQ(r.out.find('\033'), std::string::npos);
  EXPECT_NE(r.out.find("recording: "), std::string::npos) << r.out;

  AviContents avi;
  std::string error;
  ASSERT_TRUE(ParseAvi(ReadWholeFile(File("clip.avi")), &avi, &error)) << error;
  ASSERT_TRUE(avi.hasIndex);
  ASSERT_FALSE(avi.frames.empty());
  EXPECT_EQ(avi.index.size(), avi.frames.size());
  EXPECT_EQ(avi.avih[4], avi.frames.size()) << "total frames";
  EXPECT_EQ(avi.strf[1], 320u);
  EXPECT_EQ(avi.strf[2], 240u);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.out, m, std::regex(R"(recorded (\d+) frames)"))) << r.out;
  EXPECT_EQ(std::stoul(m[1]), avi.frames.size());
}

// Starts a long recording, sends `signals` (in order, `gap` apart) once the
// first frame is in the file, and checks that the tool finished the file
// and exits with 128 + the first signal's number.
void RecordAndInterrupt(ToolRunner& runner, const std::string& path,
                        const std::vector<int>& signals, std::chrono::milliseconds gap) {
  const pid_t child =
      runner.Start(KORVEX_TOOL_PATH, {"record", path, "--seconds", "60", "--size", "160x120"});
  ASSERT_GT(child, 0);
  const uintmax_t firstFrameEnd = 232 + 8 + 3 * 160 * 120;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  auto bytes = [&] {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
  };
  while (bytes() < firstFrameEnd && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  for (size_t i = 0; i < signals.size(); ++i) {
    if (i > 0) std::this_thread::sleep_for(gap);
    kill(child, signals[i]);
  }
  const ToolResult r = runner.Finish(child);
  EXPECT_EQ(r.exitCode, 128 + signals[0]) << r.err;
  EXPECT_NE(r.out.find("stopped: recorded"), std::string::npos) << r.out;

  AviContents avi;
  std::string error;
  ASSERT_TRUE(ParseAvi(ReadWholeFile(path), &avi, &error)) << error;
  EXPECT_TRUE(avi.hasIndex);
  EXPECT_GE(avi.frames.size(), 1u);
  EXPECT_EQ(avi.avih[4], avi.frames.size());
}

TEST_F(KorvexTool, InterruptedRecordingLeavesAFinishedFile) {
  RecordAndInterrupt(runner_, File("int.avi"), {SIGINT}, {});
}

TEST_F(KorvexTool, EveryCatchableEndingFinishesTheRecordingAndSaysItWasInterrupted) {
  const auto gap = std::chrono::milliseconds(50);
  for (const int signal : {SIGTERM, SIGHUP, SIGPIPE, SIGQUIT}) {
    SCOPED_TRACE(signal);
    RecordAndInterrupt(runner_, File("signal" + std::to_string(signal) + ".avi"), {signal}, {});
  }
  // A second Ctrl-C, or another signal after the first, does not cut the
  // finishing short.
  RecordAndInterrupt(runner_, File("twice.avi"), {SIGINT, SIGINT}, gap);
  RecordAndInterrupt(runner_, File("then-term.avi"), {SIGINT, SIGTERM, SIGHUP}, gap);
}

TEST_F(KorvexTool, ARecordingTheCameraEndsEarlyIsAFailureWithAFinishedFile) {
  // A disk that fills after a few frames (the limit leaves room for the
  // camera's 4.75 MiB ownership table): the camera ends the recording, as
  // it does at the 4 GiB an AVI file can hold, and raises its file code.
  const std::string path = File("full.avi");
  ToolResult r;
  {
    ScopedFileSizeLimit fullDisk(6u << 20);
    r = Korvex({"record", path, "--seconds", "60", "--size", "640x480"});
  }
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  std::smatch m;
  ASSERT_TRUE(
      std::regex_search(r.err, m, std::regex(R"(the recording stopped early after (\d+) frames)")))
      << r.err;
  AviContents avi;
  std::string error;
  ASSERT_TRUE(ParseAvi(ReadWholeFile(path), &avi, &error)) << error;
  EXPECT_GE(avi.frames.size(), 1u);
  EXPECT_EQ(std::stoul(m[1]), avi.frames.size());
  EXPECT_TRUE(avi.hasIndex);
}

TEST_F(KorvexTool, PreviewPrintsTheRateAndSettlingValuesEachSecond) {
  const ToolResult r = Korvex({"preview", "--seconds", "2.3", "--size", "320x240",
                               "--auto-white-balance", "--auto-brightness", "exposure"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::regex line(R"(\s*(\d+) s\s+(\d+) fps\s+gain\s+\d+\s+exposure.*white balance R\s+\d+)");
  int lines = 0, framesSeen = 0;
  for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), line);
       it != std::sregex_iterator(); ++it) {
    ++lines;
    EXPECT_EQ(std::stoi((*it)[1]), lines);
    framesSeen += std::stoi((*it)[2]);
  }
  EXPECT_EQ(lines, 2) << r.out;
  // A loaded machine may start the camera late in the first second, so
  // only the two seconds together must have seen frames.
  EXPECT_GT(framesSeen, 0) << r.out;
}

TEST_F(KorvexTool, CameraListInformationAndDeviceAccess) {
  ToolResult r = Korvex({"list"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("1 camera present\n  camera 0: Korvex740K3-XLN"), std::string::npos)
      << r.out;

  r = Korvex({"info"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // 27788575 is 0x01A8051F.
  EXPECT_NE(r.out.find("KorvexSdk_740K3_XLN 1.168.5.31"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("gain range     0..1023"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("* gain               512"), std::string::npos) << r.out;
  // The tool's own version is the library's: both come from the file VERSION.
  r = Korvex({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "korvex 1.168.5.31\n");

  r = Korvex({"srom", "read", "0", "4"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "00: 4B 6F 72 76\n") << "the simulated camera's identification starts 'Korv'";
  EXPECT_EQ(Korvex({"srom", "write", "250", "1", "2", "3", "4", "5", "6", "7"}).exitCode, 2)
      << "past the end of the identification area";

  EXPECT_EQ(Korvex({"reg", "write", "5", "0x1234"}).exitCode, 0);
  EXPECT_EQ(Korvex({"io", "0x55"}).exitCode, 0);
  EXPECT_EQ(Korvex({"io", "256"}).exitCode, 2);

  {
    std::FILE* f = std::fopen(File("two.cfg").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const uint32_t values[4] = {1, 2, 3, 4};
    std::fwrite(values, sizeof values, 1, f);
    std::fclose(f);
  }
  r = Korvex({"config", "load", File("two.cfg")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("2 records"), std::string::npos) << r.out;

  r = Korvex({"snap", "--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("--camera"), std::string::npos);
}

}  // namespace
}  // namespace korvex::test
