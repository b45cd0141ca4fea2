// Reading a number from a dialog's edit the way GetDlgItemInt documents it:
// leading blanks, a '-' when signed, then decimal digits up to the first
// other character. No digits, or a number that does not fit 32 bits (signed
// or not as asked), fails. Used by the host library's dialogs and by the
// Win32 dialog seam, so both read typed numbers alike.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

inline bool ParseDialogNumber(std::string_view text, bool isSigned, uint32_t* value) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (isSigned && i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  const size_t first = i;
  uint64_t n = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    n = n * 10 + static_cast<uint64_t>(text[i] - '0');
    if (n > 0xFFFFFFFFull) return false;
    ++i;
  }
  if (i == first) return false;
  if (isSigned) {
    if (negative ? n > 0x80000000ull : n > 0x7FFFFFFFull) return false;
    const int64_t v = negative ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
    *value = static_cast<uint32_t>(static_cast<int32_t>(v));
  } else {
    *value = static_cast<uint32_t>(n);
  }
  return true;
}

}  // namespace korvex
