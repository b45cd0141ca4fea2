// The simulator's device slots, serial ROM presets, pace and traffic log,
// and the program's controls over them.
#include "korvex/host_sim.h"
#include "sim/sim_camera.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

namespace korvex::sim {
namespace {

constexpr size_t kTrafficLimit = 65536;

std::vector<uint8_t> DefaultRom(int index) {
  std::vector<uint8_t> rom(0x10000, 0xFF);  // erased cells read 0xFF
  char id[32] = {};
  std::snprintf(id, sizeof id, "Korvex740K3-XLN");
  std::memcpy(&rom[0x1800], id, 16);
  std::snprintf(id, sizeof id, "SN%06d", 100 + index);
  std::memcpy(&rom[0x1810], id, 8);
  return rom;
}

struct Simulator {
  Mutex mutex;
  std::array<std::shared_ptr<Camera>, KORVEX_SIM_MAX_CAMERAS> cameras KORVEX_GUARDED_BY(mutex);
  std::array<std::vector<uint8_t>, KORVEX_SIM_MAX_CAMERAS> roms KORVEX_GUARDED_BY(mutex);
  std::atomic<bool> fastPace{false};

  Mutex trafficMutex;
  std::deque<KorvexSimTraffic> traffic KORVEX_GUARDED_BY(trafficMutex);

  Simulator() {
    for (int i = 0; i < KORVEX_SIM_MAX_CAMERAS; ++i) roms[i] = DefaultRom(i);
    const int plugged = CamerasAtStart();
    for (int i = 0; i < plugged; ++i) cameras[i] = std::make_shared<Camera>(i, roms[i]);
  }

  // KORVEX_SIMULATED_CAMERAS, a number from 1 to 32, plugs that many cameras
  // in at indices 0 upward when the simulator starts; otherwise one.
  static int CamerasAtStart() {
    const char* text = std::getenv("KORVEX_SIMULATED_CAMERAS");
    if (text == nullptr || *text == '\0') return 1;
    int count = 0;
    for (; *text != '\0'; ++text) {
      if (*text < '0' || *text > '9') return 1;
      count = count * 10 + (*text - '0');
      if (count > KORVEX_SIM_MAX_CAMERAS) return 1;
    }
    return count >= 1 ? count : 1;
  }
};

Simulator& Sim() {
  static Simulator* sim = new Simulator;  // lives as long as the process
  return *sim;
}

bool ValidIndex(int index) { return index >= 0 && index < KORVEX_SIM_MAX_CAMERAS; }

}  // namespace

std::shared_ptr<Camera> CameraAt(int index) {
  if (!ValidIndex(index)) return nullptr;
  Simulator& sim = Sim();
  LockGuard<Mutex> lock(sim.mutex);
  return sim.cameras[index];
}

bool FastPace() { return Sim().fastPace.load(std::memory_order_relaxed); }

void LogTraffic(const KorvexSimTraffic& entry) {
  Simulator& sim = Sim();
  LockGuard<Mutex> lock(sim.trafficMutex);
  if (sim.traffic.size() == kTrafficLimit) sim.traffic.pop_front();
  sim.traffic.push_back(entry);
}

}  // namespace korvex::sim

using namespace korvex::sim;
using korvex::LockGuard;
using korvex::Mutex;

extern "C" {

void KorvexHost_SimReset(void) {
  Simulator& sim = Sim();
  {
    LockGuard<Mutex> lock(sim.mutex);
    for (int i = 0; i < KORVEX_SIM_MAX_CAMERAS; ++i) {
      if (sim.cameras[i]) sim.cameras[i]->Unplug();
      sim.cameras[i].reset();
      sim.roms[i] = DefaultRom(i);
    }
    sim.cameras[0] = std::make_shared<Camera>(0, sim.roms[0]);
  }
  sim.fastPace.store(false);
  KorvexHost_SimClearTraffic();
}

int KorvexHost_SimPlug(int index) {
  if (!ValidIndex(index)) return 0;
  Simulator& sim = Sim();
  LockGuard<Mutex> lock(sim.mutex);
  if (sim.cameras[index]) return 0;
  sim.cameras[index] = std::make_shared<Camera>(index, sim.roms[index]);
  return 1;
}

int KorvexHost_SimUnplug(int index) {
  if (!ValidIndex(index)) return 0;
  Simulator& sim = Sim();
  std::shared_ptr<Camera> camera;
  {
    LockGuard<Mutex> lock(sim.mutex);
    camera = std::move(sim.cameras[index]);
    sim.cameras[index].reset();
  }
  if (!camera) return 0;
  camera->Unplug();
  return 1;
}

int KorvexHost_SimIsPlugged(int index) { return CameraAt(index) ? 1 : 0; }

int KorvexHost_SimPresetSrom(int index, uint32_t address, const uint8_t* bytes, uint32_t count) {
  if (!ValidIndex(index) || address > 0xFFFF || count > 0x10000 - address) return 0;
  if (count != 0 && bytes == nullptr) return 0;
  Simulator& sim = Sim();
  LockGuard<Mutex> lock(sim.mutex);
  for (uint32_t i = 0; i < count; ++i) {
    sim.roms[index][address + i] = bytes[i];
    if (sim.cameras[index]) sim.cameras[index]->WriteSrom(address + i, bytes[i]);
  }
  return 1;
}

int KorvexHost_SimSetFault(int index, int fault, int pipe, int count) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  if (!camera || fault < KORVEX_SIM_FAULT_FAIL_TRANSFER || fault > KORVEX_SIM_FAULT_STALL_STREAM) {
    return 0;
  }
  camera->SetFault(fault, pipe, count);
  return 1;
}

void KorvexHost_SimClearFaults(int index) {
  if (std::shared_ptr<Camera> camera = CameraAt(index)) camera->ClearFaults();
}

int KorvexHost_SimTrigger(int index) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  if (!camera) return 0;
  camera->Trigger();
  return 1;
}

void KorvexHost_SimSetFastPace(int on) { Sim().fastPace.store(on != 0); }

int KorvexHost_SimSetRawFrame(int index, const void* bytes, size_t count) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  if (!camera) return 0;
  if (bytes == nullptr || count == 0) {
    camera->SetRawFrame(nullptr);
  } else {
    const auto* p = static_cast<const uint8_t*>(bytes);
    camera->SetRawFrame(std::make_shared<const std::vector<uint8_t>>(p, p + count));
  }
  return 1;
}

int KorvexHost_SimSetFrameCallback(int index, KorvexSimFrameCallback callback, void* user) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  if (!camera) return 0;
  camera->SetFrameCallback(callback, user);
  return 1;
}

size_t KorvexHost_SimTrafficCount(void) {
  Simulator& sim = Sim();
  LockGuard<Mutex> lock(sim.trafficMutex);
  return sim.traffic.size();
}

int KorvexHost_SimGetTraffic(size_t position, KorvexSimTraffic* out) {
  Simulator& sim = Sim();
  LockGuard<Mutex> lock(sim.trafficMutex);
  if (out == nullptr || position >= sim.traffic.size()) return 0;
  *out = sim.traffic[position];
  return 1;
}

void KorvexHost_SimClearTraffic(void) {
  Simulator& sim = Sim();
  LockGuard<Mutex> lock(sim.trafficMutex);
  sim.traffic.clear();
}

uint32_t KorvexHost_SimOpenCount(int index) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  return camera ? camera->openCount.load() : 0;
}

uint32_t KorvexHost_SimOpenHandles(int index) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  return camera ? camera->openHandles.load() : 0;
}

uint32_t KorvexHost_SimFramesServed(int index) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  return camera ? camera->framesServed.load() : 0;
}

int KorvexHost_SimReadSensorRegister(int index, uint32_t reg, uint32_t* value) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  if (!camera || reg > 0xFFFF || value == nullptr) return 0;
  *value = camera->SensorRegister(reg);
  return 1;
}

int KorvexHost_SimReadControllerRegister(int index, uint32_t reg, uint8_t* value) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  if (!camera || reg > 0xFF || value == nullptr) return 0;
  *value = camera->ControllerRegister(reg);
  return 1;
}

int KorvexHost_SimReadSrom(int index, uint32_t address, uint8_t* value) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  if (!camera || address > 0xFFFF || value == nullptr) return 0;
  *value = camera->Srom(address);
  return 1;
}

uint32_t KorvexHost_SimTransferTimeout(int index) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  return camera ? camera->TimeoutMs() : 0;
}

size_t KorvexHost_SimRenderFrame(int index, uint32_t frameNumber, void* buffer, size_t count) {
  std::shared_ptr<Camera> camera = CameraAt(index);
  if (!camera || buffer == nullptr) return 0;
  const ReadoutParams params = camera->CurrentParams();
  const size_t n = std::min(count, kFramePixels * (params.wordMode ? 2 : 1));
  camera->RenderScene(frameNumber, static_cast<uint8_t*>(buffer), n);
  return n;
}

}  // extern "C"
