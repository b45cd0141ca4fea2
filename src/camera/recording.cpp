// Recording the live picture into an AVI file.
#include "camera/korvex.h"

namespace korvex {

// Not part of this build yet: "not possible now".
int CKorvex::Record(const char*, int, int) { return NotPossible(); }
int CKorvex::RecordW(const KORVEX_WCHAR*, int, int) { return NotPossible(); }

}  // namespace korvex
