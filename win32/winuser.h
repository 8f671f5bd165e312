/* win32/winuser.h - user32: windows of panels, window procedures and messages, menus, system
 * colours and parameters (plain C).
 *
 * Implemented in win32/user32/ on POSIX. Each function keeps its Windows name, types and result
 * convention; how it maps onto Linux is said beside it.
 */
#ifndef WIN32_WINUSER_H
#define WIN32_WINUSER_H

#include "win32/windef.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- System colours ----------------------------------------------------------------------- */

#define COLOR_SCROLLBAR        0
#define COLOR_BACKGROUND       1
#define COLOR_ACTIVECAPTION    2
#define COLOR_INACTIVECAPTION  3
#define COLOR_MENU             4
#define COLOR_WINDOW           5
#define COLOR_WINDOWFRAME      6
#define COLOR_MENUTEXT         7
#define COLOR_WINDOWTEXT       8
#define COLOR_CAPTIONTEXT      9
#define COLOR_ACTIVEBORDER     10
#define COLOR_INACTIVEBORDER   11
#define COLOR_APPWORKSPACE     12
#define COLOR_HIGHLIGHT        13
#define COLOR_HIGHLIGHTTEXT    14
#define COLOR_BTNFACE          15
#define COLOR_BTNSHADOW        16
#define COLOR_GRAYTEXT         17
#define COLOR_BTNTEXT          18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT     20
#define COLOR_3DDKSHADOW       21
#define COLOR_3DLIGHT          22
#define COLOR_INFOTEXT         23
#define COLOR_INFOBK           24

/* The colour of display item index in Windows order (0x00BBGGRR: red in the low byte), taken
 * from the run-time engine's system colour table (RteGetSysColor), which the renderer draws
 * with. 0 for an index outside 0..30. */
DWORD GetSysColor(int index);

/* ---- Keyboard ----------------------------------------------------------------------------- */

/* What a PC keyboard reports: typeFlag 0 gives the type, 4 (enhanced 101/102-key keyboard);
 * 1 the subtype, 0; 2 the number of function keys, 12. Any other typeFlag gives 0 (failure).
 * Linux offers no such fact, and every PC keyboard answers so. */
int GetKeyboardType(int typeFlag);

/* ---- System parameters -------------------------------------------------------------------- */

#define SPI_GETKEYBOARDSPEED      10
#define SPI_SETKEYBOARDSPEED      11
#define SPI_GETSCREENSAVETIMEOUT  14
#define SPI_SETSCREENSAVETIMEOUT  15
#define SPI_GETSCREENSAVEACTIVE   16
#define SPI_SETSCREENSAVEACTIVE   17
#define SPI_SETDESKWALLPAPER      20
#define SPI_GETKEYBOARDDELAY      22
#define SPI_SETKEYBOARDDELAY      23
#define SPI_GETDESKWALLPAPER      115

#define SPIF_UPDATEINIFILE        0x0001
#define SPIF_SENDWININICHANGE     0x0002
#define SPIF_SENDCHANGE           SPIF_SENDWININICHANGE

/* Reads or changes a desktop setting. TRUE on success; FALSE with ERROR_INVALID_PARAMETER for
 * an action not listed, a value out of range or a NULL pvParam where one is read.
 *
 * Where the settings go. Keyboard repeat and the screen saver go to the X server when one is
 * reachable (DISPLAY; libX11 is loaded at run time): the repeat through XKB's auto-repeat
 * (XkbGetAutoRepeatRate / XkbSetAutoRepeatRate), the screen saver through the core X screen
 * saver (XGetScreenSaver / XSetScreenSaver). The wallpaper goes to GSettings
 * (org.gnome.desktop.background) where that schema is installed and its settings store is
 * reachable (not the dconf store without a session bus). Otherwise, and for what the desktop
 * has no place for, the settings live in the registry model, as Windows keeps them in the
 * user's profile: "Control Panel\Keyboard" values "KeyboardDelay" and "KeyboardSpeed",
 * "Control Panel\Desktop" values "ScreenSaveActive", "ScreenSaveTimeOut" and "Wallpaper" under
 * HKEY_CURRENT_USER, as REG_SZ decimal texts. Without a desktop every setter therefore succeeds
 * and its getter reads back what was set. The update flags need no action here: a change is
 * seen by every later caller at once.
 *
 *   SPI_GETKEYBOARDDELAY (int *pvParam)   0..3: a repeat delay of (n + 1) x 250 ms. X: from
 *       the auto-repeat delay, rounded to the nearest step. Registry default 1.
 *   SPI_SETKEYBOARDDELAY (uiParam 0..3)   X: sets the auto-repeat delay to (n + 1) x 250 ms.
 *   SPI_GETKEYBOARDSPEED (DWORD *pvParam) 0..31: a repeat rate of 2.5 + n x 27.5 / 31 per
 *       second (2.5 to 30). X: from the auto-repeat interval. Registry default 31.
 *   SPI_SETKEYBOARDSPEED (uiParam 0..31)  X: sets the auto-repeat interval to the rate's.
 *   SPI_GETSCREENSAVEACTIVE (BOOL *pvParam) X: TRUE when the screen saver's time-out is not 0.
 *       Registry default FALSE.
 *   SPI_SETSCREENSAVEACTIVE (uiParam TRUE/FALSE) X: FALSE sets the time-out to 0 (off); TRUE
 *       sets the time-out kept in the registry ("ScreenSaveTimeOut"). The state is also kept in
 *       the registry.
 *   SPI_GETSCREENSAVETIMEOUT (int *pvParam) seconds. X: the server's time-out while the saver
 *       is on, else the one kept in the registry. Registry default 600.
 *   SPI_SETSCREENSAVETIMEOUT (uiParam 1..32767 seconds, the X server's range) kept in the
 *       registry; X: also set on the server while the saver is on.
 *   SPI_SETDESKWALLPAPER (char *pvParam: a bitmap path, "" for none) kept in the registry
 *       ("Wallpaper"); GSettings: picture-uri (and picture-uri-dark) become the file's URI,
 *       picture-options "wallpaper" when "TileWallpaper" is "1", else "centered".
 *   SPI_GETDESKWALLPAPER (uiParam: buffer size, char *pvParam) the path, from GSettings'
 *       picture-uri where it is used, else from the registry; a buffer too small: FALSE,
 *       ERROR_INSUFFICIENT_BUFFER.
 */
BOOL SystemParametersInfoA(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni);

#ifdef __cplusplus
}
#endif

#endif
