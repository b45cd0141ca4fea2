// The text conversion seam on top of the host library.
#include "platform/text.h"

#include "korvex/host_text.h"

#include <type_traits>

namespace korvex::platform {

static_assert(sizeof(KORVEX_WCHAR) == sizeof(uint16_t));

int MultiByteToWideChar(const char* source, int sourceLength, KORVEX_WCHAR* target,
                        int targetLength, bool strict) {
  return KorvexHost_MultiByteToWideChar(strict ? KORVEX_HOST_TEXT_STRICT : 0u, source, sourceLength,
                                        reinterpret_cast<uint16_t*>(target), targetLength);
}

int WideCharToMultiByte(const KORVEX_WCHAR* source, int sourceLength, char* target,
                        int targetLength, bool strict) {
  return KorvexHost_WideCharToMultiByte(strict ? KORVEX_HOST_TEXT_STRICT : 0u,
                                        reinterpret_cast<const uint16_t*>(source), sourceLength,
                                        target, targetLength, nullptr);
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
