// record: the live picture into an AVI file for a number of seconds, with a
// progress line; Ctrl-C stops early and still leaves a finished file.
#include "commands.h"
#include "host_seam.h"
#include "progress_line.h"
#include "session.h"
#include "stop_signal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace korvex::tool {
namespace {

// The AVI layout: frame chunks start after a 232-byte header; the RIFF size
// at offset 4 and the frame count at offset 48 are written when the file is
// finished.
constexpr uint64_t kAviHeaderBytes = 232;
constexpr uint64_t kChunkHeaderBytes = 8;
constexpr uint64_t kRiffSizeOffset = 4;
constexpr uint64_t kTotalFramesOffset = 48;
// How long after the recording time the file may take to be finished before
// the tool stops the camera itself.
constexpr double kFinishGraceSeconds = 10;
constexpr auto kPoll = std::chrono::milliseconds(100);

uint32_t ReadLe32At(const std::string& path, uint64_t offset) {
  unsigned char b[4] = {};
  if (!ReadFileBytes(path, offset, b, sizeof b)) return 0;
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

uint64_t FileBytes(const std::string& path) {
  uint64_t bytes = 0;
  return FileSize(path, &bytes) ? bytes : 0;
}

}  // namespace

int RunRecord(const RecordOptions& o) {
  // Written so that "nan" fails too.
  if (!(o.seconds >= 0 && o.seconds <= 3600)) {
    PrintError("--seconds must lie in 0..3600");
    return kExitUsage;
  }
  Session session;
  if (const int opened = OpenForAcquisition(session, o.common, o.acquisition); opened != kExitOk)
    return opened;
  const KORVEX_HANDLE camera = session.Camera();
  const uint64_t frameBytes =
      3ull * Korvex_Width(camera) * Korvex_Height(camera) + kChunkHeaderBytes;
  const int milliseconds = static_cast<int>(o.seconds * 1000);

  const auto start = std::chrono::steady_clock::now();
  if (!session.Run("cannot record to '" + o.path + "'",
                   [&] { return RecordTo(camera, o.path, milliseconds); }))
    return kExitFailed;

  ProgressLine line(stdout, PrepareTerminalProgress());
  RecordingProgress progress;
  bool interrupted = false, streamEnded = false;
  for (;;) {
    std::this_thread::sleep_for(kPoll);
    progress.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    progress.fileBytes = FileBytes(o.path);
    if (ReadLe32At(o.path, kRiffSizeOffset) != 0) break;  // finished by the camera
    progress.frames = static_cast<uint32_t>(
        progress.fileBytes > kAviHeaderBytes ? (progress.fileBytes - kAviHeaderBytes) / frameBytes
                                             : 0);
    line.Update(progress);
    if (StopRequested()) {
      interrupted = true;
      break;
    }
    Notification n;
    while (session.Notifications().Wait(&n, 0))
      if (n.message == KORVEX_WM_ERROR && n.lParam == KORVEX_ERR_STREAM_ENDED) streamEnded = true;
    if (streamEnded || progress.seconds > o.seconds + kFinishGraceSeconds) break;
  }
  // Stopping the camera finishes a file that is still open and waits for it.
  Korvex_StopPreview(camera);
  progress.fileBytes = FileBytes(o.path);
  progress.frames = ReadLe32At(o.path, kTotalFramesOffset);
  line.Update(progress);
  line.Finish();
  if (streamEnded) {
    session.ReportFailure("the recording stopped early; '" + o.path + "' holds the frames so far");
    return kExitFailed;
  }
  // The camera raises KORVEX_ERR_FILE when it had to end the recording
  // early: the disk became full, or the file reached the 4 GiB an AVI file
  // can describe.
  const std::vector<uint32_t> codes = session.TakeErrors();
  if (std::find(codes.begin(), codes.end(), KORVEX_ERR_FILE) != codes.end()) {
    PrintError("the recording stopped early after " + std::to_string(progress.frames) +
               " frames: the disk is full or the file reached the 4 GiB an AVI file can "
               "hold; '" +
               o.path + "' holds the frames so far");
    return kExitFailed;
  }
  std::printf("%s %u frames in %.1f s to %s (%.1f MB)\n",
              interrupted ? "stopped: recorded" : "recorded", progress.frames, progress.seconds,
              o.path.c_str(), progress.fileBytes / 1e6);
  return kExitOk;
}

}  // namespace korvex::tool
