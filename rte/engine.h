/* rte/engine.h - start-up and shut-down of the run-time engine, its clock, thread ids, calls
 * handed to another thread's event loop, the program's symbol table and the
 * break-on-library-errors switch.
 *
 * A program with a WinMain links rte_main, whose main() does the start-up for it (instance
 * handle, command line, show state, InitRTEEx, RteOpenDisplay, the symbol table, WinMain, the
 * exit clean-ups, CloseRTE): without a display it ends at once with exit code -1 after one line
 * on standard error. A program with its own main() (a console tool) calls InitRTEEx(0, 0, 0)
 * before using the engine and CloseRTE() at its end; it needs no screen and no variable until
 * it displays a panel.
 *
 * Displays: the environment variable RTE_DISPLAY chooses how panels are shown. The display is
 * opened when a panel is first displayed (DisplayPanel, InstallPopup, MessagePopup) or when
 * RteOpenDisplay asks for it; a display that cannot be opened then makes that call fail with
 * UIE_NO_DISPLAY (-2) after one line on standard error saying why.
 *   headless  no window; panels live in memory, popups print on standard error, and
 *             RTE_SCRIPT=<file> plays an operator script against the program's panels (the
 *             language: man 7 rte-script). Without RTE_SCRIPT the first panel displayed prints
 *             one line saying that no operator is attached and how to attach one; the program
 *             runs on until it ends by itself.
 *   sdl       the screen: one window per visible top-level panel of the main thread (SDL2),
 *             drawn by the engine's renderer; RTE_SCALE=<factor> (0.5..4) overrides the scale
 *             chosen from the screen's density. SDL reaches an X server ($DISPLAY) or a Wayland
 *             compositor ($WAYLAND_DISPLAY in $XDG_RUNTIME_DIR); when it reaches neither, the
 *             display is not opened rather than shown to nobody (SDL's offscreen and dummy
 *             drivers serve only when $SDL_VIDEODRIVER names them).
 *   web       the panels served to web browsers (civetweb): RTE_WEB_LISTEN=HOST:PORT (default
 *             127.0.0.1:8730; port 0 a free one), and one line on standard error at start,
 *             "rte: panels at http://HOST:PORT/?token=TOKEN"; only who shows the token (random
 *             per run, or RTE_WEB_TOKEN) gets a page; HTTPS with RTE_WEB_CERT and RTE_WEB_KEY.
 *             Drawn by the same renderer and operated through the same input as sdl.
 *   unset     sdl when a screen is reachable ($DISPLAY or $WAYLAND_DISPLAY); otherwise opening
 *             the display fails.
 * With RTE_DIAGNOSTICS=1 the screen display says on stderr, when it opens, which window system
 * it reached. On X11 an X protocol error never ends the program: it is reported on stderr in
 * one line ("rte: X error ignored: ...") and the program goes on.
 *
 * Positions on the screen: a top-level panel's ATTR_TOP and ATTR_LEFT are its client area's
 * place on the screen. On X11 (also XWayland) the window is put there, and when the operator
 * moves it the panel takes its new place (its callback gets EVENT_PANEL_MOVE). Wayland lets a
 * program neither place its windows nor learn where they are: there the panel keeps the place
 * the program gave it, and what the engine reports in screen coordinates (the pointer, drop
 * points) is that place plus the position relative to the window, which is all Wayland tells;
 * outside the program's windows the pointer stays where it was last seen over one of them.
 */
#ifndef RTE_ENGINE_H
#define RTE_ENGINE_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Start-up and shut-down ------------------------------------------------------------- */

/* Initialises the engine: chooses the display (RTE_DISPLAY, opened later), reads the operator
 * script (RTE_SCRIPT). Returns 1 when the engine is ready, 0 on failure (a line on stderr says
 * why: an RTE_DISPLAY the engine does not offer, a script that cannot be read or parsed). A
 * second call after a successful one does nothing and returns 1. hInstance is kept as the
 * program's instance handle; the reserved arguments are ignored. */
int InitRTEEx(void *hInstance, void *reserved1, void *reserved2);

/* Opens the display InitRTEEx chose now, rather than when the first panel is displayed. A
 * screen opens from the main thread only (on another thread this does nothing). Returns 0, or
 * UIE_NO_DISPLAY (-2) when it cannot be opened, after one line on stderr the first time.
 * Before InitRTEEx it does nothing and returns 0 (panels are then on the headless display). */
int RteOpenDisplay(void);

/* The display in use, once it is open: "headless", "web", or for the screen display the window
 * system SDL reached: "x11" (also XWayland), "wayland", or the name of another SDL video driver
 * ("kmsdrm"). "" before the display is open. Never null. */
const char *RteDisplayDriver(void);

/* Runs the registered exit clean-ups (newest first), discards every panel and marks the engine
 * detached. Calling it again does nothing.
 * Panels, controls and event loops also work without InitRTEEx (as on the headless display
 * without a script), so tests and console tools may use them directly. */
void CloseRTE(void);

/* Registers a function to run once at the end of the process, after the program's main
 * function: the clean-ups run newest first in CloseRTE, or at process exit when CloseRTE is
 * never called. At most 32 may be registered. Returns 0, or -1 for a null function or when 32
 * are already registered. Safe on any thread. */
int RegisterExitCleanup(void (*cleanupFunction)(void));

/* Non-zero once the engine has been detached from the process (CloseRTE finished, or the
 * process is past its exit clean-ups), so that engine objects must no longer be touched. The
 * exit clean-ups themselves still see 0. */
int RunTimeEngineDetached(void);

/* The instance handle given to InitRTEEx (null for a program with its own main). */
void *RteGetInstanceHandle(void);

/* ---- Symbol table ----------------------------------------------------------------------- */

/* One entry of the program's symbol table: the name, the address, and 1 for a function or 0
 * for data. The build generates the program's table from its public headers (see
 * cmake/SymbolTable.cmake). */
typedef struct {
    const char *name;
    void *address;
    int isFunction;
} RteSymbol;

/* Hands the engine the program's symbol table; LoadPanel binds callback names through it. The
 * table is not copied and must stay valid (a static table). count < 0 or a null table with
 * count > 0 gives -65 (null pointer) / -90 (invalid value); 0 on success. A later call replaces
 * the table. */
int RteSetSymbolTable(const RteSymbol *symbols, int count);

/* Looks a name up in the symbol table. Returns its address and stores the function flag
 * (when isFunction is non-null), or returns null when the name is not in the table. */
void *RteFindSymbol(const char *name, int *isFunction);

/* ---- Clock and threads ------------------------------------------------------------------ */

/* Seconds on the engine's one clock (monotonic; 0 is some moment before the first call). Tests
 * may switch the engine to a manual clock (rte/testing.h). */
double Timer(void);

/* The calling thread's id: a small number, never 0, unique for the life of the process. */
unsigned int CurrThreadId(void);
unsigned int RteGetCurrentThreadID(void);  /* the same id as CurrThreadId */

/* A function run later with one pointer argument. */
typedef void (*DeferredCallPtr)(void *callbackData);

/* Queues func(callbackData) to the event queue of thread threadId; it runs the next time that
 * thread processes events (RunUserInterface, ProcessSystemEvents, GetUserEvent). A thread has
 * an event queue from its first panel or first event-processing call until it ends. Returns 0,
 * -65 for a null func, -12 when out of memory, or -99 (UIE_NO_SUCH_THREAD) when the thread
 * has no event queue or has ended. Calls still queued when a thread ends are dropped. Safe on
 * any thread. */
int PostDeferredCallToThread(DeferredCallPtr func, void *callbackData, unsigned int threadId);

/* ---- Break on library errors ------------------------------------------------------------ */

/* When the switch is on and an engine function fails, the engine prints one line on stderr,
 * "rte: <function> failed: <code> <text>", and carries on (there is no debugger to break into).
 * The switch is process-wide and off by default, so an operator session's output stays clean;
 * RTE_BREAK_ON_LIBRARY_ERRORS=1 in the environment turns it on at start-up. */
int GetBreakOnLibraryErrors(void);        /* 1 when on, 0 when off */
int SetBreakOnLibraryErrors(int on);      /* sets it (non-zero = on); returns the previous state */
void EnableBreakOnLibraryErrors(void);
void DisableBreakOnLibraryErrors(void);

#ifdef __cplusplus
}
#endif

#endif
