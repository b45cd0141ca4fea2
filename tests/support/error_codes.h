// The codes a camera's error history holds, newest first; reading them
// empties the history, so each test sees only what its own step reported.
#pragma once

#include "KorvexSdk_740K3_XLN.h"

#include <cstdint>
#include <vector>

namespace korvex::test {

inline std::vector<uint32_t> DrainErrors(KORVEX_HANDLE handle) {
  std::vector<uint32_t> codes;
  for (uint32_t code; (code = Korvex_GetLastError(handle)) != 0;) codes.push_back(code);
  return codes;
}

}  // namespace korvex::test
