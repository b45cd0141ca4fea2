// Conversion between the "ANSI code page" (the character set of the calling
// thread's locale) and UTF-16, as MultiByteToWideChar and WideCharToMultiByte
// do it. Lengths count bytes or UTF-16 units; -1 converts a NUL-terminated
// source including its terminator; a target length of 0 returns the length
// needed. Results are 0 on failure.
#pragma once

#include "KorvexSdk_740K3_XLN.h"

namespace korvex::platform {

// strict: fail on text that has no equivalent instead of substituting
// U+FFFD (to wide) or '?' (to narrow).
int MultiByteToWideChar(const char* source, int sourceLength, KORVEX_WCHAR* target,
                        int targetLength, bool strict = false);
int WideCharToMultiByte(const KORVEX_WCHAR* source, int sourceLength, char* target,
                        int targetLength, bool strict = false);

// NUL-terminated text into a buffer of `targetLength` units (bytes), with
// the thread's ANSI code page. Returns the units written including the
// terminator, or 0 when the text does not convert or does not fit.
int AnsiToWide(const char* text, KORVEX_WCHAR* target, int targetLength);
int WideToAnsi(const KORVEX_WCHAR* text, char* target, int targetLength);

}  // namespace korvex::platform
