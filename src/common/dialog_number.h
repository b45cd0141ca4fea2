// Reading a number from a dialog's edit the way GetDlgItemInt documents it:
// leading blanks, a '-' when signed, then decimal digits up to the first
// other character. No digits, or a number that does not fit 32 bits (signed
// or not as asked), fails. Used by the host library's dialogs and by the
// Win32 dialog seam, so both read typed numbers alike.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

// The parts of a typed number: leading blanks skipped, a '-' taken when
// signed, then the decimal digits up to the first other character, their
// value held at `cap` once it reaches it.
struct DialogDigits {
  bool found = false;  // at least one digit
  bool negative = false;
  uint64_t magnitude = 0;
};

inline DialogDigits ScanDialogDigits(std::string_view text, bool isSigned, uint64_t cap) {
  DialogDigits d;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (isSigned && i < text.size() && text[i] == '-') {
    d.negative = true;
    ++i;
  }
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    d.found = true;
    const uint64_t n = d.magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    d.magnitude = n < cap ? n : cap;
  }
  return d;
}

inline bool ParseDialogNumber(std::string_view text, bool isSigned, uint32_t* value) {
  const DialogDigits d = ScanDialogDigits(text, isSigned, 0x100000000ull);
  if (!d.found || d.magnitude > 0xFFFFFFFFull) return false;
  const uint64_t n = d.magnitude;
  if (isSigned) {
    if (d.negative ? n > 0x80000000ull : n > 0x7FFFFFFFull) return false;
    const int64_t v = d.negative ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
    *value = static_cast<uint32_t>(static_cast<int32_t>(v));
  } else {
    *value = static_cast<uint32_t>(n);
  }
  return true;
}

}  // namespace korvex
