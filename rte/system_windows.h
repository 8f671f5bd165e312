/* rte/system_windows.h - the engine's side of a system window layer: the windows of top-level
 * panels, the input that reaches them, dropped files, the pointer on the screen, popup menus and
 * the notification area (plain C).
 *
 * The engine shows each top-level panel in a window of its own. A window layer above the engine
 * (the Windows API subset, win32/) gives those windows window procedures and messages; it
 * registers hooks here, and the engine calls them. The engine itself knows nothing of messages:
 * it describes what happened (RteWindowInput) and acts on it only when the hook says so.
 *
 * Window handles. ATTR_SYSTEM_WINDOW_HANDLE of a top-level panel is a small positive integer
 * held in a pointer, from 1 upward, never reused within a process run: a handle kept past its
 * window's end never names another window. Re-creating a panel's window gives it a new handle.
 * Child panels have no window of their own.
 *
 * Threads: the hooks run on the thread that owns the panel, with no engine lock held, so they
 * may call any engine function. Every function here is safe on any thread.
 */
#ifndef RTE_SYSTEM_WINDOWS_H
#define RTE_SYSTEM_WINDOWS_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Windows of top-level panels -------------------------------------------------------- */

/* 1 when the display InitRTEEx chose is a screen (sdl), open yet or not (it opens when a panel
 * is first shown); 0 for the headless display, and before InitRTEEx. */
int RteScreenDisplay(void);

/* The top-level panel whose window this is, 0 when no window has this handle (any more). */
int RtePanelOfWindow(void *window);

/* What happened to a window: the operator's input on it, and its own changes. */
#define RTE_INPUT_BUTTON_DOWN   1  /* x, y, right, clicks (2: a double click) */
#define RTE_INPUT_BUTTON_UP     2  /* x, y, right */
#define RTE_INPUT_POINTER_MOVED 3  /* x, y */
#define RTE_INPUT_WHEEL         4  /* x, y, wheelLines (positive: away from the operator) */
#define RTE_INPUT_KEY_DOWN      5  /* keyCode (VAL_..._VKEY or a character, with modifiers), autoRepeat */
#define RTE_INPUT_CHARACTER     6  /* keyCode: one byte of typed text */
#define RTE_INPUT_CLOSE         7  /* the operator closes the window */
#define RTE_INPUT_SIZE          8  /* width, height: the client area's new size (the panel's size
                                      changed, by the program or the operator) */
#define RTE_INPUT_DROP          9  /* drop: files dropped on a window that accepts them */

typedef struct RteWindowInput {
    int kind;                  /* RTE_INPUT_... */
    int x, y;                  /* the pointer in the window's client coordinates */
    int right;                 /* the right button (else the left) */
    int clicks;
    int leftDown, rightDown;   /* the buttons held after the event */
    int keyCode, autoRepeat;
    int wheelLines;
    int width, height;
    int drop;                  /* a drop handle (RteDropFileCount, ...) */
} RteWindowInput;

/* Called before the engine acts on input for a window. Returns non-zero when the engine is to
 * act on it as usual, 0 when the window layer has taken it (the engine then does nothing more;
 * for RTE_INPUT_DROP the drop then belongs to the window layer, which ends it with
 * RteFinishDrop). */
typedef int (*RteWindowInputHook)(void *window, const RteWindowInput *input);
/* Called when a window has gone: its panel was discarded (after EVENT_DISCARD) or the window
 * was re-created (panel then still exists, with its new window). */
typedef void (*RteWindowGoneHook)(void *window, int panel);

/* Sets the hooks (null: none). A later call replaces them. */
void RteSetWindowHooks(RteWindowInputHook input, RteWindowGoneHook gone);

/* ---- Dropped files ------------------------------------------------------------------------ */
/* Files dropped on a window that accepts them are kept as a drop, named by a small positive
 * handle, until RteFinishDrop; the window layer hands the handle to its receiver. Drops on other
 * windows go to the panel callback as EVENT_DROP. Drops not finished are freed by CloseRTE. */

/* Marks a window as accepting dropped files (non-zero) or not. 0, or UIE_BAD_PANEL when no
 * window has this handle. */
int RteSetWindowAcceptsFiles(void *window, int accept);

/* The number of files of a drop (0 for a handle that names none) and the path of file index
 * (from 0; null for a bad handle or index; valid until RteFinishDrop). */
int RteDropFileCount(int drop);
const char *RteDropFile(int drop, int index);
/* The drop point in the window's client coordinates; returns 1 when it lies in the client
 * area, 0 when outside it or for a bad handle (the point is then 0, 0). Null pointers skipped. */
int RteDropPoint(int drop, int *x, int *y);
/* Ends a drop and frees its paths. A bad handle is ignored. */
void RteFinishDrop(int drop);

/* ---- The pointer on the screen ---------------------------------------------------------- */

/* The pointer's position on the screen: on a screen display where the display can tell, the
 * real pointer; otherwise where the engine last saw it (input on its panels, or
 * RteSetPointerScreenPos). */
void RteGetPointerScreenPos(int *x, int *y);
/* Tells the engine where the pointer is, as a notification area that saw a click does: that
 * point is reported, also on a screen display, until the real pointer moves. */
void RteSetPointerScreenPos(int x, int y);

/* ---- Popup menus -------------------------------------------------------------------------- */

typedef struct RteMenuItem {
    const char *label;         /* null or "" with separator set */
    int command;               /* what choosing it returns; > 0 */
    int separator, checked, dimmed, isDefault;
} RteMenuItem;

#define RTE_MENU_ALIGN_RIGHT  1  /* the menu's right edge at x (else its left edge) */
#define RTE_MENU_ALIGN_BOTTOM 2  /* the menu's bottom edge at y (else its top edge) */

/* Shows a popup menu at screen point (x, y), moved where needed to lie inside the screen's
 * usable area (a menu asked for above a top panel opens below it), and waits, processing the
 * calling thread's events, until the operator chooses an item or dismisses the menu. Returns the
 * chosen item's command, 0 when dismissed, when no item can be chosen, or when a menu is open
 * already (one menu at a time). MenuIsOpen (rte/ui.h) is 1 meanwhile. On the screen display
 * (opened for the menu when no panel opened it yet) the menu is a window of its own, drawn by
 * the renderer, worked with the mouse (a click outside dismisses it) and the keys (Up, Down,
 * Home, End, Enter, Esc); opened while no window of the program has the keyboard (a tray icon's
 * menu), it takes the keyboard, and goes when another program takes it. Headless, an operator script chooses with its menu
 * command; without one the menu is printed on standard error as "MENU a|b|c" and dismissed.
 * A menu opened by a thread other than the main thread on the screen display is dismissed. */
int RteTrackPopupMenu(const RteMenuItem *items, int count, int x, int y, int alignment);

/* ---- The notification area --------------------------------------------------------------- */
/* On the headless display the notification area is the engine's own: icons are kept here, and
 * operator scripts click them (tray ICON left|right|double). A click is handed to the hook, which
 * tells the icon's owner. */

#define RTE_TRAY_LEFT   1
#define RTE_TRAY_RIGHT  2
#define RTE_TRAY_DOUBLE 3

typedef void (*RteTrayClickHook)(void *owner, unsigned int id, int click);
void RteSetTrayClickHook(RteTrayClickHook hook);

/* Adds (or, for an owner and id already there, changes) an icon: tip is its tooltip (copied),
 * hasImage whether it shows an image. 0, UIE_NULL_POINTER, UIE_OUT_OF_MEMORY. */
int RteTrayIconSet(void *owner, unsigned int id, const char *tip, int hasImage);
/* Removes an icon; 0, or UIE_BAD_VALUE when there is none. */
int RteTrayIconRemove(void *owner, unsigned int id);
/* The number of icons, and the tooltip of icon index (from 0, oldest first; null past the end;
 * valid until the next change). */
int RteTrayIconCount(void);
const char *RteTrayIconTip(int index);

#ifdef __cplusplus
}
#endif

#endif
