// win32/shell32/desktop_icon_internal.h - an icon of the desktop's notification area and the
// two ways it is shown (internal to shell32). Everything here lives on the desktop area's
// thread (notify_icon_desktop.cpp) and is touched only there.
#ifndef WIN32_SHELL32_DESKTOP_ICON_INTERNAL_H
#define WIN32_SHELL32_DESKTOP_ICON_INTERNAL_H

#include <gio/gio.h>

#include "win32/shell32/notify_icon_internal.h"

namespace win32::shell32 {

struct StatusItem;
struct TrayEmbed;

struct DesktopIcon {
    HWND owner = nullptr;
    UINT id = 0;
    IconLook look;
    IconMenu menu;
    StatusItem *item = nullptr;   // on the session bus; null without one
    TrayEmbed *embed = nullptr;   // in the legacy tray, while no watcher shows the item
};

// Shows the icon where it can be: the watcher's host when there is one (the item registered),
// else the legacy tray when one runs, else nowhere until either comes. Called again whenever
// a watcher or a legacy tray comes or goes.
void PlaceIcon(DesktopIcon *icon);
void PlaceAllIcons();
// The desktop thread's main context (for timeouts and watches of its own).
GMainContext *DesktopContext();

// ---- The icon as a StatusNotifierItem (status_notifier_item.cpp) ----
// Connects the icon to the session bus on a connection of its own, under the name
// org.kde.StatusNotifierItem-PID-N, with the item at /StatusNotifierItem and its menu at
// /MenuBar; registers it with org.kde.StatusNotifierWatcher now and whenever a watcher
// appears, and calls PlaceIcon when the watcher comes or goes. Null without a session bus.
StatusItem *StatusItemNew(DesktopIcon *icon);
// Whether a watcher is on the bus, so that a host shows the item.
bool StatusItemShown(const StatusItem *item);
// The icon's look changed from old (signalled to hosts); its menu was given again (changed:
// not the same as before).
void StatusItemLookChanged(StatusItem *item, const IconLook &old);
void StatusItemMenuChanged(StatusItem *item, bool changed);
void StatusItemFree(StatusItem *item);

// ---- The item's menu as com.canonical.dbusmenu (dbusmenu.cpp) ----
struct DbusMenu;
// Exports the icon's menu at path on connection; null when it cannot be registered.
DbusMenu *DbusMenuNew(GDBusConnection *connection, const char *path, DesktopIcon *icon);
// The icon's menu was given again: hosts are told when it changed, and a host waiting for the
// program's answer to its AboutToShow gets it.
void DbusMenuChanged(DbusMenu *menu, bool changed);
void DbusMenuFree(DbusMenu *menu);

// ---- The icon in the X screen's legacy tray (tray_embed.cpp) ----
// Docks the icon in the tray that owns _NET_SYSTEM_TRAY_S<screen>; null when no tray runs (or
// no X screen is reachable). While any icon waits, the tray's coming is watched and calls
// PlaceAllIcons.
TrayEmbed *TrayEmbedNew(DesktopIcon *icon);
// False once the tray went away (the icon must be docked again when one comes).
bool TrayEmbedDocked(const TrayEmbed *embed);
void TrayEmbedLookChanged(TrayEmbed *embed);
void TrayEmbedFree(TrayEmbed *embed);
// Closes the connection to the X screen (the desktop thread ends).
void TrayEmbedCloseScreen();

}  // namespace win32::shell32

#endif
