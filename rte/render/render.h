// rte/render/render.h - the engine's one renderer (internal, C++): draws panels and controls of the
// model with cairo and pango, into a window's surface or a display bitmap alike.
//
// Every function here is called with ModelLock() held; none calls a callback.
#ifndef RTE_RENDER_H
#define RTE_RENDER_H

#include <map>
#include <string>

#include "rte/gfx/fonts.h"
#include "rte/model/labels.h"
#include "rte/model/ui_model.h"

typedef struct _cairo cairo_t;

namespace rte::internal {

// What a screen display knows beyond the model: the button held down, the caret and selection
// of the control being edited, where each list box is scrolled to. Bitmaps draw without it.
struct ViewState {
    bool hasFocus = false;        // the window has the keyboard: draw focus cues and the caret
    int pressedCtrl = 0;          // a command button held down under the pointer
    int caret = -1;               // byte offset in the active control's text; -1 at the end
    int selStart = 0, selEnd = 0; // selected bytes [selStart, selEnd) of the active control
    std::map<int, int> listTop;   // first visible line of a list box, by control ID
    int ringPopup = 0;            // the ring whose list of items is open over the panel (0: none)
    int ringHover = -1;           // the item of that list under the pointer or the arrow keys
};

// Geometry shared by drawing and the display's hit tests.
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

// Draws one control (its body, and its outside label when withLabel) in panel coordinates.
void RenderControl(cairo_t *cr, Panel &p, Control &c, const ViewState *view, bool withLabel);
// Draws a panel's client area at the origin: background, controls back to front, child panels.
void RenderPanel(cairo_t *cr, Panel &p, const ViewState *view);

// Draws the open list of a ring (view->ringPopup) over the panel, if there is one.
void RenderRingPopup(cairo_t *cr, Panel &p, const ViewState *view);

// A bitmap of a panel's whole client area drawn with a screen's view state (locks the model
// itself). 0, UIE_BAD_PANEL, UIE_BAD_VALUE (a panel of no pixels), UIE_OUT_OF_MEMORY.
int PanelViewBitmap(int panel, const ViewState *view, int *bitmapID);

// Colour helpers.
void SetSourceColor(cairo_t *cr, int rgb);

}  // namespace rte::internal

#endif
