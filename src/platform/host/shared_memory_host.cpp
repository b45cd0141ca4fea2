// The shared memory seam on top of the host library.
#include "platform/shared_memory.h"

#include "korvex/host_shm.h"

namespace korvex::platform {

bool SharedMemory::OpenOrCreate(const char* name, size_t size) {
  Close();
  KorvexHostShm shm = KorvexHost_OpenSharedMemory(name);
  int created = 0;
  if (shm == nullptr) shm = KorvexHost_CreateSharedMemory(name, size, &created);
  if (shm == nullptr) return false;
  handle_ = shm;
  created_ = created != 0;
  view_ = static_cast<uint8_t*>(KorvexHost_MapSharedMemory(shm));
  size_ = view_ != nullptr ? KorvexHost_SharedMemorySize(shm) : 0;
  return view_ != nullptr;
}

void SharedMemory::Close() {
  if (view_ != nullptr) KorvexHost_UnmapSharedMemory(view_);
  if (handle_ != nullptr) KorvexHost_CloseSharedMemory(static_cast<KorvexHostShm>(handle_));
  view_ = nullptr;
  handle_ = nullptr;
  size_ = 0;
  created_ = false;
}

uint64_t CurrentProcessToken() { return KorvexHost_ProcessToken(); }
bool ProcessAlive(uint64_t token) { return KorvexHost_ProcessAlive(token) != 0; }

}  // namespace korvex::platform
