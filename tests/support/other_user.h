// Running a check as a user without special rights, for tests of what such
// a user may not do (write a read-only file, look into a closed folder).
// Root may do all of it, so when the tests run as root the check runs in a
// child process that has given up root for the "nobody" user; otherwise it
// runs here, as the user the tests already are.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace korvex::test {

inline constexpr uid_t kNobody = 65534;

inline bool RunningAsRoot() { return ::geteuid() == 0; }

// Runs `check` as an unprivileged user and returns what it returned. The
// child of a root test process does nothing but the check and ends with
// _exit, so that no other thread's state or atexit work is touched; the
// check must use only what exists before the fork (no new threads, no
// locks other threads may hold).
inline bool RunUnprivileged(const std::function<bool()>& check) {
  if (!RunningAsRoot()) return check();
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    const bool dropped = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && ::geteuid() != 0;
    ::_exit(dropped && check() ? 0 : 1);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace korvex::test
