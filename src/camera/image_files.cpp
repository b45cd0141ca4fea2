// Saving the current output image to a file.
#include "camera/korvex.h"

namespace korvex {

// Not part of this build yet: "not possible now".
int CKorvex::SaveImage(const char*, int) { return NotPossible(); }
int CKorvex::SaveImageW(const KORVEX_WCHAR*, int) { return NotPossible(); }

}  // namespace korvex
