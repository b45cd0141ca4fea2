// The options shared by the commands that take pictures, and setting
// parameters by name. Every value is checked against its documented range
// before the camera is opened: a mistake on the command line is always
// exit status 2, with a message that names the range.
#include "commands.h"
#include "parameters.h"
#include "session.h"

#include <algorithm>
#include <cstdio>
#include <regex>

namespace korvex::tool {
namespace {

// The camera takes pictures up to 2560 x 2560 (its sensor shows 2560 x
// 1920); a position keeps the colour mosaic's phase when it is even.
constexpr int kMaxExtent = 2560;
constexpr int kSensorWidth = 2560;
constexpr int kSensorHeight = 1920;

struct Geometry {
  int width = 0, height = 0, left = 0, top = 0;
};

// "WxH" (centred on the sensor) or "WxH+X+Y"; false after printing why.
bool ParseSize(const std::string& text, Geometry* out) {
  static const std::regex pattern(R"((\d{1,5})x(\d{1,5})(?:\+(\d{1,5})\+(\d{1,5}))?)");
  std::smatch m;
  if (!std::regex_match(text, m, pattern)) {
    PrintError("--size '" + text + "': write WIDTHxHEIGHT or WIDTHxHEIGHT+LEFT+TOP");
    return false;
  }
  out->width = std::stoi(m[1]);
  out->height = std::stoi(m[2]);
  if (m[3].matched) {
    out->left = std::stoi(m[3]);
    out->top = std::stoi(m[4]);
  } else {
    out->left = std::max(0, (kSensorWidth - out->width) / 2) & ~1;
    out->top = std::max(0, (kSensorHeight - out->height) / 2) & ~1;
  }
  const std::string limit = std::to_string(kMaxExtent);
  if (out->width < 1 || out->width > kMaxExtent || out->height < 1 || out->height > kMaxExtent) {
    PrintError("--size '" + text + "': width and height must lie in 1.." + limit);
    return false;
  }
  if (out->left + out->width > kMaxExtent || out->top + out->height > kMaxExtent) {
    PrintError("--size '" + text + "': LEFT + WIDTH and TOP + HEIGHT must lie in 1.." + limit);
    return false;
  }
  return true;
}

bool KnownParameter(const std::string& name, const Parameter** out) {
  *out = FindParameter(name);
  if (*out != nullptr) return true;
  const std::string closest = ClosestParameterName(name);
  PrintError("unknown parameter '" + name + "'" +
             (closest.empty() ? "" : "; did you mean '" + closest + "'?") +
             " ('korvex get' lists them all)");
  return false;
}

}  // namespace

bool CheckAssignments(const std::vector<std::string>& words, std::vector<CheckedValue>* out) {
  std::vector<Assignment> assignments;
  std::string error;
  if (!ParseAssignments(words, &assignments, &error)) {
    PrintError(error + "; write NAME=VALUE or NAME VALUE");
    return false;
  }
  out->clear();
  for (const Assignment& a : assignments) {
    const Parameter* p = nullptr;
    int value = 0;
    if (!KnownParameter(a.name, &p) || !ParseParameterValue(*p, a.value, &value)) return false;
    out->push_back({p, value});
  }
  return true;
}

int SetParameter(Session& session, const CheckedValue& checked, bool report) {
  const Parameter* p = checked.parameter;
  const std::string hint = std::string(p->name) + " accepts " + p->range;
  if (!session.Run(
          "cannot set " + std::string(p->name) + " to " + std::to_string(checked.value),
          [&] { return p->set(session.Camera(), checked.value); }, hint))
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
  std::vector<CheckedValue> values;
  if (!CheckAssignments(options.set, &values)) return kExitUsage;
  Geometry g;
  if (!options.size.empty() && !ParseSize(options.size, &g)) return kExitUsage;

  if (!session.Open(common.camera)) return kExitFailed;
  for (const CheckedValue& v : values)
    if (SetParameter(session, v, false) != kExitOk) return kExitFailed;
  if (options.colorMode != 0 &&
      !session.Run("cannot select colour mode " + std::to_string(options.colorMode),
                   [&] { return Korvex_SetColorMode(session.Camera(), options.colorMode); }))
    return kExitFailed;
  if (!options.size.empty()) {
    int totalH = 0, totalV = 0;
    Korvex_GetCaptureWindowEx(session.Camera(), &totalH, nullptr, nullptr, &totalV, nullptr,
                              nullptr);
    if (!session.Run("cannot use the image size " + options.size, [&] {
          return Korvex_SetCaptureWindowEx(session.Camera(), totalH, g.left, g.width, totalV, g.top,
                                           g.height);
        }))
      return kExitFailed;
  }
  return kExitOk;
}

}  // namespace korvex::tool
