// win32/shell32/notify_icon_internal.h - the notification areas behind Shell_NotifyIconA
// (internal to shell32): what an icon shows, its menu as the desktop is given it, the gestures
// an area reports back, and the desktop's area (StatusNotifierItem on the session bus, else a
// legacy XEmbed tray).
#ifndef WIN32_SHELL32_NOTIFY_ICON_INTERNAL_H
#define WIN32_SHELL32_NOTIFY_ICON_INTERNAL_H

#include <string>
#include <vector>

#include "win32/user32/icons_internal.h"
#include "win32/winuser.h"

namespace win32::shell32 {

// What an icon shows, as Shell_NotifyIconA last set it.
struct IconLook {
    std::string tip;                             // at most 64 characters
    std::vector<win32::user32::IconImage> images;  // every size of the icon's file; none: no image
};

// A line of an icon's menu as Shell_NotifyIconMenu copied it.
struct IconMenuLine {
    std::string label;  // as the program wrote it ('&' marks the access key)
    UINT command = 0;
    bool separator = false, checked = false, dimmed = false, isDefault = false;
};

// The menu a desktop that draws icon menus itself is given. Until the program names one
// (asksForMenus false) a right click is reported as such; after that the desktop asks the
// owner with WM_CONTEXTMENU.
struct IconMenu {
    bool asksForMenus = false;
    std::vector<IconMenuLine> lines;  // empty: an empty menu
};

// ---- What an area saw on an icon: posted to the owner as the icon's callback message, with
// wParam the icon's id and lParam the mouse message. A point (x, y >= 0, on the screen) becomes
// the pointer's position. Safe on any thread. ----

enum class Gesture {
    Click,        // a left click (press and release at once)
    Activate,     // a desktop's left click: a second one within the double-click time and distance
                  // is a double click, reported as such
    RightClick,   // press and release of the right button
    DoubleClick,  // a whole double click at once (the engine area's script, a middle click)
    MenuWanted,   // the desktop is about to show the icon's menu: WM_CONTEXTMENU to owners that
                  // named one, else a right click
};
void ReportGesture(HWND owner, UINT id, Gesture gesture, int x, int y);
// A button (0 left, 1 right) pressed or released where the area sees the real mouse; two
// presses within the double-click time and distance are a double click.
void ReportButton(HWND owner, UINT id, int button, bool down, int x, int y);
// The command of the desktop's menu that the operator chose: WM_COMMAND with it in the high word.
void ReportMenuChoice(HWND owner, UINT id, UINT command);

// ---- The desktop's area ----
// Every icon is kept until removed: shown as a StatusNotifierItem while a watcher is on the
// session bus, else embedded in the X screen's legacy tray while one runs, else waiting for
// either. Safe on any thread; the area's objects live on a thread of their own, started with
// the first icon and ended with the last (or at the exit clean-ups).
bool DesktopAddIcon(HWND owner, UINT id, const IconLook &look, const IconMenu &menu);
void DesktopChangeIcon(HWND owner, UINT id, const IconLook &look);
void DesktopChangeMenu(HWND owner, UINT id, const IconMenu &menu);
void DesktopRemoveIcon(HWND owner, UINT id);

}  // namespace win32::shell32

#endif
