// Names that are not regular files, made for a test (Windows): a named pipe
// that nobody opens from the other end, and a device. A writer or reader
// handed one of these must refuse it at once instead of blocking on it or
// connecting to it.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

namespace korvex::test {

class ScopedPipeName {
 public:
  // A pipe named after `name` (the folder has no part in a pipe's name).
  ScopedPipeName(const std::string&, const std::string& name) {
    static std::atomic<unsigned> counter{0};
    name_ = "\\\\.\\pipe\\korvex-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(counter.fetch_add(1)) + "-" + name;
    server_ = ::CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                 4096, 4096, 0, nullptr);
  }
  ~ScopedPipeName() {
    if (server_ != INVALID_HANDLE_VALUE) ::CloseHandle(server_);
  }
  ScopedPipeName(const ScopedPipeName&) = delete;
  ScopedPipeName& operator=(const ScopedPipeName&) = delete;

  bool Made() const { return server_ != INVALID_HANDLE_VALUE; }
  const std::string& Name() const { return name_; }
  // Nobody connected to the pipe: its one instance is still free.
  bool Untouched() const { return ::WaitNamedPipeA(name_.c_str(), 1) != FALSE; }

 private:
  std::string name_;
  HANDLE server_ = INVALID_HANDLE_VALUE;
};

// A device that swallows every write and reads as empty.
inline const char* DeviceName() { return "NUL"; }

}  // namespace korvex::test
