// Recording the live picture into an AVI file: Record starts the preview and
// a recording thread, which takes every new output image the preview worker
// produces, converts it to 24 bits and appends it to the file until the
// recording time has passed or the preview stops. Either way the thread
// finishes the file, so it is complete and readable whenever it ends; when
// the library is unloaded or the process ends first, the unloading thread
// finishes it (EndAtUnload).
#include "camera/korvex.h"

#include "image/avi/avi_frame.h"
#include "image/dib_image.h"
#include "log/log.h"

#include <optional>
#include <system_error>

namespace korvex {
namespace {

// How often the recording thread looks for a new frame.
constexpr uint32_t kPollMilliseconds = 10;

}  // namespace

int CKorvex::Record(const char* fileName, int milliseconds, int showWindow) {
  return RecordFile(platform::FileName(fileName), milliseconds, showWindow);
}

int CKorvex::RecordW(const KORVEX_WCHAR* fileName, int milliseconds, int showWindow) {
  if (fileName == nullptr) return Fail(KORVEX_ERR_ARGUMENT);
  // The wide name is used as it is, whatever the ANSI code page holds (on
  // Linux converted to the locale's character set).
  const std::optional<platform::FileName> name = platform::FileName::FromWide(fileName);
  if (!name) return Fail(KORVEX_ERR_FILE);
  return RecordFile(*name, milliseconds, showWindow);
}

int CKorvex::RecordFile(const platform::FileName& fileName, int milliseconds, int showWindow) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  // A negative duration is refused rather than read as an unsigned count of
  // milliseconds, which would record for weeks.
  if (fileName.IsEmpty() || milliseconds < 0) return Fail(KORVEX_ERR_ARGUMENT);
  if (!HasDevice()) return NotPossible();
  // One recording at a time: the running one owns the file and the recorder.
  if (recorderRun_.load()) return NotPossible();
  // A recording that ended by itself has left its thread to be joined.
  if (recorderThread_.joinable()) recorderThread_.join();

  // Recording delivers no frame messages or copies.
  StoreFrameTarget(nullptr, nullptr, 0, 0);
  if (showWindow != 0 && !OpenDisplayIfWanted()) return Fail(KORVEX_ERR_WINDOW);
  if (!StartPreview()) {
    Close();
    return Fail(KORVEX_ERR_FILE);
  }
  {
    LockGuard<RecursiveMutex> frame(frameLock_);
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
    return Fail(KORVEX_ERR_FILE);
  }
  recordDuration_ = static_cast<uint32_t>(milliseconds);
  newFrame_.store(0);
  recorderRun_.store(true);  // the thread tests it from its first step
  try {
    recorderThread_ = std::thread(&CKorvex::RecorderWorker, this);
  } catch (const std::system_error&) {
    recorderRun_.store(false);
    FinishRecording(platform::TimeGetTime());  // no frames: the nominal rate
    Close();
    return Fail(KORVEX_ERR_WORKER);
  }
  return 1;
}

void CKorvex::LimitRecordingFileSize(uint64_t bytes) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  // Under the frame lock too: a recording thread that ended by itself may
  // still be finishing its file.
  LockGuard<RecursiveMutex> frame(frameLock_);
  if (!recorderRun_.load()) recorder_.LimitFileSize(bytes);
}

void CKorvex::RecorderWorker() {
  image::avi::AviFrameImages work;
  bool haveImages;
  {
    LockGuard<RecursiveMutex> frame(frameLock_);
    haveImages = work.Create(recorder_.Width(), recorder_.Height());
    recordStarted_ = false;
  }
  while (haveImages && recorderRun_.load()) {
    platform::Sleep(kPollMilliseconds);
    // A frame produced between two polls replaces the one before it.
    if (newFrame_.exchange(0) == 0) continue;
    const uint32_t now = platform::TimeGetTime();
    bool over = false;
    {
      LockGuard<RecursiveMutex> frame(frameLock_);
      // Closed when the library's unloading finished the file.
      if (!recorder_.IsOpen()) break;
      if (!recordStarted_) {
        recordFirstTick_ = now;
        recordStarted_ = true;
      }
      CDibImage* output = OutputImage();
      // Null when the colour mode changed to an image of another size or
      // none: that frame is left out.
      const CDibImage* converted = output != nullptr ? work.Convert(*output) : nullptr;
      const bool full = converted != nullptr && !recorder_.AppendAviFrame(converted->Bits());
      // Compared as elapsed time, which stays right across the timer's wrap.
      over = full || now - recordFirstTick_ > recordDuration_;
    }
    if (over) {
      FinishRecording(now);
      recorderRun_.store(false);
    }
  }
  // Stopped before the time was over: the file is finished all the same.
  FinishRecording(platform::TimeGetTime());
  work.Release();
}

bool CKorvex::FinishOpenRecording(uint32_t now) {
  if (!recorder_.IsOpen()) return true;
  const uint32_t elapsed = recordStarted_ ? now - recordFirstTick_ : 0;
  const bool finished =
      recorder_.FinishAviFile(image::avi::MeasuredRate(recorder_.FrameCount(), elapsed));
  // A write that failed (a full disk) ended the recording early or left the
  // file without its index, or the file reached the 4 GiB an AVI file can
  // describe and the recording ended there: the application learns of it.
  return finished && !recorder_.WriteFailed() && !recorder_.LimitReached();
}

void CKorvex::FinishRecording(uint32_t now) {
  bool complete;
  int frames;
  {
    LockGuard<RecursiveMutex> frame(frameLock_);
    complete = FinishOpenRecording(now);
    frames = recorder_.FrameCount();
  }
  if (!complete) {
    KORVEX_LOG(kError, kFiles, errors_.CameraHandle(),
               "the recording ended early or could not be written in full (%d frames): a full "
               "disk, or the largest file an AVI can describe",
               frames);
    errors_.ReportError(KORVEX_ERR_FILE);
  } else {
    KORVEX_LOG(kInfo, kFiles, errors_.CameraHandle(), "recording finished: %d frames", frames);
  }
}

void CKorvex::FinishRecordingAtUnload(bool threadsEnded) KORVEX_NO_THREAD_SAFETY_ANALYSIS {
  // The recording thread appends and finishes under the frame lock and
  // leaves a closed file alone, so finishing here under the lock ends the
  // recording whatever the thread is doing. When the threads have been
  // ended, one of them may have held the lock: the file is finished
  // without it. No error is posted: nobody is left to read it.
  recorderRun_.store(false);
  const uint32_t now = platform::TimeGetTime();
  if (threadsEnded) {
    FinishOpenRecording(now);
    return;
  }
  LockGuard<RecursiveMutex> frame(frameLock_);
  FinishOpenRecording(now);
}

void CKorvex::EndAtUnload(platform::ThreadsAtUnload threads) {
  FinishRecordingAtUnload(threads == platform::ThreadsAtUnload::kEnded);
  // Where the threads can be waited for, they are ended too, so that none
  // runs the library's code once it is unloaded.
  if (threads == platform::ThreadsAtUnload::kRunning && HasDevice()) StopPreview();
}

}  // namespace korvex
