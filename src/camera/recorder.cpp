#include "camera/recorder.h"

#include "KorvexSdk_740K3_XLN.h"
#include "errors/error_report.h"
#include "image/avi/avi_frame.h"
#include "image/dib_image.h"
#include "log/log.h"
#include "platform/platform.h"

#include <system_error>

namespace korvex {
namespace {

// How often the recording thread looks for a new frame.
constexpr uint32_t kPollMilliseconds = 10;

}  // namespace

void Recorder::JoinEnded() {
  if (!run_.load() && thread_.joinable()) thread_.join();
}

uint32_t Recorder::Start(const platform::FileName& fileName, uint32_t milliseconds) {
  {
    LockGuard<RecursiveMutex> frame(frameLock_);
    const CDibImage* output = output_();
    if (output != nullptr && !output->IsEmpty()) {
      file_.SetFrameFormat(output->Width(), output->Height(),
                           static_cast<uint16_t>(output->BitsPerPixel()));
    } else {
      file_.SetFrameFormat(0, 0, 0);  // makes the file fail below
    }
  }
  if (!file_.BeginAviFile(fileName)) return KORVEX_ERR_FILE;
  duration_ = milliseconds;
  newFrame_.store(0);
  run_.store(true);  // the thread tests it from its first step
  try {
    thread_ = std::thread(&Recorder::Run, this);
  } catch (const std::system_error&) {
    run_.store(false);
    Finish(platform::TimeGetTime());  // no frames: the nominal rate
    return KORVEX_ERR_WORKER;
  }
  return 0;
}

void Recorder::Stop() {
  run_.store(false);
  if (thread_.joinable()) thread_.join();
}

void Recorder::LimitFileSize(uint64_t bytes) {
  // Under the frame lock too: a thread that ended by itself may still be
  // finishing its file.
  LockGuard<RecursiveMutex> frame(frameLock_);
  if (!run_.load()) file_.LimitFileSize(bytes);
}

void Recorder::Run() {
  image::avi::AviFrameImages work;
  bool haveImages;
  {
    LockGuard<RecursiveMutex> frame(frameLock_);
    haveImages = work.Create(file_.Width(), file_.Height());
    started_ = false;
  }
  while (haveImages && run_.load()) {
    platform::Sleep(kPollMilliseconds);
    // A frame produced between two polls replaces the one before it.
    if (newFrame_.exchange(0) == 0) continue;
    const uint32_t now = platform::TimeGetTime();
    bool over = false;
    {
      LockGuard<RecursiveMutex> frame(frameLock_);
      // Closed when the library's unloading finished the file.
      if (!file_.IsOpen()) break;
      if (!started_) {
        firstTick_ = now;
        started_ = true;
      }
      CDibImage* output = output_();
      // Null when the colour mode changed to an image of another size or
      // none: that frame is left out.
      const CDibImage* converted = output != nullptr ? work.Convert(*output) : nullptr;
      const bool full = converted != nullptr && !file_.AppendAviFrame(converted->Bits());
      // Compared as elapsed time, which stays right across the timer's wrap.
      over = full || now - firstTick_ > duration_;
    }
    if (over) {
      Finish(now);
      run_.store(false);
    }
  }
  // Stopped before the time was over: the file is finished all the same.
  Finish(platform::TimeGetTime());
  work.Release();
}

bool Recorder::FinishOpen(uint32_t now) {
  if (!file_.IsOpen()) return true;
  const uint32_t elapsed = started_ ? now - firstTick_ : 0;
  const bool finished = file_.FinishAviFile(image::avi::MeasuredRate(file_.FrameCount(), elapsed));
  // A write that failed (a full disk) ended the recording early or left the
  // file without its index, or the file reached the 4 GiB an AVI file can
  // describe and the recording ended there: the application learns of it.
  return finished && !file_.WriteFailed() && !file_.LimitReached();
}

void Recorder::Finish(uint32_t now) {
  bool complete;
  int frames;
  {
    LockGuard<RecursiveMutex> frame(frameLock_);
    complete = FinishOpen(now);
    frames = file_.FrameCount();
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

void Recorder::FinishAtUnload(bool threadsEnded) KORVEX_NO_THREAD_SAFETY_ANALYSIS {
  // The thread appends and finishes under the frame lock and leaves a
  // closed file alone, so finishing here under the lock ends the recording
  // whatever the thread is doing. No error is posted: nobody is left to
  // read it.
  run_.store(false);
  const uint32_t now = platform::TimeGetTime();
  if (threadsEnded) {
    FinishOpen(now);
    return;
  }
  LockGuard<RecursiveMutex> frame(frameLock_);
  FinishOpen(now);
}

}  // namespace korvex
