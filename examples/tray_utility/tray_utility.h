/* examples/tray_utility/tray_utility.h - a utility that lives in the notification area: the
 * panel's IDs and the callbacks its panel file names (plain C). */
#ifndef EXAMPLES_TRAY_UTILITY_H
#define EXAMPLES_TRAY_UTILITY_H

#ifdef __cplusplus
extern "C" {
#endif

#define TRAY 1              /* the status panel in tray_utility.uir, hidden until asked for */
#define TRAY_STATUS 2       /* whether clicks are counted (text message) */
#define TRAY_CLICKS 3       /* the clicks counted on the icon (numeric indicator) */
#define TRAY_HIDE 4         /* hides the panel again: callback hide_tray_panel */

/* The icon's menu, in the order it is built. */
#define MENU_SHOW 1         /* shows the status panel (the default item) */
#define MENU_COUNT 2        /* counts left clicks on the icon, checked while it does */
#define MENU_QUIT 4         /* ends the program (3 is the separator) */

/* Puts the icon into the notification area with its menu and runs until Quit. 0, or -1 when
 * the engine, the panel or the icon cannot be had. */
int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow);

/* Hides the status panel. */
int hide_tray_panel(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

#ifdef __cplusplus
}
#endif

#endif
