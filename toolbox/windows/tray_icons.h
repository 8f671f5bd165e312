/* toolbox/windows/tray_icons.h - icons in the desktop's notification area, with a popup menu and
 * a callback for the operator's clicks (plain C).
 *
 * The icons go to Shell_NotifyIconA of "shell32.dll" (win32/shellapi.h: a StatusNotifierItem
 * of the desktop's panel; on the headless display the engine's own notification area, which
 * operator scripts click with "tray ICON left|right|double"). All icons share one hidden panel
 * whose window receives the shell's TRAY_ICON_MESSAGE; a deferred message callback turns each
 * into a call of the icon's callback on the thread that installed the first icon.
 *
 * Threads. Use these functions on the thread that installed the first icon; the callbacks run on
 * its event loop. A click queued for an icon that is removed before its turn is dropped. An icon
 * may be removed while its menu is open (from a timer, say): the menu's choice then reaches no
 * callback, also not that of a new icon given the same handle meanwhile.
 *
 * Results: 0 or a negative code: -5087 "No menu for Tray Icon", -5088 "Invalid item for Tray
 * Icon popup menu", -5089 "Invalid Tray Icon", -5090 "Could not load icon from file", -5095
 * "Unknown system error" (also when the notification area refuses the icon: no session bus, no
 * StatusNotifierWatcher), and the engine's -12, -46, -65, -90.
 */
#ifndef TOOLBOX_WINDOWS_TRAY_ICONS_H
#define TOOLBOX_WINDOWS_TRAY_ICONS_H

#ifdef __cplusplus
extern "C" {
#endif

#define TRAY_ICON_MESSAGE            56422  /* the window message of the icons' clicks (0xDC66) */
#define ATTR_TRAY_MENU_DEFAULT_ITEM  5002   /* menu: the default (bold) item, 0 for none */
#define ATTR_TRAY_ICON_FILE          5004   /* icon, set only: path of a .ico file */
#define ATTR_TRAY_TOOLTIP_TEXT       5005   /* icon: the tooltip (at most 64 characters kept) */
#define ATTR_TRAY_TOOLTIP_LENGTH     5006   /* icon, get only: the tooltip's length (at most 64) */
#define EVENT_RIGHT_MOUSE_UP         14001  /* callback: right button released on the icon */
#define EVENT_LEFT_MOUSE_UP          14002  /* callback: left button released on the icon */
#define EVENT_TRAY_MENU_ITEM         1012   /* callback: the menu closed; data is the item chosen, 0 for none */
/* The menu attribute ATTR_VISIBLE (530: the menu pops up on a right click, 0 or 1) and the item
 * attributes ATTR_DIMMED (500) and ATTR_CHECKED (1040) are the engine's (rte/ui.h). The callback
 * also gets EVENT_LEFT_CLICK, EVENT_LEFT_DOUBLE_CLICK, EVENT_RIGHT_CLICK and
 * EVENT_RIGHT_DOUBLE_CLICK. */

/* The icon's callback: icon handle, event, event data. Its result matters only for
 * EVENT_RIGHT_CLICK: non-zero keeps the menu from popping up. */
typedef int (*TrayIconCallbackPtr)(int iconHandle, int event, int eventData);

/* Adds an icon with the image of an icon file (not checked here: an image that cannot be loaded
 * shows none) and a tooltip (cut to 64 characters), and stores its handle, the smallest positive
 * number no other icon has, in *iconHandle. All arguments must be non-NULL (assertion). */
int InstallSysTrayIcon(const char *iconFile, const char *toolTipText, TrayIconCallbackPtr callback,
                       int *iconHandle);
/* Removes the icon and its menu; the last one takes the hidden panel along. */
int RemoveSysTrayIcon(int iconHandle);

/* ATTR_TRAY_ICON_FILE (value: a path; -5090 for a file that is no icon, the old image stays) or
 * ATTR_TRAY_TOOLTIP_TEXT (value: the text). -65 for NULL, -5089, -46 for another attribute. */
int SetTrayIconAttr(int iconHandle, int attribute, const char *value);
/* ATTR_TRAY_TOOLTIP_TEXT into value (a buffer of at least 64 bytes: a tooltip of 64 characters
 * arrives without a terminating zero) or ATTR_TRAY_TOOLTIP_LENGTH into *(int *)value. */
int GetTrayIconAttr(int iconHandle, int attribute, void *value);

/* Gives the icon an empty popup menu, shown on a right click (one already there is destroyed
 * first), or takes it away. */
int AttachTrayIconMenu(int iconHandle);
int DetachTrayIconMenu(int iconHandle);
/* ATTR_TRAY_MENU_DEFAULT_ITEM (0 to the number of items, else -90) or ATTR_VISIBLE (530). */
int SetTrayIconMenuAttr(int iconHandle, int attribute, int value);
int GetTrayIconMenuAttr(int iconHandle, int attribute, int *value);
/* Appends an item (a NULL label: a separator) and stores its index, from 1, in *itemIndex. */
int InsertTrayIconMenuItem(int iconHandle, const char *itemLabel, int *itemIndex);
/* ATTR_DIMMED (500) or ATTR_CHECKED (1040) of item itemIndex (1 to the number of items, else
 * -5088). */
int SetTrayIconMenuItemAttr(int iconHandle, int itemIndex, int attribute, int value);
int GetTrayIconMenuItemAttr(int iconHandle, int itemIndex, int attribute, int *value);

#ifdef __cplusplus
}
#endif

#endif
