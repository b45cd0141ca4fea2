// The options shared by the commands that take pictures, and setting one
// parameter by name.
#include "commands.h"
#include "parameters.h"
#include "session.h"

#include <algorithm>
#include <cstdio>
#include <regex>

namespace korvex::tool {
namespace {

// The sensor's picture is 2560 x 1920; a position keeps the colour mosaic's
// phase when it is even.
constexpr int kSensorWidth = 2560;
constexpr int kSensorHeight = 1920;

struct Geometry {
  int width = 0, height = 0, left = 0, top = 0;
};

// "WxH" (centred on the sensor) or "WxH+X+Y".
bool ParseSize(const std::string& text, Geometry* out) {
  static const std::regex pattern(R"((\d{1,5})x(\d{1,5})(?:\+(\d{1,5})\+(\d{1,5}))?)");
  std::smatch m;
  if (!std::regex_match(text, m, pattern)) return false;
  out->width = std::stoi(m[1]);
  out->height = std::stoi(m[2]);
  if (m[3].matched) {
    out->left = std::stoi(m[3]);
    out->top = std::stoi(m[4]);
  } else {
    out->left = std::max(0, (kSensorWidth - out->width) / 2) & ~1;
    out->top = std::max(0, (kSensorHeight - out->height) / 2) & ~1;
  }
  return out->width > 0 && out->height > 0;
}

}  // namespace

int SetParameter(Session& session, const std::string& name, const std::string& text,
                 bool report) {
  const Parameter* p = FindParameter(name);
  if (p == nullptr) {
    const std::string closest = ClosestParameterName(name);
    PrintError("unknown parameter '" + name + "'" +
               (closest.empty() ? "" : "; did you mean '" + closest + "'?") +
               " ('korvex get' lists them all)");
    return kExitUsage;
  }
  int value = 0;
  if (!ParseInt(text, &value)) {
    PrintError("'" + text + "' is not a whole number; " + p->name + " accepts " + p->range);
    return kExitUsage;
  }
  const std::string hint = std::string(p->name) + " accepts " + p->range;
  if (!session.Run("cannot set " + std::string(p->name) + " to " + text,
                   [&] { return p->set(session.Camera(), value); }, hint))
    return kExitFailed;
  if (!report) return kExitOk;
  int ok = 0;
  session.ForgetErrors();
  const int applied = p->get(session.Camera(), &ok);
  if (!ok || !session.TakeErrors().empty()) {
    session.ReportFailure("set " + std::string(p->name) + ", but cannot read it back");
    return kExitFailed;
  }
  std::printf("%s = %d%s\n", p->name, applied,
              p->stored ? "" : "  (this run only: pass it with --set to snap, record or preview)");
  return kExitOk;
}

int OpenForAcquisition(Session& session, const CommonOptions& common,
                       const AcquisitionOptions& options) {
  if (!session.Open(common.camera)) return kExitFailed;
  bool usage = false;
  if (ApplyAcquisitionOptions(session, options, &usage)) return kExitOk;
  return usage ? kExitUsage : kExitFailed;
}

bool ApplyAcquisitionOptions(Session& session, const AcquisitionOptions& options, bool* usage) {
  *usage = false;
  std::vector<Assignment> assignments;
  std::string error;
  if (!ParseAssignments(options.set, &assignments, &error)) {
    PrintError("--set " + error + "; write --set NAME=VALUE");
    *usage = true;
    return false;
  }
  for (const Assignment& a : assignments) {
    const int result = SetParameter(session, a.name, a.value, false);
    if (result != kExitOk) {
      *usage = result == kExitUsage;
      return false;
    }
  }
  if (options.colorMode != 0 &&
      !session.Run("cannot select colour mode " + std::to_string(options.colorMode),
                   [&] { return Korvex_SetColorMode(session.Camera(), options.colorMode); }))
    return false;
  if (!options.size.empty()) {
    Geometry g;
    if (!ParseSize(options.size, &g)) {
      PrintError("--size '" + options.size + "': write WIDTHxHEIGHT or WIDTHxHEIGHT+LEFT+TOP");
      *usage = true;
      return false;
    }
    int totalH = 0, totalV = 0;
    Korvex_GetCaptureWindowEx(session.Camera(), &totalH, nullptr, nullptr, &totalV, nullptr,
                              nullptr);
    if (!session.Run("cannot use the image size " + options.size,
                     [&] {
                       return Korvex_SetCaptureWindowEx(session.Camera(), totalH, g.left, g.width,
                                                        totalV, g.top, g.height);
                     }))
      return false;
  }
  return true;
}

}  // namespace korvex::tool
