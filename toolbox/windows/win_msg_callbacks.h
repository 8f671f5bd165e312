/* toolbox/windows/win_msg_callbacks.h - callbacks for chosen window messages of a top-level
 * panel (plain C).
 *
 * A panel's window (its ATTR_SYSTEM_WINDOW_HANDLE, a window of win32/winuser.h) gets a window
 * procedure of the library in front of its own, which looks each message up among the panel's
 * installed callbacks: a synchronous callback runs inside the window procedure and may keep the
 * message from the panel (the engine then does not act on the operator's input it stands for);
 * a deferred one gets a copy of the message from the panel thread's event loop. When the engine
 * re-creates the panel's window, the library subclasses the new one and tells every callback
 * with MSG_PANEL_WINDOW_REPLACED; when the panel is discarded, everything goes with it.
 *
 *     int posting;
 *     InstallWinMsgCallback(panel, WM_APP + 1, OnPing, VAL_MSG_CALL_DEFERRED, NULL, &posting);
 *     ...any thread: PostMessageA((HWND)(uintptr_t)posting, WM_APP + 1, 0, 0) runs OnPing...
 *
 * Porting: message parameters reach the callbacks as 32-bit unsigned values (the window handles,
 * drop handles and icon numbers passed in them fit); a callback that changes one changes the
 * message's parameter to that 32-bit value. The posting handle is the window's handle as an
 * int.
 *
 * Threads. Install, remove and attribute calls come from the thread that owns the panel; the
 * library keeps its records under a lock of its own, so panels of several threads may have
 * callbacks at once. Other threads and processes take part by posting or sending messages to
 * the posting handle. Synchronous callbacks run inside the window procedure on the panel's
 * thread (another thread's SendMessageA is handed to it); deferred callbacks and
 * MSG_PANEL_WINDOW_REPLACED run from the panel thread's event loop, also when the window was
 * re-created from another thread. A deferred copy runs only if, when its turn comes, the same
 * callback (function and data) is still installed for its message and enabled; otherwise it is
 * dropped, as are the copies queued when the panel goes. Copies still queued when the program
 * exits stay valid until they run (an exit clean-up or another thread may still process events);
 * those of a thread that ended without running them are freed at exit.
 *
 * Results: 0 or a negative code: -5080 "Message-callback not installed", -5081
 * "Message-callback already installed.", -5082 "Panel not top-level.", -5085 "Invalid
 * message-callback execution-mode", -5095 "Unknown system error", and the engine's -12, -42, -46,
 * -65, -90.
 */
#ifndef TOOLBOX_WINDOWS_WIN_MSG_CALLBACKS_H
#define TOOLBOX_WINDOWS_WIN_MSG_CALLBACKS_H

#ifdef __cplusplus
extern "C" {
#endif

#define VAL_MSG_CALL_SYNCHRONOUS  1000  /* runs inside the window procedure; may keep the message */
#define VAL_MSG_CALL_DEFERRED     1001  /* runs later from the thread's event loop on a copy */
#define ATTR_MSG_CALL_MODE        1002  /* int: VAL_MSG_CALL_SYNCHRONOUS or VAL_MSG_CALL_DEFERRED */
#define ATTR_MSG_CALLBACK_ENABLED 1271  /* int: non-zero while the callback gets its messages */
#define MSG_PANEL_WINDOW_REPLACED 1004  /* to every callback after the panel's window was re-created:
                                           *wParam is the new window, lParam and callbackData NULL */

/* The callback of a window message: the panel, the message number and pointers to its two
 * parameters. A synchronous callback that returns non-zero keeps the message from the panel's
 * own window procedure (DefWindowProcA answers it, with the parameters as the callback left
 * them); otherwise the message goes on with them. The result of a deferred callback, and of
 * MSG_PANEL_WINDOW_REPLACED, is ignored. */
typedef int (*WinMsgCallbackPtr)(int panel, int message, unsigned int *wParam, unsigned int *lParam,
                                 void *callbackData);

/* Installs function for message on a top-level panel, enabled, in mode (VAL_MSG_CALL_...), and
 * stores the panel's window handle in *postingHandle. -65 for a NULL postingHandle or function,
 * -5085 for another mode, -42 for a panel handle that is not valid, -5082 for a child panel,
 * -5081 when the panel has a callback for message already, -12, -5095 when the window cannot be
 * subclassed. A failed install leaves the panel as it was. */
int InstallWinMsgCallback(int panel, int message, WinMsgCallbackPtr function, int mode, void *callbackData,
                          int *postingHandle);

/* InstallWinMsgCallback without the argument checks, for the library's own users: function must
 * not be NULL and panel must be a top-level panel (checked by assertion). */
int AddWinMsgCallback(int panel, int message, WinMsgCallbackPtr function, int mode, void *callbackData,
                      int *postingHandle);

/* Removes the panel's callback for message; the panel's window gets its own procedure back when
 * it was the last one. 0 or -5080. */
int RemoveWinMsgCallback(int panel, int message);

/* Sets an attribute of the callback for message from one further int argument:
 * ATTR_MSG_CALLBACK_ENABLED (any value; 0 disables it) or ATTR_MSG_CALL_MODE (-90 unless
 * VAL_MSG_CALL_SYNCHRONOUS or VAL_MSG_CALL_DEFERRED). -5080 when there is no such callback, -46
 * for another attribute. */
int SetMsgCallbackAttribute(int panel, int message, int attribute, ...);

/* Reads ATTR_MSG_CALLBACK_ENABLED or ATTR_MSG_CALL_MODE into *(int *)value. -65 for a NULL value,
 * -5080 when there is no such callback, -46 for another attribute. */
int GetMsgCallbackAttribute(int panel, int message, int attribute, void *value);

#ifdef __cplusplus
}
#endif

#endif
