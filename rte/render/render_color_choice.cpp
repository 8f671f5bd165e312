// rte/render/render_color_choice.cpp - draws the open colour choice of a colour numeric over its
// panel: the grid of colours with the marked one framed, and the custom entry with its swatch
// and the colour as "#RRGGBB" (what is typed so far, with a caret) (rte/model/color_choice.h).
#include <cairo.h>
#include <pango/pangocairo.h>

#include <cstdio>

#include "rte/graphics.h"
#include "rte/model/color_choice.h"
#include "rte/render/render.h"

namespace rte::internal {
namespace {

void Fill(cairo_t *cr, int x, int y, int w, int h, int color) {
    SetSourceColor(cr, color);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void Frame(cairo_t *cr, int x, int y, int w, int h, int color, double width) {
    SetSourceColor(cr, color);
    cairo_set_line_width(cr, width);
    cairo_rectangle(cr, x + width / 2, y + width / 2, w - width, h - width);
    cairo_stroke(cr);
}

}  // namespace

void RenderColorChoice(cairo_t *cr, Panel &p, const ViewState *view) {
    if (view == nullptr || view->colorChoice == 0) return;
    Control *c = FindControl(&p, view->colorChoice);
    if (c == nullptr || !c->visible) return;
    ColorChoiceGeometry g;
    ColorChoicePlace(p, *c, &g);
    std::vector<int> colors = ColorChoiceColors(p, *c);
    cairo_save(cr);
    Fill(cr, g.left, g.top, g.width, g.height, VAL_PANEL_GRAY);
    Frame(cr, g.left, g.top, g.width, g.height, VAL_BLACK, 1);
    for (int i = 0; i < g.count; ++i) {
        int x = g.left + kColorMargin + (i % kColorColumns) * kColorCell;
        int y = g.top + kColorMargin + (i / kColorColumns) * kColorCell;
        Fill(cr, x + 2, y + 2, kColorCell - 4, kColorCell - 4, colors[static_cast<size_t>(i)]);
        Frame(cr, x + 2, y + 2, kColorCell - 4, kColorCell - 4, 0x808080, 1);
        if (i == view->colorHover) Frame(cr, x, y, kColorCell, kColorCell, VAL_BLACK, 2);
    }
    // The custom entry: the colour typed so far (else the control's), its swatch and its text.
    int shown = static_cast<int>(c->number) & 0xFFFFFF;
    std::string text = "#" + view->colorTyped;
    int typed;
    if (!view->colorTyped.empty() && ParseColorText(view->colorTyped, &typed)) shown = typed;
    if (view->colorTyped.empty()) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06X", shown);
        text += hex;
    }
    int y = g.customTop, x = g.left + kColorMargin;
    Fill(cr, x, y, kColorCustomHeight, kColorCustomHeight, shown);
    Frame(cr, x, y, kColorCustomHeight, kColorCustomHeight, 0x808080, 1);
    int entryX = x + kColorCustomHeight + 4, entryW = g.width - 2 * kColorMargin - kColorCustomHeight - 4;
    Fill(cr, entryX, y, entryW, kColorCustomHeight, VAL_WHITE);
    Frame(cr, entryX, y, entryW, kColorCustomHeight, 0x808080, 1);
    FontSpec font = ControlFont(*c);
    int th = 0, tw = 0;
    MeasureText(font, text, &th, &tw);
    PangoLayout *layout = NewTextLayout(cr, font, text);
    SetSourceColor(cr, view->colorTyped.empty() ? 0x808080 : VAL_BLACK);
    cairo_move_to(cr, entryX + 4, y + (kColorCustomHeight - th) / 2.0);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    if (!view->colorTyped.empty()) Fill(cr, entryX + 4 + tw, y + 3, 1, kColorCustomHeight - 6, VAL_BLACK);
    cairo_restore(cr);
}

}  // namespace rte::internal
