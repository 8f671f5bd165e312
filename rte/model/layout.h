// rte/model/layout.h - where things sit inside a control (internal, C++): the lines of a list box
// and where it is scrolled to, the open list of a ring's items, the place in an entry's text
// under a point. The renderer draws by it and the operator-input layer hit-tests by it, so a
// click lands on what was drawn there. Call with ModelLock() held.
#ifndef RTE_MODEL_LAYOUT_H
#define RTE_MODEL_LAYOUT_H

#include <string>

#include "rte/model/ui_model.h"
#include "rte/model/view_state.h"

namespace rte::internal {

constexpr int kListLineHeight = 15;   // the engine's line metric (list boxes are 15 x n + 4)
constexpr int kListInset = 2;
constexpr int kScrollBarWidth = 14;
constexpr int kTitleBarHeight = 20;   // child panels' title bars
constexpr int kEntryTextInset = 5;    // from an entry's left edge to its left-aligned text
int ListVisibleLines(const Control &c);
// The first visible line: the view's scroll position kept in range, else one that shows the
// selected item.
int ListFirstVisible(const Control &c, const ViewState *view);
// The item index under a point (control coordinates), or -1.
int ListItemAt(const Control &c, const ViewState *view, int x, int y);

// The open list of a ring's items: below the ring, or above it when the panel has no room
// below; as many lines as fit the panel. False when the ring has no items.
struct RingPopupGeometry {
    int top = 0, left = 0, height = 0, width = 0;
    int first = 0, lines = 0;     // the items shown: [first, first + lines)
};
bool RingPopupPlace(const Panel &p, const Control &c, const ViewState *view, RingPopupGeometry *g);
// The item of the open list under a point (panel coordinates), or -1.
int RingPopupItemAt(const Panel &p, const Control &c, const ViewState *view, int x, int y);

// The byte offset in an entry's text nearest to x (panel coordinates), as the entry draws its
// text left-aligned.
int EntryOffsetAt(const Control &c, const std::string &text, int x);

}  // namespace rte::internal

#endif
