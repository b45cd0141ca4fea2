// The current user's registry: handles, access rights and the locked
// read-modify-replace cycle around the hive file.
#include "korvex/host_registry.h"

#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "host/registry_hive.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <pwd.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex::host::registry {
namespace {

constexpr const char* kHiveFile = "/HKEY_CURRENT_USER.reg";
constexpr const char* kLockFile = "/HKEY_CURRENT_USER.lock";
constexpr size_t kMaxKeyNameLength = 255;

struct OpenKey {
  std::string folder;  // registry folder at the time the key was opened
  std::string path;    // full key path, "" for the hive's root
  uint32_t access = 0;
};

struct State {
  Mutex mutex;
  std::string folder KORVEX_GUARDED_BY(mutex);         // empty: the default folder
  uintptr_t nextId KORVEX_GUARDED_BY(mutex) = 0x1000;  // even, so never a predefined key
  std::map<uintptr_t, std::shared_ptr<OpenKey>> keys KORVEX_GUARDED_BY(mutex);
};

State& TheState() {
  static State* state = new State;  // lives as long as the process
  return *state;
}

std::string DefaultFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
      struct passwd* pw = ::getpwuid(::getuid());
      home = pw != nullptr ? pw->pw_dir : "/tmp";
    }
    base = std::string(home) + "/.config";
  }
  return base + "/korvex/registry";
}

std::string CurrentFolder() {
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  return state.folder.empty() ? DefaultFolder() : state.folder;
}

bool IsCurrentUser(KorvexHostRegKey key) { return key == KORVEX_HOST_HKEY_CURRENT_USER; }

// The key behind a handle: the predefined root or an open key.
std::shared_ptr<OpenKey> Resolve(KorvexHostRegKey key) {
  if (IsCurrentUser(key)) {
    auto root = std::make_shared<OpenKey>();
    root->folder = CurrentFolder();
    root->access = KORVEX_HOST_KEY_ALL_ACCESS;
    return root;
  }
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  auto it = state.keys.find(reinterpret_cast<uintptr_t>(key));
  return it == state.keys.end() ? nullptr : it->second;
}

KorvexHostRegKey NewHandle(std::shared_ptr<OpenKey> key) {
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  uintptr_t id = state.nextId;
  state.nextId += 0x10;
  state.keys[id] = std::move(key);
  return reinterpret_cast<KorvexHostRegKey>(id);
}

// Joins a parent path and a relative subkey path. Empty names (a leading or
// doubled backslash), over-long names and control characters are refused;
// one trailing backslash is ignored.
bool JoinPath(const std::string& parent, const char* subKey, std::string* out) {
  std::string sub = subKey != nullptr ? subKey : "";
  if (!sub.empty() && sub.back() == '\\') sub.pop_back();
  *out = parent;
  if (sub.empty()) return true;
  size_t pos = 0;
  while (true) {
    size_t sep = sub.find('\\', pos);
    size_t len = (sep == std::string::npos ? sub.size() : sep) - pos;
    if (len == 0 || len > kMaxKeyNameLength) return false;
    for (size_t i = pos; i < pos + len; ++i)
      if (static_cast<unsigned char>(sub[i]) < 0x20) return false;
    if (sep == std::string::npos) break;
    pos = sep + 1;
  }
  *out = parent.empty() ? sub : parent + "\\" + sub;
  return true;
}

bool MakeFolders(const std::string& folder) {
  for (size_t pos = 1; pos <= folder.size(); ++pos) {
    if (pos != folder.size() && folder[pos] != '/') continue;
    std::string part = folder.substr(0, pos);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// Holds the folder's lock file exclusively: one writer at a time across
// threads and processes (each holder opens its own description).
class WriteLock {
 public:
  explicit WriteLock(const std::string& folder) {
    if (!MakeFolders(folder)) return;
    fd_ = ::open((folder + kLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        ::close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~WriteLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Runs `change` on the freshly read hive under the write lock and stores the
// result when the change asks for it (returns OK with *dirty set).
template <typename Change>
int32_t Modify(const std::string& folder, Change change) {
  WriteLock lock(folder);
  if (!lock.Held()) return KORVEX_HOST_REG_IO_ERROR;
  Hive hive;
  const std::string file = folder + kHiveFile;
  if (!Load(file, &hive)) return KORVEX_HOST_REG_IO_ERROR;
  bool dirty = false;
  int32_t result = change(hive, dirty);
  if (result == KORVEX_HOST_REG_OK && dirty && !Store(file, hive)) return KORVEX_HOST_REG_IO_ERROR;
  return result;
}

}  // namespace
}  // namespace korvex::host::registry

using namespace korvex::host::registry;
using korvex::LockGuard;
using korvex::Mutex;

extern "C" {

void KorvexHost_RegSetRoot(const char* folder) {
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  state.folder = folder != nullptr ? folder : "";
  while (state.folder.size() > 1 && state.folder.back() == '/') state.folder.pop_back();
}

size_t KorvexHost_RegGetRoot(char* buffer, size_t size) {
  const std::string folder = CurrentFolder();
  if (buffer != nullptr && size > 0) {
    size_t n = std::min(size - 1, folder.size());
    std::memcpy(buffer, folder.data(), n);
    buffer[n] = '\0';
  }
  return folder.size();
}

int32_t KorvexHost_RegOpenKey(KorvexHostRegKey parent, const char* subKey, uint32_t access,
                              KorvexHostRegKey* result) {
  if (result == nullptr) return KORVEX_HOST_REG_INVALID_PARAMETER;
  *result = nullptr;
  auto base = Resolve(parent);
  if (!base) return KORVEX_HOST_REG_INVALID_HANDLE;
  std::string path;
  if (!JoinPath(base->path, subKey, &path)) return KORVEX_HOST_REG_INVALID_PARAMETER;
  Hive hive;
  if (!Load(base->folder + kHiveFile, &hive)) return KORVEX_HOST_REG_IO_ERROR;
  if (!hive.Exists(path))
    return hive.Exists(base->path) ? KORVEX_HOST_REG_NOT_FOUND : KORVEX_HOST_REG_KEY_DELETED;
  auto key = std::make_shared<OpenKey>();
  key->folder = base->folder;
  key->path = path;
  key->access = access;
  *result = NewHandle(std::move(key));
  return KORVEX_HOST_REG_OK;
}

int32_t KorvexHost_RegCreateKey(KorvexHostRegKey parent, const char* subKey, uint32_t access,
                                KorvexHostRegKey* result, uint32_t* disposition) {
  if (result == nullptr) return KORVEX_HOST_REG_INVALID_PARAMETER;
  *result = nullptr;
  auto base = Resolve(parent);
  if (!base) return KORVEX_HOST_REG_INVALID_HANDLE;
  std::string path;
  if (!JoinPath(base->path, subKey, &path)) return KORVEX_HOST_REG_INVALID_PARAMETER;
  bool created = false;
  int32_t rc = Modify(base->folder, [&](Hive& hive, bool& dirty) -> int32_t {
    if (hive.Exists(path)) return KORVEX_HOST_REG_OK;
    if (!hive.Exists(base->path)) return KORVEX_HOST_REG_KEY_DELETED;
    if ((base->access & KORVEX_HOST_KEY_CREATE_SUB_KEY) == 0) return KORVEX_HOST_REG_ACCESS_DENIED;
    hive.AddKey(path);
    created = dirty = true;
    return KORVEX_HOST_REG_OK;
  });
  if (rc != KORVEX_HOST_REG_OK) return rc;
  auto key = std::make_shared<OpenKey>();
  key->folder = base->folder;
  key->path = path;
  key->access = access;
  *result = NewHandle(std::move(key));
  if (disposition != nullptr)
    *disposition = created ? KORVEX_HOST_REG_CREATED_NEW_KEY : KORVEX_HOST_REG_OPENED_EXISTING_KEY;
  return KORVEX_HOST_REG_OK;
}

int32_t KorvexHost_RegQueryValue(KorvexHostRegKey key, const char* name, uint32_t* type, void* data,
                                 uint32_t* size) {
  auto open = Resolve(key);
  if (!open) return KORVEX_HOST_REG_INVALID_HANDLE;
  if ((open->access & KORVEX_HOST_KEY_QUERY_VALUE) == 0) return KORVEX_HOST_REG_ACCESS_DENIED;
  if (data != nullptr && size == nullptr) return KORVEX_HOST_REG_INVALID_PARAMETER;
  Hive hive;
  if (!Load(open->folder + kHiveFile, &hive)) return KORVEX_HOST_REG_IO_ERROR;
  const std::string path = open->path;
  if (!hive.Exists(path)) return KORVEX_HOST_REG_KEY_DELETED;
  Key* k = hive.Find(path);
  Value* v = k != nullptr ? k->Find(name != nullptr ? name : "") : nullptr;
  if (v == nullptr) return KORVEX_HOST_REG_NOT_FOUND;
  if (type != nullptr) *type = v->type;
  const uint32_t needed = static_cast<uint32_t>(v->data.size());
  if (data != nullptr) {
    if (*size < needed) {
      *size = needed;
      return KORVEX_HOST_REG_MORE_DATA;
    }
    if (needed != 0) std::memcpy(data, v->data.data(), needed);
  }
  if (size != nullptr) *size = needed;
  return KORVEX_HOST_REG_OK;
}

int32_t KorvexHost_RegSetValue(KorvexHostRegKey key, const char* name, uint32_t type,
                               const void* data, uint32_t size) {
  auto open = Resolve(key);
  if (!open) return KORVEX_HOST_REG_INVALID_HANDLE;
  if ((open->access & KORVEX_HOST_KEY_SET_VALUE) == 0) return KORVEX_HOST_REG_ACCESS_DENIED;
  if (data == nullptr && size != 0) return KORVEX_HOST_REG_INVALID_PARAMETER;
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::vector<uint8_t> stored(bytes, bytes + size);
  const std::string valueName = name != nullptr ? name : "";
  return Modify(open->folder, [&](Hive& hive, bool& dirty) -> int32_t {
    if (!hive.Exists(open->path)) return KORVEX_HOST_REG_KEY_DELETED;
    if (open->path.empty()) hive.keys[""].path = "";  // values on the hive's root
    Key* k = hive.Find(open->path);
    if (Value* v = k->Find(valueName)) {
      if (v->type == type && v->data == stored) return KORVEX_HOST_REG_OK;
      v->type = type;
      v->data = std::move(stored);
    } else {
      k->values.push_back(Value{valueName, type, std::move(stored)});
    }
    dirty = true;
    return KORVEX_HOST_REG_OK;
  });
}

int32_t KorvexHost_RegDeleteValue(KorvexHostRegKey key, const char* name) {
  auto open = Resolve(key);
  if (!open) return KORVEX_HOST_REG_INVALID_HANDLE;
  if ((open->access & KORVEX_HOST_KEY_SET_VALUE) == 0) return KORVEX_HOST_REG_ACCESS_DENIED;
  const std::string valueName = name != nullptr ? name : "";
  return Modify(open->folder, [&](Hive& hive, bool& dirty) -> int32_t {
    if (!hive.Exists(open->path)) return KORVEX_HOST_REG_KEY_DELETED;
    Key* k = hive.Find(open->path);
    if (k == nullptr) return KORVEX_HOST_REG_NOT_FOUND;
    for (auto it = k->values.begin(); it != k->values.end(); ++it) {
      if (SameName(it->name, valueName)) {
        k->values.erase(it);
        dirty = true;
        return KORVEX_HOST_REG_OK;
      }
    }
    return KORVEX_HOST_REG_NOT_FOUND;
  });
}

int32_t KorvexHost_RegDeleteKey(KorvexHostRegKey parent, const char* subKey) {
  auto base = Resolve(parent);
  if (!base) return KORVEX_HOST_REG_INVALID_HANDLE;
  if (subKey == nullptr || subKey[0] == '\0') return KORVEX_HOST_REG_INVALID_PARAMETER;
  std::string path;
  if (!JoinPath(base->path, subKey, &path)) return KORVEX_HOST_REG_INVALID_PARAMETER;
  return Modify(base->folder, [&](Hive& hive, bool& dirty) -> int32_t {
    if (!hive.keys.count(path)) return KORVEX_HOST_REG_NOT_FOUND;
    if (hive.HasSubkeys(path)) return KORVEX_HOST_REG_ACCESS_DENIED;
    hive.keys.erase(path);
    dirty = true;
    return KORVEX_HOST_REG_OK;
  });
}

int32_t KorvexHost_RegCloseKey(KorvexHostRegKey key) {
  if (IsCurrentUser(key)) return KORVEX_HOST_REG_OK;
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  return state.keys.erase(reinterpret_cast<uintptr_t>(key)) ? KORVEX_HOST_REG_OK
                                                            : KORVEX_HOST_REG_INVALID_HANDLE;
}

}  // extern "C"
