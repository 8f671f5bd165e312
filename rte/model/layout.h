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
constexpr int kEntryBorder = 2;       // an entry's sunken border
constexpr int kEntryPadding = 3;      // between the border (or a numeric's arrows) and the text
int ListVisibleLines(const Control &c);
// The first visible line: the view's scroll position kept in range, else one that shows the
// selected item.
int ListFirstVisible(const Control &c, const ViewState *view);
// Scrolls a list box as little as needed to show the item at index (nothing for other controls,
// an index out of range, or when out of memory).
void ScrollListTo(ViewState &view, const Control &c, int index);
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

// ---- Entries ----
// The width of a numeric entry's increment and decrement arrows, a column at its left inside
// the border (0 when it shows none: other controls, indicators, ATTR_SHOW_INCDEC_ARROWS 0). The
// column is as wide as the field is high, so each arrow is a target of half the field's height.
int NumericArrowsWidth(const Control &c);
// The arrow of a numeric entry under a point (panel coordinates): +1 up, -1 down, 0 none.
int NumericArrowAt(const Control &c, int x, int y);
// Where an entry draws its text (panel coordinates): the box inside the border and the arrows
// that the text is clipped to, and the x at which the text starts. Text that fits stands at the
// left, a numeric's at the right; longer text scrolls: the entry being edited (view->editCtrl)
// keeps its caret in sight, moving from view->textScroll no more than it must; any other shows
// its start.
struct EntryTextPlace {
    int boxLeft = 0, boxWidth = 0;
    int x = 0;
};
EntryTextPlace PlaceEntryText(const Control &c, const std::string &text, const ViewState *view);
// Remembers where the edited entry's text is scrolled to after its caret moved, so that the
// next move starts from there (view.textScroll).
void KeepCaretInView(ViewState &view, const Control &c, const std::string &text);
// The byte offset in an entry's text nearest to x (panel coordinates), where the entry draws it.
int EntryOffsetAt(const Control &c, const std::string &text, const ViewState *view, int x);

}  // namespace rte::internal

#endif
