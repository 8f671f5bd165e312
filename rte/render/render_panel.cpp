// rte/render/render_panel.cpp - draws a panel's client area: its background, its controls from the back
// to the front, and its visible child panels with their frames and title bars.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>

#include "rte/graphics.h"
#include "rte/render/render.h"

namespace rte::internal {
namespace {

int PanelInt(Panel &p, int attribute, int fallback) {
    int v = fallback;
    return GetAttr(&p, nullptr, attribute, &v) < 0 ? fallback : v;
}

// A child panel drawn on a screen shows what the operator sees of it too (its own view state).
void DrawChildPanel(cairo_t *cr, Panel &child, bool onScreen) {
    int frame = PanelInt(child, ATTR_FRAME_THICKNESS, 2);
    bool titled = PanelInt(child, ATTR_TITLEBAR_VISIBLE, 1) != 0;
    int titleH = titled ? kTitleBarHeight : 0;
    int back = PanelInt(child, ATTR_BACKCOLOR, VAL_PANEL_GRAY);
    // Frame and title bar lie outside the client area, which starts at (left, top).
    int ox = child.left - frame, oy = child.top - frame - titleH;
    int ow = child.width + 2 * frame, oh = child.height + 2 * frame + titleH;
    if (frame > 0) {
        // A raised edge; a frame of one pixel (a tool tip's) is a plain dark line all round,
        // which a light background would otherwise swallow at its top and left.
        int hi, dark;
        Get3dBorderColors(back, &hi, nullptr, nullptr, &dark);
        SetSourceColor(cr, dark);
        cairo_rectangle(cr, ox, oy, ow, oh);
        cairo_fill(cr);
        if (frame > 1) {
            SetSourceColor(cr, hi);
            cairo_rectangle(cr, ox, oy, ow - 1, oh - 1);
            cairo_fill(cr);
        }
        SetSourceColor(cr, back);
        cairo_rectangle(cr, ox + 1, oy + 1, ow - 2, oh - 2);
        cairo_fill(cr);
    }
    if (titled) {
        SetSourceColor(cr, RteGetSysColor(RTE_SYSCOLOR_ACTIVECAPTION));
        cairo_rectangle(cr, child.left, child.top - titleH, child.width, titleH);
        cairo_fill(cr);
        FontSpec font;
        font.bold = true;
        int th = 0;
        MeasureText(font, "X", &th, nullptr);
        cairo_save(cr);
        cairo_rectangle(cr, child.left, child.top - titleH, child.width, titleH);
        cairo_clip(cr);
        PangoLayout *layout = NewTextLayout(cr, font, child.title);
        SetSourceColor(cr, RteGetSysColor(RTE_SYSCOLOR_CAPTIONTEXT));
        cairo_move_to(cr, child.left + 4, child.top - titleH + (titleH - th) / 2.0);
        pango_cairo_show_layout(cr, layout);
        g_object_unref(layout);
        cairo_restore(cr);
    }
    cairo_save(cr);
    cairo_rectangle(cr, child.left, child.top, child.width, child.height);
    cairo_clip(cr);
    cairo_translate(cr, child.left, child.top);
    RenderPanel(cr, child, onScreen ? &child.view : nullptr);
    cairo_restore(cr);
}

}  // namespace

void RenderPanel(cairo_t *cr, Panel &p, const ViewState *view) {
    cairo_save(cr);
    SetSourceColor(cr, PanelInt(p, ATTR_BACKCOLOR, VAL_PANEL_GRAY));
    cairo_paint(cr);
    // zOrder lists the front first, so draw it backwards.
    for (auto it = p.zOrder.rbegin(); it != p.zOrder.rend(); ++it) {
        if (Control *c = FindControl(&p, *it)) RenderControl(cr, p, *c, view, true);
    }
    // Child panels above the controls, back to front.
    std::vector<Panel *> children = ChildPanels(p.handle);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if ((*it)->visible) DrawChildPanel(cr, **it, view != nullptr);
    }
    RenderRingPopup(cr, p, view);
    RenderColorChoice(cr, p, view);
    cairo_restore(cr);
}

}  // namespace rte::internal
