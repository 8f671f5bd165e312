/* win32/shellapi.h - shell32: tray icons, dropped files and documents opened in their
 * application (plain C).
 *
 * Implemented in win32/shell32/ on POSIX. Each function keeps its Windows name, types and result
 * convention; how it maps onto Linux is said beside it. shell32 is also a module that
 * LoadLibraryA("shell32.dll") loads, with these functions as its exports ("DragQueryFile" is
 * exported under that name as well as "DragQueryFileA").
 */
#ifndef WIN32_SHELLAPI_H
#define WIN32_SHELLAPI_H

#include "win32/windef.h"
#include "win32/winbase.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Dropped files ---------------------------------------------------------------------------
 * A window that accepts files receives WM_DROPFILES when the operator drops files on it (a file
 * manager's drag and drop on the screen, an operator script's drop headless); wParam is the
 * HDROP, the engine's drop handle (rte/system_windows.h), valid until DragFinish. */

typedef struct HDROP__ *HDROP;

/* Lets the window receive WM_DROPFILES (accept non-zero) or not. Nothing happens for a bad
 * window. */
void DragAcceptFiles(HWND window, BOOL accept);
/* index 0xFFFFFFFF: the number of files. Otherwise the length of file index's path (without the
 * terminating zero) when buffer is NULL, or copies the path into buffer (size bytes, cut and
 * zero-terminated) and returns the number of characters copied. 0 for a bad drop or index. */
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size);
#define DragQueryFile DragQueryFileA
/* The drop point in the window's client coordinates; TRUE when it lies in the client area,
 * FALSE when outside it or for a bad drop or a NULL point. */
BOOL DragQueryPoint(HDROP drop, LPPOINT point);
/* Ends the drop and frees its file names. */
void DragFinish(HDROP drop);

/* ---- Notification-area icons ----------------------------------------------------------------
 * Shell_NotifyIconA puts an icon of a window into the notification area of the display the
 * engine chose (RTE_DISPLAY), whether or not a panel was shown yet:
 *   - The headless display: the engine's own notification area (rte/system_windows.h), which
 *     always accepts; operator scripts click its icons (tray ICON left|right|double).
 *   - A screen: the desktop's area. The icon is added (TRUE) and kept even when nothing shows it
 *     yet, and shown where the desktop can:
 *       . as a StatusNotifierItem on the session D-Bus (GIO's GDBus) while a watcher
 *         (org.kde.StatusNotifierWatcher, a panel's notification host) is on the bus: registered
 *         whenever one appears, and again after it restarts. The item's Id is the program's
 *         name and the icon's uID ("name-1"), the same on every run; it offers the icon in every
 *         size its .ico file holds (IconPixmap), the tooltip (ToolTip and Title), Category
 *         ApplicationStatus, Status Active, ItemIsMenu false, and its menu as
 *         com.canonical.dbusmenu at /MenuBar (see Shell_NotifyIconMenu);
 *       . else in the X screen's legacy system tray (XEmbed: the owner of _NET_SYSTEM_TRAY_S<n>),
 *         while one runs, drawn at the tray's size, with its tooltip shown on hover; it moves
 *         to a watcher when one appears;
 *       . else nowhere, until either appears.
 * A click reaches the owner window as its uCallbackMessage (when NIF_MESSAGE was given), posted
 * with wParam the icon's uID and lParam the mouse message:
 *   left click (a host's Activate, the tray's button 1)   WM_LBUTTONDOWN, then WM_LBUTTONUP
 *   a second left click within 500 ms and 4 pixels        WM_LBUTTONDBLCLK, then WM_LBUTTONUP
 *   right click (ContextMenu, the tray's button 3)        WM_RBUTTONDOWN, then WM_RBUTTONUP
 *   middle click (SecondaryActivate, the tray's button 2) WM_LBUTTONDOWN, WM_LBUTTONUP,
 *                                                          WM_LBUTTONDBLCLK, WM_LBUTTONUP
 * The click's point on the screen becomes the pointer's position (GetCursorPos) until the
 * pointer moves. A host's Scroll is ignored. An icon is named by its owner window and uID; the
 * tooltip is read as at most 64 characters, also when szTip has no terminating zero. */

typedef struct _NOTIFYICONDATAA {
    DWORD cbSize;               /* sizeof(NOTIFYICONDATAA), or at least offsetof(szTip) + 64 */
    HWND hWnd;                  /* the owner window */
    UINT uID;                   /* the icon's number for its owner */
    UINT uFlags;                /* NIF_...: which of the next three are valid */
    UINT uCallbackMessage;
    HICON hIcon;                /* LoadImageA's icon; its pixels are copied */
    CHAR szTip[64];
    DWORD dwState;              /* not used */
    DWORD dwStateMask;          /* not used */
    CHAR szInfo[256];           /* balloon texts: not shown */
    UINT uTimeout;
    CHAR szInfoTitle[64];
    DWORD dwInfoFlags;
} NOTIFYICONDATAA, *PNOTIFYICONDATAA;

#define NIM_ADD    0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIF_MESSAGE 0x00000001
#define NIF_ICON    0x00000002
#define NIF_TIP     0x00000004

/* NIM_ADD adds the icon (FALSE when the owner already has one with that uID, the owner is no
 * window, or the notification area refuses it); NIM_MODIFY changes what uFlags names (FALSE
 * when there is no such icon or the area refuses); NIM_DELETE removes it (FALSE when there is
 * none). FALSE also for a NULL or too small data block. An icon with no image (hIcon NULL or
 * not an icon) is shown without pixels. */
BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data);

/* Icon menus that the desktop shows itself (an addition of this port). Panels that speak
 * com.canonical.dbusmenu (Xfce's, KDE's, the AppIndicator hosts) draw an icon's menu themselves
 * and show it at once on a right click, from the copy they were given before. This gives the
 * notification area that copy of the icon's menu: the lines of a CreatePopupMenu menu (labels,
 * with '&' marking the access key; separators; dimmed and checked states), or NULL for none (such
 * a panel then shows an empty menu). Call it again after every change of the menu. From the
 * first call on, when such a panel is about to show the menu the owner receives WM_CONTEXTMENU
 * as the icon's mouse message instead of the right click, and answers it by calling this again
 * with the menu to show (or NULL); the panel waits up to 2 seconds for that answer, and shows
 * the change in the menu it opened. A choice from the panel's menu arrives as the mouse message
 * MAKELONG(WM_COMMAND, the item's identifier). Panels do not say when their menu closes without
 * a choice. Elsewhere (hosts that call ContextMenu, the legacy tray, the headless display) the
 * right click arrives as a right click, and the program shows its menu with TrackPopupMenu.
 * FALSE for an icon that does not exist (ERROR_INVALID_PARAMETER) or a handle that names no
 * menu (ERROR_INVALID_MENU_HANDLE). */
BOOL Shell_NotifyIconMenu(HWND owner, UINT id, HMENU menu);

/* ---- Opening documents ----------------------------------------------------------------------- */

typedef struct _SHELLEXECUTEINFOA {
    DWORD cbSize;               /* sizeof(SHELLEXECUTEINFOA) */
    ULONG fMask;                /* SEE_MASK_...; SEE_MASK_FLAG_NO_UI is the only behaviour here */
    HWND hwnd;
    LPCSTR lpVerb;              /* NULL or "open" */
    LPCSTR lpFile;              /* the document's path */
    LPCSTR lpParameters;        /* must be NULL or "" (documents take none) */
    LPCSTR lpDirectory;
    int nShow;                  /* SW_...: passed to the application as a hint only */
    HINSTANCE hInstApp;         /* out: > 32 on success, else an SE_ERR_ code */
    void *lpIDList;
    LPCSTR lpClass;
    void *hkeyClass;
    DWORD dwHotKey;
    HANDLE hIcon;
    HANDLE hProcess;
} SHELLEXECUTEINFOA, *LPSHELLEXECUTEINFOA;

#define SEE_MASK_FLAG_NO_UI 0x00000400
#define SW_SHOWNORMAL    1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3

#define SE_ERR_FNF             2
#define SE_ERR_PNF             3
#define SE_ERR_ACCESSDENIED    5
#define SE_ERR_OOM             8
#define SE_ERR_SHARE           26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_DDETIMEOUT      28
#define SE_ERR_DDEFAIL         29
#define SE_ERR_DDEBUSY         30
#define SE_ERR_NOASSOC         31
#define SE_ERR_DLLNOTFOUND     32

/* Opens the document lpFile with the desktop's default application for its type, through
 * GIO: the type from the shared MIME database (name and content), the application from the XDG
 * mime applications (mimeapps.list, the .desktop files of XDG_DATA_HOME and XDG_DATA_DIRS),
 * launched directly from its Exec line (no shell). TRUE when it was started (hInstApp 33);
 * FALSE with hInstApp and the last error: SE_ERR_FNF (ERROR_FILE_NOT_FOUND) for a missing file,
 * SE_ERR_PNF for a missing folder on the path, SE_ERR_ACCESSDENIED for a file that cannot be
 * read, SE_ERR_NOASSOC (ERROR_NO_ASSOCIATION) when no application opens the type,
 * SE_ERR_DDEFAIL when the application could not be started, SE_ERR_OOM. A NULL or wrongly
 * sized info, a NULL file, or another verb: FALSE with ERROR_INVALID_PARAMETER. */
BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA info);

#ifdef __cplusplus
}
#endif

#endif
