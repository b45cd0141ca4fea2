/*
 * korvex/host_dialogs.h - modal dialogs built from templates, and the hands
 * that work them.
 *
 * A dialog is built from a template: a title, a size in dialog units and a
 * list of controls (class, caption, id, style, position). The classes are
 * those of the Windows user interface: "Button" (push button, check box,
 * radio button, group box), "Edit", "Static", "ComboBox" (drop-down list),
 * "SysTabControl32", "msctls_trackbar32" and "msctls_updown32". Captions are
 * UTF-8.
 *
 * KorvexHost_DialogBoxParam runs a dialog modally on the calling thread: it
 * calls the dialog procedure with KORVEX_HOST_WM_INITDIALOG, then runs the
 * thread's dialog loop until KorvexHost_EndDialog, and returns the result.
 * While the loop runs it carries out, on the dialog's thread and one at a
 * time, the work other threads hand to it: calls sent with
 * KorvexHost_SendDialogCall, commands posted with KorvexHost_PostDialogCommand
 * and the hands' actions below. Pages are modeless child dialogs
 * (KorvexHost_CreateDialogParam) served by the same loop.
 *
 * Procedures receive what a Windows dialog procedure receives:
 * WM_COMMAND with the control id in the low and the notification code in the
 * high 16 bits of wParam (BN_CLICKED for a click, EN_CHANGE whenever an
 * edit's text changes, by the user or by the program, CBN_SELCHANGE when the
 * user picks a list entry), WM_HSCROLL with the trackbar's handle in lParam
 * when the user drags a trackbar, and WM_NOTIFY with a KorvexHostNotify
 * (TCN_SELCHANGE) when the user picks a tab. Setting a control from the
 * program never notifies, except the edit change.
 *
 * The hands (KorvexHost_Hand*) do what a person does: type into an edit,
 * click a button or box, pick a list entry or a tab, drag a trackbar. They
 * may be called from any thread; the action runs on the dialog's thread and
 * the call returns when it has been handled. A person cannot work a control
 * that is disabled or hidden: the hands then return 0 and do nothing.
 * Reading a control (KorvexHost_ReadDialogItem) works from any thread.
 *
 * Threads: every function may be called from any thread unless it says
 * otherwise; the dialog procedure always runs on the dialog's thread.
 */
#ifndef KORVEX_HOST_DIALOGS_H
#define KORVEX_HOST_DIALOGS_H

#include "korvex/host_base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Messages and notification codes (the Windows values). */
#define KORVEX_HOST_WM_NOTIFY 0x004Eu
#define KORVEX_HOST_WM_INITDIALOG 0x0110u
#define KORVEX_HOST_WM_COMMAND 0x0111u
#define KORVEX_HOST_WM_HSCROLL 0x0114u
#define KORVEX_HOST_BN_CLICKED 0
#define KORVEX_HOST_CBN_SELCHANGE 1
#define KORVEX_HOST_EN_CHANGE 0x0300
#define KORVEX_HOST_TCN_SELCHANGE (-551)
#define KORVEX_HOST_TB_THUMBPOSITION 4

/* Control messages for KorvexHost_SendDlgItemMessage. */
#define KORVEX_HOST_TBM_GETPOS 0x0400u /* -> position */
#define KORVEX_HOST_TBM_GETRANGEMIN 0x0401u
#define KORVEX_HOST_TBM_GETRANGEMAX 0x0402u
#define KORVEX_HOST_TBM_SETPOS 0x0405u      /* lParam position, kept within the range */
#define KORVEX_HOST_TBM_SETRANGEMIN 0x0407u /* lParam */
#define KORVEX_HOST_TBM_SETRANGEMAX 0x0408u /* lParam */
#define KORVEX_HOST_TBM_SETTICFREQ 0x0414u  /* wParam */
#define KORVEX_HOST_UDM_SETBUDDY 0x0469u    /* wParam: the buddy's handle */
#define KORVEX_HOST_UDM_SETRANGE32 0x046Fu  /* wParam low, lParam high */
#define KORVEX_HOST_UDM_SETPOS32 0x0471u    /* lParam */
#define KORVEX_HOST_UDM_GETPOS32 0x0472u
#define KORVEX_HOST_CB_ADDSTRING 0x0143u    /* lParam text -> index */
#define KORVEX_HOST_CB_DELETESTRING 0x0144u /* wParam index -> count left, or -1 */
#define KORVEX_HOST_CB_GETCOUNT 0x0146u
#define KORVEX_HOST_CB_GETCURSEL 0x0147u    /* -> index, or -1 */
#define KORVEX_HOST_CB_INSERTSTRING 0x014Au /* wParam index (-1: end), lParam text -> index */
#define KORVEX_HOST_CB_RESETCONTENT 0x014Bu
#define KORVEX_HOST_CB_SETCURSEL 0x014Eu /* wParam index -> index, or -1 (no selection) */
#define KORVEX_HOST_TCM_GETITEMCOUNT 0x1304u
#define KORVEX_HOST_TCM_INSERTITEM 0x1307u /* wParam index, lParam UTF-8 caption -> index */
#define KORVEX_HOST_TCM_GETCURSEL 0x130Bu
#define KORVEX_HOST_TCM_SETCURSEL 0x130Cu

/* The language of the system (GetSystemDefaultLangID); 1033 at start-up.
 * 1041 is Japanese. */
KORVEX_HOST_API uint16_t KorvexHost_GetSystemDefaultLangID(void);
KORVEX_HOST_API void KorvexHost_SetSystemDefaultLangID(uint16_t language);

typedef struct KorvexHostDialogItem {
  const char* className; /* one of the classes above */
  const char* text;      /* caption, UTF-8; may be null */
  int32_t id;            /* -1 for a control nobody addresses */
  uint32_t style;        /* WS_DISABLED and the class's style bits; always visible */
  int16_t x, y, cx, cy;  /* dialog units */
} KorvexHostDialogItem;

typedef struct KorvexHostDialogTemplate {
  int32_t resourceId;
  const char* title; /* null for a page */
  uint32_t style;
  int16_t cx, cy;
  const KorvexHostDialogItem* items;
  int32_t count;
} KorvexHostDialogTemplate;

typedef struct KorvexHostNotify {
  KorvexHostWindow from;
  uintptr_t id;
  int32_t code;
} KorvexHostNotify;

typedef intptr_t (*KorvexHostDialogProc)(KorvexHostWindow dialog, uint32_t message,
                                         uintptr_t wParam, intptr_t lParam);

/* Runs a modal dialog on the calling thread (DialogBoxParam); `param` goes
 * to WM_INITDIALOG. Returns what KorvexHost_EndDialog was given, or -1 when
 * the template is unusable. */
KORVEX_HOST_API intptr_t KorvexHost_DialogBoxParam(const KorvexHostDialogTemplate* dialogTemplate,
                                                   KorvexHostWindow owner,
                                                   KorvexHostDialogProc proc, intptr_t param);
/* Creates a modeless child dialog (a page) of an open dialog, on the parent's
 * thread, hidden and at (0, 0) of the parent (CreateDialogParam). The page
 * goes away with its parent. Null on failure. Call on the parent's thread. */
KORVEX_HOST_API KorvexHostWindow
KorvexHost_CreateDialogParam(const KorvexHostDialogTemplate* dialogTemplate,
                             KorvexHostWindow parent, KorvexHostDialogProc proc, intptr_t param);
/* Ends a modal dialog; its loop returns `result` once the current work is
 * done. 0 when the dialog does not exist. */
KORVEX_HOST_API int KorvexHost_EndDialog(KorvexHostWindow dialog, intptr_t result);
/* One pointer-sized value a procedure keeps with its dialog (DWLP_USER). */
KORVEX_HOST_API intptr_t KorvexHost_SetDialogData(KorvexHostWindow dialog, intptr_t data);
KORVEX_HOST_API intptr_t KorvexHost_GetDialogData(KorvexHostWindow dialog);
/* Shows or hides a dialog or page; places a page (dialog units, relative to
 * its parent). */
KORVEX_HOST_API int KorvexHost_ShowDialog(KorvexHostWindow dialog, int show);
KORVEX_HOST_API int KorvexHost_SetDialogPosition(KorvexHostWindow dialog, int32_t x, int32_t y);

/* Controls, by dialog and id. */
KORVEX_HOST_API KorvexHostWindow KorvexHost_GetDlgItem(KorvexHostWindow dialog, int32_t id);
KORVEX_HOST_API int32_t KorvexHost_GetDlgCtrlID(KorvexHostWindow control);
/* Sets the caption; for an edit, notifies EN_CHANGE on the calling thread. */
KORVEX_HOST_API int KorvexHost_SetDlgItemText(KorvexHostWindow dialog, int32_t id,
                                              const char* text);
/* Copies the caption (UTF-8, at most size - 1 bytes and a terminating 0);
 * returns its length. */
KORVEX_HOST_API int KorvexHost_GetDlgItemText(KorvexHostWindow dialog, int32_t id, char* text,
                                              int size);
/* Writes a number as "%d" (isSigned) or "%u" (SetDlgItemInt). */
KORVEX_HOST_API int KorvexHost_SetDlgItemInt(KorvexHostWindow dialog, int32_t id, uint32_t value,
                                             int isSigned);
/* Reads a number (GetDlgItemInt): leading spaces, a '-' when isSigned, then
 * decimal digits up to the first other character. *ok (optional) is 0 and
 * the result 0 when there are no digits or the number does not fit. */
KORVEX_HOST_API uint32_t KorvexHost_GetDlgItemInt(KorvexHostWindow dialog, int32_t id, int* ok,
                                                  int isSigned);
KORVEX_HOST_API int KorvexHost_CheckDlgButton(KorvexHostWindow dialog, int32_t id, int checked);
KORVEX_HOST_API int KorvexHost_IsDlgButtonChecked(KorvexHostWindow dialog, int32_t id);
KORVEX_HOST_API int KorvexHost_EnableDlgItem(KorvexHostWindow dialog, int32_t id, int enable);
KORVEX_HOST_API intptr_t KorvexHost_SendDlgItemMessage(KorvexHostWindow dialog, int32_t id,
                                                       uint32_t message, uintptr_t wParam,
                                                       intptr_t lParam);

/* Runs fn(context) on the dialog's thread inside its loop and waits until it
 * has run (SendMessage to a dialog). Called on the dialog's own thread it runs
 * at once. Returns 1 when it ran; 0 when the dialog does not exist or ended
 * before the call ran; -1 when timeoutMs passed first, and then the call is
 * withdrawn and will not run. */
KORVEX_HOST_API int KorvexHost_SendDialogCall(KorvexHostWindow dialog, void (*fn)(void*),
                                              void* context, uint32_t timeoutMs);
/* Posts a command (WM_COMMAND with BN_CLICKED) to the dialog without
 * waiting; its loop hands it to the procedure. 0 when it does not exist. */
KORVEX_HOST_API int KorvexHost_PostDialogCommand(KorvexHostWindow dialog, int32_t id);

/* ---- the hands ---------------------------------------------------------- */

/* Waits up to timeoutMs for an open modal dialog whose title matches (null:
 * any) and whose initialisation has finished; the oldest first. */
KORVEX_HOST_API KorvexHostWindow KorvexHost_WaitForDialog(const char* title, uint32_t timeoutMs);
/* The index-th page (child dialog) of a dialog in creation order, or null. */
KORVEX_HOST_API KorvexHostWindow KorvexHost_GetDialogPage(KorvexHostWindow dialog, int index);
/* 1 while the dialog exists. */
KORVEX_HOST_API int KorvexHost_IsDialog(KorvexHostWindow dialog);

typedef struct KorvexHostDialogInfo {
  int32_t resourceId;
  char title[256];
  int16_t x, y, cx, cy;
  int32_t itemCount;
  int visible; /* the dialog and each parent shown */
} KorvexHostDialogInfo;
KORVEX_HOST_API int KorvexHost_GetDialogInfo(KorvexHostWindow dialog, KorvexHostDialogInfo* out);

typedef struct KorvexHostDialogItemInfo {
  char className[32];
  char text[256];
  int32_t id;
  uint32_t style;
  int16_t x, y, cx, cy;
  int enabled;
  int visible; /* the control, its dialog and each parent shown */
  int checked;
  int32_t position; /* trackbar, up-down */
  int32_t rangeMin, rangeMax;
  int32_t tickFrequency;
  int32_t buddyId;   /* up-down: the buddy's id, 0 without one */
  int32_t selection; /* list or tab: the selected entry, -1 for none */
  int32_t count;     /* list entries or tabs */
} KorvexHostDialogItemInfo;
/* A control by its place in the template (index) or by id. */
KORVEX_HOST_API int KorvexHost_GetDialogItemInfo(KorvexHostWindow dialog, int index,
                                                 KorvexHostDialogItemInfo* out);
KORVEX_HOST_API int KorvexHost_ReadDialogItem(KorvexHostWindow dialog, int32_t id,
                                              KorvexHostDialogItemInfo* out);
/* The index-th entry of a list or caption of a tab; returns its length, or -1. */
KORVEX_HOST_API int KorvexHost_GetDialogListText(KorvexHostWindow dialog, int32_t id, int index,
                                                 char* text, int size);

/* Each returns 1 when done, 0 when refused (no such control, disabled,
 * hidden, wrong kind, entry out of range), -1 when the dialog ended or did not
 * handle the action within 10 seconds. */
KORVEX_HOST_API int KorvexHost_HandType(KorvexHostWindow dialog, int32_t id, const char* text);
KORVEX_HOST_API int KorvexHost_HandClick(KorvexHostWindow dialog, int32_t id);
KORVEX_HOST_API int KorvexHost_HandPick(KorvexHostWindow dialog, int32_t id, int index);
KORVEX_HOST_API int KorvexHost_HandDrag(KorvexHostWindow dialog, int32_t id, int32_t position);
/* Runs fn(context) on the dialog's thread, as an application's window
 * procedure runs while a modal loop dispatches; same results. */
KORVEX_HOST_API int KorvexHost_HandRun(KorvexHostWindow dialog, void (*fn)(void*), void* context);

/* Fault injection: while set, dialogs cannot be created. */
KORVEX_HOST_API void KorvexHost_SetDialogFaults(int failCreate);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_HOST_DIALOGS_H */
