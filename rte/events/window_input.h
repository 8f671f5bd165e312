// rte/events/window_input.h - operator input handed to the window layer first (internal): each
// piece of input on a panel goes through the window input hook of rte/system_windows.h, which
// may take it, and the drops kept for windows that accept files.
#ifndef RTE_EVENTS_WINDOW_INPUT_H
#define RTE_EVENTS_WINDOW_INPUT_H

#include <string>
#include <vector>

#include "rte/system_windows.h"

namespace rte::internal {

// Hands input on a panel (x, y in the panel's coordinates) to the window of its top-level
// panel. True when the engine is to act on it: no hook, no window, or the hook let it through.
bool PassWindowInput(int panel, RteWindowInput input);

// Files dropped on a panel at (x, y) of the panel. When the panel's window accepts files the
// drop goes to the window layer as RTE_INPUT_DROP; when it lets the drop through, or the window
// does not accept files, the panel's callback gets EVENT_DROP with the number of paths, which
// RteGetDroppedFile reads during the callback. Returns the callback's result (0 when the
// window layer took the drop or the panel or its callback is gone).
int DropOnPanel(int panel, const std::vector<std::string> &paths, int x, int y);

// Frees the drops that no receiver finished (CloseRTE).
void FinishAllDrops();

}  // namespace rte::internal

#endif
