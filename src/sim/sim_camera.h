// One simulated camera: its controller (command pipe, replies, controller
// registers, serial ROM), its sensor (register store, read-out timing,
// trigger) and the frame pipe, behind the driver's pipe requests.
#pragma once

#include "common/driver_protocol.h"
#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "korvex/host_sim.h"
#include "sim/sim_scene.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <vector>

namespace korvex::sim {

using protocol::kCommandPipe;
using protocol::kFramePipe;
using protocol::kMaxOrdinaryTransfer;
using protocol::kReplyPipe;
constexpr uint32_t kDefaultTimeoutMs = 3000;

class Camera {
 public:
  Camera(int index, const std::vector<uint8_t>& rom);
  ~Camera();

  int Index() const { return index_; }

  // A pipe request: data moves through buffer in the direction of the pipe.
  // Returns the request's result (TRUE/FALSE) with the byte count.
  bool PipeRequest(uint32_t pipe, bool large, uint8_t* buffer, uint32_t length, uint32_t* returned);
  // The time-out record {1, milliseconds, ...}.
  bool SetTimeoutRecord(const uint8_t* record, uint32_t length);

  // Removal: every waiting or later request fails.
  void Unplug();
  bool Unplugged() const { return unplugged_.load(); }

  void Trigger();
  void SetFault(int fault, int pipe, int count);
  void ClearFaults();
  void SetRawFrame(std::shared_ptr<const std::vector<uint8_t>> frame);
  void SetFrameCallback(KorvexSimFrameCallback callback, void* user);

  uint32_t SensorRegister(uint32_t reg);
  uint8_t ControllerRegister(uint32_t reg);
  uint8_t Srom(uint32_t address);
  void WriteSrom(uint32_t address, uint8_t value);
  uint32_t TimeoutMs();
  ReadoutParams CurrentParams();
  // Static frame plus moving part for a frame number, into buffer.
  void RenderScene(uint32_t frameNumber, uint8_t* buffer, size_t length);

  std::atomic<uint32_t> openCount{0};
  std::atomic<uint32_t> openHandles{0};
  std::atomic<uint32_t> framesServed{0};

 private:
  struct Fault {
    int kind;
    int pipe;
    int remaining;  // < 0: always
  };
  using Clock = std::chrono::steady_clock;

  bool Command(const uint8_t* packet, uint32_t length) KORVEX_REQUIRES(mutex_);
  bool ReadFrame(bool large, uint8_t* buffer, uint32_t length, uint32_t* returned)
      KORVEX_EXCLUDES(mutex_);
  // Takes one use of a matching fault.
  bool TakeFault(int kind, int pipe) KORVEX_REQUIRES(mutex_);
  ReadoutParams ParamsLocked() const KORVEX_REQUIRES(mutex_);
  Clock::duration FramePeriodLocked() const KORVEX_REQUIRES(mutex_);
  // Waits on changed_ until the predicate holds, the deadline passes or the
  // camera is pulled out; true when the predicate holds. The predicate runs
  // with the lock held.
  template <class Predicate>
  bool WaitLocked(UniqueLock<Mutex>& lock, Clock::time_point deadline, Predicate ready)
      KORVEX_REQUIRES(mutex_);

  const int index_;
  // Set under mutex_ so that a waiter cannot miss it between its test and
  // its wait; read without it.
  std::atomic<bool> unplugged_{false};
  SceneCache scene_;  // has its own lock

  Mutex mutex_;
  std::condition_variable_any changed_;
  std::array<uint8_t, 256> controller_ KORVEX_GUARDED_BY(mutex_){};
  std::array<uint8_t, 256> sensor8_ KORVEX_GUARDED_BY(mutex_){};
  std::vector<uint32_t> sensor16_ KORVEX_GUARDED_BY(mutex_);
  std::vector<uint8_t> rom_ KORVEX_GUARDED_BY(mutex_);
  std::array<uint8_t, 64> reply_ KORVEX_GUARDED_BY(mutex_){};
  // The last command 0x0A operand.
  uint8_t transferWidthCommand_ KORVEX_GUARDED_BY(mutex_) = 1;
  // The last command 0x09 operand.
  uint32_t announcedSize_ KORVEX_GUARDED_BY(mutex_) = 0;
  // Frame requests (0x02) not yet served.
  uint32_t pendingRequests_ KORVEX_GUARDED_BY(mutex_) = 0;
  // Trigger pulses not yet used.
  uint32_t triggers_ KORVEX_GUARDED_BY(mutex_) = 0;
  uint32_t timeoutMs_ KORVEX_GUARDED_BY(mutex_) = kDefaultTimeoutMs;
  uint32_t nextFrameNumber_ KORVEX_GUARDED_BY(mutex_) = 0;
  Clock::time_point nextFrameTime_ KORVEX_GUARDED_BY(mutex_){};
  std::vector<Fault> faults_ KORVEX_GUARDED_BY(mutex_);
  std::shared_ptr<const std::vector<uint8_t>> rawFrame_ KORVEX_GUARDED_BY(mutex_);
  KorvexSimFrameCallback callback_ KORVEX_GUARDED_BY(mutex_) = nullptr;
  void* callbackUser_ KORVEX_GUARDED_BY(mutex_) = nullptr;
};

// The simulator as a whole: the 32 device slots, the pace, the traffic log.
std::shared_ptr<Camera> CameraAt(int index);
bool FastPace();
void LogTraffic(const KorvexSimTraffic& entry);

}  // namespace korvex::sim
