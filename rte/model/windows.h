// rte/model/windows.h - the windows of top-level panels as a window layer sees them (internal):
// the hooks it registers (rte/system_windows.h), the panel of a window, and the windows that
// accept dropped files.
#ifndef RTE_MODEL_WINDOWS_H
#define RTE_MODEL_WINDOWS_H

#include "rte/system_windows.h"

namespace rte::internal {

// The hooks set with RteSetWindowHooks (null when none).
RteWindowInputHook WindowInputHook();
// Tells the window layer that a panel's window has gone (no lock may be held).
void NotifyWindowGone(void *window, int panel);
// The window of a top-level panel, or of the top-level panel a child panel sits in, and the
// offset of the panel's client area in that window. Null when there is none.
void *WindowOfPanel(int panel, int *dx, int *dy);
// Whether a window accepts dropped files (RteSetWindowAcceptsFiles).
bool WindowAcceptsFiles(void *window);
// Sends RTE_INPUT_SIZE for a top-level panel's window through the input hook (no lock may be
// held); the engine's own handling of a size change needs nothing, so the hook's answer is not
// used.
void NotifyWindowSize(int panel);

}  // namespace rte::internal

#endif
