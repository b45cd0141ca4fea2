// The progress of a recording: one line rewritten in place on a terminal,
// plain lines (one a second) otherwise.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace korvex::tool {

struct RecordingProgress {
  uint32_t frames = 0;
  double seconds = 0;
  uint64_t fileBytes = 0;
};

// "12 frames  1.8 s  6.7 fps  176.9 MB"
std::string FormatProgress(const RecordingProgress& p);

class ProgressLine {
 public:
  // Rewrites the line in place when `out` is a terminal.
  ProgressLine(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}
  // Shows the progress: on a terminal at once, otherwise when a new whole
  // second has begun.
  void Update(const RecordingProgress& p);
  // Ends the line on a terminal.
  void Finish();

 private:
  std::FILE* out_;
  bool terminal_;
  int lastSecond_ = 0;
  bool drawn_ = false;
};

}  // namespace korvex::tool
