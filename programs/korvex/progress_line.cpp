#include "progress_line.h"

namespace korvex::tool {

std::string FormatProgress(const RecordingProgress& p) {
  const double fps = p.seconds > 0 ? p.frames / p.seconds : 0.0;
  char text[128];
  std::snprintf(text, sizeof text, "%u frames  %.1f s  %.1f fps  %.1f MB", p.frames, p.seconds, fps,
                p.fileBytes / 1e6);
  return text;
}

void ProgressLine::Update(const RecordingProgress& p) {
  if (terminal_) {
    // Back to the line's start, the text, then clear what an older, longer
    // text left.
    std::fprintf(out_, "\r%s\033[K", FormatProgress(p).c_str());
    drawn_ = true;
  } else {
    const int second = static_cast<int>(p.seconds);
    if (second <= lastSecond_) return;
    lastSecond_ = second;
    std::fprintf(out_, "recording: %s\n", FormatProgress(p).c_str());
  }
  std::fflush(out_);
}

void ProgressLine::Finish() {
  if (terminal_ && drawn_) std::fprintf(out_, "\n");
  std::fflush(out_);
}

}  // namespace korvex::tool
