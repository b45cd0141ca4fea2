// Files on Linux: POSIX descriptors. Opens are non-blocking, so a pipe
// without a writer or reader cannot hold them, and the kind of file is
// checked on the open descriptor before anything is read or emptied. Other
// programs' opens cannot be refused here; nothing else writes the files
// while we do.
#include "platform/file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

FileNameKind KindOfFileName(const char* path) {
  if (path == nullptr || path[0] == '\0') return FileNameKind::kMissing;
  struct stat info {};
  if (::stat(path, &info) != 0) return FileNameKind::kMissing;
  return S_ISREG(info.st_mode) ? FileNameKind::kRegularFile : FileNameKind::kOther;
}

std::string ResolvedFileName(const char* path) {
  if (path == nullptr) return {};
  char resolved[PATH_MAX];
  if (KindOfFileName(path) == FileNameKind::kRegularFile && ::realpath(path, resolved) != nullptr) {
    return resolved;
  }
  return path;
}

FileHandle OpenRegularFileForReading(const char* path, uint64_t* size) {
  if (path == nullptr || size == nullptr) return kNoFile;
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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

FileHandle OpenRegularFileForWriting(const char* path) {
  if (path == nullptr) return kNoFile;
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return kNoFile;
  if (!IsRegular(fd) || ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return kNoFile;
  }
  ClearNonBlocking(fd);
  return fd;
}

FileHandle CreateNewFile(const char* path, bool* alreadyExists) {
  if (alreadyExists != nullptr) *alreadyExists = false;
  if (path == nullptr) return kNoFile;
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

bool RenameFileOver(const char* from, const char* to) {
  return from != nullptr && to != nullptr && std::rename(from, to) == 0;
}

bool RemoveFile(const char* path) { return path != nullptr && ::unlink(path) == 0; }

uint32_t CurrentProcessId() { return static_cast<uint32_t>(::getpid()); }

}  // namespace korvex::platform
