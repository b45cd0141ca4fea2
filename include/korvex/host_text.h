/*
 * korvex/host_text.h - character-set conversion.
 *
 * MultiByteToWideChar and WideCharToMultiByte for the "ANSI code page", which
 * on Linux is the character set of the calling thread's locale (LC_CTYPE,
 * nl_langinfo(CODESET)): UTF-8 under a UTF-8 locale, ASCII under "C". Wide
 * text is UTF-16 in host byte order.
 *
 * Lengths count bytes or UTF-16 units. A source length of -1 means a
 * NUL-terminated source, and the terminator is converted too. A destination
 * length of 0 asks for the length the result needs. On failure the result is
 * 0 and KorvexHost_TextLastError tells why.
 */
#ifndef KORVEX_HOST_TEXT_H
#define KORVEX_HOST_TEXT_H

#include "korvex/host_base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Fail on text that has no equivalent instead of substituting for it
 * (MB_ERR_INVALID_CHARS, WC_ERR_INVALID_CHARS). */
#define KORVEX_HOST_TEXT_STRICT 1u

/* Reasons, the Windows error codes. */
#define KORVEX_HOST_TEXT_OK 0
#define KORVEX_HOST_TEXT_INVALID_PARAMETER 87
#define KORVEX_HOST_TEXT_INSUFFICIENT_BUFFER 122
#define KORVEX_HOST_TEXT_NO_TRANSLATION 1113

/* Locale text to UTF-16. Without STRICT a byte sequence that is not valid in
 * the character set becomes U+FFFD. Returns the number of units written (or
 * needed), 0 on failure. */
KORVEX_HOST_API int KorvexHost_MultiByteToWideChar(uint32_t flags, const char* source,
                                                   int sourceLength, uint16_t* target,
                                                   int targetLength);
/* UTF-16 to locale text. Without STRICT a character the character set cannot
 * hold becomes '?' and *usedDefault (optional) receives 1. Returns the number
 * of bytes written (or needed), 0 on failure. */
KORVEX_HOST_API int KorvexHost_WideCharToMultiByte(uint32_t flags, const uint16_t* source,
                                                   int sourceLength, char* target, int targetLength,
                                                   int* usedDefault);
/* Why the calling thread's last conversion failed (0 after a success). */
KORVEX_HOST_API int KorvexHost_TextLastError(void);
/* The character set name the calling thread converts with. */
KORVEX_HOST_API const char* KorvexHost_AnsiCharset(void);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_HOST_TEXT_H */
