/* notify_window.h: the window an example gives the SDK for its
 * notifications, and waiting for the next one. On Windows it is a
 * message-only window of the calling thread, read through that thread's
 * message queue; on Linux a message window of the host library. Only the
 * thread that opened the window may wait on it. */
#ifndef KORVEX_EXAMPLE_NOTIFY_WINDOW_H
#define KORVEX_EXAMPLE_NOTIFY_WINDOW_H

#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
#else
#include "korvex/host.h"
#endif

#include "KorvexSdk_740K3_XLN.h"

typedef struct Notification {
  unsigned message; /* KORVEX_WM_FRAME or KORVEX_WM_ERROR */
  uintptr_t wParam;
  intptr_t lParam;
} Notification;

#ifdef _WIN32

/* Null when the window cannot be created. */
static inline KORVEX_HWND OpenNotifyWindow(void) {
  WNDCLASSA c = {0};
  c.lpfnWndProc = DefWindowProcA;
  c.hInstance = GetModuleHandleA(NULL);
  c.lpszClassName = "KorvexExampleNotifications";
  RegisterClassA(&c); /* fails harmlessly when registered before */
  return CreateWindowExA(0, c.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, c.hInstance,
                         NULL);
}

/* Waits up to timeoutMs for the next notification; 0 when none came. */
static inline int WaitNotification(KORVEX_HWND window, Notification* out, unsigned timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    /* Every message of the thread is taken, so that the wait below returns
     * for new ones only; those for other windows are handed on. */
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
      if (m.hwnd == window && (m.message == KORVEX_WM_FRAME || m.message == KORVEX_WM_ERROR)) {
        out->message = m.message;
        out->wParam = m.wParam;
        out->lParam = m.lParam;
        return 1;
      }
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return 0;
    MsgWaitForMultipleObjectsEx(0, NULL, (DWORD)(deadline - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

static inline void CloseNotifyWindow(KORVEX_HWND window) {
  if (window != NULL) DestroyWindow(window);
}

#else

static inline KORVEX_HWND OpenNotifyWindow(void) {
  return (KORVEX_HWND)KorvexHost_CreateMessageWindow();
}

static inline int WaitNotification(KORVEX_HWND window, Notification* out, unsigned timeoutMs) {
  KorvexHostMessage m;
  if (!KorvexHost_GetMessage((KorvexHostWindow)window, &m, timeoutMs)) return 0;
  out->message = m.message;
  out->wParam = m.wParam;
  out->lParam = m.lParam;
  return 1;
}

static inline void CloseNotifyWindow(KORVEX_HWND window) {
  KorvexHost_DestroyWindow((KorvexHostWindow)window);
}

#endif

#endif /* KORVEX_EXAMPLE_NOTIFY_WINDOW_H */
