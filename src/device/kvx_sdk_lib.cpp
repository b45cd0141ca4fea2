// CKVXSdkLib: construction, device naming and probing, frame buffers and the
// raw frame copy.
#include "device/kvx_sdk_lib.h"

#include <cstring>
#include <limits>
#include <new>

namespace korvex {
namespace {

// A zero-filled buffer, or empty when memory is short. Taken from the
// system's pages, so that freeing it gives the memory back to the system:
// the buffers are tens of megabytes.
platform::PageBuffer ZeroedBytes(int64_t size) {
  return platform::PageBuffer(static_cast<size_t>(size));
}

}  // namespace

CKVXSdkLib::CKVXSdkLib() = default;

CKVXSdkLib::~CKVXSdkLib() {
  // A run still active would write into buffers about to be freed.
  StopStreaming();
  JoinStreamThread();
  CloseCaptureHandle();
}

void CKVXSdkLib::SetModelIdentifier(const char* id) {
  std::strncpy(modelId_, id, sizeof modelId_ - 1);
  modelId_[sizeof modelId_ - 1] = '\0';
}

// ---- Virtual slots ----

int CKVXSdkLib::CopyRawFrame(uint8_t* out, const uint8_t* src) {
  if (out == nullptr || src == nullptr) return kNullBuffer;
  const size_t b = wordMode_ ? 2 : 1;
  // The region must lie inside the buffers of the current allocation.
  const int64_t end =
      (static_cast<int64_t>(firstLine_) + height_ - 1) * pitch_ + firstColumn_ + width_;
  if (height_ <= 0 || width_ <= 0 || end * static_cast<int64_t>(b) > ringBufferSize_) {
    return kBadLineCount;
  }
  if (height_ == totalLines_ && width_ == pitch_) {
    std::memcpy(out, src, static_cast<size_t>(width_) * height_ * b);
    return 0;
  }
  const size_t lineBytes = static_cast<size_t>(width_) * b;
  for (int i = 0; i < height_; ++i) {
    const size_t from = (static_cast<size_t>(i + firstLine_) * pitch_ + firstColumn_) * b;
    std::memcpy(out + static_cast<size_t>(i) * lineBytes, src + from, lineBytes);
  }
  return 0;
}

void CKVXSdkLib::SetVariant(int v) { variant_ = (v == 0 || v == 1 || v == 2) ? v : 1; }

void CKVXSdkLib::SetWordMode(bool on) {
  wordMode_ = on ? 1 : 0;
  uint8_t packet[kPacketSize] = {Byte(Command::kTransferWidth), static_cast<uint8_t>(on ? 1 : 0)};
  SendCommand(packet);
}

// ---- Naming and probing ----

int CKVXSdkLib::BuildDevicePath(uint32_t index) {
  if (index > 31) return kBadDeviceIndex;
  currentIndex_ = static_cast<int32_t>(index);
  FormatDevicePath(devicePath_, sizeof devicePath_, modelId_, static_cast<int>(index));
  return 0;
}

void CKVXSdkLib::ProbeDevices() {
  for (int i = 0; i < kMaxDevices; ++i) {
    char path[256];
    FormatDevicePath(path, sizeof path, modelId_, i);
    DeviceHandle handle = nullptr;
    if (OpenDevice(handle, path)) {
      presence_[i] = 1;
      CloseDevice(handle);
    } else {
      presence_[i] = 0;
    }
  }
  currentIndex_ = 0;
}

bool CKVXSdkLib::IsDevicePresent(int index) const {
  return index >= 0 && index < kMaxDevices && presence_[index] != 0;
}

bool CKVXSdkLib::IsDeviceReachable() const {
  DeviceHandle handle = nullptr;
  if (!OpenDevice(handle, devicePath_)) return false;
  CloseDevice(handle);
  return true;
}

void CKVXSdkLib::SetTransferTimeout(int value) {
  transferTimeout_ = value;
  DeviceHandle handle = nullptr;
  if (!OpenDevice(handle, devicePath_)) return;
  uint32_t record[kTimeoutRecordSize / 4] = {1, static_cast<uint32_t>(value)};
  uint32_t returned = 0;
  platform::DriverIoControl(handle, IOCTL_SET_TIMEOUT, record, kTimeoutRecordSize, nullptr, 0,
                            &returned);
  CloseDevice(handle);
}

void CKVXSdkLib::ResetDefaults() {
  pitch_ = 1339;
  firstColumn_ = 50;
  width_ = 1280;
  totalLines_ = 1040;
  firstLine_ = 10;
  height_ = 1028;
  wordMode_ = 0;
  variant_ = 0;
  transferTimeout_ = kDefaultTransferTimeout;
  CloseCaptureHandle();
}

int CKVXSdkLib::SelectDevice(int index) {
  ResetDefaults();
  if (BuildDevicePath(static_cast<uint32_t>(index)) != 0) return kBadDeviceIndex;
  SetWordMode(false);
  return 0;
}

// ---- Frame buffers ----

void CKVXSdkLib::FreeFrameBuffers() {
  singleFrame_.reset();
  ring_.clear();
  ringBufferSize_ = 0;
}

int CKVXSdkLib::AllocateFrameBuffers(int pitch, int firstColumn, int width, int totalLines,
                                     int firstLine, int height, int count) {
  // A negative first column or line would make the raw copy read before
  // the buffer.
  if (pitch <= 0 || width <= 0 || pitch < width || firstColumn < 0) return kBadLineWidth;
  if (totalLines <= 0 || height <= 0 || firstLine < 0 || totalLines < firstLine + height)
    return kBadLineCount;
  if (count < kMinRingSlots) return kBadBufferCount;
  // The ring is the streaming thread's; it is never reallocated under it.
  if (Streaming()) return kAlreadyStreaming;

  // Every acquisition start sets the same geometry again: buffers that
  // already have it are kept, so a start costs no fresh 65 MB.
  const bool sameGeometry = pitch == pitch_ && firstColumn == firstColumn_ && width == width_ &&
                            totalLines == totalLines_ && firstLine == firstLine_ &&
                            height == height_ && ring_.size() == static_cast<size_t>(count) &&
                            singleFrame_ != nullptr;
  if (sameGeometry) {
    SendTransferSize();
    return 0;
  }

  FreeFrameBuffers();
  pitch_ = pitch;
  firstColumn_ = firstColumn;
  width_ = width;
  totalLines_ = totalLines;
  firstLine_ = firstLine;
  height_ = height;

  constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
  const int64_t raw = static_cast<int64_t>(pitch) * totalLines;
  const int64_t exact = static_cast<int64_t>(pitch) * (firstLine + height);
  const int64_t transfer = exact % 1024 == 0 ? exact : (exact / 1024) * 1024 + 1024;
  if (raw > kLimit || 2 * transfer > kLimit) return kOutOfMemory;
  rawFrameBytes_ = static_cast<int32_t>(raw);
  exactTransferBytes_ = static_cast<int32_t>(exact);
  transferSize_ = static_cast<int32_t>(transfer);

  singleFrame_ = ZeroedBytes(2 * transfer);
  if (!singleFrame_) return kOutOfMemory;

  try {
    ring_.reserve(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    FreeFrameBuffers();
    return kOutOfMemory;
  }
  for (int i = 0; i < count; ++i) {
    platform::PageBuffer slot = ZeroedBytes(2 * transfer);
    if (!slot) {
      FreeFrameBuffers();
      return kOutOfMemory;
    }
    ring_.push_back(std::move(slot));
  }
  ringBufferSize_ = static_cast<int32_t>(2 * transfer);
  SendTransferSize();
  return 0;
}

void CKVXSdkLib::SendTransferSize() {
  uint8_t packet[kPacketSize] = {Byte(Command::kAnnounceTransferSize)};
  const uint32_t size = static_cast<uint32_t>(transferSize_);
  packet[1] = static_cast<uint8_t>(size);
  packet[2] = static_cast<uint8_t>(size >> 8);
  packet[3] = static_cast<uint8_t>(size >> 16);
  packet[4] = static_cast<uint8_t>(size >> 24);
  SendCommand(packet);
}

}  // namespace korvex
