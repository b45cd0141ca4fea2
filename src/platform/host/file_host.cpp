// Files on Linux: POSIX descriptors. Opens are non-blocking, so a pipe
// without a writer or reader cannot hold them, and the kind of file is
// checked on the open descriptor before anything is read or emptied. Other
// programs' opens cannot be refused here; nothing else writes the files
// while we do.
#include "platform/file.h"

#include "korvex/host_text.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace korvex::platform {
namespace {

static_assert(sizeof(off_t) == 8, "64-bit file positions");

bool IsRegular(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// Back to blocking writes once the descriptor is known to be a regular file.
void ClearNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

}  // namespace

FileName::FileName(const char* narrow) : native_(narrow != nullptr ? narrow : "") {}

std::optional<FileName> FileName::FromWide(const KORVEX_WCHAR* wide) {
  if (wide == nullptr) return std::nullopt;
  const auto* units = reinterpret_cast<const uint16_t*>(wide);
  // As long as the name is: the kernel, not a buffer, sets the limit.
  const int needed =
      KorvexHost_WideCharToMultiByte(KORVEX_HOST_TEXT_STRICT, units, -1, nullptr, 0, nullptr);
  if (needed <= 0) return std::nullopt;
  std::vector<char> bytes(static_cast<size_t>(needed));
  if (KorvexHost_WideCharToMultiByte(KORVEX_HOST_TEXT_STRICT, units, -1, bytes.data(), needed,
                                     nullptr) != needed) {
    return std::nullopt;
  }
  return FromNative(NativeFileName(bytes.data()));
}

FileNameKind KindOfFileName(const FileName& path) {
  if (path.IsEmpty()) return FileNameKind::kMissing;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    // A folder on the path that may not be searched hides whether the name
    // exists: not missing, and not a file to use.
    return errno == EACCES ? FileNameKind::kDenied : FileNameKind::kMissing;
  }
  return S_ISREG(info.st_mode) ? FileNameKind::kRegularFile : FileNameKind::kOther;
}

FileHandle OpenRegularFileForReading(const FileName& path, uint64_t* size) {
  if (path.IsEmpty() || size == nullptr) return kNoFile;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return kNoFile;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    ::close(fd);
    return kNoFile;
  }
  *size = static_cast<uint64_t>(info.st_size);
  return fd;
}

int64_t ReadFromFile(FileHandle file, void* data, size_t size) {
  if (file < 0 || (data == nullptr && size > 0)) return -1;
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(file), data, size);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

FileHandle OpenRegularFileForWriting(const FileName& path) {
  if (path.IsEmpty()) return kNoFile;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return kNoFile;
  if (!IsRegular(fd) || ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return kNoFile;
  }
  ClearNonBlocking(fd);
  return fd;
}

FileHandle CreateNewFile(const FileName& path, bool* alreadyExists, bool privateFile) {
  if (alreadyExists != nullptr) *alreadyExists = false;
  if (path.IsEmpty()) return kNoFile;
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, privateFile ? 0600 : 0666);
  if (fd < 0 && errno == EEXIST && alreadyExists != nullptr) *alreadyExists = true;
  return fd < 0 ? kNoFile : fd;
}

bool WriteFileAt(FileHandle file, uint64_t position, const void* data, size_t size) {
  if (file < 0 || (data == nullptr && size > 0)) return false;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    if (position > static_cast<uint64_t>(INT64_MAX) - size) return false;
    const ssize_t n = ::pwrite(static_cast<int>(file), bytes, size, static_cast<off_t>(position));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
    position += static_cast<uint64_t>(n);
  }
  return true;
}

bool TruncateFile(FileHandle file, uint64_t size) {
  return file >= 0 && size <= static_cast<uint64_t>(INT64_MAX) &&
         ::ftruncate(static_cast<int>(file), static_cast<off_t>(size)) == 0;
}

bool CloseFile(FileHandle file) { return file >= 0 && ::close(static_cast<int>(file)) == 0; }

bool RenameFileOver(const FileName& from, const FileName& to) {
  return !from.IsEmpty() && !to.IsEmpty() && std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const FileName& path) { return !path.IsEmpty() && ::unlink(path.c_str()) == 0; }

uint32_t CurrentProcessId() { return static_cast<uint32_t>(::getpid()); }

bool ExamineReplaceTarget(const FileName& target, FileName* finalName, KeptPermissions* kept) {
  *kept = KeptPermissions{};
  switch (KindOfFileName(target)) {
    case FileNameKind::kMissing: *finalName = target; return !target.IsEmpty();
    case FileNameKind::kRegularFile: break;
    default: return false;
  }
  // Links are followed, so the file they point to is the one replaced.
  char resolved[PATH_MAX];
  *finalName = ::realpath(target.c_str(), resolved) != nullptr ? FileName(resolved) : target;
  struct stat info {};
  if (::stat(finalName->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  // Whether this user may write the file itself, as an open for writing
  // would decide (root may, unless the file system is read-only): a
  // writable folder alone does not allow replacing a file one may not write.
  if (::faccessat(AT_FDCWD, finalName->c_str(), W_OK, AT_EACCESS) != 0) return false;
  kept->exists = true;
  kept->mode = info.st_mode & 0777;
  kept->owner = info.st_uid;
  kept->group = info.st_gid;
  return true;
}

size_t BaseNameLength(const FileName& path) {
  const size_t slash = path.Native().find_last_of('/');
  return slash == NativeFileName::npos ? path.Native().size() : path.Native().size() - slash - 1;
}

FileName NameInSameFolder(const FileName& path, const std::string& base) {
  const size_t slash = path.Native().find_last_of('/');
  if (slash == NativeFileName::npos) return FileName::FromNative(base);
  return FileName::FromNative(path.Native().substr(0, slash + 1) + base);
}

bool TakeOverPermissions(FileHandle file, const KeptPermissions& kept) {
  if (file < 0) return false;
  if (!kept.exists) return true;  // a new file keeps what a new file gets
  const int fd = static_cast<int>(file);
  // Owner and group where this user may give them (root); else the group
  // alone (a group the user belongs to); else the user's own. The mode is
  // set last, since a change of owner clears some of its bits.
  if (::fchown(fd, kept.owner, kept.group) != 0) {
    ::fchown(fd, static_cast<uid_t>(-1), kept.group);
  }
  return ::fchmod(fd, static_cast<mode_t>(kept.mode)) == 0;
}

bool PutInPlace(const FileName& from, const FileName& to, const KeptPermissions&) {
  return RenameFileOver(from, to);
}

}  // namespace korvex::platform
