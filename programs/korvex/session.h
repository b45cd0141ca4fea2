// One open camera for the length of a command: the SDK's camera object with
// the chosen camera selected, its notification window, and failures turned
// into messages that say what failed and what to do. Exit codes of the tool:
// kExitOk, kExitFailed (the camera or a file failed), kExitUsage (the
// command line asked for something impossible).
#pragma once

#include "host_seam.h"

#include "KorvexSdk_740K3_XLN.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvex::tool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Prints "korvex: <message>" on the error stream.
void PrintError(const std::string& message);

class Session {
 public:
  Session() = default;
  ~Session();  // releases the camera: stops what runs and stores its settings
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Opens the camera object and selects camera `number`; false (after
  // printing why) when either fails.
  bool Open(int number);

  KORVEX_HANDLE Camera() const { return camera_; }
  NotifyWindow& Notifications() { return window_; }
  int Number() const { return number_; }

  // Empties the error history, so that the codes read after the next call
  // are that call's own.
  void ForgetErrors();
  // The codes recorded since ForgetErrors, in the order they were raised
  // (a specific cause before the general code that follows it).
  std::vector<uint32_t> TakeErrors();

  // Prints "korvex: <what>", one line per recorded code and the hint.
  void ReportFailure(const std::string& what, const std::string& hint = "");

  // Runs a call that returns 1 on success; on failure reports it.
  template <class Call>
  bool Run(const std::string& what, Call call, const std::string& hint = "") {
    ForgetErrors();
    if (call() != 0) return true;
    ReportFailure(what, hint);
    return false;
  }

 private:
  NotifyWindow window_;
  KORVEX_HANDLE camera_ = 0;
  int number_ = 0;
};

}  // namespace korvex::tool
