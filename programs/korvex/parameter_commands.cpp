// get and set: the camera's parameters by name.
#include "commands.h"
#include "parameters.h"
#include "session.h"

#include <cstdio>

namespace korvex::tool {

std::string ParameterList() {
  std::string text = "parameters (* kept between runs):\n";
  for (const Parameter& p : Parameters()) {
    char line[200];
    std::snprintf(line, sizeof line, "  %c %-18s %-24s %s\n", p.stored ? '*' : ' ', p.name, p.range,
                  p.help);
    text += line;
  }
  return text;
}

int RunGet(const ParameterOptions& o) {
  std::vector<const Parameter*> wanted;
  for (const std::string& name : o.words) {
    const Parameter* p = FindParameter(name);
    if (p == nullptr) {
      const std::string closest = ClosestParameterName(name);
      PrintError("unknown parameter '" + name + "'" +
                 (closest.empty() ? "" : "; did you mean '" + closest + "'?") +
                 " ('korvex get' lists them all)");
      return kExitUsage;
    }
    wanted.push_back(p);
  }
  if (wanted.empty())
    for (const Parameter& p : Parameters()) wanted.push_back(&p);

  Session session;
  if (!session.Open(o.common.camera)) return kExitFailed;
  for (const Parameter* p : wanted) {
    int ok = 0;
    session.ForgetErrors();
    const int value = p->get(session.Camera(), &ok);
    if (!ok || !session.TakeErrors().empty()) {
      session.ReportFailure("cannot read " + std::string(p->name));
      return kExitFailed;
    }
    std::printf("%s = %d\n", p->name, value);
  }
  return kExitOk;
}

int RunSet(const ParameterOptions& o) {
  // Every name and value is checked before the camera is opened.
  std::vector<CheckedValue> values;
  if (!CheckAssignments(o.words, &values)) return kExitUsage;
  Session session;
  if (!session.Open(o.common.camera)) return kExitFailed;
  for (const CheckedValue& v : values) {
    const int result = SetParameter(session, v, true);
    if (result != kExitOk) return result;
  }
  return kExitOk;
}

}  // namespace korvex::tool
