// rte/render/render_menu.cpp - draws the open popup menu with cairo and pango.
#include <cairo.h>
#include <pango/pangocairo.h>

#include "rte/render/render.h"

namespace rte::internal {

void RenderPopupMenu(cairo_t *cr, const PopupMenu &menu) {
    SetSourceColor(cr, 0xF4F4F4);
    cairo_rectangle(cr, 0, 0, menu.width, menu.height);
    cairo_fill(cr);
    SetSourceColor(cr, 0x808080);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, menu.width - 1, menu.height - 1);
    cairo_stroke(cr);
    for (size_t i = 0; i < menu.lines.size(); ++i) {
        const MenuLine &line = menu.lines[i];
        double top = line.top;
        if (line.separator) {
            SetSourceColor(cr, 0xB0B0B0);
            cairo_move_to(cr, kMenuInset + 4, top + line.height / 2 + 0.5);
            cairo_line_to(cr, menu.width - kMenuInset - 4, top + line.height / 2 + 0.5);
            cairo_stroke(cr);
            continue;
        }
        bool marked = static_cast<int>(i) == menu.hover;
        if (marked) {
            SetSourceColor(cr, 0x3465A4);
            cairo_rectangle(cr, kMenuInset, top, menu.width - 2 * kMenuInset, line.height);
            cairo_fill(cr);
        }
        int ink = line.dimmed ? 0x909090 : marked ? 0xFFFFFF : 0x000000;
        if (line.checked) {
            SetSourceColor(cr, ink);
            cairo_set_line_width(cr, 2);
            cairo_move_to(cr, kMenuInset + 6, top + 11);
            cairo_line_to(cr, kMenuInset + 10, top + 15);
            cairo_line_to(cr, kMenuInset + 17, top + 6);
            cairo_stroke(cr);
            cairo_set_line_width(cr, 1);
        }
        FontSpec font;
        font.bold = line.isDefault;
        PangoLayout *layout = NewTextLayout(cr, font, line.label);
        int w = 0, h = 0;
        pango_layout_get_pixel_size(layout, &w, &h);
        SetSourceColor(cr, ink);
        cairo_move_to(cr, kMenuInset + kMenuCheckWidth, top + (line.height - h) / 2.0);
        pango_cairo_show_layout(cr, layout);
        g_object_unref(layout);
    }
}

}  // namespace rte::internal
