// rte/render/render_controls.cpp - how each kind of control looks: buttons, entries with caret and
// selection, text messages, list boxes, rings, pictures, colour numerics, slides, frames, and
// the labels beside them.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "rte/model/images.h"
#include "rte/model/list_format.h"
#include "rte/graphics.h"
#include "rte/render/render.h"

namespace rte::internal {
namespace {

constexpr int kDimmedText = 0x808080;
constexpr int kInactiveSelection = 0xD4D4D4;  // the chosen line of a list without the focus

int IntAttr(Panel &p, Control *c, int attribute, int fallback) {
    int v = fallback;
    if (GetAttr(&p, c, attribute, &v) < 0) return fallback;
    return v;
}

bool IsTransparent(int color) { return color == VAL_TRANSPARENT; }

void FillRect(cairo_t *cr, double x, double y, double w, double h, int color) {
    if (IsTransparent(color) || w <= 0 || h <= 0) return;
    SetSourceColor(cr, color);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

// A 3-D border of two lines on each side; raised: light at the top-left, sunken: the reverse.
void Bevel(cairo_t *cr, int x, int y, int w, int h, int base, bool raised) {
    if (w < 4 || h < 4) return;
    int hi, light, shadow, dark;
    Get3dBorderColors(base & 0xFFFFFF, &hi, &light, &shadow, &dark);
    int outerTL = raised ? hi : shadow, innerTL = raised ? light : dark;
    int outerBR = raised ? dark : hi, innerBR = raised ? shadow : light;
    FillRect(cr, x, y, w, 1, outerTL);
    FillRect(cr, x, y, 1, h, outerTL);
    FillRect(cr, x + 1, y + 1, w - 2, 1, innerTL);
    FillRect(cr, x + 1, y + 1, 1, h - 2, innerTL);
    FillRect(cr, x, y + h - 1, w, 1, outerBR);
    FillRect(cr, x + w - 1, y, 1, h, outerBR);
    FillRect(cr, x + 1, y + h - 2, w - 2, 1, innerBR);
    FillRect(cr, x + w - 2, y + 1, 1, h - 2, innerBR);
}

// Draws text with its top-left corner at (x, y); accel >= 0 underlines that byte's character.
// Text wider than maxWidth (when > 0) ends in an ellipsis there.
void DrawText(cairo_t *cr, const FontSpec &font, const std::string &text, double x, double y, int color,
              int accel = -1, int maxWidth = 0) {
    if (text.empty()) return;
    PangoLayout *layout = NewTextLayout(cr, font, text);
    if (maxWidth > 0) {
        pango_layout_set_width(layout, maxWidth * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }
    if (accel >= 0 && accel < static_cast<int>(text.size())) {
        PangoAttrList *attrs = pango_layout_get_attributes(layout);
        attrs = attrs ? pango_attr_list_copy(attrs) : pango_attr_list_new();
        PangoAttribute *u = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        u->start_index = static_cast<unsigned>(accel);
        u->end_index = static_cast<unsigned>(g_utf8_next_char(text.c_str() + accel) - text.c_str());
        pango_attr_list_insert(attrs, u);
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    }
    SetSourceColor(cr, color);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

void TextSize(const FontSpec &font, const std::string &text, int *h, int *w) {
    if (text.empty()) {
        MeasureText(font, "X", h, nullptr);
        *w = 0;
        return;
    }
    MeasureText(font, text, h, w);
}

// Where text starts (its layout's top) on a list line: the ink from the capitals' top to the
// descenders' bottom is centred in the line, which is shorter than the font's line spacing, so
// that no letter of the last line is cut.
double ListTextTop(const FontSpec &font, int lineTop) {
    PangoLayout *layout = NewTextLayout(nullptr, font, "Xgjpqy");
    PangoRectangle ink;
    pango_layout_get_pixel_extents(layout, &ink, nullptr);
    g_object_unref(layout);
    return lineTop + std::floor((kListLineHeight - ink.height) / 2.0) - ink.y;
}

void DownArrow(cairo_t *cr, double cx, double cy, int color) {
    SetSourceColor(cr, color);
    cairo_move_to(cr, cx - 4, cy - 2);
    cairo_line_to(cr, cx + 4, cy - 2);
    cairo_line_to(cr, cx, cy + 2);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// The focus cue: a dotted rectangle, every other pixel of its edge.
void FocusRect(cairo_t *cr, int x, int y, int w, int h, int color = VAL_BLACK) {
    if (w <= 0 || h <= 0) return;
    SetSourceColor(cr, color);
    for (int i = 0; i < w; i += 2) {
        cairo_rectangle(cr, x + i, y, 1, 1);
        cairo_rectangle(cr, x + w - 1 - i, y + h - 1, 1, 1);
    }
    for (int i = 2; i < h - 1; i += 2) {
        cairo_rectangle(cr, x + w - 1, y + i, 1, 1);
        cairo_rectangle(cr, x, y + h - 1 - i, 1, 1);
    }
    cairo_fill(cr);
}

struct Ctx {
    Panel &p;
    Control &c;
    const ViewState *view;
    FontSpec font;
    int textColor;
    bool focused;   // the active control of a window that has the keyboard
};

int FaceColor(Ctx &k) {
    int frame = IntAttr(k.p, &k.c, ATTR_FRAME_COLOR, VAL_LT_GRAY);
    return IsTransparent(frame) ? IntAttr(k.p, nullptr, ATTR_BACKCOLOR, VAL_PANEL_GRAY) : frame;
}

void DrawImage(cairo_t *cr, Ctx &k, int index, int x, int y, int w, int h) {
    cairo_surface_t *image = ImageSurfaceFor(k.p, k.c, index);
    if (image == nullptr || w <= 0 || h <= 0) {
        if (image) cairo_surface_destroy(image);
        return;
    }
    int iw = cairo_image_surface_get_width(image), ih = cairo_image_surface_get_height(image);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, static_cast<double>(w) / iw, static_cast<double>(h) / ih);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(image);
}

void DrawButton(cairo_t *cr, Ctx &k) {
    Control &c = k.c;
    bool toggled = (c.style == CTRL_TOGGLE_BUTTON || c.style == CTRL_PICTURE_TOGGLE_BUTTON) && c.number != 0;
    bool pressed = toggled || (k.view != nullptr && k.view->pressedCtrl == c.id);
    int face = FaceColor(k);
    int x = c.left, y = c.top, w = c.width, h = c.height;
    FillRect(cr, x, y, w, h, pressed ? MakeColor(((face >> 16) & 0xFF) * 85 / 100, ((face >> 8) & 0xFF) * 85 / 100,
                                                 (face & 0xFF) * 85 / 100)
                                     : face);
    int shift = pressed ? 1 : 0;
    if (c.style == CTRL_PICTURE_COMMAND_BUTTON || c.style == CTRL_PICTURE_TOGGLE_BUTTON) {
        DrawImage(cr, k, 0, x + 3 + shift, y + 3 + shift, w - 6, h - 6);
    } else {
        int accel;
        std::string text = StripAcceleratorEscape(c.label, &accel);
        int th, tw;
        TextSize(k.font, text, &th, &tw);
        cairo_save(cr);
        cairo_rectangle(cr, x + 2, y + 2, std::max(0, w - 4), std::max(0, h - 4));
        cairo_clip(cr);
        DrawText(cr, k.font, text, x + (w - tw) / 2.0 + shift, y + (h - th) / 2.0 + shift, k.textColor, accel);
        cairo_restore(cr);
    }
    Bevel(cr, x, y, w, h, face, !pressed);
    if (k.focused) FocusRect(cr, x + 4, y + 4, w - 8, h - 8);
}

// A numeric entry's increment and decrement arrows: a column of two raised buttons at its left,
// inside the border, each with its triangle.
void DrawNumericArrows(cairo_t *cr, Ctx &k, int width) {
    Control &c = k.c;
    int face = FaceColor(k), x = c.left + kEntryBorder, y = c.top + kEntryBorder;
    int h = c.height - 2 * kEntryBorder, half = h / 2;
    FillRect(cr, x, y, width, h, face);
    Bevel(cr, x, y, width, half, face, true);
    Bevel(cr, x, y + half, width, h - half, face, true);
    double tri = std::clamp(width / 4.0, 2.0, 4.0), cx = x + width / 2.0;
    double up = y + half / 2.0, down = y + half + (h - half) / 2.0;
    SetSourceColor(cr, k.textColor);
    cairo_move_to(cr, cx - tri, up + tri / 2);
    cairo_line_to(cr, cx + tri, up + tri / 2);
    cairo_line_to(cr, cx, up - tri / 2);
    cairo_close_path(cr);
    cairo_move_to(cr, cx - tri, down - tri / 2);
    cairo_line_to(cr, cx + tri, down - tri / 2);
    cairo_line_to(cr, cx, down + tri / 2);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// The text of an entry where PlaceEntryText puts it, with the selection and the caret while it
// has the focus. An entry that has the focus but is not being edited yet shows its whole text
// selected, as the first key will find it; an indicator's text that does not fit ends in an
// ellipsis, as the operator cannot scroll it.
void DrawEntryText(cairo_t *cr, Ctx &k, const std::string &text) {
    Control &c = k.c;
    EntryTextPlace t = PlaceEntryText(c, text, k.view);
    int y = c.top + kEntryBorder, h = c.height - 2 * kEntryBorder;
    PangoLayout *layout = NewTextLayout(cr, k.font, text.empty() ? std::string(" ") : text);
    int room = t.boxWidth - 2 * kEntryPadding;
    if (c.mode == VAL_INDICATOR && !text.empty() && room > 0) {
        pango_layout_set_width(layout, room * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    double tx = t.x, ty = y + (h - logical.height) / 2.0;
    cairo_save(cr);
    cairo_rectangle(cr, t.boxLeft, y, t.boxWidth, h);
    cairo_clip(cr);
    int length = static_cast<int>(text.size());
    int s = 0, e = 0, caret = length;
    if (k.focused && k.view != nullptr) {
        if (k.view->editCtrl == c.id) {
            s = std::clamp(std::min(k.view->selStart, k.view->selEnd), 0, length);
            e = std::clamp(std::max(k.view->selStart, k.view->selEnd), 0, length);
            caret = k.view->caret < 0 ? length : std::min(k.view->caret, length);
        } else {
            e = length;
        }
    }
    // The selected span, in pixels from tx.
    double selX = 0, selW = 0;
    if (e > s) {
        PangoRectangle a, b;
        pango_layout_index_to_pos(layout, s, &a);
        pango_layout_index_to_pos(layout, e, &b);
        selX = a.x / PANGO_SCALE;
        selW = (b.x - a.x) / PANGO_SCALE;
    }
    if (selW > 0) FillRect(cr, tx + selX, ty, selW, logical.height, RteGetSysColor(RTE_SYSCOLOR_HIGHLIGHT));
    if (!text.empty()) {
        SetSourceColor(cr, k.textColor);
        cairo_move_to(cr, tx, ty);
        pango_cairo_show_layout(cr, layout);
        if (selW > 0) {
            // The selected part is drawn again in the highlight text colour.
            cairo_save(cr);
            cairo_rectangle(cr, tx + selX, ty, selW, logical.height);
            cairo_clip(cr);
            SetSourceColor(cr, RteGetSysColor(RTE_SYSCOLOR_HIGHLIGHTTEXT));
            cairo_move_to(cr, tx, ty);
            pango_cairo_show_layout(cr, layout);
            cairo_restore(cr);
        }
    }
    if (k.focused && k.view != nullptr) {
        PangoRectangle pos;
        pango_layout_index_to_pos(layout, text.empty() ? 0 : caret, &pos);
        FillRect(cr, std::floor(tx + pos.x / PANGO_SCALE), ty, 1, logical.height, k.textColor);
    }
    cairo_restore(cr);
    g_object_unref(layout);
}

// An entry: its field, a numeric's arrows (shown also while it has the focus), its text (a
// numeric being typed into shows the typed text, aligned as its value is) and its border.
void DrawEntry(cairo_t *cr, Ctx &k) {
    Control &c = k.c;
    FillRect(cr, c.left, c.top, c.width, c.height, IntAttr(k.p, &c, ATTR_TEXT_BGCOLOR, VAL_WHITE));
    if (int arrows = NumericArrowsWidth(c)) DrawNumericArrows(cr, k, arrows);
    bool typing = c.style == CTRL_NUMERIC && k.view != nullptr && k.view->numericCtrl == c.id;
    DrawEntryText(cr, k, typing ? k.view->numericEdit : ValueAsText(c));
    Bevel(cr, c.left, c.top, c.width, c.height, IntAttr(k.p, nullptr, ATTR_BACKCOLOR, VAL_PANEL_GRAY), false);
}

// A text message: a label on the panel. Its background is the panel's unless the program gave
// it one (ATTR_TEXT_BGCOLOR set), so it never reads as an input field; text cut by its width,
// or by the panel's right edge, ends in an ellipsis.
void DrawTextMessage(cairo_t *cr, Ctx &k) {
    Control &c = k.c;
    if (c.attrs.count(ATTR_TEXT_BGCOLOR) != 0) {
        FillRect(cr, c.left, c.top, c.width, c.height, IntAttr(k.p, &c, ATTR_TEXT_BGCOLOR, VAL_WHITE));
    }
    int room = std::min(c.width, k.p.width - c.left);
    if (room <= 0) return;
    cairo_save(cr);
    cairo_rectangle(cr, c.left, c.top, room, c.height);
    cairo_clip(cr);
    DrawText(cr, k.font, c.text, c.left, c.top, k.textColor, -1, TextWidth(c, c.text) > room ? room : 0);
    cairo_restore(cr);
}

// One line of a list box at (x, top), `width` wide: its text, or, for a label with formatting
// codes (rte/model/list_format.h), its segments: texts in their colours (a selected line's in
// the highlight colour), at their columns, and filled boxes. Text cut by the line's end, or by
// the next column, ends in an ellipsis.
void DrawListLine(cairo_t *cr, Ctx &k, const std::string &label, int x, int top, int width, int color,
                  bool selected) {
    double ty = ListTextTop(k.font, top);
    if (!HasFormatCodes(label)) {
        DrawText(cr, k.font, label, x, ty, color, -1, TextWidth(k.c, label) > width ? width : 0);
        return;
    }
    std::vector<LineSegment> segments = ParseListLine(label);
    int pen = 0;
    for (size_t i = 0; i < segments.size(); ++i) {
        const LineSegment &seg = segments[i];
        if (seg.column >= 0) pen = seg.column;
        if (seg.box) {
            FillRect(cr, x + pen, top + 2, seg.width, kListLineHeight - 4, seg.color);
            pen += seg.width;
            continue;
        }
        int end = width;  // the next column, where the text would run under what stands there
        for (size_t j = i + 1; j < segments.size(); ++j) {
            if (segments[j].column >= 0) {
                end = std::min(end, segments[j].column);
                break;
            }
        }
        int w = TextWidth(k.c, seg.text);
        int segColor = seg.color >= 0 && !selected ? seg.color : color;
        DrawText(cr, k.font, seg.text, x + pen, ty, segColor, -1, pen + w > end ? std::max(1, end - pen - 2) : 0);
        pen += w;
    }
}

// A list box: its lines, the chosen one highlighted (in the highlight colour while the list has
// the focus, in grey while it has not: a display bitmap draws it as focused), a focus cue, and
// a scroll bar when the items do not all fit.
void DrawListBox(cairo_t *cr, Ctx &k) {
    Control &c = k.c;
    int x = c.left, y = c.top, w = c.width, h = c.height;
    FillRect(cr, x, y, w, h, IntAttr(k.p, &c, ATTR_TEXT_BGCOLOR, VAL_WHITE));
    int lines = ListVisibleLines(c), first = ListFirstVisible(c, k.view);
    int count = static_cast<int>(c.items.size());
    bool scroll = count > lines;
    int textWidth = w - 2 * kListInset - (scroll ? kScrollBarWidth : 0);
    bool active = k.view == nullptr || k.focused;
    int selBack = active ? RteGetSysColor(RTE_SYSCOLOR_HIGHLIGHT) : kInactiveSelection;
    int selText = active ? RteGetSysColor(RTE_SYSCOLOR_HIGHLIGHTTEXT) : k.textColor;
    cairo_save(cr);
    cairo_rectangle(cr, x + kListInset, y + kListInset, std::max(0, textWidth), std::max(0, h - 2 * kListInset));
    cairo_clip(cr);
    for (int i = first; i < count && i < first + lines; ++i) {
        int ly = y + kListInset + (i - first) * kListLineHeight;
        int color = k.textColor;
        if (i == c.index) {
            FillRect(cr, x + kListInset, ly, textWidth, kListLineHeight, selBack);
            color = c.dimmed ? kDimmedText : selText;
        }
        DrawListLine(cr, k, c.items[static_cast<size_t>(i)].label, x + kListInset + 2, ly, textWidth - 4, color,
                     i == c.index);
        if (i == c.index && k.focused) FocusRect(cr, x + kListInset, ly, textWidth, kListLineHeight, selText);
    }
    // A focused list without a line to mark shows the cue round its inside.
    if (k.focused && (c.index < first || c.index >= first + lines)) {
        FocusRect(cr, x + kListInset, y + kListInset, textWidth, h - 2 * kListInset);
    }
    cairo_restore(cr);
    if (scroll) {
        // The scroll bar: a trough and a thumb sized by the share of the items shown.
        int sx = x + w - kListInset - kScrollBarWidth, sy = y + kListInset, sh = h - 2 * kListInset;
        int face = FaceColor(k);
        FillRect(cr, sx, sy, kScrollBarWidth, sh, RteGetSysColor(RTE_SYSCOLOR_SCROLLBAR));
        int thumbH = std::max(8, sh * lines / count);
        int thumbY = sy + (sh - thumbH) * first / std::max(1, count - lines);
        FillRect(cr, sx, thumbY, kScrollBarWidth, thumbH, face);
        Bevel(cr, sx, thumbY, kScrollBarWidth, thumbH, face, true);
    }
    Bevel(cr, x, y, w, h, IntAttr(k.p, nullptr, ATTR_BACKCOLOR, VAL_PANEL_GRAY), false);
}

void DrawRing(cairo_t *cr, Ctx &k) {
    Control &c = k.c;
    int x = c.left, y = c.top, w = c.width, h = c.height;
    int face = FaceColor(k);
    if (c.style == CTRL_PICTURE_RING) {
        FillRect(cr, x, y, w, h, face);
        if (c.index >= 0) DrawImage(cr, k, c.index, x + 2, y + 2, w - 4, h - 4);
        Bevel(cr, x, y, w, h, face, true);
        if (k.focused) FocusRect(cr, x + 3, y + 3, w - 6, h - 6);
        return;
    }
    bool menu = c.style == CTRL_MENU_RING;
    int bg = menu ? face : IntAttr(k.p, &c, ATTR_TEXT_BGCOLOR, VAL_WHITE);
    FillRect(cr, x, y, w, h, bg);
    std::string text = c.index >= 0 ? VisibleListText(c.items[static_cast<size_t>(c.index)].label) : "";
    int th, tw;
    TextSize(k.font, text, &th, &tw);
    cairo_save(cr);
    cairo_rectangle(cr, x + 2, y + 2, std::max(0, w - 20), std::max(0, h - 4));
    cairo_clip(cr);
    DrawText(cr, k.font, text, x + 4, y + (h - th) / 2.0, k.textColor);
    cairo_restore(cr);
    // The arrow button at the right.
    FillRect(cr, x + w - 17, y + 2, 15, h - 4, face);
    Bevel(cr, x + w - 17, y + 2, 15, h - 4, face, true);
    DownArrow(cr, x + w - 9.5, y + h / 2.0, k.textColor);
    Bevel(cr, x, y, w, h, face, menu);
    if (k.focused) FocusRect(cr, x + 3, y + 3, w - 22, h - 6);
}

void DrawColorNumeric(cairo_t *cr, Ctx &k) {
    Control &c = k.c;
    int face = FaceColor(k);
    FillRect(cr, c.left, c.top, c.width, c.height, face);
    FillRect(cr, c.left + 4, c.top + 4, c.width - 8, c.height - 8, static_cast<int>(c.number) & 0xFFFFFF);
    Bevel(cr, c.left, c.top, c.width, c.height, face, true);
    if (k.focused) FocusRect(cr, c.left + 2, c.top + 2, c.width - 4, c.height - 4);
}

// A slide's marker at position (mx, my) along its track, pointing across it.
void DrawMarker(cairo_t *cr, int style, bool vertical, double mx, double my, int trackW, int trackH, int face,
                int color) {
    if (style == 1) {  // a pointer beside the track
        SetSourceColor(cr, color);
        if (vertical) {
            cairo_move_to(cr, mx + trackW + 1, my);
            cairo_line_to(cr, mx + trackW + 7, my - 5);
            cairo_line_to(cr, mx + trackW + 7, my + 5);
        } else {
            cairo_move_to(cr, mx, my + trackH + 1);
            cairo_line_to(cr, mx - 5, my + trackH + 7);
            cairo_line_to(cr, mx + 5, my + trackH + 7);
        }
        cairo_close_path(cr);
        cairo_fill(cr);
    } else if (style == 2) {  // a raised thumb across the track
        int tw = vertical ? trackW + 4 : 8, th = vertical ? 8 : trackH + 4;
        int tx = static_cast<int>(vertical ? mx - 2 : mx - 4), ty = static_cast<int>(vertical ? my - 4 : my - 2);
        FillRect(cr, tx, ty, tw, th, face);
        Bevel(cr, tx, ty, tw, th, face, true);
    }
}

struct Box {
    int x, y, w, h;
};

// The filled parts of a track's inside up to `filled` pixels from its start (the left, or the
// bottom of a vertical one): one bar, or for a progress bar (marker 3) blocks of about the
// track's thickness, two pixels apart, the last one maybe cut.
std::vector<Box> FilledParts(Box inside, int filled, int marker, bool vertical) {
    std::vector<Box> parts;
    int thickness = vertical ? inside.w : inside.h;
    int block = marker == 3 ? std::max(4, thickness - 2) : filled;
    for (int at = 0; at < filled; at += block + 2) {
        int len = std::min(block, filled - at);
        if (vertical) parts.push_back(Box{inside.x, inside.y + inside.h - at - len, inside.w, len});
        else parts.push_back(Box{inside.x + at, inside.y, len, inside.h});
    }
    return parts;
}

// Black or white, whichever reads better on the colour.
int ContrastingColor(int color) {
    if (IsTransparent(color)) return VAL_BLACK;
    int luma = (299 * ((color >> 16) & 0xFF) + 587 * ((color >> 8) & 0xFF) + 114 * (color & 0xFF)) / 1000;
    return luma < 150 ? VAL_WHITE : VAL_BLACK;
}

// The value in per cent, centred in the inside of a track: in the largest size up to the
// control's whose digits fit with a pixel to spare above and below, in the text colour over the
// empty track and in a colour that contrasts with the fill over the filled parts, so every part
// of it reads. Over a bar of blocks the gaps behind the digits are filled too (bridged), so the
// digits stand on one fill and not on stripes.
void DrawPercent(cairo_t *cr, Ctx &k, double share, Box inside, std::vector<Box> filled, int fill, bool bridged) {
    char percent[16];
    std::snprintf(percent, sizeof percent, "%d%%", static_cast<int>(std::lround(share * 100)));
    FontSpec small = k.font;
    PangoLayout *layout = nullptr;
    PangoRectangle ink;
    for (;;) {
        layout = NewTextLayout(cr, small, percent);
        pango_layout_get_pixel_extents(layout, &ink, nullptr);
        if (ink.height <= inside.h - 2 || small.size <= 6) break;
        g_object_unref(layout);
        --small.size;
    }
    double px = inside.x + (inside.w - ink.width) / 2.0 - ink.x;
    double py = inside.y + (inside.h - ink.height) / 2.0 - ink.y;
    if (bridged && !filled.empty()) {
        int from = static_cast<int>(std::floor(px + ink.x)) - 1;
        int to = std::min(static_cast<int>(std::ceil(px + ink.x + ink.width)) + 1, filled.back().x + filled.back().w);
        if (to > from) {
            Box bridge{from, inside.y, to - from, inside.h};
            FillRect(cr, bridge.x, bridge.y, bridge.w, bridge.h, fill);
            filled.push_back(bridge);
        }
    }
    cairo_save(cr);
    cairo_rectangle(cr, inside.x, inside.y, inside.w, inside.h);
    cairo_clip(cr);
    SetSourceColor(cr, k.textColor);
    cairo_move_to(cr, px, py);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    if (!filled.empty()) {
        cairo_save(cr);
        for (const Box &b : filled) cairo_rectangle(cr, b.x, b.y, b.w, b.h);
        cairo_clip(cr);
        SetSourceColor(cr, ContrastingColor(fill));
        cairo_move_to(cr, px, py);
        pango_cairo_show_layout(cr, layout);
        cairo_restore(cr);
    }
    g_object_unref(layout);
}

// A slide or indicator: its track, the value marked by its marker style (ATTR_MARKER_STYLE: 0 the
// track filled up to the value, 1 a pointer, 2 a thumb, 3 a progress bar of blocks), its ticks
// (ATTR_TICK_STYLE: 1 at the ends, 2 at every tenth, 3 the value in per cent inside the track),
// and its digital display below it.
void DrawSlide(cairo_t *cr, Ctx &k) {
    Control &c = k.c;
    bool vertical = c.style == CTRL_VERTICAL_SLIDE;
    int x = c.left, y = c.top, w = c.width, h = c.height;
    int back = IntAttr(k.p, nullptr, ATTR_BACKCOLOR, VAL_PANEL_GRAY);
    bool digital = IntAttr(k.p, &c, ATTR_SHOW_DIGITAL_DISPLAY, 1) != 0;
    int marker = IntAttr(k.p, &c, ATTR_MARKER_STYLE, 0), ticks = IntAttr(k.p, &c, ATTR_TICK_STYLE, 0);
    std::string text = ValueAsText(c);
    int th = 0, tw = 0;
    if (digital) TextSize(k.font, text, &th, &tw);
    // The track leaves room for the digital display below it.
    int trackH = vertical ? h - (digital ? th + 4 : 0) : std::min(h, 16);
    int trackW = vertical ? std::min(w, 16) : w;
    int tx = vertical ? x + (w - trackW) / 2 : x, ty = vertical ? y : y + (digital ? 0 : (h - trackH) / 2);
    FillRect(cr, tx, ty, trackW, trackH, IntAttr(k.p, &c, ATTR_TEXT_BGCOLOR, VAL_WHITE));
    double span = c.maxValue - c.minValue;
    double share = span > 0 ? std::clamp((c.number - c.minValue) / span, 0.0, 1.0) : 0.0;
    // The filled part: ATTR_FILL_COLOR; transparent leaves a marker alone, and a plain bar takes
    // the highlight colour.
    int highlight = RteGetSysColor(RTE_SYSCOLOR_HIGHLIGHT);
    int fill = IntAttr(k.p, &c, ATTR_FILL_COLOR, 0x0000FF);
    if (marker == 0 && IsTransparent(fill)) fill = highlight;
    int innerW = trackW - 4, innerH = trackH - 4;
    Box inside{tx + 2, ty + 2, innerW, innerH};
    int filled = static_cast<int>(std::lround((vertical ? innerH : innerW) * share));
    std::vector<Box> parts = FilledParts(inside, filled, marker, vertical);
    if (marker == 3) fill = highlight;  // the blocks are the fill
    for (const Box &b : parts) FillRect(cr, b.x, b.y, b.w, b.h, fill);
    Bevel(cr, tx, ty, trackW, trackH, back, false);
    double mx = vertical ? tx : tx + 2 + filled, my = vertical ? ty + 2 + innerH - filled : ty;
    DrawMarker(cr, marker, vertical, mx, my, trackW, trackH, FaceColor(k), k.textColor);
    if (ticks == 1 || ticks == 2) {
        int n = ticks == 1 ? 1 : 10;
        for (int i = 0; i <= n; ++i) {
            int at = 2 + (vertical ? innerH : innerW) * i / n;
            if (vertical) FillRect(cr, tx - 5, ty + at, 4, 1, k.textColor);
            else FillRect(cr, tx + at, ty + trackH + 1, 1, 4, k.textColor);
        }
    } else if (ticks == 3 && !vertical) {
        // Over a pointer's or a thumb's fill the digits keep the text colour.
        DrawPercent(cr, k, share, inside, marker == 0 || marker == 3 ? parts : std::vector<Box>(), fill, marker == 3);
    }
    if (digital) {
        double dx = x + (w - tw) / 2.0;
        double dy = vertical ? y + trackH + 2 : ty + trackH + 2;
        DrawText(cr, k.font, text, dx, dy, k.textColor);
    }
    if (k.focused) FocusRect(cr, tx - 2, ty - 2, trackW + 4, trackH + 4);
}

void DrawDecoration(cairo_t *cr, Ctx &k) {
    Control &c = k.c;
    int frame = IntAttr(k.p, &c, ATTR_FRAME_COLOR, VAL_LT_GRAY);
    int back = IntAttr(k.p, nullptr, ATTR_BACKCOLOR, VAL_PANEL_GRAY);
    switch (c.style) {
    case CTRL_FLAT_FRAME:
        if (!IsTransparent(frame)) {
            cairo_save(cr);
            SetSourceColor(cr, frame);
            cairo_set_line_width(cr, 1);
            cairo_rectangle(cr, c.left + 0.5, c.top + 0.5, c.width - 1, c.height - 1);
            cairo_stroke(cr);
            cairo_restore(cr);
        }
        break;
    case CTRL_RAISED_FRAME:
        if (!IsTransparent(frame)) Bevel(cr, c.left, c.top, c.width, c.height, frame, true);
        break;
    case CTRL_RAISED_BOX:
        FillRect(cr, c.left, c.top, c.width, c.height, frame);
        Bevel(cr, c.left, c.top, c.width, c.height, IsTransparent(frame) ? back : frame, true);
        break;
    case CTRL_RECESSED_FRAME:
        Bevel(cr, c.left, c.top, c.width, c.height, IsTransparent(frame) ? back : frame, false);
        break;
    case CTRL_PICTURE:
        if (!IsTransparent(frame) && frame != VAL_LT_GRAY) FillRect(cr, c.left, c.top, c.width, c.height, frame);
        DrawImage(cr, k, 0, c.left, c.top, c.width, c.height);
        break;
    default:
        break;
    }
    // Frames carry their label on the top edge, over a gap in the line; boxes and pictures
    // show it inside, at the top-left corner.
    if (!LabelOutside(c.style) && !c.label.empty()) {
        int accel, th, tw;
        std::string text = StripAcceleratorEscape(c.label, &accel);
        TextSize(k.font, text, &th, &tw);
        if (c.style == CTRL_RAISED_FRAME || c.style == CTRL_FLAT_FRAME || c.style == CTRL_RECESSED_FRAME) {
            FillRect(cr, c.left + 6, c.top - th / 2, tw + 4, th, back);
            DrawText(cr, k.font, text, c.left + 8, c.top - th / 2, k.textColor, accel);
        } else {
            DrawText(cr, k.font, text, c.left + 6, c.top + 3, k.textColor, accel);
        }
    }
}

}  // namespace

void SetSourceColor(cairo_t *cr, int rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

namespace {

// The open list of a ring's items, drawn above everything else of the panel.
void DrawRingPopup(cairo_t *cr, Panel &p, Control &c, const ViewState &view) {
    RingPopupGeometry g;
    if (!RingPopupPlace(p, c, &view, &g)) return;
    FontSpec font = ControlFont(c);
    FillRect(cr, g.left, g.top, g.width, g.height, IntAttr(p, &c, ATTR_TEXT_BGCOLOR, VAL_WHITE));
    int textColor = IntAttr(p, &c, ATTR_TEXT_COLOR, VAL_BLACK);
    cairo_save(cr);
    cairo_rectangle(cr, g.left + kListInset, g.top + kListInset, g.width - 2 * kListInset, g.height - 2 * kListInset);
    cairo_clip(cr);
    for (int i = g.first; i < g.first + g.lines; ++i) {
        int ly = g.top + kListInset + (i - g.first) * kListLineHeight, color = textColor;
        if (i == view.ringHover) {
            FillRect(cr, g.left + kListInset, ly, g.width - 2 * kListInset, kListLineHeight,
                     RteGetSysColor(RTE_SYSCOLOR_HIGHLIGHT));
            color = RteGetSysColor(RTE_SYSCOLOR_HIGHLIGHTTEXT);
        }
        DrawText(cr, font, VisibleListText(c.items[static_cast<size_t>(i)].label), g.left + kListInset + 4,
                 ListTextTop(font, ly), color);
    }
    cairo_restore(cr);
    cairo_set_line_width(cr, 1);
    SetSourceColor(cr, VAL_BLACK);
    cairo_rectangle(cr, g.left + 0.5, g.top + 0.5, g.width - 1, g.height - 1);
    cairo_stroke(cr);
}

}  // namespace

void RenderRingPopup(cairo_t *cr, Panel &p, const ViewState *view) {
    if (view == nullptr || view->ringPopup == 0) return;
    Control *c = FindControl(&p, view->ringPopup);
    if (c != nullptr && c->visible && IsListStyle(c->style)) DrawRingPopup(cr, p, *c, *view);
}

void RenderControl(cairo_t *cr, Panel &p, Control &c, const ViewState *view, bool withLabel) {
    if (!c.visible || c.style == CTRL_TIMER) return;
    Ctx k{p, c, view, ControlFont(c), IntAttr(p, &c, ATTR_TEXT_COLOR, VAL_BLACK), false};
    if (c.dimmed || p.dimmed) k.textColor = kDimmedText;
    k.focused = view != nullptr && view->hasFocus && p.activeCtrl == c.id && CanTakeFocus(c);
    cairo_save(cr);
    switch (c.style) {
    case CTRL_COMMAND_BUTTON: case CTRL_PICTURE_COMMAND_BUTTON: case CTRL_TOGGLE_BUTTON:
    case CTRL_PICTURE_TOGGLE_BUTTON:
        DrawButton(cr, k);
        break;
    case CTRL_STRING: case CTRL_NUMERIC: DrawEntry(cr, k); break;
    case CTRL_TEXT_MSG: DrawTextMessage(cr, k); break;
    case CTRL_LIST_BOX: DrawListBox(cr, k); break;
    case CTRL_RING: case CTRL_MENU_RING: case CTRL_PICTURE_RING: DrawRing(cr, k); break;
    case CTRL_COLOR_NUMERIC: DrawColorNumeric(cr, k); break;
    case CTRL_VERTICAL_SLIDE: case CTRL_HORIZONTAL_SLIDE: DrawSlide(cr, k); break;
    default: DrawDecoration(cr, k); break;
    }
    if (withLabel && LabelOutside(c.style) && !c.label.empty()) {
        int accel;
        std::string text = StripAcceleratorEscape(c.label, &accel);
        int color = (c.dimmed || p.dimmed) ? kDimmedText : IntAttr(p, &c, ATTR_TEXT_COLOR, VAL_BLACK);
        DrawText(cr, k.font, text, ResolvedLabelLeft(c), ResolvedLabelTop(c), color, accel);
    }
    cairo_restore(cr);
}

}  // namespace rte::internal
