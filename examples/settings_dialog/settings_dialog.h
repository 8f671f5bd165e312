/* examples/settings_dialog/settings_dialog.h - a settings dialog that remembers its values and
 * its place on the screen in the registry: the panel's IDs and the callbacks its panel file
 * names (plain C). */
#ifndef EXAMPLES_SETTINGS_DIALOG_H
#define EXAMPLES_SETTINGS_DIALOG_H

#ifdef __cplusplus
extern "C" {
#endif

#define SETTINGS 1                /* the panel in settings_dialog.uir */
#define SETTINGS_NAME   2         /* operator name (string) */
#define SETTINGS_VOLUME 3         /* beep volume 0..10 (numeric) */
#define SETTINGS_THEME  4         /* "Light" or "Dark" (ring) */
#define SETTINGS_STATUS 5         /* where the settings came from (text message) */
#define SETTINGS_SAVE   6         /* saves and closes: callback save_settings */
#define SETTINGS_CANCEL 7         /* closes without saving: callback cancel_settings */

/* Loads the panel, restores the saved settings and position, runs the dialog. 0, or -1 when the
 * engine or the panel cannot be loaded. */
int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow);

/* Writes the values and the panel's position to the registry, then ends the dialog. */
int save_settings(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

/* Ends the dialog without saving. */
int cancel_settings(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

#ifdef __cplusplus
}
#endif

#endif
