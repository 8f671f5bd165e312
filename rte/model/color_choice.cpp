// rte/model/color_choice.cpp - the colour choice of a colour numeric: its colours and its
// geometry (color_choice.h).
#include "rte/model/color_choice.h"

#include <algorithm>
#include <cctype>

namespace rte::internal {
namespace {

const int kStandard[] = {
    0x000000, 0x808080, 0xCCCCCC, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00,
    0x00FFFF, 0xFF00FF, 0x800000, 0x008000, 0x000080, 0x808000, 0x008080, 0x800080,
    0xFF8000, 0x804000, 0xFF80C0, 0x80C0FF, 0x80FF80, 0x8000FF, 0xFFFFE1, 0x404040,
};

}  // namespace

std::vector<int> ColorChoiceColors(Panel &p, Control &c) {
    std::vector<int> colors(std::begin(kStandard), std::end(kStandard));
    int more = 1;
    GetAttr(&p, &c, ATTR_SHOW_MORE_COLORS, &more);
    if (more) {
        for (int i = 0; i < kColorColumns; ++i) {
            int grey = 0x10 + i * 0xE0 / (kColorColumns - 1);
            colors.push_back(grey << 16 | grey << 8 | grey);
        }
    }
    return colors;
}

void ColorChoicePlace(Panel &p, Control &c, ColorChoiceGeometry *g) {
    g->count = static_cast<int>(ColorChoiceColors(p, c).size());
    g->rows = (g->count + kColorColumns - 1) / kColorColumns;
    g->width = 2 * kColorMargin + kColorColumns * kColorCell;
    g->height = 3 * kColorMargin + g->rows * kColorCell + kColorCustomHeight;
    g->left = std::clamp(c.left, 0, std::max(0, p.width - g->width));
    int below = p.height - (c.top + c.height);
    g->top = below >= g->height || below >= c.top ? c.top + c.height : c.top - g->height;
    g->top = std::clamp(g->top, 0, std::max(0, p.height - g->height));
    g->customTop = g->top + 2 * kColorMargin + g->rows * kColorCell;
}

int ColorChoiceItemAt(Panel &p, Control &c, int x, int y) {
    ColorChoiceGeometry g;
    ColorChoicePlace(p, c, &g);
    int gx = x - g.left - kColorMargin, gy = y - g.top - kColorMargin;
    if (gx >= 0 && gx < kColorColumns * kColorCell && gy >= 0 && gy < g.rows * kColorCell) {
        int index = (gy / kColorCell) * kColorColumns + gx / kColorCell;
        return index < g.count ? index : -1;
    }
    if (x >= g.left && x < g.left + g.width && y >= g.customTop && y < g.customTop + kColorCustomHeight) {
        return kColorCustom;
    }
    return -1;
}

bool ParseColorText(const std::string &text, int *color) {
    size_t i = 0, end = text.size();
    while (i < end && (text[i] == ' ' || text[i] == '\t')) ++i;
    while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    // "0x" writes a number, any count of digits up to six; otherwise six digits are RRGGBB and
    // three are CSS's short RGB (each digit doubled), and other counts are no colour.
    bool number = end - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
    if (number) i += 2;
    else if (i < end && text[i] == '#') ++i;
    size_t digits = end - i;
    if (digits == 0 || digits > 6 || (!number && digits != 6 && digits != 3)) return false;
    int v = 0;
    for (; i < end; ++i) {
        unsigned char ch = static_cast<unsigned char>(text[i]);
        if (!std::isxdigit(ch)) return false;
        int digit = std::isdigit(ch) ? ch - '0' : std::tolower(ch) - 'a' + 10;
        v = !number && digits == 3 ? v * 256 + digit * 17 : v * 16 + digit;
    }
    *color = v;
    return true;
}

}  // namespace rte::internal
