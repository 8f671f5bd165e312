// rte/model/popup_menu.h - the popup menu that is open (internal): its lines, where it stands on
// the screen, the line under the pointer and the answer once the operator gave one. One menu is
// open at a time in the process. Guarded by ModelLock().
#ifndef RTE_MODEL_POPUP_MENU_H
#define RTE_MODEL_POPUP_MENU_H

#include <string>
#include <vector>

#include "rte/system_windows.h"

namespace rte::internal {

struct MenuLine {
    std::string label;
    int command = 0;
    bool separator = false, checked = false, dimmed = false, isDefault = false;
    int top = 0, height = 0;  // in the menu
};

struct PopupMenu {
    bool open = false;
    unsigned thread = 0;              // the thread waiting for the answer
    std::vector<MenuLine> lines;
    int left = 0, top = 0, width = 0, height = 0;  // on the screen
    int hover = -1;                   // the marked line, -1 when none
    bool answered = false;
    int result = 0;                   // the chosen command, 0 when dismissed
};

// The menu (open or not); call with ModelLock() held.
PopupMenu &TheMenu();
// Fills and lays out the menu from items at screen point (x, y) with the alignment of
// RteTrackPopupMenu, and marks it open for the calling thread. Throws std::bad_alloc.
void OpenMenu(const RteMenuItem *items, int count, int x, int y, int alignment);
// Whether a line can be chosen (not a separator, not dimmed).
bool Choosable(const MenuLine &line);
// The line at a screen point, -1 when none (outside, or a separator).
int MenuLineAt(const PopupMenu &menu, int x, int y);
// Ends the menu with a command (0: dismissed).
void AnswerMenu(int command);

// Line heights and insets of the menu as it is drawn.
constexpr int kMenuLineHeight = 22;
constexpr int kMenuSeparatorHeight = 9;
constexpr int kMenuInset = 3;        // frame around the lines
constexpr int kMenuCheckWidth = 22;  // room for the check mark left of the labels

}  // namespace rte::internal

#endif
