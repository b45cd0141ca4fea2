#include "log/log.h"

#include "common/lock_guard.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace korvex::log {
namespace {

const char* LevelName(Level level) {
  switch (level) {
    case Level::kError: return "error";
    case Level::kWarning: return "warning";
    case Level::kInfo: return "info";
    case Level::kDebug: return "debug";
  }
  return "?";
}

const char* SubsystemName(Subsystem subsystem) {
  switch (subsystem) {
    case Subsystem::kApi: return "api";
    case Subsystem::kCamera: return "camera";
    case Subsystem::kDevice: return "device";
    case Subsystem::kImage: return "image";
    case Subsystem::kFiles: return "files";
    case Subsystem::kSettings: return "settings";
    case Subsystem::kDialogs: return "dialogs";
  }
  return "?";
}

// The open destination and its size, under the sink's lock.
class Sink {
 public:
  void Configure(const Settings& settings) {
    LockGuard<Mutex> lock(mutex_);
    CloseLocked();
    settings_ = settings;
  }

  void Write(const std::string& line) {
    LockGuard<Mutex> lock(mutex_);
    if (settings_.destination == "stderr") {
      std::fwrite(line.data(), 1, line.size(), stderr);
      std::fflush(stderr);
      return;
    }
    if (file_ == nullptr && !OpenLocked()) return;
    if (settings_.maxBytes != 0 && size_ != 0 && size_ + line.size() > settings_.maxBytes) {
      RotateLocked();
      if (file_ == nullptr) return;
    }
    size_ += std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
  }

 private:
  bool OpenLocked() KORVEX_REQUIRES(mutex_) {
    if (failed_) return false;
    file_ = std::fopen(settings_.destination.c_str(), "ab");
    if (file_ == nullptr) {
      failed_ = true;  // a log that cannot be written stays quiet
      return false;
    }
    std::fseek(file_, 0, SEEK_END);
    const long size = std::ftell(file_);
    size_ = size > 0 ? static_cast<uint64_t>(size) : 0;
    return true;
  }

  void RotateLocked() KORVEX_REQUIRES(mutex_) {
    CloseLocked();
    const std::string older = settings_.destination + ".1";
    std::remove(older.c_str());
    std::rename(settings_.destination.c_str(), older.c_str());
    file_ = std::fopen(settings_.destination.c_str(), "wb");
    size_ = 0;
    if (file_ == nullptr) failed_ = true;
  }

  void CloseLocked() KORVEX_REQUIRES(mutex_) {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    size_ = 0;
    failed_ = false;
  }

  Mutex mutex_;
  Settings settings_ KORVEX_GUARDED_BY(mutex_);
  std::FILE* file_ KORVEX_GUARDED_BY(mutex_) = nullptr;
  uint64_t size_ KORVEX_GUARDED_BY(mutex_) = 0;
  bool failed_ KORVEX_GUARDED_BY(mutex_) = false;
};

Sink& TheSink() {
  // Never destroyed: threads may log while the process exits.
  static Sink* sink = new Sink;
  return *sink;
}

// A small number per thread, in the order threads first log.
unsigned ThreadNumber() {
  static std::atomic<unsigned> next{1};
  thread_local const unsigned number = next.fetch_add(1, std::memory_order_relaxed);
  return number;
}

std::string TimeStamp() {
  using namespace std::chrono;
  const auto now = floor<milliseconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss<milliseconds> time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()),
                static_cast<int>(time.subseconds().count()));
  return text;
}

}  // namespace

namespace detail {

int ReadEnvironment() {
  static std::once_flag once;
  std::call_once(once, [] {
    const Settings settings = SettingsFromEnvironment();
    // Only the first reader sets the threshold; Configure may have set it
    // already (a test), and then that stands.
    int unread = -2;
    if (detail::threshold.load() == -2) {
      TheSink().Configure(settings);
      detail::threshold.compare_exchange_strong(
          unread, settings.destination.empty() ? -1 : static_cast<int>(settings.level));
    }
  });
  return threshold.load(std::memory_order_relaxed);
}

}  // namespace detail

Settings SettingsFromEnvironment() {
  Settings settings;
  if (const char* destination = std::getenv("KORVEX_LOG")) settings.destination = destination;
  if (const char* level = std::getenv("KORVEX_LOG_LEVEL")) ParseLevel(level, &settings.level);
  if (const char* cap = std::getenv("KORVEX_LOG_MAX_KB")) {
    char* end = nullptr;
    const unsigned long long kb = std::strtoull(cap, &end, 10);
    if (end != cap && *end == '\0' && kb > 0 && kb < (1ull << 40)) settings.maxBytes = kb * 1024u;
  }
  return settings;
}

bool ParseLevel(const char* text, Level* level) {
  if (text == nullptr) return false;
  for (Level candidate : {Level::kError, Level::kWarning, Level::kInfo, Level::kDebug}) {
    if (std::strcmp(text, LevelName(candidate)) == 0) {
      *level = candidate;
      return true;
    }
  }
  return false;
}

void Configure(const Settings& settings) {
  TheSink().Configure(settings);
  detail::threshold.store(settings.destination.empty() ? -1 : static_cast<int>(settings.level));
}

std::string Format(const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  std::string text;
  if (length < 0) {
    text = format;
  } else if (static_cast<size_t>(length) < sizeof small) {
    text.assign(small, static_cast<size_t>(length));
  } else {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, copy);
    text.resize(static_cast<size_t>(length));
  }
  va_end(copy);
  return text;
}

void Write(Level level, Subsystem subsystem, uint32_t camera, const std::string& message) {
  if (!Enabled(level)) return;
  char head[96];
  std::snprintf(head, sizeof head, " T%u camera=0x%08X %s %s: ", ThreadNumber(), camera,
                LevelName(level), SubsystemName(subsystem));
  std::string line = TimeStamp();
  line += head;
  line += message;
  line += '\n';
  TheSink().Write(line);
}

}  // namespace korvex::log
