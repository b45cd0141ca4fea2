#include "common/regular_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

std::optional<std::vector<uint8_t>> ReadRegularFile(const char* path) {
  if (path == nullptr) return std::nullopt;
  // Non-blocking, so a pipe without a writer cannot hold the open.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::optional<std::vector<uint8_t>> result;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0) {
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
    size_t done = 0;
    bool failed = false;
    while (done < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        failed = true;
        break;
      }
      if (n == 0) break;  // the file shrank meanwhile: what is there
      done += static_cast<size_t>(n);
    }
    if (!failed) {
      bytes.resize(done);
      result = std::move(bytes);
    }
  }
  ::close(fd);
  return result;
}

int OpenRegularFileForWriting(const char* path) {
  if (path == nullptr) return -1;
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

std::string CreateReplacementFile(const char* target, int* fd, std::string* finalName) {
  *fd = -1;
  if (target == nullptr || target[0] == '\0') return {};
  std::string name = target;
  struct stat info {};
  if (::stat(target, &info) == 0) {
    if (!S_ISREG(info.st_mode)) return {};
    // A link is followed: the file it names is the one replaced.
    char resolved[PATH_MAX];
    if (::realpath(target, resolved) != nullptr) name = resolved;
  }
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = name + ".part-" + std::to_string(::getpid()) + "-" +
                                  std::to_string(counter.fetch_add(1));
    const int created = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (created >= 0) {
      *fd = created;
      *finalName = name;
      return temporary;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

}  // namespace korvex
