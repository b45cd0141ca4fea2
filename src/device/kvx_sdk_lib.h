// CKVXSdkLib: the device object of one camera. It names and probes the
// devices, talks to the camera's registers and serial ROM, owns the frame
// geometry and buffers, takes single frames and runs the streaming thread
// that fills a ring of raw frame buffers.
#pragma once

#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "device/sync_event.h"
#include "device/transport.h"
#include "platform/page_memory.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace korvex {

class CKVXSdkLib {
 public:
  // Results. Operations that can fail in several ways return one of these
  // codes (kOk, 0, for success): the camera object passes them on as a
  // run's status. Operations that either work or do not return bool, and
  // those that cannot fail return nothing.
  enum Result : int {
    kOk = 0,
    kBadBufferCount = 1,
    kBadLineWidth = 3,
    kBadLineCount = 4,
    kOutOfMemory = 7,
    kOpenFailed = 10,
    kSendFailed = 12,
    kNullBuffer = 14,
    kTransferFailed = 19,
    kAlreadyStreaming = 21,
    kBadDeviceIndex = 22,
  };
  // WaitForFrame answers.
  enum WaitResult : int { kStreamIdle = 0, kStreamEnded = 1, kPollAgain = 2, kFrameReady = 3 };

  static constexpr uint32_t kFrameWaitMs = 6000;
  static constexpr int kDefaultTransferTimeout = 3000;

  CKVXSdkLib();
  virtual ~CKVXSdkLib();
  CKVXSdkLib(const CKVXSdkLib&) = delete;
  CKVXSdkLib& operator=(const CKVXSdkLib&) = delete;

  // Copies the region of interest of a raw frame buffer into out.
  int CopyRawFrame(uint8_t* out, const uint8_t* src);
  // Stores v when 0, 1 or 2, else 1.
  void SetVariant(int v);
  // Stores the word-mode flag and sends the transfer width command; the
  // camera model adds its own register setting.
  virtual void SetWordMode(bool on);

  // ---- Device naming and probing ----
  // 22 for an index above 31 (nothing changes), else builds the path: 0.
  int BuildDevicePath(uint32_t index);
  // Opens every path 0..31 once and records which ones opened.
  void ProbeDevices();
  bool IsDevicePresent(int index) const;
  // Opens and closes the current path: false when the camera is gone, which
  // the presence table of the last probe cannot tell.
  bool IsDeviceReachable() const;
  static int MaxDeviceCount() { return kMaxDevices; }
  int CurrentDeviceIndex() const { return currentIndex_; }
  const char* DevicePath() const { return devicePath_; }
  const char* ModelIdentifier() const { return modelId_; }
  // Sends the driver's transfer time-out (the result is not examined).
  void SetTransferTimeout(int value);
  int TransferTimeout() const { return transferTimeout_; }

  // Defaults of geometry, word mode, variant and time-out; closes the
  // capture handle.
  void ResetDefaults();
  // ResetDefaults, path for index (22 when invalid), byte mode; 0.
  int SelectDevice(int index);

  // ---- Registers and serial ROM (true when the transfer worked) ----
  bool WriteSensorRegister(uint16_t reg, int32_t value);
  bool ReadSensorRegister(uint16_t reg, int32_t& value) const;
  bool WriteControllerRegister(uint8_t reg, uint8_t value);
  bool ReadControllerRegister(uint8_t reg, uint8_t& value);
  bool ReadSromByte(uint16_t address, uint8_t& value);
  bool ReadSromId(int index, uint8_t& value);
  bool WriteSromId(int index, int value);
  // Reads the configuration byte 0x1EB0 and applies it: 1 selects variant 0,
  // 2 variant 1, anything else (or a failed read) changes nothing. Returns
  // whether the read worked.
  bool ApplyConfigurationByte();

  // ---- Frame buffers ----
  // The smallest ring: with fewer slots the producer would rewrite the slot
  // it just completed while the consumer may be taking it.
  static constexpr int kMinRingSlots = 3;
  int AllocateFrameBuffers(int pitch, int firstColumn, int width, int totalLines, int firstLine,
                           int height, int count);

  // ---- Single frames ----
  int CaptureSingleFrame();
  void CloseCaptureHandle();
  // Copies the raw region of interest of the last single frame into out:
  // 0, or 14 without a buffer.
  int GetSingleFrame(uint8_t* out);
  int64_t SingleCaptureStatus() const { return singleCaptureStatus_; }

  // ---- Streaming ----
  int StartStreaming();
  int StopStreaming();
  int WaitForFrame();
  // Copies the raw region of interest of the frame WaitForFrame found into
  // out and frees its slot: 0, or 14 without a buffer.
  int GetStreamFrame(uint8_t* out);
  bool Streaming() const { return stream_.finished.load() == 0; }
  int StreamFrameCount() const { return stream_.frameCount.load(); }
  int64_t StreamStatus() const { return stream_.status.load(); }
  int WriteIndex() const { return stream_.writeIndex.load(); }

  // Ring index rules. The slot after `write` for the next frame, skipping
  // the consumer's slot `read`.
  static int NextWriteIndex(int write, int read, int count);
  // Frames completed but not yet taken (write index unwrapped past read).
  static int PendingFrames(int write, int read, int count);
  // The slot before `write` (the newest completed one unless the producer
  // skipped the consumer's slot).
  static int NewestFrameIndex(int write, int count);

  // ---- Geometry and buffers ----
  int WordMode() const { return wordMode_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int RawFrameBytes() const { return rawFrameBytes_; }
  int TransferSize() const { return transferSize_; }
  int ExactTransferBytes() const { return exactTransferBytes_; }
  int RingBufferSize() const { return ringBufferSize_; }
  int RingCount() const { return static_cast<int>(ring_.size()); }
  const uint8_t* RingBuffer(int i) const { return ring_[i].get(); }
  int Variant() const { return variant_; }
  int LargeTransfer() const { return largeTransfer_; }

  // Requested window as the model's size setup stored it.
  int WindowWidth() const { return windowWidth_; }

  // Mirror flags (0/1), kept for the camera object.
  void SetMirrorH(bool on) { mirrorH_.store(on ? 1 : 0, std::memory_order_relaxed); }
  void SetMirrorV(bool on) { mirrorV_.store(on ? 1 : 0, std::memory_order_relaxed); }
  int GetMirrorH() const { return mirrorH_.load(std::memory_order_relaxed); }
  int GetMirrorV() const { return mirrorV_.load(std::memory_order_relaxed); }

 protected:
  // Opens the current path, sends one 64-byte packet, closes: the result of
  // SendPacket, or 10 when the open failed.
  int SendCommand(const uint8_t* packet);
  void SetModelIdentifier(const char* id);
  void SetLargeTransfer(bool on) {
    largeTransfer_ = on ? 1 : 0;
    stream_.largeTransfer.store(largeTransfer_);
  }
  void StoreWindow(int x, int y, int width, int height) {
    windowX_ = x;
    windowY_ = y;
    windowWidth_ = width;
    windowHeight_ = height;
  }
  void SetWordModeFlag(bool on) { wordMode_ = on ? 1 : 0; }

 private:
  // What the streaming thread shares with the application thread. The
  // transfer length, the slot list and the device path are written by
  // StartStreaming before it starts the thread and stay unchanged until the
  // thread has been joined: both sides read them without a lock. The run
  // state and the ring indices are atomics.
  struct StreamBlock {
    uint32_t transferLength = 0;
    SyncEvent frameReady{false};  // auto reset: one per completed frame
    SyncEvent threadEnded{true};  // manual reset: the thread's last act
    std::atomic<int32_t> elapsed{0};
    std::atomic<int32_t> frameCount{0};
    std::atomic<int64_t> status{0};
    std::atomic<int32_t> finished{1};
    std::atomic<int32_t> failed{0};
    std::vector<uint8_t*> ring;
    std::atomic<int32_t> writeIndex{0};
    std::atomic<int32_t> readIndex{0};
    std::atomic<int32_t> newestIndex{0};  // slot of the last completed frame
    // Frames completed in this run and the number of the last one handed to
    // the consumer (both under indexLock): the ring indices alone cannot tell
    // a new frame from one already taken once the producer has skipped the
    // consumer's slot.
    uint32_t completed KORVEX_GUARDED_BY(indexLock) = 0;
    uint32_t taken KORVEX_GUARDED_BY(indexLock) = 0;
    std::atomic<int32_t> largeTransfer{0};
    std::array<char, 128> devicePath{};
    // Makes each index hand-over (producer advancing, consumer choosing its
    // slot) one step, so that the consumer never picks the slot being filled.
    // The three ring indices are atomics that this lock cannot be checked
    // on: each is written by one side only, always under the lock, and read
    // without it only by the side that writes it.
    Mutex indexLock;
  };

  static void StreamMain(StreamBlock* block);
  void FreeFrameBuffers();
  // Sends command 0x09 with the byte-mode transfer size.
  void SendTransferSize();
  void JoinStreamThread();

  // Transport.
  char modelId_[16] = {};
  std::array<int32_t, kMaxDevices> presence_{};
  int32_t currentIndex_ = 0;
  char devicePath_[128] = {};
  DeviceHandle captureHandle_ = nullptr;
  int32_t transferTimeout_ = kDefaultTransferTimeout;
  int32_t largeTransfer_ = 0;

  // Sensor register cache.
  // Sensor register writes come from the application's threads and from the
  // capture thread (automatic brightness); each entry is written whole.
  std::array<std::atomic<int32_t>, 1024> sensorCache_{};

  // Geometry.
  int32_t wordMode_ = 0;
  int32_t variant_ = 0;
  int32_t windowX_ = 0, windowY_ = 0, windowWidth_ = 0, windowHeight_ = 0;
  int32_t pitch_ = 0, firstColumn_ = 0, width_ = 0;
  int32_t totalLines_ = 0, firstLine_ = 0, height_ = 0;
  int32_t rawFrameBytes_ = 0, transferSize_ = 0, exactTransferBytes_ = 0;
  // Written by the mirror exports, the analog dialog's thread and every
  // acquisition start, none of which shares a lock with the others: the last
  // writer wins.
  std::atomic<int32_t> mirrorH_{0};
  std::atomic<int32_t> mirrorV_{0};

  // Buffers.
  platform::PageBuffer singleFrame_;
  int32_t ringBufferSize_ = 0;
  std::vector<platform::PageBuffer> ring_;
  int64_t singleCaptureStatus_ = 0;

  // Streaming.
  StreamBlock stream_;
  std::thread streamThread_;
};

}  // namespace korvex
