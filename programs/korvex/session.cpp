#include "session.h"

#include "error_messages.h"

#include <algorithm>
#include <cstdio>

namespace korvex::tool {

void PrintError(const std::string& message) {
  std::fprintf(stderr, "korvex: %s\n", message.c_str());
}

Session::~Session() {
  if (camera_ != 0) Korvex_Release(camera_);
}

bool Session::Open(int number) {
  camera_ = Korvex_Initialize(window_.Handle());
  if (camera_ == 0) {
    PrintError("the SDK could not create a camera object (out of memory?)");
    return false;
  }
  // Initialisation works on camera 0; its failures stay in the history.
  const std::vector<uint32_t> codes = TakeErrors();
  if (!codes.empty() && number == 0) {
    ForgetErrors();
    std::fprintf(stderr, "korvex: cannot open camera 0\n");
    for (uint32_t code : codes) std::fprintf(stderr, "  %s\n", DescribeError(code).c_str());
    return false;
  }
  number_ = number;
  if (number == 0) return true;
  return Run("cannot select camera " + std::to_string(number),
             [&] { return Korvex_SetDeviceNumber(camera_, number); });
}

void Session::ForgetErrors() {
  if (camera_ == 0) return;
  while (Korvex_GetLastError(camera_) != 0) {
  }
  window_.Flush();
}

std::vector<uint32_t> Session::TakeErrors() {
  std::vector<uint32_t> codes;
  if (camera_ == 0) return codes;
  // The history gives the newest first.
  for (uint32_t code; (code = Korvex_GetLastError(camera_)) != 0;) codes.push_back(code);
  std::reverse(codes.begin(), codes.end());
  return codes;
}

void Session::ReportFailure(const std::string& what, const std::string& hint) {
  std::vector<uint32_t> codes = TakeErrors();
  // A posted-only code (no history entry) still reached the window.
  if (codes.empty()) {
    Notification n;
    while (window_.Wait(&n, 0))
      if (n.message == KORVEX_WM_ERROR) codes.push_back(static_cast<uint32_t>(n.lParam));
  }
  std::fprintf(stderr, "korvex: %s\n", what.c_str());
  std::vector<uint32_t> said;
  for (uint32_t code : codes) {
    if (std::find(said.begin(), said.end(), code) != said.end()) continue;
    said.push_back(code);
    std::fprintf(stderr, "  %s\n", DescribeError(code).c_str());
  }
  if (!hint.empty()) std::fprintf(stderr, "  %s\n", hint.c_str());
}

}  // namespace korvex::tool
