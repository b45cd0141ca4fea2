// Korvex_Record: starts the preview and the camera's recorder, which
// appends every new output image to the AVI file until the recording time
// has passed or the preview stops.
#include "camera/korvex.h"

#include <optional>

namespace korvex {

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
  // One recording at a time: the running one owns the file.
  if (recorder_.Running()) return NotPossible();
  recorder_.JoinEnded();

  // Recording delivers no frame messages or copies.
  StoreFrameTarget(nullptr, nullptr, 0, 0);
  if (showWindow != 0 && !OpenDisplayIfWanted()) return Fail(KORVEX_ERR_WINDOW);
  if (!StartPreview()) {
    Close();
    return Fail(KORVEX_ERR_FILE);
  }
  if (const uint32_t failed = recorder_.Start(fileName, static_cast<uint32_t>(milliseconds))) {
    Close();
    return Fail(failed);
  }
  return 1;
}

void CKorvex::LimitRecordingFileSize(uint64_t bytes) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  recorder_.LimitFileSize(bytes);
}

void CKorvex::EndAtUnload(platform::ThreadsAtUnload threads) {
  recorder_.FinishAtUnload(threads == platform::ThreadsAtUnload::kEnded);
  // Where the threads can be waited for, they are ended too, so that none
  // runs the library's code once it is unloaded.
  if (threads == platform::ThreadsAtUnload::kRunning && HasDevice()) StopPreview();
}

}  // namespace korvex
