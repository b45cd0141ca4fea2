// CKVXSdkLib: the single-frame capture and the streaming thread with its
// ring of raw frame buffers.
#include "device/kvx_sdk_lib.h"

#include "log/log.h"
#include "platform/platform.h"
#include "platform/thread_priority.h"

#include <system_error>

namespace korvex {
namespace {

int FrameTransfer(bool large, DeviceHandle handle, uint32_t length, uint8_t* buffer,
                  uint32_t& transferred) {
  return large ? LargePipeTransfer(handle, kFramePipe, length, buffer, transferred, true)
               : PipeTransfer(handle, kFramePipe, length, buffer, transferred, true);
}

}  // namespace

// ---- Ring index rules ----

int CKVXSdkLib::NextWriteIndex(int write, int read, int count) {
  int next = write + 1;
  if (next >= count) next = 0;
  if (next == read) {
    ++next;
    if (next >= count) next = 0;
  }
  return next;
}

int CKVXSdkLib::PendingFrames(int write, int read, int count) {
  if (write < read) write += count;
  return write - read;
}

int CKVXSdkLib::NewestFrameIndex(int write, int count) {
  int newest = write - 1;
  if (newest < 0) newest += count;
  if (newest >= count) newest -= count;
  return newest;
}

// ---- Single frames ----

int CKVXSdkLib::CaptureSingleFrame() {
  if (!singleFrame_) return kNullBuffer;
  const uint32_t length = static_cast<uint32_t>(transferSize_) * (wordMode_ ? 2 : 1);
  if (captureHandle_ == nullptr || captureHandle_ == platform::InvalidDriverHandle()) {
    if (!OpenDevice(captureHandle_, devicePath_)) {
      captureHandle_ = nullptr;
      singleCaptureStatus_ = kTransferFailed;
      return kOpenFailed;
    }
  }
  const uint8_t prepare[kPacketSize] = {Byte(Command::kPrepareTransfer)};
  SendCommand(prepare);
  uint8_t request[kPacketSize] = {Byte(Command::kRequestFrame)};
  SendPacket(captureHandle_, kCommandPipe, kPacketSize, request);
  uint32_t transferred = 0;
  const int result =
      FrameTransfer(largeTransfer_ != 0, captureHandle_, length, singleFrame_.get(), transferred);
  if (result == 0 && transferred == length) return 0;
  singleCaptureStatus_ = kTransferFailed;
  CloseDevice(captureHandle_);
  return kTransferFailed;
}

void CKVXSdkLib::CloseCaptureHandle() {
  if (captureHandle_ == platform::InvalidDriverHandle()) captureHandle_ = nullptr;
  CloseDevice(captureHandle_);
}

int CKVXSdkLib::GetSingleFrame(uint8_t* out) {
  if (out == nullptr || !singleFrame_) return kNullBuffer;
  // A refused copy (a region outside the buffers) delivered nothing.
  return CopyRawFrame(out, singleFrame_.get());
}

// ---- Streaming ----

void CKVXSdkLib::JoinStreamThread() {
  if (streamThread_.joinable()) streamThread_.join();
}

int CKVXSdkLib::StartStreaming() {
  if (stream_.finished.load() == 0) return kAlreadyStreaming;
  if (ring_.size() < static_cast<size_t>(kMinRingSlots)) return kBadBufferCount;
  JoinStreamThread();  // a run that ended on its own

  StreamBlock& s = stream_;
  s.transferLength = static_cast<uint32_t>(transferSize_) * (wordMode_ ? 2 : 1);
  const uint8_t prepare[kPacketSize] = {Byte(Command::kPrepareTransfer)};
  SendCommand(prepare);
  s.threadEnded.Reset();
  s.frameReady.Reset();
  s.elapsed.store(0);
  s.frameCount.store(0);
  s.status.store(0);
  s.failed.store(0);
  s.ring.clear();
  for (auto& slot : ring_) s.ring.push_back(slot.get());
  s.writeIndex.store(0);
  s.readIndex.store(0);
  s.newestIndex.store(0);
  {
    LockGuard<Mutex> lock(s.indexLock);
    s.completed = 0;
    s.taken = 0;
  }
  s.largeTransfer.store(largeTransfer_);
  std::copy(std::begin(devicePath_), std::end(devicePath_), s.devicePath.begin());
  s.finished.store(0);
  try {
    streamThread_ = std::thread(StreamMain, &stream_);
  } catch (const std::system_error&) {
    s.finished.store(1);
    return kOutOfMemory;
  }
  return 0;
}

void CKVXSdkLib::StreamMain(StreamBlock* block) {
  StreamBlock& s = *block;
  platform::RaiseCurrentThreadPriority();
  int64_t status = 0;
  int32_t frames = 0;
  int32_t elapsed = 0;
  DeviceHandle handle = nullptr;
  if (!OpenDevice(handle, s.devicePath.data())) {
    KORVEX_LOG(kError, kDevice, 0, "%s: the camera cannot be opened for streaming",
               s.devicePath.data());
    status = kOpenFailed;
  } else {
    KORVEX_LOG(kInfo, kDevice, 0, "%s: streaming %u-byte frames", s.devicePath.data(),
               s.transferLength);
    const uint32_t start = platform::TickCount();
    const int count = static_cast<int>(s.ring.size());
    bool shortForgiven = false;
    while (s.finished.load() != 1 && status != kTransferFailed) {
      uint8_t request[kPacketSize] = {Byte(Command::kRequestFrame)};
      uint32_t transferred = 0;
      PipeTransfer(handle, kCommandPipe, kPacketSize, request, transferred, false);
      const int slot = s.writeIndex.load();
      const int result = FrameTransfer(s.largeTransfer.load() != 0, handle, s.transferLength,
                                       s.ring[slot], transferred);
      if (result != 0) {
        status = kTransferFailed;
      } else if (transferred != s.transferLength) {
        if (!shortForgiven) {
          shortForgiven = true;  // one short transfer per run is not a frame
          continue;
        }
        status = kTransferFailed;
      }
      {
        LockGuard<Mutex> lock(s.indexLock);
        s.newestIndex.store(slot);
        ++s.completed;
        s.writeIndex.store(NextWriteIndex(slot, s.readIndex.load(), count));
      }
      s.frameReady.Set();
      s.frameCount.store(++frames);
    }
    elapsed = static_cast<int32_t>(platform::TickCount() - start);
    CloseDevice(handle);
    if (status == kTransferFailed) {
      KORVEX_LOG(kError, kDevice, 0,
                 "%s: a frame transfer failed after %d frames: the camera is gone",
                 s.devicePath.data(), frames);
    } else {
      KORVEX_LOG(kInfo, kDevice, 0, "%s: streaming stopped after %d frames in %d ms",
                 s.devicePath.data(), frames, elapsed);
    }
  }
  s.elapsed.store(elapsed);
  s.frameCount.store(frames);
  s.status.store(status);
  // A run that could not open the camera failed as much as one that lost it.
  s.failed.store(status == kTransferFailed || status == kOpenFailed ? 1 : 0);
  s.finished.store(1);
  s.frameReady.Set();  // a consumer waiting for a frame polls again at once
  s.threadEnded.Set();
}

int CKVXSdkLib::StopStreaming() {
  StreamBlock& s = stream_;
  if (s.finished.load() == 1 && s.failed.load() == 0) {
    JoinStreamThread();
    return 0;
  }
  s.finished.store(1);
  s.threadEnded.Wait();
  JoinStreamThread();
  const int status = static_cast<int>(s.status.load());
  s.finished.store(1);
  s.failed.store(0);
  return status;
}

int CKVXSdkLib::WaitForFrame() {
  StreamBlock& s = stream_;
  if (s.failed.load() == 1) return kStreamEnded;
  if (s.finished.load() == 1) return kStreamIdle;
  {
    LockGuard<Mutex> lock(s.indexLock);
    const int count = static_cast<int>(s.ring.size());
    if (PendingFrames(s.writeIndex.load(), s.readIndex.load(), count) >= 1 &&
        s.completed != s.taken) {
      if (s.completed - s.taken > 1)
        KORVEX_LOG(kDebug, kDevice, 0, "%d frames dropped: the pipeline was slower than the camera",
                   static_cast<int>(s.completed - s.taken - 1));
      s.readIndex.store(s.newestIndex.load());
      s.taken = s.completed;
      return kFrameReady;
    }
  }
  if (s.frameReady.Wait(kFrameWaitMs)) return kPollAgain;
  KORVEX_LOG(kWarning, kDevice, 0, "no frame for %d ms: the stream has stalled", kFrameWaitMs);
  return kStreamEnded;
}

int CKVXSdkLib::GetStreamFrame(uint8_t* out) {
  if (out == nullptr || ring_.empty()) return kNullBuffer;
  StreamBlock& s = stream_;
  const int read = s.readIndex.load();
  const int copied = CopyRawFrame(out, ring_[read].get());
  LockGuard<Mutex> lock(s.indexLock);
  const int next = read + 1;
  s.readIndex.store(next >= static_cast<int>(ring_.size()) ? 0 : next);
  return copied;
}

}  // namespace korvex
