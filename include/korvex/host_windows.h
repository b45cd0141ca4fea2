/*
 * korvex/host_windows.h - window classes and on-screen windows.
 *
 * Windows shaped like the Windows user interface: a class registered by
 * name, top-level windows placed on a screen of settable size, child windows
 * placed inside their parent's client area, visibility, focus, and a device
 * context per window whose drawing surface programs can read back.
 *
 * The windows share their handles with the message windows of
 * host_messages.h: messages can be posted to them, KorvexHost_IsWindow knows
 * them, and KorvexHost_DestroyWindow destroys them (and their children,
 * first), discarding the messages queued for them.
 *
 * No window procedure runs: every window behaves as one whose procedure
 * passes all messages to the default handling, and nothing paints a window
 * but the program drawing into its device context. A window's surface starts
 * filled with its class's background brush and is filled with it again
 * whenever the client area changes size. Each window has a surface of its own:
 * what is drawn into a child does not appear on its parent's surface.
 *
 * Frame sizes (AdjustWindowRectEx and the client area of a window): a thick
 * frame is 4 pixels on each side; a caption or dialog frame without a thick
 * frame is 3; a border alone is 1. A caption adds a title bar of 19 pixels
 * at the top, a menu a bar of 19 below it; the extended style
 * KORVEX_HOST_WS_EX_CLIENTEDGE adds 2 on each side. A minimised window has
 * an empty client area.
 */
#ifndef KORVEX_HOST_WINDOWS_H
#define KORVEX_HOST_WINDOWS_H

#include "korvex/host_base.h"
#include "korvex/host_gdi.h"
#include "korvex/host_messages.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Window styles (the Windows values). */
#define KORVEX_HOST_WS_OVERLAPPED 0x00000000u
#define KORVEX_HOST_WS_POPUP 0x80000000u
#define KORVEX_HOST_WS_CHILD 0x40000000u
#define KORVEX_HOST_WS_MINIMIZE 0x20000000u
#define KORVEX_HOST_WS_VISIBLE 0x10000000u
#define KORVEX_HOST_WS_CLIPSIBLINGS 0x04000000u
#define KORVEX_HOST_WS_CLIPCHILDREN 0x02000000u
#define KORVEX_HOST_WS_CAPTION 0x00C00000u /* border and dialog frame */
#define KORVEX_HOST_WS_BORDER 0x00800000u
#define KORVEX_HOST_WS_DLGFRAME 0x00400000u
#define KORVEX_HOST_WS_SYSMENU 0x00080000u
#define KORVEX_HOST_WS_THICKFRAME 0x00040000u
#define KORVEX_HOST_WS_MINIMIZEBOX 0x00020000u
#define KORVEX_HOST_WS_MAXIMIZEBOX 0x00010000u
#define KORVEX_HOST_WS_OVERLAPPEDWINDOW 0x00CF0000u
#define KORVEX_HOST_WS_EX_CLIENTEDGE 0x00000200u

/* ShowWindow commands. */
#define KORVEX_HOST_SW_HIDE 0
#define KORVEX_HOST_SW_SHOWNORMAL 1
#define KORVEX_HOST_SW_SHOWMINIMIZED 2
#define KORVEX_HOST_SW_SHOW 5
#define KORVEX_HOST_SW_MINIMIZE 6
#define KORVEX_HOST_SW_RESTORE 9

/* Stock brushes for a class background (GetStockObject numbers). The null
 * brush leaves the surface as it was. */
#define KORVEX_HOST_WHITE_BRUSH 0
#define KORVEX_HOST_LTGRAY_BRUSH 1
#define KORVEX_HOST_GRAY_BRUSH 2
#define KORVEX_HOST_DKGRAY_BRUSH 3
#define KORVEX_HOST_BLACK_BRUSH 4
#define KORVEX_HOST_NULL_BRUSH 5

/* The standard arrow cursor (LoadCursor(NULL, IDC_ARROW)). */
#define KORVEX_HOST_IDC_ARROW 32512u

/* GetSystemMetrics indices. */
#define KORVEX_HOST_SM_CXSCREEN 0
#define KORVEX_HOST_SM_CYSCREEN 1

typedef struct KorvexHostRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
} KorvexHostRect;

/* The class fields the host keeps (RegisterClassEx). The window procedure,
 * extra bytes, icons and menu name are not kept: every class has the
 * default procedure, no extra bytes, no icon and no menu. */
typedef struct KorvexHostWindowClass {
  uint32_t style;
  uint64_t instance;  /* module: KorvexHost_ProcessId() is the executable's */
  uint32_t cursor;    /* 0 or KORVEX_HOST_IDC_ARROW */
  int32_t background; /* a stock brush */
  const char* name;
} KorvexHostWindowClass;

/* What the host knows of a window, for programs that check placement. */
typedef struct KorvexHostWindowInfo {
  char className[256];
  char title[256];
  uint32_t style; /* WS_VISIBLE and WS_MINIMIZE follow ShowWindow */
  uint32_t exStyle;
  KorvexHostWindow parent;
  uintptr_t id; /* control id of a child */
  /* Outer rectangle: relative to the parent's client area for a child,
   * screen coordinates for a top-level window. */
  int32_t x, y, width, height;
} KorvexHostWindowInfo;

/* Registers a class. Returns a non-zero class atom, or 0 when the name is
 * empty or already registered for the instance (names compare without
 * regard to case). */
KORVEX_HOST_API uint16_t KorvexHost_RegisterClass(const KorvexHostWindowClass* windowClass);
/* Unregisters a class; 0 when it is unknown or windows of it still exist. */
KORVEX_HOST_API int KorvexHost_UnregisterClass(const char* name, uint64_t instance);
/* 1 with the class fields (name points at the host's copy, valid until the
 * class is unregistered), 0 when the class is unknown. */
KORVEX_HOST_API int KorvexHost_GetClassInfo(const char* name, uint64_t instance,
                                            KorvexHostWindowClass* out);

/* Creates a window of a registered class (CreateWindowEx). A child window
 * (KORVEX_HOST_WS_CHILD) needs a parent created here and is placed relative
 * to its parent's client area; a top-level window is placed on the screen
 * and may name no parent. width and height are the outer size. The calling
 * thread owns the window. Null when the class is unknown, the parent is
 * missing or not an on-screen window, or a size is negative. */
KORVEX_HOST_API KorvexHostWindow KorvexHost_CreateWindow(uint32_t exStyle, const char* className,
                                                         const char* title, uint32_t style,
                                                         int32_t x, int32_t y, int32_t width,
                                                         int32_t height, KorvexHostWindow parent,
                                                         uintptr_t id, uint64_t instance);
KORVEX_HOST_API int KorvexHost_GetWindowInfo(KorvexHostWindow window, KorvexHostWindowInfo* out);
/* Client rectangle: 0, 0, client width, client height. */
KORVEX_HOST_API int KorvexHost_GetClientRect(KorvexHostWindow window, KorvexHostRect* rect);
/* Moves and resizes a window (outer size), as the user dragging its frame
 * does. */
KORVEX_HOST_API int KorvexHost_MoveWindow(KorvexHostWindow window, int32_t x, int32_t y,
                                          int32_t width, int32_t height);
/* Returns 1 when the window was visible before, else 0. */
KORVEX_HOST_API int KorvexHost_ShowWindow(KorvexHostWindow window, int command);
/* 1 when the window and every ancestor have KORVEX_HOST_WS_VISIBLE. */
KORVEX_HOST_API int KorvexHost_IsWindowVisible(KorvexHostWindow window);
/* Gives the window the keyboard focus; returns the window that had it
 * (null also when the window does not exist). */
KORVEX_HOST_API KorvexHostWindow KorvexHost_SetFocus(KorvexHostWindow window);
KORVEX_HOST_API KorvexHostWindow KorvexHost_GetFocus(void);
/* Nothing is ever pending for painting: 1 for an on-screen window. */
KORVEX_HOST_API int KorvexHost_UpdateWindow(KorvexHostWindow window);
/* Grows a client rectangle to the window rectangle of the given style. */
KORVEX_HOST_API int KorvexHost_AdjustWindowRectEx(KorvexHostRect* rect, uint32_t style, int hasMenu,
                                                  uint32_t exStyle);

/* Screen size; 1920 x 1080 at start-up. */
KORVEX_HOST_API int KorvexHost_GetSystemMetrics(int index);
KORVEX_HOST_API void KorvexHost_SetScreenSize(int32_t width, int32_t height);

/* The window's device context: device coordinates are client coordinates.
 * Every call returns the same context; it lives until the window is
 * destroyed, and ReleaseDC only checks that it belongs to the window. */
KORVEX_HOST_API KorvexHostDC KorvexHost_GetDC(KorvexHostWindow window);
KORVEX_HOST_API int KorvexHost_ReleaseDC(KorvexHostWindow window, KorvexHostDC dc);
/* Copies the client area's pixels out as 24-bit B, G, R, top row first,
 * rows of client width x 3 bytes without padding. Returns 1, or 0 when the
 * window does not exist or size is below width x height x 3. Read while
 * nothing draws into the window. */
KORVEX_HOST_API int KorvexHost_ReadClientPixels(KorvexHostWindow window, void* buffer, size_t size);

/* Fault injection for tests: while a bit is set the matching call fails. */
#define KORVEX_HOST_WINDOW_FAIL_REGISTER 1u
#define KORVEX_HOST_WINDOW_FAIL_CREATE 2u
#define KORVEX_HOST_WINDOW_FAIL_ADJUST 4u
#define KORVEX_HOST_WINDOW_FAIL_UPDATE 8u
#define KORVEX_HOST_WINDOW_FAIL_GETDC 16u
KORVEX_HOST_API void KorvexHost_SetWindowFaults(uint32_t mask);

/* FindWindowEx: the first window after `after` (null: from the first) in
 * creation order whose parent is `parent` (null: top-level windows) and
 * whose class name and title match (null matches any; class names without
 * regard to case). */
KORVEX_HOST_API KorvexHostWindow KorvexHost_FindWindowEx(KorvexHostWindow parent,
                                                         KorvexHostWindow after,
                                                         const char* className, const char* title);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_HOST_WINDOWS_H */
