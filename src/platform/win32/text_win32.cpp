// The text conversion seam on the Win32 code-page functions, with the
// calling thread's ANSI code page (CP_THREAD_ACP).
#include <windows.h>

#include "platform/text.h"

namespace korvex::platform {

static_assert(sizeof(KORVEX_WCHAR) == sizeof(WCHAR));

int MultiByteToWideChar(const char* source, int sourceLength, KORVEX_WCHAR* target,
                        int targetLength, bool strict) {
  return ::MultiByteToWideChar(CP_THREAD_ACP, strict ? MB_ERR_INVALID_CHARS : 0, source,
                               sourceLength, reinterpret_cast<WCHAR*>(target), targetLength);
}

int WideCharToMultiByte(const KORVEX_WCHAR* source, int sourceLength, char* target,
                        int targetLength, bool strict) {
  const auto* wide = reinterpret_cast<const WCHAR*>(source);
  if (!strict) {
    return ::WideCharToMultiByte(CP_THREAD_ACP, 0, wide, sourceLength, target, targetLength,
                                 nullptr, nullptr);
  }
  // UTF-8 reports unconvertible text itself and refuses the default-char
  // arguments; the other code pages say whether they substituted.
  CPINFOEXA info{};
  if (::GetCPInfoExA(CP_THREAD_ACP, 0, &info) && info.CodePage == CP_UTF8) {
    return ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, sourceLength, target,
                                 targetLength, nullptr, nullptr);
  }
  BOOL substituted = FALSE;
  const int n = ::WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, wide, sourceLength,
                                      target, targetLength, nullptr, &substituted);
  return substituted ? 0 : n;
}

int AnsiToWide(const char* text, KORVEX_WCHAR* target, int targetLength) {
  if (text == nullptr || target == nullptr || targetLength <= 0) return 0;
  return MultiByteToWideChar(text, -1, target, targetLength, true);
}

int WideToAnsi(const KORVEX_WCHAR* text, char* target, int targetLength) {
  if (text == nullptr || target == nullptr || targetLength <= 0) return 0;
  return WideCharToMultiByte(text, -1, target, targetLength, true);
}

}  // namespace korvex::platform
