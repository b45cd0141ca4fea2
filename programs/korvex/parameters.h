// Every camera parameter the tool can read and write, by a readable name
// ("gain", "exposure-us", "gamma", "color-mode" ...), with its range and
// whether the camera keeps it between runs.
#pragma once

#include "KorvexSdk_740K3_XLN.h"

#include <string>
#include <vector>

namespace korvex::tool {

// The values a parameter accepts: low..high, or only the listed choices
// when there are any.
struct ValueRange {
  int low;
  int high;
  std::vector<int> choices = {};
};

struct Parameter {
  const char* name;
  const char* help;     // what it is, with its unit
  const char* range;    // the accepted values, as a user types them
  ValueRange accepted;  // the same, checked before the camera sees a value
  // True when the camera's stored settings keep it for the next run; the
  // others last as long as the camera is open, that is one tool command.
  bool stored;
  // Reads the value; *ok becomes 0 when the camera could not give it.
  int (*get)(KORVEX_HANDLE camera, int* ok);
  // Writes the value; 0 when it was refused.
  int (*set)(KORVEX_HANDLE camera, int value);
};

const std::vector<Parameter>& Parameters();

// The parameter called `name`; null when there is none.
const Parameter* FindParameter(const std::string& name);

// True when `value` lies in the parameter's documented range.
bool Accepts(const Parameter& parameter, int value);

// Reads `text` as a value for `parameter`: a whole number within its range.
// False after printing a message that names the range.
bool ParseParameterValue(const Parameter& parameter, const std::string& text, int* value);

// The known name closest to a mistyped one, or "" when none is close.
std::string ClosestParameterName(const std::string& name);

// "NAME=VALUE" or the two words "NAME" "VALUE" into pairs. False with a
// reason in *error when a value is missing.
struct Assignment {
  std::string name;
  std::string value;
};
bool ParseAssignments(const std::vector<std::string>& words, std::vector<Assignment>* out,
                      std::string* error);

// A whole decimal or 0x-prefixed hexadecimal int, optionally negative.
bool ParseInt(const std::string& text, int* value);

}  // namespace korvex::tool
