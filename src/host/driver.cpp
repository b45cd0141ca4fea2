// The camera's kernel driver: device paths, handles and I/O control requests,
// served by the simulated cameras. Every request is written to the traffic
// log so that tests can check the host side byte for byte.
#include "korvex/host_driver.h"
#include "common/driver_protocol.h"
#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "sim/sim_camera.h"

#include <cstring>
#include <map>

namespace korvex::host {
namespace {

constexpr char kPathPrefix[] = "\\\\.\\Kvrx740K3XLN-";
using protocol::kDeviceIndexAlphabet;

using protocol::kLargePipeInDirect;
using protocol::kLargePipeOutDirect;
using protocol::kPipeInDirect;
using protocol::kPipeOutDirect;
using protocol::kSetTimeout;
constexpr uint32_t kNoPipe = 0xFFFFFFFFu;

struct Connection {
  std::shared_ptr<sim::Camera> camera;
};

struct HandleTable {
  Mutex mutex;
  uintptr_t nextId KORVEX_GUARDED_BY(mutex) = 0x1000;
  std::map<uintptr_t, std::shared_ptr<Connection>> open KORVEX_GUARDED_BY(mutex);
};

HandleTable& Handles() {
  static HandleTable* table = new HandleTable;  // lives as long as the process
  return *table;
}

// Device index named by a path, or -1.
int IndexOfPath(const char* path) {
  const size_t prefix = sizeof kPathPrefix - 1;
  if (path == nullptr || std::strncmp(path, kPathPrefix, prefix) != 0) return -1;
  const char c = path[prefix];
  if (c == '\0' || path[prefix + 1] != '\0') return -1;
  const char* at = std::strchr(kDeviceIndexAlphabet, c);
  if (at == nullptr) return -1;
  const int index = static_cast<int>(at - kDeviceIndexAlphabet);
  return index < KORVEX_SIM_MAX_CAMERAS ? index : -1;
}

std::shared_ptr<Connection> Find(KorvexHostDevice device) {
  HandleTable& table = Handles();
  LockGuard<Mutex> lock(table.mutex);
  auto it = table.open.find(reinterpret_cast<uintptr_t>(device));
  return it == table.open.end() ? nullptr : it->second;
}

void CopyPacket(KorvexSimTraffic& entry, const void* bytes, uint32_t length) {
  if (bytes == nullptr) return;
  entry.packetLength = length < 64 ? length : 64;
  std::memcpy(entry.packet, bytes, entry.packetLength);
}

}  // namespace
}  // namespace korvex::host

using namespace korvex::host;
using korvex::LockGuard;
using korvex::Mutex;

extern "C" {

KorvexHostDevice KorvexHost_OpenDevice(const char* path, uint32_t /*desiredAccess*/,
                                       uint32_t /*shareMode*/, uint32_t creationDisposition,
                                       uint32_t /*flags*/) {
  if (creationDisposition != KORVEX_HOST_OPEN_EXISTING) return KORVEX_HOST_INVALID_DEVICE;
  std::shared_ptr<korvex::sim::Camera> camera = korvex::sim::CameraAt(IndexOfPath(path));
  if (!camera || camera->Unplugged()) return KORVEX_HOST_INVALID_DEVICE;
  auto connection = std::make_shared<Connection>();
  connection->camera = camera;
  camera->openCount.fetch_add(1);
  camera->openHandles.fetch_add(1);
  HandleTable& table = Handles();
  LockGuard<Mutex> lock(table.mutex);
  const uintptr_t id = table.nextId;
  table.nextId += 8;
  table.open[id] = std::move(connection);
  return reinterpret_cast<KorvexHostDevice>(id);
}

int KorvexHost_CloseDevice(KorvexHostDevice device) {
  std::shared_ptr<Connection> connection;
  {
    HandleTable& table = Handles();
    LockGuard<Mutex> lock(table.mutex);
    auto it = table.open.find(reinterpret_cast<uintptr_t>(device));
    if (it == table.open.end()) return 0;
    connection = std::move(it->second);
    table.open.erase(it);
  }
  connection->camera->openHandles.fetch_sub(1);
  return 1;
}

int KorvexHost_DeviceIoControl(KorvexHostDevice device, uint32_t controlCode, const void* inBuffer,
                               uint32_t inLength, void* outBuffer, uint32_t outLength,
                               uint32_t* returned) {
  uint32_t moved = 0;
  bool ok = false;
  KorvexSimTraffic entry{};
  entry.device = -1;
  entry.code = controlCode;
  entry.pipe = kNoPipe;
  entry.inLength = inLength;
  entry.outLength = outLength;

  std::shared_ptr<Connection> connection = Find(device);
  if (connection) {
    korvex::sim::Camera& camera = *connection->camera;
    entry.device = camera.Index();
    switch (controlCode) {
      case kPipeOutDirect:
      case kPipeInDirect:
      case kLargePipeOutDirect:
      case kLargePipeInDirect: {
        if (inBuffer == nullptr || inLength < 4) break;
        uint32_t pipe;
        std::memcpy(&pipe, inBuffer, 4);
        entry.pipe = pipe;
        const bool large = controlCode == kLargePipeOutDirect || controlCode == kLargePipeInDirect;
        ok = camera.PipeRequest(pipe, large, static_cast<uint8_t*>(outBuffer), outLength, &moved);
        if (pipe == korvex::sim::kCommandPipe) CopyPacket(entry, outBuffer, outLength);
        if (pipe == korvex::sim::kReplyPipe && ok) CopyPacket(entry, outBuffer, moved);
        break;
      }
      case kSetTimeout:
        ok = camera.SetTimeoutRecord(static_cast<const uint8_t*>(inBuffer), inLength);
        CopyPacket(entry, inBuffer, inLength);
        break;
      default: break;
    }
  }
  if (returned) *returned = moved;
  entry.returned = moved;
  entry.result = ok ? 1 : 0;
  korvex::sim::LogTraffic(entry);
  return ok ? 1 : 0;
}

}  // extern "C"
