// rte/model/layout.cpp - where things sit inside a control: list lines and scrolling, the open
// list of a ring, the place in an entry's text under a point (rte/model/layout.h).
#include "rte/model/layout.h"

#include <pango/pangocairo.h>

#include <algorithm>

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

int EntryOffsetAt(const Control &c, const std::string &text, int x) {
    if (text.empty()) return 0;
    PangoLayout *layout = NewTextLayout(nullptr, ControlFont(c), text);
    int index = 0, trailing = 0;
    pango_layout_xy_to_index(layout, (x - c.left - kEntryTextInset) * PANGO_SCALE, 0, &index, &trailing);
    g_object_unref(layout);
    const char *at = text.c_str() + std::clamp(index, 0, static_cast<int>(text.size()));
    for (; trailing > 0 && *at != '\0'; --trailing) at = g_utf8_next_char(at);
    return static_cast<int>(at - text.c_str());
}

}  // namespace rte::internal
