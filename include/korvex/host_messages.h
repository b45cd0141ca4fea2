/* korvex/host_messages.h - windows as message targets, posted messages. */
#ifndef KORVEX_HOST_MESSAGES_H
#define KORVEX_HOST_MESSAGES_H

#include "korvex/host_base.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KorvexHostMessage {
  KorvexHostWindow window; /* target window; null for a thread message */
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
} KorvexHostMessage;

/* Creates a message-only window owned by the calling thread. */
KORVEX_HOST_API KorvexHostWindow KorvexHost_CreateMessageWindow(void);
/* Destroys a window; messages still queued for it are discarded. */
KORVEX_HOST_API int KorvexHost_DestroyWindow(KorvexHostWindow window);
/* 1 while the window exists. */
KORVEX_HOST_API int KorvexHost_IsWindow(KorvexHostWindow window);

/* Posts a message without waiting (PostMessage). A null window posts to the
 * calling thread's own queue. Returns 0 when the window does not exist. */
KORVEX_HOST_API int KorvexHost_PostMessage(KorvexHostWindow window, uint32_t message,
                                           uintptr_t wParam, intptr_t lParam);

/* Takes the oldest message queued for the window (for a null window: the
 * calling thread's queue). Waits up to timeoutMs for one; 0 does not wait.
 * Returns 1 with the message in *out, 0 when none came. */
KORVEX_HOST_API int KorvexHost_GetMessage(KorvexHostWindow window, KorvexHostMessage* out,
                                          uint32_t timeoutMs);
/* Number of messages queued for the window (null: the calling thread). */
KORVEX_HOST_API int KorvexHost_PendingMessages(KorvexHostWindow window);
/* Discards every queued message of the window (null: the calling thread). */
KORVEX_HOST_API void KorvexHost_FlushMessages(KorvexHostWindow window);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_HOST_MESSAGES_H */
