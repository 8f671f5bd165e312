// rte/events/popup_menu.h - working the open popup menu (internal): the operator's pointer and
// keys on it, the script's and the tests' answers, and whether a screen shows it.
#ifndef RTE_EVENTS_POPUP_MENU_H
#define RTE_EVENTS_POPUP_MENU_H

#include <string>

namespace rte::internal {

// Set by a screen display that shows menus as windows of their own (for the main thread).
void SetScreenMenus(bool on);

// The pointer at a screen point: marks the line under it.
void MenuPointerAt(int x, int y);
// A click at a screen point: a choosable line is chosen; a click outside the menu dismisses
// it; a click on a separator or a dimmed line does nothing.
void MenuClickAt(int x, int y);
// A key (an engine key code): Up and Down mark the next choosable line (wrapping), Home and End
// the first and last, Enter and Space choose the marked line, Esc dismisses.
void MenuKey(int keyCode);
// Chooses the first choosable line with this label; false when the menu is not open or has no
// such line.
bool MenuChooseLabel(const std::string &label);
// Dismisses the open menu (nothing chosen); false when none is open.
bool MenuDismiss();

// For tests (rte/testing.h): answers every menu that opens; null: no longer.
using MenuAnswerer = int (*)(void *context);
void SetMenuAnswerer(MenuAnswerer answerer, void *context);

}  // namespace rte::internal

#endif
