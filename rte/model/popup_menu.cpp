// rte/model/popup_menu.cpp - the popup menu that is open: its lines laid out in the engine's
// font, the line at a point, and its answer.
#include "rte/model/popup_menu.h"

#include <algorithm>

#include "rte/engine.h"
#include "rte/gfx/fonts.h"
#include "rte/model/ui_model.h"

namespace rte::internal {

PopupMenu &TheMenu() {
    static PopupMenu *menu = new PopupMenu;  // never destroyed: menus may be used at exit
    return *menu;
}

bool Choosable(const MenuLine &line) { return !line.separator && !line.dimmed && line.command > 0; }

void OpenMenu(const RteMenuItem *items, int count, int x, int y, int alignment) {
    std::vector<MenuLine> lines;
    int top = kMenuInset, width = 80;
    for (int i = 0; i < count; ++i) {
        MenuLine line;
        line.separator = items[i].separator != 0;
        line.label = line.separator || items[i].label == nullptr ? "" : items[i].label;
        line.command = items[i].command;
        line.checked = items[i].checked != 0;
        line.dimmed = items[i].dimmed != 0;
        line.isDefault = items[i].isDefault != 0;
        line.top = top;
        line.height = line.separator ? kMenuSeparatorHeight : kMenuLineHeight;
        top += line.height;
        if (!line.separator) {
            FontSpec font;
            font.bold = line.isDefault;
            int h = 0, w = 0;
            MeasureText(font, line.label, &h, &w);
            width = std::max(width, kMenuCheckWidth + w + 24);
        }
        lines.push_back(std::move(line));
    }
    PopupMenu &m = TheMenu();
    m.lines = std::move(lines);
    m.width = width + 2 * kMenuInset;
    m.height = top + kMenuInset;
    m.left = (alignment & RTE_MENU_ALIGN_RIGHT) ? x - m.width : x;
    m.top = (alignment & RTE_MENU_ALIGN_BOTTOM) ? y - m.height : y;
    // Kept inside the screen's usable area (a menu asked for above a top panel opens below it).
    int areaTop, areaLeft, areaHeight, areaWidth;
    ScreenArea(&areaTop, &areaLeft, &areaHeight, &areaWidth);
    m.left = std::max(areaLeft, std::min(m.left, areaLeft + areaWidth - m.width));
    m.top = std::max(areaTop, std::min(m.top, areaTop + areaHeight - m.height));
    m.hover = -1;
    m.answered = false;
    m.result = 0;
    m.thread = CurrThreadId();
    m.open = true;
}

int MenuLineAt(const PopupMenu &menu, int x, int y) {
    int mx = x - menu.left, my = y - menu.top;
    if (mx < 0 || my < 0 || mx >= menu.width || my >= menu.height) return -1;
    for (size_t i = 0; i < menu.lines.size(); ++i) {
        const MenuLine &line = menu.lines[i];
        if (my >= line.top && my < line.top + line.height) return line.separator ? -1 : static_cast<int>(i);
    }
    return -1;
}

void AnswerMenu(int command) {
    PopupMenu &m = TheMenu();
    if (!m.open || m.answered) return;
    m.answered = true;
    m.result = command;
}

}  // namespace rte::internal
