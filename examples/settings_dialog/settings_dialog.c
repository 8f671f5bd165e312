/* examples/settings_dialog/settings_dialog.c - a settings dialog whose values and panel
 * position live in the registry between runs.
 *
 * On start it reads "Software\Examples\Settings Dialog" of HKEY_CURRENT_USER with the one-call
 * registry functions (RegReadString, RegReadULong) and puts the panel where it was; Save writes
 * everything back (RegWriteString, RegWriteULong), Cancel leaves the registry as it was. The
 * registry is the library's own store (WIN32_REGISTRY names its file); `rtereg query
 * "HKCU\Software\Examples\Settings Dialog"` shows what was saved. */
#include "settings_dialog.h"

#include "rte/rte.h"
#include "toolbox/toolbox.h"

#include <stdio.h>
#include <string.h>

#define KEY "Software\\Examples\\Settings Dialog"

static int panel;

/* Puts the saved settings into the panel; 1 when there were any. */
static int Restore(void) {
    char name[32];
    char theme[8];
    unsigned int size = 0;
    uint32_t volume = 0, left = 0, top = 0;
    if (RegReadString(HKEY_CURRENT_USER, KEY, "Name", name, sizeof name, &size) != 0) return 0;
    SetCtrlVal(panel, SETTINGS_NAME, name);
    if (RegReadULong(HKEY_CURRENT_USER, KEY, "Volume", &volume, 0) == 0 && volume <= 10) {
        SetCtrlVal(panel, SETTINGS_VOLUME, (int)volume);
    }
    if (RegReadString(HKEY_CURRENT_USER, KEY, "Theme", theme, sizeof theme, &size) == 0) {
        SetCtrlIndex(panel, SETTINGS_THEME, strcmp(theme, "Dark") == 0 ? 1 : 0);
    }
    if (RegReadULong(HKEY_CURRENT_USER, KEY, "Panel Left", &left, 0) == 0 &&
        RegReadULong(HKEY_CURRENT_USER, KEY, "Panel Top", &top, 0) == 0) {
        SetPanelPos(panel, (int)top, (int)left);
    }
    return 1;
}

int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow) {
    (void)hPrevInstance;
    (void)lpszCmdLine;
    (void)nCmdShow;
    if (InitRTEEx(hInstance, 0, 0) == 0) return -1;
    panel = LoadPanel(0, "settings_dialog.uir", SETTINGS);
    if (panel < 0) return -1;
    SetCtrlVal(panel, SETTINGS_STATUS,
               Restore() ? "Settings restored from the registry." : "No saved settings: defaults shown.");
    DisplayPanel(panel);
    RunUserInterface();
    DiscardPanel(panel);
    return 0;
}

int save_settings(int p, int control, int event, void *callbackData, int eventData1, int eventData2) {
    char name[32];
    char theme[8];
    int volume = 0, index = 0, left = 0, top = 0;
    (void)control;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(p, SETTINGS_NAME, name);
    GetCtrlVal(p, SETTINGS_VOLUME, &volume);
    GetCtrlIndex(p, SETTINGS_THEME, &index);
    snprintf(theme, sizeof theme, "%s", index == 1 ? "Dark" : "Light");
    GetPanelAttribute(p, ATTR_LEFT, &left);
    GetPanelAttribute(p, ATTR_TOP, &top);
    if (RegWriteString(HKEY_CURRENT_USER, KEY, "Name", name) != 0 ||
        RegWriteULong(HKEY_CURRENT_USER, KEY, "Volume", (uint32_t)volume, 0) != 0 ||
        RegWriteString(HKEY_CURRENT_USER, KEY, "Theme", theme) != 0 ||
        RegWriteULong(HKEY_CURRENT_USER, KEY, "Panel Left", (uint32_t)left, 0) != 0 ||
        RegWriteULong(HKEY_CURRENT_USER, KEY, "Panel Top", (uint32_t)top, 0) != 0) {
        SetCtrlVal(p, SETTINGS_STATUS, "The settings could not be saved.");
        return 0;
    }
    QuitUserInterface(0);
    return 0;
}

int cancel_settings(int p, int control, int event, void *callbackData, int eventData1, int eventData2) {
    (void)p;
    (void)control;
    (void)callbackData;
    (void)eventData1;
    (void)eventData2;
    if (event == EVENT_COMMIT) QuitUserInterface(0);
    return 0;
}
