// Recording the live picture into an AVI file: Record starts the preview and
// a recording thread, which takes every new output image the preview worker
// produces, converts it to 24 bits and appends it to the file until the
// recording time has passed or the preview stops. Either way the thread
// finishes the file, so it is complete and readable whenever it ends.
#include "camera/korvex.h"

#include "image/avi/avi_frame.h"
#include "image/dib_image.h"
#include "platform/text.h"

#include <system_error>

namespace korvex {
namespace {

// Converted file names, terminator included, fit into this many bytes.
constexpr int kNameBufferSize = 1024;
// How often the recording thread looks for a new frame.
constexpr uint32_t kPollMilliseconds = 10;
// The nominal 30 frames per second in hundredths, for a file without frames.
constexpr uint32_t kNominalRateHundredths = image::avi::kNominalRate * 100;

}  // namespace

int CKorvex::Record(const char* fileName, int milliseconds, int showWindow) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  // A negative duration is refused rather than read as an unsigned count of
  // milliseconds, which would record for weeks.
  if (fileName == nullptr || fileName[0] == '\0' || milliseconds < 0) {
    errors_.ReportError(KORVEX_ERR_ARGUMENT);
    return 0;
  }
  if (!HasDevice()) return NotPossible();
  // One recording at a time: the running one owns the file and the recorder.
  if (recorderRun_.load()) return NotPossible();
  // A recording that ended by itself has left its thread to be joined.
  if (recorderThread_.joinable()) recorderThread_.join();

  // Recording delivers no frame messages or copies.
  StoreFrameTarget(nullptr, nullptr, 0, 0);
  if (showWindow != 0 && !OpenDisplayIfWanted()) {
    errors_.ReportError(KORVEX_ERR_WINDOW);
    return 0;
  }
  if (!StartPreview()) {
    Close();
    errors_.ReportError(KORVEX_ERR_FILE);
    return 0;
  }
  {
    LockGuard<platform::CriticalSection> frame(frameLock_);
    const CDibImage* output = OutputImage();
    if (output != nullptr && !output->IsEmpty()) {
      recorder_.SetFrameFormat(output->Width(), output->Height(),
                               static_cast<uint16_t>(output->BitsPerPixel()));
    } else {
      recorder_.SetFrameFormat(0, 0, 0);  // makes the file fail below
    }
  }
  if (!recorder_.BeginAviFile(fileName)) {
    Close();
    errors_.ReportError(KORVEX_ERR_FILE);
    return 0;
  }
  recordDuration_ = static_cast<uint32_t>(milliseconds);
  newFrame_.store(0);
  recorderRun_.store(true);  // the thread tests it from its first step
  try {
    recorderThread_ = std::thread(&CKorvex::RecorderWorker, this);
  } catch (const std::system_error&) {
    recorderRun_.store(false);
    recorder_.FinishAviFile(kNominalRateHundredths);  // no frames: nothing to report
    Close();
    errors_.ReportError(KORVEX_ERR_WORKER);
    return 0;
  }
  return 1;
}

int CKorvex::RecordW(const KORVEX_WCHAR* fileName, int milliseconds, int showWindow) {
  if (fileName == nullptr) {
    errors_.ReportError(KORVEX_ERR_ARGUMENT);
    return 0;
  }
  char name[kNameBufferSize];
  if (platform::WideToAnsi(fileName, name, kNameBufferSize) == 0) {
    errors_.ReportError(KORVEX_ERR_FILE);
    return 0;
  }
  return Record(name, milliseconds, showWindow);
}

void CKorvex::LimitRecordingFileSize(uint64_t bytes) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!recorderRun_.load()) recorder_.LimitFileSize(bytes);
}

void CKorvex::RecorderWorker() {
  image::avi::AviFrameImages work;
  bool haveImages;
  {
    LockGuard<platform::CriticalSection> frame(frameLock_);
    haveImages = work.Create(recorder_.Width(), recorder_.Height());
  }
  bool started = false;
  uint32_t firstFrame = 0;
  while (haveImages && recorderRun_.load()) {
    platform::Sleep(kPollMilliseconds);
    // A frame produced between two polls replaces the one before it.
    if (newFrame_.exchange(0) == 0) continue;
    const uint32_t now = platform::TimeGetTime();
    if (!started) {
      firstFrame = now;
      started = true;
    }
    bool full = false;
    {
      LockGuard<platform::CriticalSection> frame(frameLock_);
      CDibImage* output = OutputImage();
      // Null when the colour mode changed to an image of another size or
      // none: that frame is left out.
      const CDibImage* converted = output != nullptr ? work.Convert(*output) : nullptr;
      if (converted != nullptr) full = !recorder_.AppendAviFrame(converted->Bits());
    }
    // Compared as elapsed time, which stays right across the timer's wrap.
    if (now - firstFrame > recordDuration_ || full) {
      FinishRecording(now, firstFrame);
      recorderRun_.store(false);
    }
  }
  // Stopped before the time was over: the file is finished all the same.
  if (recorder_.IsOpen()) FinishRecording(platform::TimeGetTime(), started ? firstFrame : 0);
  work.Release();
}

void CKorvex::FinishRecording(uint32_t now, uint32_t firstFrameTick) {
  const bool finished =
      recorder_.FinishAviFile(image::avi::MeasuredRate(recorder_.FrameCount(), now - firstFrameTick));
  // A write that failed (a full disk) ended the recording early or left the
  // file without its index, or the file reached the 4 GiB an AVI file can
  // describe and the recording ended there: the application learns of it.
  if (!finished || recorder_.WriteFailed() || recorder_.LimitReached())
    errors_.ReportError(KORVEX_ERR_FILE);
}

}  // namespace korvex
