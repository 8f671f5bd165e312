/* examples/tray_utility/tray_utility.c - a utility that lives in the notification area.
 *
 * InstallSysTrayIcon puts its icon into the desktop's notification area (headless: the
 * engine's own, which operator scripts click with "tray"); the icon gets a popup menu with
 * AttachTrayIconMenu and InsertTrayIconMenuItem: "Show panel" (the default, also a double
 * click), "Count clicks" (a checked item that is toggled) and "Quit". Every click on the icon
 * reaches TrayEvents, and the menu's choice arrives as EVENT_TRAY_MENU_ITEM. */
#include "tray_utility.h"

#include "rte/rte.h"
#include "toolbox/toolbox.h"

#include <stdio.h>

static int panel;
static int counting;
static int clicks;

static void ShowStatus(void) {
    SetCtrlVal(panel, TRAY_STATUS, counting ? "Counting clicks on the icon" : "Not counting clicks");
    SetCtrlVal(panel, TRAY_CLICKS, clicks);
}

static int TrayEvents(int icon, int event, int eventData) {
    switch (event) {
    case EVENT_LEFT_CLICK:
        if (counting) {
            ++clicks;
            ShowStatus();
        }
        break;
    case EVENT_LEFT_DOUBLE_CLICK:
        DisplayPanel(panel);
        break;
    case EVENT_TRAY_MENU_ITEM:
        if (eventData == MENU_SHOW) {
            DisplayPanel(panel);
        } else if (eventData == MENU_COUNT) {
            counting = !counting;
            SetTrayIconMenuItemAttr(icon, MENU_COUNT, ATTR_CHECKED, counting);
            SetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_TEXT, counting ? "Tray utility (counting)" : "Tray utility");
            ShowStatus();
        } else if (eventData == MENU_QUIT) {
            QuitUserInterface(0);
        }
        break;
    default:
        break;
    }
    return 0;
}

int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow) {
    int icon = 0, item = 0, status;
    (void)hPrevInstance;
    (void)lpszCmdLine;
    (void)nCmdShow;
    if (InitRTEEx(hInstance, 0, 0) == 0) return -1;
    panel = LoadPanel(0, "tray_utility.uir", TRAY);
    if (panel < 0) return -1;
    ShowStatus();
    status = InstallSysTrayIcon("tray_utility.ico", "Tray utility", TrayEvents, &icon);
    if (status < 0) {
        fprintf(stderr, "tray_utility: %s\n", GetGeneralErrorString(status));
        DiscardPanel(panel);
        return -1;
    }
    AttachTrayIconMenu(icon);
    InsertTrayIconMenuItem(icon, "Show panel", &item);
    InsertTrayIconMenuItem(icon, "Count clicks", &item);
    InsertTrayIconMenuItem(icon, NULL, &item);
    InsertTrayIconMenuItem(icon, "Quit", &item);
    SetTrayIconMenuAttr(icon, ATTR_TRAY_MENU_DEFAULT_ITEM, MENU_SHOW);
    RunUserInterface();
    RemoveSysTrayIcon(icon);
    DiscardPanel(panel);
    return 0;
}

int hide_tray_panel(int p, int control, int event, void *callbackData, int eventData1, int eventData2) {
    (void)control;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event == EVENT_COMMIT) HidePanel(p);
    return 0;
}
