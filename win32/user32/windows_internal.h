// win32/user32/windows_internal.h - what the window files of user32 share (internal): a window's
// panel and thread, and running its procedure.
#ifndef WIN32_USER32_WINDOWS_INTERNAL_H
#define WIN32_USER32_WINDOWS_INTERNAL_H

#include "win32/winuser.h"

namespace win32::user32 {

// The panel of a window, 0 when the handle names no window.
int PanelOf(HWND window);
// The engine's id of the thread that owns the window, 0 when there is none.
unsigned ThreadOf(HWND window);
// The procedure and thread of a window that has a record here (it was given a procedure or a
// value), remembered per thread while no record changes; false for any other window.
bool RouteOf(HWND window, WNDPROC *procedure, unsigned *thread);
// Runs the window's current procedure with the message on the calling thread; 0 when the
// handle names no window.
LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace win32::user32

#endif
