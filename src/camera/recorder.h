// The camera's AVI recording: a thread that takes every new output image
// the preview worker produces, converts it to 24 bits and appends it to the
// file until the recording time has passed or the recording is stopped.
// Either way the thread finishes the file, so it is complete and readable
// whenever it ends; when the library is unloaded or the process ends first,
// the unloading thread finishes it (FinishAtUnload).
//
// Locking. The camera's frame lock, which the recorder is given, guards the
// output image and the file: the thread converts and appends under it, and
// everything that finishes the file takes it. Start, Stop, JoinEnded and
// LimitFileSize are called under the camera's acquisition lock, one at a
// time; the file is set up only while no thread runs, and from the
// thread's start until its join only the thread uses it. The run flag is
// set by Start and cleared by Stop, by FinishAtUnload or by the thread
// itself when the recording time is over.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "image/avi/avi_recorder.h"
#include "platform/file_name.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <utility>

namespace korvex {

class CDibImage;
class CErrorReport;

class Recorder {
 public:
  // The output image of the frame mode, or null; called with the frame
  // lock held.
  using OutputSource = std::function<CDibImage*()>;

  Recorder(RecursiveMutex& frameLock, CErrorReport& errors, OutputSource output)
      : frameLock_(frameLock), errors_(errors), output_(std::move(output)) {}
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;
  ~Recorder() { Stop(); }

  // True from Start until the recording time is over or Stop.
  bool Running() const { return run_.load(); }
  // Joins a thread that ended by itself when its time was over.
  void JoinEnded();
  // Begins `fileName` for images of the current output image's format and
  // starts the thread for `milliseconds` of recording time. Returns 0, or
  // the error code when it did not start: KORVEX_ERR_FILE when the file
  // cannot be begun (no output image yet, or not writable),
  // KORVEX_ERR_WORKER when no thread could be started (the file is then
  // finished empty).
  uint32_t Start(const platform::FileName& fileName, uint32_t milliseconds)
      KORVEX_EXCLUDES(frameLock_);
  // The preview worker produced a new output image.
  void FrameProduced() { newFrame_.store(1); }
  // Clears the run flag and joins the thread, which finishes the file on its
  // way out (it polls the flag every 10 ms).
  void Stop();
  // Lowers the largest file the next recordings write (4 GiB), so that tests
  // reach the limit with a few small frames. Ignored while recording.
  void LimitFileSize(uint64_t bytes) KORVEX_EXCLUDES(frameLock_);
  // Finishes an open recording from the thread that unloads the library.
  // `threadsEnded`: the process is ending and its other threads are gone,
  // one of which may have held the frame lock; the file is then finished
  // without it.
  void FinishAtUnload(bool threadsEnded);

 private:
  void Run();
  // Writes the index and the measured timing and closes the file, if it is
  // still open; reports KORVEX_ERR_FILE when the file is not complete.
  void Finish(uint32_t now) KORVEX_EXCLUDES(frameLock_);
  // The same under the frame lock, without the report: false when the file
  // is not complete.
  bool FinishOpen(uint32_t now) KORVEX_REQUIRES(frameLock_);

  RecursiveMutex& frameLock_;
  CErrorReport& errors_;
  const OutputSource output_;
  image::avi::CAviRecorder file_;
  // When the first frame of the recording came: the recording time and the
  // measured rate count from it.
  bool started_ KORVEX_GUARDED_BY(frameLock_) = false;
  uint32_t firstTick_ KORVEX_GUARDED_BY(frameLock_) = 0;
  // Written before the thread starts.
  uint32_t duration_ = 0;
  std::atomic<bool> run_{false};
  std::atomic<int32_t> newFrame_{0};
  std::thread thread_;
};

}  // namespace korvex
