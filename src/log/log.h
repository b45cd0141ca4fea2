// The diagnostic log: off by default, and then free (one relaxed load per
// call site). Switched on when the library loads by the environment:
//   KORVEX_LOG=<file name> or KORVEX_LOG=stderr
//   KORVEX_LOG_LEVEL=error|warning|info|debug   (default warning)
//   KORVEX_LOG_MAX_KB=<n>                         (default 8192)
// A line holds the UTC time to the millisecond, a small per-thread number,
// the camera handle (0 when the message concerns no camera), the subsystem
// and the message. The file is opened on the first line written, so a run
// that logs nothing creates nothing. When a file would pass its size cap it
// is renamed to "<name>.1" (replacing the previous one) and a new file is
// started: a long run keeps at most twice the cap on disk.
//
// Thread safe: every function may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace korvex::log {

enum class Level { kError = 0, kWarning = 1, kInfo = 2, kDebug = 3 };

enum class Subsystem { kApi, kCamera, kDevice, kImage, kFiles, kSettings, kDialogs };

namespace detail {
// The most detailed level written; -1 when the log is off, -2 before the
// environment has been read.
inline std::atomic<int> threshold{-2};
int ReadEnvironment();
}  // namespace detail

// True when a line of this level would be written. Call sites test it
// before formatting anything.
inline bool Enabled(Level level) {
  int threshold = detail::threshold.load(std::memory_order_relaxed);
  if (threshold == -2) threshold = detail::ReadEnvironment();
  return static_cast<int>(level) <= threshold;
}

// Writes one line (a newline is added). Does nothing when the level is off.
void Write(Level level, Subsystem subsystem, uint32_t camera, const std::string& message);

// printf-style formatting into a std::string, for the call sites.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Where and what to log; what the environment sets when the library loads.
struct Settings {
  std::string destination;  // a file name, "stderr", or empty for off
  Level level = Level::kWarning;
  uint64_t maxBytes = 8192u * 1024u;
};
// The settings the environment asks for (destination empty: off).
Settings SettingsFromEnvironment();

// Replaces the settings (closing a file that is open). For tests and for
// the environment reader.
void Configure(const Settings& settings);

// "error", "warning", "info" or "debug" into *level; false for anything else.
bool ParseLevel(const char* text, Level* level);

}  // namespace korvex::log

// Logs when the level is on; the arguments are not evaluated otherwise.
#define KORVEX_LOG(level, subsystem, camera, ...)                                            \
  do {                                                                                       \
    if (::korvex::log::Enabled(::korvex::log::Level::level))                                 \
      ::korvex::log::Write(::korvex::log::Level::level, ::korvex::log::Subsystem::subsystem, \
                           (camera), ::korvex::log::Format(__VA_ARGS__));                    \
  } while (0)
