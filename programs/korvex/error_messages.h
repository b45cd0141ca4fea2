// What each SDK error code means to someone at the command line: what failed
// and what to do about it. One table, keyed by the KORVEX_ERR_* names.
#pragma once

#include <cstdint>
#include <string>

namespace korvex::tool {

struct ErrorText {
  const char* name;     // "KORVEX_ERR_DEVICE"
  const char* summary;  // what failed, a short clause
  const char* advice;   // what to do about it
};

// The entry for `code`; null for a code the SDK does not define.
const ErrorText* FindErrorText(uint32_t code);

// One line: "<summary> (<name>): <advice>"; for an unknown code a line that
// names the number.
std::string DescribeError(uint32_t code);

}  // namespace korvex::tool
