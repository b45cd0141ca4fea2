// The error codes' names as the public header spells them, for the log and
// diagnostics: "KORVEX_ERR_DEVICE" for 2; "KORVEX_ERR_?" for a code the
// header does not define.
#pragma once

#include <cstdint>

namespace korvex {

const char* ErrorCodeName(uint32_t code);

}  // namespace korvex
