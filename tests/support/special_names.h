// Names that are not regular files, made for a test: a pipe that nobody
// opens from the other end, and a device. A writer or reader handed one of
// these must refuse it at once instead of blocking on it.
#pragma once

#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace korvex::test {

class ScopedPipeName {
 public:
  // A pipe called `name` in `folder`.
  ScopedPipeName(const std::string& folder, const std::string& name) : name_(folder + "/" + name) {
    made_ = ::mkfifo(name_.c_str(), 0600) == 0;
  }
  ~ScopedPipeName() { std::filesystem::remove(name_); }
  ScopedPipeName(const ScopedPipeName&) = delete;
  ScopedPipeName& operator=(const ScopedPipeName&) = delete;

  bool Made() const { return made_; }
  const std::string& Name() const { return name_; }
  // The pipe is still there as a pipe: nothing replaced it.
  bool Untouched() const { return std::filesystem::is_fifo(name_); }

 private:
  std::string name_;
  bool made_ = false;
};

// A device that reads without end and swallows every write.
inline const char* DeviceName() { return "/dev/zero"; }

}  // namespace korvex::test
