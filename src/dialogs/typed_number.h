// Numbers typed into the dialogs' edits. A person who types a number past
// the end of a control's range means that end, so a typed number is clamped
// to the range, also when it is too long for 32 bits, and the edit is made
// to show the clamped number. Numbers are read as GetDlgItemInt reads them:
// leading blanks, a '-' when signed, then decimal digits up to the first
// other character.
//
// Threads: the dialog's thread, like the surface it reads.
#pragma once

#include "dialogs/dialog_surface.h"

#include <cstdint>
#include <string_view>

namespace korvex::dialogs {

struct TypedNumber {
  bool isNumber = false;  // false when the text holds no digits where a number starts
  int64_t value = 0;      // saturated far outside every 32-bit range
};

TypedNumber ParseTyped(std::string_view text, bool isSigned);

// Reads the number in edit `id` for a field that holds `current` now and
// may hold minimum..maximum. The field's own value is taken as it is (the
// dialog shows values that the interface stored outside a control's range,
// and showing them must not change them); any other number is clamped and,
// when that changed it, written back into the edit while `rewriting` is set,
// so that the edit change this causes can be told apart from typing. Text
// without a number reads as 0 (within every range here) and is left as
// typed, since it may be the start of a number ("-").
int32_t ReadTyped(DialogSurface& surface, int id, bool isSigned, int32_t minimum, int32_t maximum,
                  int32_t current, bool& rewriting);

}  // namespace korvex::dialogs
