// The simulated camera's firmware: command decoding, replies, registers,
// serial ROM and the frame pipe.
#include "sim/sim_camera.h"

#include <algorithm>
#include <cstring>

namespace korvex::sim {
namespace {

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint8_t kSromBusAddress = 0x51;
constexpr uint8_t kTriggerEnable = 0x25;

}  // namespace

Camera::Camera(int index, const std::vector<uint8_t>& rom)
    : index_(index), sensor16_(0x10000, 0), rom_(rom) {
  rom_.resize(0x10000, 0xFF);
}

Camera::~Camera() = default;

template <class Predicate>
bool Camera::WaitLocked(UniqueLock<Mutex>& lock, Clock::time_point deadline, Predicate ready) {
  for (;;) {
    if (unplugged_.load()) return false;
    if (ready()) return true;
    if (changed_.wait_until(lock, deadline) == std::cv_status::timeout) {
      return !unplugged_.load() && ready();
    }
  }
}

bool Camera::TakeFault(int kind, int pipe) {
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->kind != kind || (it->pipe != -1 && it->pipe != pipe)) continue;
    if (it->remaining > 0 && --it->remaining == 0) faults_.erase(it);
    return true;
  }
  return false;
}

ReadoutParams Camera::ParamsLocked() const {
  ReadoutParams p;
  p.wordMode = controller_[14] != 0 && transferWidthCommand_ != 0;
  // Exposure register pair 0xA1:0xA0 holds 0x9000 | (1014 - setting); the
  // setting 1014 exposes 2028 lines.
  const uint32_t reg = (sensor8_[0xA1] << 8 | sensor8_[0xA0]) & 0x3FF;
  const uint32_t setting = reg > 1014 ? 0 : 1014 - reg;
  p.exposureLines = setting == 1014 ? 2028 : setting;
  p.globalGain = (sensor8_[3] & 3) << 8 | sensor8_[2];
  return p;
}

Camera::Clock::duration Camera::FramePeriodLocked() const {
  // 2894 pixel clocks per line; a frame takes the longer of its read-out
  // (2008 lines) and its exposure.
  double clockMhz = 24.0;
  switch (controller_[15]) {
    case 1: clockMhz = 12.0; break;
    case 3: clockMhz = 40.0; break;
    default: break;
  }
  const double lines = ParamsLocked().exposureLines;
  const double clocks = std::max(2894.0 * kFrameLines, 2894.0 * lines + 1480.0);
  return std::chrono::microseconds(static_cast<int64_t>(clocks / clockMhz));
}

bool Camera::Command(const uint8_t* data, uint32_t length) {
  if (length == 0) return false;
  uint8_t p[64] = {};
  std::memcpy(p, data, std::min<uint32_t>(length, 64));
  switch (static_cast<protocol::Command>(p[0])) {
    case protocol::Command::kPrepareTransfer:  // forget requests not served
      pendingRequests_ = 0;
      return true;
    case protocol::Command::kRequestFrame:
      if (pendingRequests_ < 8) ++pendingRequests_;
      changed_.notify_all();
      return true;
    case protocol::Command::kWriteSensorRegister: {
      if (TakeFault(KORVEX_SIM_FAULT_FAIL_REGISTER_WRITE, -1)) return false;
      if (p[1] == 0x30) {
        const uint32_t reg = p[3] | (p[4] << 8);
        const uint32_t value = p[5] | (p[6] << 8) | (p[7] << 16);
        if (reg < 0x100) {
          sensor8_[reg] = p[5];
        } else {
          sensor16_[reg] = value;
        }
      } else {
        sensor8_[p[3]] = p[5];
      }
      return true;
    }
    case protocol::Command::kAnnounceTransferSize: announcedSize_ = Le32(p + 1); return true;
    case protocol::Command::kTransferWidth: transferWidthCommand_ = p[1]; return true;
    case protocol::Command::kWriteControllerRegister: {
      if (TakeFault(KORVEX_SIM_FAULT_FAIL_REGISTER_WRITE, -1)) return false;
      controller_[p[1]] = p[2];
      if (p[1] == 6 && p[2] == 0x11) {  // sensor reset: registers to power-on zeros
        sensor8_.fill(0);
        std::fill(sensor16_.begin(), sensor16_.end(), 0);
      }
      changed_.notify_all();  // trigger mode may have changed
      return true;
    }
    case protocol::Command::kReadControllerRegister:
      reply_.fill(0);
      reply_[0] = controller_[p[1]];
      return true;
    case protocol::Command::kWriteSerialBus: {  // address high, low, then data bytes
      if (TakeFault(KORVEX_SIM_FAULT_FAIL_REGISTER_WRITE, -1)) return false;
      if (p[1] != kSromBusAddress || p[2] < 2) return true;  // nobody acknowledges
      const uint32_t address = p[3] << 8 | p[4];
      const int count = std::min(p[2] - 2, 64 - 5);
      for (int i = 0; i < count; ++i) rom_[(address + i) & 0xFFFF] = p[5 + i];
      return true;
    }
    case protocol::Command::kReadSerialBus: {  // write the address, then read
      reply_.fill(0);
      if (p[1] != kSromBusAddress) {
        reply_[0] = 0xFF;  // no device answers: the bus floats high
        return true;
      }
      reply_[0] = rom_[p[4] << 8 | p[5]];
      return true;
    }
    default:  // unknown commands are accepted and ignored
      return true;
  }
}

bool Camera::PipeRequest(uint32_t pipe, bool large, uint8_t* buffer, uint32_t length,
                         uint32_t* returned) {
  *returned = 0;
  if (unplugged_.load() || buffer == nullptr) return false;
  if (pipe == kFramePipe) return ReadFrame(large, buffer, length, returned);
  if (pipe != kCommandPipe && pipe != kReplyPipe) return false;
  LockGuard<Mutex> lock(mutex_);
  if (TakeFault(KORVEX_SIM_FAULT_FAIL_TRANSFER, static_cast<int>(pipe))) return false;
  const bool shortened = TakeFault(KORVEX_SIM_FAULT_SHORT_TRANSFER, static_cast<int>(pipe));
  uint32_t moved = 0;
  if (pipe == kCommandPipe) {
    if (!Command(buffer, length)) return false;
    moved = length;
  } else {
    moved = std::min<uint32_t>(length, 64);
    std::memcpy(buffer, reply_.data(), moved);
  }
  *returned = shortened ? moved / 2 : moved;
  return true;
}

bool Camera::ReadFrame(bool large, uint8_t* buffer, uint32_t length, uint32_t* returned) {
  if (!large && length > kMaxOrdinaryTransfer) return false;
  UniqueLock<Mutex> lock(mutex_);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  auto never = [] { return false; };
  if (TakeFault(KORVEX_SIM_FAULT_FAIL_TRANSFER, kFramePipe)) return false;
  if (TakeFault(KORVEX_SIM_FAULT_STALL_STREAM, -1)) {
    WaitLocked(lock, deadline, never);
    return false;
  }
  const auto requested = [this]() KORVEX_REQUIRES(mutex_) { return pendingRequests_ > 0; };
  if (!WaitLocked(lock, deadline, requested)) return false;
  if (controller_[11] == kTriggerEnable) {
    if (!WaitLocked(lock, deadline, [this]() KORVEX_REQUIRES(mutex_) {
          return triggers_ > 0 || controller_[11] != kTriggerEnable;
        })) {
      return false;
    }
    if (controller_[11] == kTriggerEnable) --triggers_;
  }
  if (!FastPace()) {
    const Clock::time_point ready = std::max(Clock::now(), nextFrameTime_);
    if (ready > deadline) {
      WaitLocked(lock, deadline, never);
      return false;
    }
    WaitLocked(lock, ready, never);
    if (unplugged_.load()) return false;
    nextFrameTime_ = ready + FramePeriodLocked();
  }
  if (pendingRequests_ > 0) --pendingRequests_;
  const uint32_t frameNumber = nextFrameNumber_++;
  const bool shortened = TakeFault(KORVEX_SIM_FAULT_SHORT_TRANSFER, kFramePipe);
  const KorvexSimFrameCallback callback = callback_;
  void* const user = callbackUser_;
  const std::shared_ptr<const std::vector<uint8_t>> raw = rawFrame_;
  const ReadoutParams params = ParamsLocked();
  lock.unlock();

  if (callback) {
    callback(user, frameNumber, params.wordMode ? 1 : 0, buffer, length);
  } else if (raw) {
    const size_t n = std::min<size_t>(length, raw->size());
    std::memcpy(buffer, raw->data(), n);
    std::memset(buffer + n, 0, length - n);
  } else {
    const std::shared_ptr<const RenderedFrame> frame = scene_.Get(params);
    const size_t n = std::min<size_t>(length, frame->bytes.size());
    std::memcpy(buffer, frame->bytes.data(), n);
    std::memset(buffer + n, 0, length - n);
    DrawMovingPart(*frame, frameNumber, buffer, length);
  }
  framesServed.fetch_add(1);
  *returned = shortened ? length / 2 : length;
  return true;
}

void Camera::RenderScene(uint32_t frameNumber, uint8_t* buffer, size_t length) {
  const std::shared_ptr<const RenderedFrame> frame = scene_.Get(CurrentParams());
  const size_t n = std::min(length, frame->bytes.size());
  std::memcpy(buffer, frame->bytes.data(), n);
  DrawMovingPart(*frame, frameNumber, buffer, n);
}

bool Camera::SetTimeoutRecord(const uint8_t* record, uint32_t length) {
  if (unplugged_.load() || record == nullptr || length < 8) return false;
  LockGuard<Mutex> lock(mutex_);
  const uint32_t value = Le32(record + 4);
  timeoutMs_ = value != 0 ? value : kDefaultTimeoutMs;
  return true;
}

void Camera::Unplug() {
  {
    LockGuard<Mutex> lock(mutex_);
    unplugged_.store(true);
  }
  changed_.notify_all();
}

void Camera::Trigger() {
  {
    LockGuard<Mutex> lock(mutex_);
    ++triggers_;
  }
  changed_.notify_all();
}

void Camera::SetFault(int fault, int pipe, int count) {
  LockGuard<Mutex> lock(mutex_);
  if (fault == KORVEX_SIM_FAULT_FAIL_REGISTER_WRITE || fault == KORVEX_SIM_FAULT_STALL_STREAM) {
    pipe = -1;
  }
  std::erase_if(faults_, [&](const Fault& f) { return f.kind == fault && f.pipe == pipe; });
  if (count != 0) faults_.push_back({fault, pipe, count});
}

void Camera::ClearFaults() {
  LockGuard<Mutex> lock(mutex_);
  faults_.clear();
}

void Camera::SetRawFrame(std::shared_ptr<const std::vector<uint8_t>> frame) {
  LockGuard<Mutex> lock(mutex_);
  rawFrame_ = std::move(frame);
}

void Camera::SetFrameCallback(KorvexSimFrameCallback callback, void* user) {
  LockGuard<Mutex> lock(mutex_);
  callback_ = callback;
  callbackUser_ = user;
}

uint32_t Camera::SensorRegister(uint32_t reg) {
  LockGuard<Mutex> lock(mutex_);
  return reg < 0x100 ? sensor8_[reg] : sensor16_[reg & 0xFFFF];
}

uint8_t Camera::ControllerRegister(uint32_t reg) {
  LockGuard<Mutex> lock(mutex_);
  return controller_[reg & 0xFF];
}

uint8_t Camera::Srom(uint32_t address) {
  LockGuard<Mutex> lock(mutex_);
  return rom_[address & 0xFFFF];
}

void Camera::WriteSrom(uint32_t address, uint8_t value) {
  LockGuard<Mutex> lock(mutex_);
  rom_[address & 0xFFFF] = value;
}

uint32_t Camera::TimeoutMs() {
  LockGuard<Mutex> lock(mutex_);
  return timeoutMs_;
}

ReadoutParams Camera::CurrentParams() {
  LockGuard<Mutex> lock(mutex_);
  return ParamsLocked();
}

}  // namespace korvex::sim
