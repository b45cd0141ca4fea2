/* korvex/host_base.h - common types, time and the C library's generator. */
#ifndef KORVEX_HOST_BASE_H
#define KORVEX_HOST_BASE_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && defined(KORVEX_HOST_BUILDING)
#define KORVEX_HOST_API __declspec(dllexport)
#elif defined(KORVEX_HOST_BUILDING)
#define KORVEX_HOST_API __attribute__((visibility("default")))
#else
#define KORVEX_HOST_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A window handle. The SDK's KORVEX_HWND is the same type. */
typedef struct KorvexWindow_* KorvexHostWindow;

/* Milliseconds since the host started, 32 bits, wrapping (GetTickCount). */
KORVEX_HOST_API uint32_t KorvexHost_GetTickCount(void);
/* Multimedia timer in milliseconds, 32 bits, wrapping (timeGetTime). */
KORVEX_HOST_API uint32_t KorvexHost_TimeGetTime(void);
/* Adds a constant to both clocks, so that tests can place the wrap-around. */
KORVEX_HOST_API void KorvexHost_SetClockOffset(uint32_t offsetMs);
/* Suspends the calling thread. */
KORVEX_HOST_API void KorvexHost_Sleep(uint32_t milliseconds);
/* Caps every later KorvexHost_Sleep at this many milliseconds (0: a sleep
 * only yields); UINT32_MAX, the default, lets sleeps last. For fuzzing, where
 * the fixed waits of the camera's protocol would take most of the time. */
KORVEX_HOST_API void KorvexHost_SetSleepLimit(uint32_t milliseconds);

/* The C library's pseudo-random generator as Windows programs know it:
 * per-thread state, seed 1 until KorvexHost_SRand, results 0 to 32767. */
KORVEX_HOST_API int KorvexHost_Rand(void);
KORVEX_HOST_API void KorvexHost_SRand(unsigned int seed);

/* Identity of the calling process (as a module handle is on Windows). */
KORVEX_HOST_API uint64_t KorvexHost_ProcessId(void);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_HOST_BASE_H */
