/* win32/winuser.h - user32: windows of panels, window procedures and messages, menus, system
 * colours and parameters (plain C).
 *
 * Implemented in win32/user32/ on POSIX. Each function keeps its Windows name, types and result
 * convention; how it maps onto Linux is said beside it.
 */
#ifndef WIN32_WINUSER_H
#define WIN32_WINUSER_H

#include "win32/windef.h"
#include "win32/winbase.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- System colours ----------------------------------------------------------------------- */

#define COLOR_SCROLLBAR        0
#define COLOR_BACKGROUND       1
#define COLOR_ACTIVECAPTION    2
#define COLOR_INACTIVECAPTION  3
#define COLOR_MENU             4
#define COLOR_WINDOW           5
#define COLOR_WINDOWFRAME      6
#define COLOR_MENUTEXT         7
#define COLOR_WINDOWTEXT       8
#define COLOR_CAPTIONTEXT      9
#define COLOR_ACTIVEBORDER     10
#define COLOR_INACTIVEBORDER   11
#define COLOR_APPWORKSPACE     12
#define COLOR_HIGHLIGHT        13
#define COLOR_HIGHLIGHTTEXT    14
#define COLOR_BTNFACE          15
#define COLOR_BTNSHADOW        16
#define COLOR_GRAYTEXT         17
#define COLOR_BTNTEXT          18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT     20
#define COLOR_3DDKSHADOW       21
#define COLOR_3DLIGHT          22
#define COLOR_INFOTEXT         23
#define COLOR_INFOBK           24

/* The colour of display item index in Windows order (0x00BBGGRR: red in the low byte), taken
 * from the run-time engine's system colour table (RteGetSysColor), which the renderer draws
 * with. 0 for an index outside 0..30. */
DWORD GetSysColor(int index);

/* ---- Keyboard ----------------------------------------------------------------------------- */

/* What a PC keyboard reports: typeFlag 0 gives the type, 4 (enhanced 101/102-key keyboard);
 * 1 the subtype, 0; 2 the number of function keys, 12. Any other typeFlag gives 0 (failure).
 * Linux offers no such fact, and every PC keyboard answers so. */
int GetKeyboardType(int typeFlag);

/* ---- System parameters -------------------------------------------------------------------- */

#define SPI_GETKEYBOARDSPEED      10
#define SPI_SETKEYBOARDSPEED      11
#define SPI_GETSCREENSAVETIMEOUT  14
#define SPI_SETSCREENSAVETIMEOUT  15
#define SPI_GETSCREENSAVEACTIVE   16
#define SPI_SETSCREENSAVEACTIVE   17
#define SPI_SETDESKWALLPAPER      20
#define SPI_GETKEYBOARDDELAY      22
#define SPI_SETKEYBOARDDELAY      23
#define SPI_GETDESKWALLPAPER      115

#define SPIF_UPDATEINIFILE        0x0001
#define SPIF_SENDWININICHANGE     0x0002
#define SPIF_SENDCHANGE           SPIF_SENDWININICHANGE

/* Reads or changes a desktop setting. TRUE on success; FALSE with ERROR_INVALID_PARAMETER for
 * an action not listed, a value out of range or a NULL pvParam where one is read.
 *
 * Where the settings go. Keyboard repeat and the screen saver go to the X server when one is
 * reachable (DISPLAY; libX11 is loaded at run time): the repeat through XKB's auto-repeat
 * (XkbGetAutoRepeatRate / XkbSetAutoRepeatRate), the screen saver through the core X screen
 * saver (XGetScreenSaver / XSetScreenSaver). The wallpaper goes to GSettings
 * (org.gnome.desktop.background) where that schema is installed and its settings store is
 * reachable (not the dconf store without a session bus). Otherwise, and for what the desktop
 * has no place for, the settings live in the registry model, as Windows keeps them in the
 * user's profile: "Control Panel\Keyboard" values "KeyboardDelay" and "KeyboardSpeed",
 * "Control Panel\Desktop" values "ScreenSaveActive", "ScreenSaveTimeOut" and "Wallpaper" under
 * HKEY_CURRENT_USER, as REG_SZ decimal texts. Without a desktop every setter therefore succeeds
 * and its getter reads back what was set. The update flags need no action here: a change is
 * seen by every later caller at once.
 *
 *   SPI_GETKEYBOARDDELAY (int *pvParam)   0..3: a repeat delay of (n + 1) x 250 ms. X: from
 *       the auto-repeat delay, rounded to the nearest step. Registry default 1.
 *   SPI_SETKEYBOARDDELAY (uiParam 0..3)   X: sets the auto-repeat delay to (n + 1) x 250 ms.
 *   SPI_GETKEYBOARDSPEED (DWORD *pvParam) 0..31: a repeat rate of 2.5 + n x 27.5 / 31 per
 *       second (2.5 to 30). X: from the auto-repeat interval. Registry default 31.
 *   SPI_SETKEYBOARDSPEED (uiParam 0..31)  X: sets the auto-repeat interval to the rate's.
 *   SPI_GETSCREENSAVEACTIVE (BOOL *pvParam) X: TRUE when the screen saver's time-out is not 0.
 *       Registry default FALSE.
 *   SPI_SETSCREENSAVEACTIVE (uiParam TRUE/FALSE) X: FALSE sets the time-out to 0 (off); TRUE
 *       sets the time-out kept in the registry ("ScreenSaveTimeOut"). The state is also kept in
 *       the registry.
 *   SPI_GETSCREENSAVETIMEOUT (int *pvParam) seconds. X: the server's time-out while the saver
 *       is on, else the one kept in the registry. Registry default 600.
 *   SPI_SETSCREENSAVETIMEOUT (uiParam 1..32767 seconds, the X server's range) kept in the
 *       registry; X: also set on the server while the saver is on.
 *   SPI_SETDESKWALLPAPER (char *pvParam: a bitmap path, "" for none) kept in the registry
 *       ("Wallpaper"); GSettings: picture-uri (and picture-uri-dark) become the file's URI,
 *       picture-options "wallpaper" when "TileWallpaper" is "1", else "centered".
 *   SPI_GETDESKWALLPAPER (uiParam: buffer size, char *pvParam) the path, from GSettings'
 *       picture-uri where it is used, else from the registry; a buffer too small: FALSE,
 *       ERROR_INSUFFICIENT_BUFFER.
 */
BOOL SystemParametersInfoA(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni);

/* ---- Windows of panels ---------------------------------------------------------------------
 *
 * The windows are the run-time engine's: each top-level panel has one, and its handle is the
 * panel's ATTR_SYSTEM_WINDOW_HANDLE, a small positive integer never reused within a process run
 * (rte/system_windows.h). A handle whose panel was discarded, or whose window was re-created,
 * names no window any more: calls on it fail with ERROR_INVALID_WINDOW_HANDLE.
 *
 * Each window has a window procedure, at first the panel's own (the engine's): messages that
 * reach it from the operator's input let the engine act as usual (a click clicks, a key types,
 * WM_CLOSE closes the panel, WM_DROPFILES hands the files to the panel's callback as
 * EVENT_DROP), and it answers every message with DefWindowProcA's 0. A procedure that replaces
 * it (subclassing) sees every message first and decides whether to pass it on with
 * CallWindowProcA.
 *
 * The operator's input on a panel reaches its window's procedure as these messages, before the
 * engine acts (client coordinates in lParam as MAKELPARAM(x, y); wParam the MK_ keys):
 *   button down / up / double click  WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK and the
 *                                    WM_RBUTTON... ones
 *   pointer moved                    WM_MOUSEMOVE
 *   wheel                            WM_MOUSEWHEEL (HIWORD(wParam): 120 per line; lParam: the
 *                                    point on the screen)
 *   key down                         WM_KEYDOWN (wParam the VK_ code, lParam bit 30 set for a
 *                                    repeat), each typed byte WM_CHAR (wParam the byte)
 *   closing the window               WM_CLOSE
 *   new size                         WM_SIZE (SIZE_RESTORED, MAKELPARAM(width, height))
 *   files dropped                    WM_DROPFILES (wParam the HDROP; only on a window that
 *                                    accepts files, DragAcceptFiles in shellapi.h)
 * A procedure that does not pass the message on takes the input: the engine does nothing more
 * with it. Re-creating a panel's window, and discarding the panel, send WM_DESTROY to the old
 * window's procedure first.
 *
 * Threads: a window belongs to the thread that owns its panel. Its procedure runs on that
 * thread: the operator's input arrives there, SendMessageA from another thread waits until
 * that thread's event loop has run it, and PostMessageA from any thread queues the message to
 * that thread's event loop. */

typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#define WM_NULL          0x0000
#define WM_DESTROY       0x0002
#define WM_SIZE          0x0005
#define WM_CLOSE         0x0010
#define WM_CONTEXTMENU   0x007B
#define WM_KEYDOWN       0x0100
#define WM_KEYUP         0x0101
#define WM_CHAR          0x0102
#define WM_COMMAND       0x0111
#define WM_MOUSEMOVE     0x0200
#define WM_LBUTTONDOWN   0x0201
#define WM_LBUTTONUP     0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN   0x0204
#define WM_RBUTTONUP     0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MOUSEWHEEL    0x020A
#define WM_DROPFILES     0x0233
#define WM_USER          0x0400
#define WM_APP           0x8000

#define MK_LBUTTON  0x0001
#define MK_RBUTTON  0x0002
#define MK_SHIFT    0x0004
#define MK_CONTROL  0x0008
#define SIZE_RESTORED 0
#define WHEEL_DELTA 120

/* Virtual-key codes of WM_KEYDOWN: letters and digits are their upper-case characters. */
#define VK_BACK    0x08
#define VK_TAB     0x09
#define VK_RETURN  0x0D
#define VK_SHIFT   0x10
#define VK_CONTROL 0x11
#define VK_MENU    0x12
#define VK_ESCAPE  0x1B
#define VK_SPACE   0x20
#define VK_PRIOR   0x21
#define VK_NEXT    0x22
#define VK_END     0x23
#define VK_HOME    0x24
#define VK_LEFT    0x25
#define VK_UP      0x26
#define VK_RIGHT   0x27
#define VK_DOWN    0x28
#define VK_INSERT  0x2D
#define VK_DELETE  0x2E
#define VK_F1      0x70     /* F1 to F12: VK_F1 + n - 1 */

/* Window long values. */
#define GWL_WNDPROC    (-4)
#define GWLP_WNDPROC   (-4)
#define GWL_USERDATA   (-21)
#define GWLP_USERDATA  (-21)

/* GWL_WNDPROC with the 32-bit forms. A procedure's address does not fit a 32-bit LONG here, so
 * GetWindowLongA and SetWindowLongA exchange tokens instead: each procedure a window has had gets
 * a token, a non-zero 32-bit value of a process-wide table (0xFFFF0001 upward), which
 * SetWindowLongA accepts back and CallWindowProcA calls (cast to WNDPROC). GWL_USERDATA keeps a
 * value per window (the LONG forms give its low 32 bits). Any other index: 0 and
 * ERROR_INVALID_INDEX. A bad window: 0 and ERROR_INVALID_WINDOW_HANDLE. SetWindowLongA with a
 * GWL_WNDPROC value that is no token: 0 and ERROR_INVALID_PARAMETER, nothing changed. Results
 * are the previous values (0 also when the previous value was 0: SetLastError(0) first to tell
 * them apart). */
LONG GetWindowLongA(HWND window, int index);
LONG SetWindowLongA(HWND window, int index, LONG value);
/* The pointer-sized forms: GWLP_WNDPROC gives and takes the procedure's address (a token is
 * accepted too); a null procedure is refused with ERROR_INVALID_PARAMETER. */
LONG_PTR GetWindowLongPtrA(HWND window, int index);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);

/* Calls a window procedure, given by its address or by its token, on the calling thread and
 * returns its result; 0 for a null procedure or an unknown token. */
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/* The default answer to a message: 0 for every message (the engine's windows need no default
 * action from it). */
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* Runs the window's procedure with the message and returns its result: at once on the window's
 * own thread, else on that thread's event loop while the caller waits (blocking, without
 * processing its own events); 0 and ERROR_INVALID_WINDOW_HANDLE for a bad window, also when the
 * window's thread ends before running it. */
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/* Queues the message to the window's thread and returns at once; the thread's event loop runs
 * the procedure with it (messages posted to one thread run in the order posted). FALSE with
 * ERROR_INVALID_WINDOW_HANDLE for a bad window or a thread that can run nothing more; a message
 * whose window has gone by the time it would run is dropped. Safe on any thread. */
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
/* A message number for a name, 0xC000 to 0xFFFF, the same for the same name (compared without
 * regard to case) for the life of the process; 0 for a null or empty name or when all are taken. */
UINT RegisterWindowMessageA(LPCSTR name);
/* TRUE when the handle names a window. */
BOOL IsWindow(HWND window);
/* The engine's id of the window's thread (0 for a bad window); *processId, when given, the
 * process id. */
DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);

/* ---- The pointer --------------------------------------------------------------------------- */

/* The pointer's position on the screen (RteGetPointerScreenPos: on the screen display the real
 * pointer; headless, where the engine last saw it). FALSE for a null point. */
BOOL GetCursorPos(LPPOINT point);

/* ---- Menus --------------------------------------------------------------------------------
 * Popup menus of text items and separators, made here and shown by the engine
 * (RteTrackPopupMenu: a popup window drawn by its renderer on the screen; headless, answered by
 * an operator script). Items are addressed by command identifier (fByPosition FALSE) or by
 * position from 0 (TRUE). Handles are small positive integers, never reused within a run. */

typedef struct tagMENUITEMINFOA {
    UINT cbSize;            /* sizeof(MENUITEMINFOA) */
    UINT fMask;             /* MIIM_... : which members are read or written */
    UINT fType;             /* MFT_STRING or MFT_SEPARATOR */
    UINT fState;            /* MFS_... */
    UINT wID;               /* the command identifier */
    HMENU hSubMenu;         /* not kept (no submenus) */
    void *hbmpChecked;      /* not kept */
    void *hbmpUnchecked;    /* not kept */
    UINT_PTR dwItemData;    /* the item's value for the caller (MIIM_DATA) */
    LPSTR dwTypeData;       /* the text: read on insert/set, filled on get (cch bytes) */
    UINT cch;               /* the text's length; on get, the buffer's size in, the length out */
    void *hbmpItem;         /* not kept */
} MENUITEMINFOA, *LPMENUITEMINFOA;
typedef const MENUITEMINFOA *LPCMENUITEMINFOA;

#define MIIM_STATE      0x0001
#define MIIM_ID         0x0002
#define MIIM_SUBMENU    0x0004
#define MIIM_CHECKMARKS 0x0008
#define MIIM_TYPE       0x0010  /* fType, and the text of an MFT_STRING item */
#define MIIM_DATA       0x0020
#define MIIM_STRING     0x0040
#define MIIM_BITMAP     0x0080
#define MIIM_FTYPE      0x0100

#define MFT_STRING      0x0000
#define MFT_SEPARATOR   0x0800
#define MFS_GRAYED      0x0003
#define MFS_DISABLED    MFS_GRAYED
#define MFS_CHECKED     0x0008
#define MFS_DEFAULT     0x1000
#define MFS_ENABLED     0x0000
#define MFS_UNCHECKED   0x0000

#define GMDI_USEDISABLED 0x0001
#define GMDI_GOINTOPOPUPS 0x0002

#define TPM_LEFTALIGN    0x0000
#define TPM_CENTERALIGN  0x0004
#define TPM_RIGHTALIGN   0x0008
#define TPM_TOPALIGN     0x0000
#define TPM_VCENTERALIGN 0x0010
#define TPM_BOTTOMALIGN  0x0020
#define TPM_NONOTIFY     0x0080
#define TPM_RETURNCMD    0x0100

/* An empty popup menu; NULL when out of memory. */
HMENU CreatePopupMenu(void);
/* Destroys a menu and its items. FALSE with ERROR_INVALID_MENU_HANDLE for a bad menu. */
BOOL DestroyMenu(HMENU menu);
/* The number of items, -1 for a bad menu. */
int GetMenuItemCount(HMENU menu);
/* Inserts an item before `item` (a position, or the item with that command); a position past
 * the end, or a command no item has, appends. Reads fType (MIIM_TYPE/MIIM_FTYPE), the text
 * (MIIM_TYPE with MFT_STRING, or MIIM_STRING: dwTypeData, zero-terminated; cch is not needed),
 * fState, wID and dwItemData as fMask says. FALSE for a bad menu, a null or wrongly sized
 * description (ERROR_INVALID_PARAMETER), or out of memory. */
BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info);
/* Reads what fMask asks of an item. The text goes into dwTypeData (cch bytes, cut and
 * zero-terminated) and cch receives its length; with a null dwTypeData only cch is set. FALSE
 * for a bad menu, a missing item (ERROR_MENU_ITEM_NOT_FOUND) or a bad description. */
BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOA info);
/* Changes what fMask names of an item; as GetMenuItemInfoA for failures. */
BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info);
/* Makes an item the default (drawn in bold), or none for item (UINT)-1; FALSE for a bad menu
 * or a missing item. */
BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition);
/* The default item's command (or position), (UINT)-1 when there is none, or it is disabled and
 * flags lacks GMDI_USEDISABLED, or for a bad menu. */
UINT GetMenuDefaultItem(HMENU menu, UINT byPosition, UINT flags);
/* Shows the menu at screen point (x, y), aligned as the TPM_ flags say, and waits for the
 * operator (RteTrackPopupMenu). With TPM_RETURNCMD the chosen command is returned (0 when
 * dismissed); otherwise non-zero when a command was chosen, which is also posted to window as
 * WM_COMMAND (wParam the command) unless TPM_NONOTIFY is set. 0 for a bad menu. reserved and
 * rect are ignored. */
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND window, const RECT *rect);

/* ---- Icons --------------------------------------------------------------------------------- */

#define IMAGE_BITMAP 0
#define IMAGE_ICON   1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x0000
#define LR_LOADFROMFILE 0x0010
#define LR_DEFAULTSIZE  0x0040

/* Loads an icon from a Windows icon file (.ico), decoded with gdk-pixbuf: type IMAGE_ICON with
 * LR_LOADFROMFILE, name the file's path, instance ignored. The size is width x height; 0 takes
 * the system's icon size (32) with LR_DEFAULTSIZE, else the file's own. Returns the icon
 * (HICON, cast to HANDLE) or NULL: ERROR_FILE_NOT_FOUND for a missing file,
 * ERROR_INVALID_PARAMETER for another type or a file that is no icon, ERROR_NOT_ENOUGH_MEMORY. */
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags);
/* Frees an icon; FALSE with ERROR_INVALID_ICON_HANDLE for a bad one. */
BOOL DestroyIcon(HICON icon);

#ifdef __cplusplus
}
#endif

#endif
