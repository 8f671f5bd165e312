// rte/events/pointer.h - the operator's pointer and the files dropped on a panel (internal).
//
// The pointer is kept in screen coordinates (a panel's origin is the sum of its and its parents'
// positions), so GetRelativeMouseState can report it relative to any panel or control. The
// screen display moves it with the real mouse; scripts and tests move it by hand.
#ifndef RTE_EVENTS_POINTER_H
#define RTE_EVENTS_POINTER_H

#include <string>
#include <vector>

namespace rte::internal {

// Puts the pointer at (x, y) of a panel with both buttons as given.
void SetPointer(int panel, int x, int y, bool leftDown, bool rightDown);
// Puts the pointer at (x, y) of a panel and presses (down) or releases one button.
void SetPointerButton(int panel, int x, int y, bool right, bool down);
// The pointer in a panel's coordinates and the buttons (null out-pointers skipped); false for a
// panel that does not exist.
bool PointerOnPanel(int panel, int *x, int *y, bool *leftDown, bool *rightDown);

// Child panels take the pointer input over their area. PanelAtPoint gives the deepest visible
// child panel of `panel` (front first among siblings) whose client area holds (x, y), or `panel`
// itself, and turns the point into that panel's coordinates. PointFromAncestor turns a point of
// `ancestor` into the coordinates of its descendant `panel`; false when it is not one.
int PanelAtPoint(int panel, int *x, int *y);
bool PointFromAncestor(int ancestor, int panel, int *x, int *y);

// Files dropped on a panel: EVENT_FILES_DROPPED to its callback with the number of paths, which
// RteGetDroppedFile reads during the callback. Returns the callback's result (0 when the panel
// or its callback is gone).
int DeliverDroppedFiles(int panel, const std::vector<std::string> &paths);

}  // namespace rte::internal

#endif
