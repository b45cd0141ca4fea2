/* A program linked the way an MSVC user links the SDK: compiled for the
 * MSVC ABI and linked by an MSVC-compatible linker (lld-link) through
 * KorvexSdk_740K3_XLN.lib alone, without any C runtime. Its exit code is 0
 * when the DLL loaded through the import library answers with the
 * header's version and refuses a handle that was never opened. */
#include "KorvexSdk_740K3_XLN.h"

int __cdecl start(void) {
  if (Korvex_GetDllVersion() != KORVEX_DLL_VERSION) return 1;
  if (Korvex_Width(12345) != 0) return 2;
  return 0;
}
