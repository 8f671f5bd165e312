// rte/render/render.h - the engine's one renderer (internal, C++): draws panels and controls of the
// model with cairo and pango, into a window's surface or a display bitmap alike.
//
// Every function here is called with ModelLock() held; none calls a callback.
#ifndef RTE_RENDER_RENDER_H
#define RTE_RENDER_RENDER_H

#include <map>
#include <string>

#include "rte/gfx/fonts.h"
#include "rte/model/labels.h"
#include "rte/model/layout.h"
#include "rte/model/popup_menu.h"
#include "rte/model/ui_model.h"
#include "rte/model/view_state.h"

typedef struct _cairo cairo_t;

namespace rte::internal {

// Draws one control (its body, and its outside label when withLabel) in panel coordinates.
void RenderControl(cairo_t *cr, Panel &p, Control &c, const ViewState *view, bool withLabel);
// Draws a panel's client area at the origin: background, controls back to front, child panels.
void RenderPanel(cairo_t *cr, Panel &p, const ViewState *view);

// Draws the open list of a ring (view->ringPopup) over the panel, if there is one.
void RenderRingPopup(cairo_t *cr, Panel &p, const ViewState *view);
// Draws the open colour choice of a colour numeric (view->colorChoice), if there is one.
void RenderColorChoice(cairo_t *cr, Panel &p, const ViewState *view);

// A bitmap of a panel's whole client area drawn with a screen's view state (locks the model
// itself). 0, UIE_BAD_PANEL, UIE_BAD_VALUE (a panel of no pixels), UIE_OUT_OF_MEMORY.
int PanelViewBitmap(int panel, const ViewState *view, int *bitmapID);

// Draws the open popup menu at the origin (its own window, or a bitmap of its size): a frame,
// the lines with check marks, the default item in bold, dimmed items grey, separators, and the
// marked line highlighted.
void RenderPopupMenu(cairo_t *cr, const PopupMenu &menu);

// Colour helpers.
void SetSourceColor(cairo_t *cr, int rgb);

}  // namespace rte::internal

#endif
