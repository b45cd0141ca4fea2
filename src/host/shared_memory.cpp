// Named shared memory on POSIX shared memory objects, and process identity
// for tables kept in such memory.
#include "korvex/host_shm.h"

#include "common/lock_guard.h"
#include "common/thread_annotations.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <signal.h>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using korvex::LockGuard;
using korvex::Mutex;

namespace {

struct Block {
  int fd = -1;
  size_t size = 0;
};

struct State {
  Mutex mutex;
  std::string ns KORVEX_GUARDED_BY(mutex);  // empty: the default namespace
  uintptr_t nextId KORVEX_GUARDED_BY(mutex) = 0x10;
  std::map<uintptr_t, std::shared_ptr<Block>> blocks KORVEX_GUARDED_BY(mutex);
  std::map<void*, size_t> views KORVEX_GUARDED_BY(mutex);
};

State& TheState() {
  static State* state = new State;  // lives as long as the process
  return *state;
}

std::string ObjectName(const char* name) {
  std::string ns;
  {
    State& state = TheState();
    LockGuard<Mutex> lock(state.mutex);
    ns = state.ns;
  }
  // The default: KORVEX_SHM_NAMESPACE when the environment names one (so a
  // test can keep the programs it starts apart from the user's), otherwise
  // one namespace per user.
  if (ns.empty()) {
    const char* env = std::getenv("KORVEX_SHM_NAMESPACE");
    ns = (env != nullptr && env[0] != '\0') ? env : "korvex-" + std::to_string(::getuid());
  }
  std::string full = "/" + ns + "." + name;
  for (size_t i = 1; i < full.size(); ++i)
    if (full[i] == '/') full[i] = '_';
  return full;
}

size_t SizeOf(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || st.st_size < 0) return 0;
  return static_cast<size_t>(st.st_size);
}

// A block is created empty and then given its size; an opener that comes in
// between waits a little for the size to appear.
size_t WaitForSize(int fd) {
  for (int i = 0; i < 200; ++i) {
    size_t size = SizeOf(fd);
    if (size != 0) return size;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return 0;
}

KorvexHostShm NewHandle(int fd, size_t size) {
  auto block = std::make_shared<Block>();
  block->fd = fd;
  block->size = size;
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  uintptr_t id = state.nextId;
  state.nextId += 0x10;
  state.blocks[id] = std::move(block);
  return reinterpret_cast<KorvexHostShm>(id);
}

std::shared_ptr<Block> Find(KorvexHostShm shm) {
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  auto it = state.blocks.find(reinterpret_cast<uintptr_t>(shm));
  return it == state.blocks.end() ? nullptr : it->second;
}

// Fields of /proc/<pid>/stat: the process state and its start time in clock
// ticks since boot. False when the process does not exist.
bool ReadProcStat(uint32_t pid, char* stateOut, unsigned long long* startOut) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%u/stat", pid);
  FILE* f = std::fopen(path, "re");
  if (f == nullptr) return false;
  char buffer[1024];
  size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
  std::fclose(f);
  buffer[n] = '\0';
  // The command name is in parentheses and may itself contain ") ".
  const char* rest = std::strrchr(buffer, ')');
  if (rest == nullptr) return false;
  char state = 0;
  unsigned long long start = 0;
  // After ")": state, then fields 4 to 21, then the start time (field 22).
  if (std::sscanf(
          rest + 1,
          " %c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu",
          &state, &start) != 2)
    return false;
  *stateOut = state;
  *startOut = start;
  return true;
}

}  // namespace

extern "C" {

void KorvexHost_SetSharedMemoryNamespace(const char* ns) {
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  state.ns = ns != nullptr ? ns : "";
}

KorvexHostShm KorvexHost_OpenSharedMemory(const char* name) {
  if (name == nullptr || name[0] == '\0') return nullptr;
  int fd = ::shm_open(ObjectName(name).c_str(), O_RDWR | O_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  size_t size = WaitForSize(fd);
  if (size == 0) {
    ::close(fd);
    return nullptr;
  }
  return NewHandle(fd, size);
}

KorvexHostShm KorvexHost_CreateSharedMemory(const char* name, size_t size, int* created) {
  if (created != nullptr) *created = 0;
  if (name == nullptr || name[0] == '\0' || size == 0) return nullptr;
  const std::string object = ObjectName(name);
  for (int attempt = 0; attempt < 3; ++attempt) {
    int fd = ::shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        ::shm_unlink(object.c_str());
        return nullptr;
      }
      if (created != nullptr) *created = 1;
      return NewHandle(fd, size);
    }
    if (errno != EEXIST) return nullptr;
    fd = ::shm_open(object.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) {
      if (errno == ENOENT) continue;  // removed in between: try creating again
      return nullptr;
    }
    size_t existing = WaitForSize(fd);
    if (existing == 0) {
      // Its creator died before giving it a size.
      if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        return nullptr;
      }
      existing = SizeOf(fd);
    }
    return NewHandle(fd, existing);
  }
  return nullptr;
}

size_t KorvexHost_SharedMemorySize(KorvexHostShm shm) {
  auto block = Find(shm);
  return block ? block->size : 0;
}

void* KorvexHost_MapSharedMemory(KorvexHostShm shm) {
  auto block = Find(shm);
  if (!block) return nullptr;
  void* view = ::mmap(nullptr, block->size, PROT_READ | PROT_WRITE, MAP_SHARED, block->fd, 0);
  if (view == MAP_FAILED) return nullptr;
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  state.views[view] = block->size;
  return view;
}

int KorvexHost_UnmapSharedMemory(void* view) {
  size_t size = 0;
  {
    State& state = TheState();
    LockGuard<Mutex> lock(state.mutex);
    auto it = state.views.find(view);
    if (it == state.views.end()) return 0;
    size = it->second;
    state.views.erase(it);
  }
  return ::munmap(view, size) == 0 ? 1 : 0;
}

int KorvexHost_CloseSharedMemory(KorvexHostShm shm) {
  std::shared_ptr<Block> block;
  {
    State& state = TheState();
    LockGuard<Mutex> lock(state.mutex);
    auto it = state.blocks.find(reinterpret_cast<uintptr_t>(shm));
    if (it == state.blocks.end()) return 0;
    block = std::move(it->second);
    state.blocks.erase(it);
  }
  ::close(block->fd);
  return 1;
}

int KorvexHost_UnlinkSharedMemory(const char* name) {
  if (name == nullptr || name[0] == '\0') return 0;
  return ::shm_unlink(ObjectName(name).c_str()) == 0 ? 1 : 0;
}

uint64_t KorvexHost_ProcessToken(void) {
  const uint32_t pid = static_cast<uint32_t>(::getpid());
  char state = 0;
  unsigned long long start = 0;
  if (!ReadProcStat(pid, &state, &start)) return pid;
  return (static_cast<uint64_t>(static_cast<uint32_t>(start)) << 32) | pid;
}

int KorvexHost_ProcessAlive(uint64_t token) {
  const uint32_t pid = static_cast<uint32_t>(token);
  const uint32_t start = static_cast<uint32_t>(token >> 32);
  if (pid == 0) return 0;
  char state = 0;
  unsigned long long started = 0;
  if (ReadProcStat(pid, &state, &started)) {
    if (state == 'Z' || state == 'X') return 0;
    return (start == 0 || static_cast<uint32_t>(started) == start) ? 1 : 0;
  }
  // Without /proc only the bare process id can be checked.
  if (errno == ENOENT && ::access("/proc/self/stat", R_OK) == 0) return 0;
  return (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM) ? 1 : 0;
}

}  // extern "C"
