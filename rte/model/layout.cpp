// rte/model/layout.cpp - where things sit inside a control: list lines and scrolling, the open
// list of a ring, the place in an entry's text under a point (rte/model/layout.h).
#include "rte/model/layout.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <new>

#include "rte/gfx/fonts.h"
#include "rte/model/labels.h"
#include "rte/model/list_format.h"

namespace rte::internal {

int ListVisibleLines(const Control &c) { return std::max(1, (c.height - 2 * kListInset) / kListLineHeight); }

int ListFirstVisible(const Control &c, const ViewState *view) {
    int count = static_cast<int>(c.items.size()), lines = ListVisibleLines(c);
    int maxFirst = std::max(0, count - lines);
    if (view != nullptr) {
        auto it = view->listTop.find(c.id);
        if (it != view->listTop.end()) return std::clamp(it->second, 0, maxFirst);
    }
    // Without a scroll position, show the selected item on the last visible line at most.
    return std::clamp(c.index - lines + 1, 0, maxFirst);
}

void ScrollListTo(ViewState &view, const Control &c, int index) {
    if (c.style != CTRL_LIST_BOX || index < 0 || index >= static_cast<int>(c.items.size())) return;
    int first = ListFirstVisible(c, &view), lines = ListVisibleLines(c);
    if (index < first) first = index;
    else if (index >= first + lines) first = index - lines + 1;
    try {
        view.listTop[c.id] = first;
    } catch (const std::bad_alloc &) {
        // Scrolling only shows more: without the memory the list stays where it is.
    }
}

int ListItemAt(const Control &c, const ViewState *view, int x, int y) {
    int count = static_cast<int>(c.items.size()), lines = ListVisibleLines(c);
    int textWidth = c.width - 2 * kListInset - (count > lines ? kScrollBarWidth : 0);
    if (x < kListInset || x >= kListInset + textWidth || y < kListInset) return -1;
    int line = (y - kListInset) / kListLineHeight;
    if (line >= lines) return -1;
    int index = ListFirstVisible(c, view) + line;
    return index < count ? index : -1;
}

bool RingPopupPlace(const Panel &p, const Control &c, const ViewState *view, RingPopupGeometry *g) {
    int count = static_cast<int>(c.items.size());
    if (count == 0) return false;
    FontSpec font = ControlFont(c);
    int widest = 0;
    for (const ListItem &item : c.items) {
        int w = 0;
        MeasureText(font, VisibleListText(item.label), nullptr, &w);
        widest = std::max(widest, w);
    }
    g->width = std::max(c.width, widest + 2 * kListInset + 8);
    g->left = std::clamp(c.left, 0, std::max(0, p.width - g->width));
    int below = p.height - (c.top + c.height), above = c.top;
    int fit = std::max(below, above);
    g->lines = std::clamp((fit - 2 * kListInset) / kListLineHeight, 1, count);
    g->height = g->lines * kListLineHeight + 2 * kListInset;
    bool down = below >= g->height || below >= above;
    g->top = down ? c.top + c.height : c.top - g->height;
    // Long lists show the window of lines that holds the chosen item.
    int hover = view != nullptr && view->ringHover >= 0 ? view->ringHover : c.index;
    g->first = std::clamp(hover - g->lines + 1, 0, count - g->lines);
    return true;
}

int RingPopupItemAt(const Panel &p, const Control &c, const ViewState *view, int x, int y) {
    RingPopupGeometry g;
    if (!RingPopupPlace(p, c, view, &g)) return -1;
    if (x < g.left || x >= g.left + g.width || y < g.top + kListInset) return -1;
    int line = (y - g.top - kListInset) / kListLineHeight;
    return line < g.lines ? g.first + line : -1;
}

int NumericArrowsWidth(const Control &c) {
    if (c.style != CTRL_NUMERIC || c.mode == VAL_INDICATOR) return 0;
    int show = 1;
    GetAttr(nullptr, const_cast<Control *>(&c), ATTR_SHOW_INCDEC_ARROWS, &show);
    if (!show) return 0;
    return std::clamp(c.height - 2 * kEntryBorder, 0, std::max(0, c.width / 3));
}

int NumericArrowAt(const Control &c, int x, int y) {
    int arrows = NumericArrowsWidth(c);
    if (arrows == 0 || x < c.left || x >= c.left + kEntryBorder + arrows || y < c.top || y >= c.top + c.height) return 0;
    return y < c.top + c.height / 2 ? 1 : -1;
}

namespace {

// The caret of the view's edited text, as a byte offset kept inside the text.
int CaretOf(const ViewState &view, const std::string &text) {
    int length = static_cast<int>(text.size());
    return view.caret < 0 ? length : std::min(view.caret, length);
}

// The x of a byte offset from the start of the text.
int OffsetX(const Control &c, const std::string &text, int offset) {
    if (text.empty() || offset <= 0) return 0;
    PangoLayout *layout = NewTextLayout(nullptr, ControlFont(c), text);
    PangoRectangle pos;
    pango_layout_index_to_pos(layout, offset, &pos);
    g_object_unref(layout);
    return PANGO_PIXELS(pos.x);
}

}  // namespace

EntryTextPlace PlaceEntryText(const Control &c, const std::string &text, const ViewState *view) {
    EntryTextPlace t;
    int arrows = NumericArrowsWidth(c);
    t.boxLeft = c.left + kEntryBorder + arrows;
    t.boxWidth = std::max(0, c.width - 2 * kEntryBorder - arrows);
    int left = t.boxLeft + kEntryPadding, room = std::max(0, t.boxWidth - 2 * kEntryPadding);
    int width = TextWidth(c, text);
    if (width <= room) {
        t.x = c.style == CTRL_NUMERIC ? left + room - width : left;
        return t;
    }
    int scroll = 0;
    if (view != nullptr && view->editCtrl == c.id) {
        scroll = std::clamp(view->textScroll, 0, width - room);
        int caret = OffsetX(c, text, CaretOf(*view, text));
        if (caret < scroll) scroll = caret;
        else if (caret > scroll + room) scroll = caret - room;
    }
    t.x = left - scroll;
    return t;
}

void KeepCaretInView(ViewState &view, const Control &c, const std::string &text) {
    if (view.editCtrl != c.id) return;
    EntryTextPlace t = PlaceEntryText(c, text, &view);
    view.textScroll = std::max(0, t.boxLeft + kEntryPadding - t.x);
}

int EntryOffsetAt(const Control &c, const std::string &text, const ViewState *view, int x) {
    if (text.empty()) return 0;
    EntryTextPlace t = PlaceEntryText(c, text, view);
    PangoLayout *layout = NewTextLayout(nullptr, ControlFont(c), text);
    int index = 0, trailing = 0;
    pango_layout_xy_to_index(layout, (x - t.x) * PANGO_SCALE, 0, &index, &trailing);
    g_object_unref(layout);
    const char *at = text.c_str() + std::clamp(index, 0, static_cast<int>(text.size()));
    for (; trailing > 0 && *at != '\0'; --trailing) at = g_utf8_next_char(at);
    return static_cast<int>(at - text.c_str());
}

}  // namespace rte::internal
