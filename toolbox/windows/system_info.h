/* toolbox/windows/system_info.h - facts and desktop settings of the machine (plain C).
 *
 * Thin, stateless wrappers of the Windows API subset (win32/): each returns 0 or a negative
 * code; almost every system failure is -5095 "Unknown system error", and output pointers
 * marked optional may be NULL (that value is then skipped). Where several values are asked
 * for, each is tried and those obtained before a failure are stored. How each fact maps onto
 * Linux is written beside the win32 call it comes from (win32/winbase.h, winuser.h, winreg.h).
 * The setters change desktop-wide settings that other programs see.
 */
#ifndef TOOLBOX_WINDOWS_SYSTEM_INFO_H
#define TOOLBOX_WINDOWS_SYSTEM_INFO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* An unsigned 64-bit quantity as two 32-bit halves. */
typedef struct {
    uint32_t lo;  /* low 32 bits */
    uint32_t hi;  /* high 32 bits */
} UInt64Type;

/* The colour of Windows display item 0..20 (COLOR_... of win32/winuser.h) as 0x00RRGGBB, the
 * engine's colour format. NULL colour: -65; an item outside 0..20: -5075. */
int GetWindowsColor(int displayItem, int *color);

/* The computer name into name (at least 16 bytes): on Linux the host name up to its first
 * '.', at most 15 characters. NULL: -65; failure: -5095. */
int GetCompName(char *name);

/* The Windows directory ("/usr" on Linux) and the system directory ("/usr/lib"), each into a
 * buffer of at least 260 bytes (both optional). -5095 if either fails; both are tried. */
int GetWindowsDirs(char *windowsDirectory, char *systemDirectory);

/* The operating system's version (all optional): on Linux the kernel's major and minor
 * version, its patch level as the build number (low 16 bits), and the platform id 2 (NT).
 * Failure: -5095 and nothing stored. */
int GetWinOSVersion(int *majorVersion, int *minorVersion, int *buildNumber, int *platformId);

/* The keyboard (all optional): its type (4, enhanced 101/102-key), the number of function keys
 * (12), the repeat delay (0..3: (n + 1) x 250 ms) and speed (0..31: 2.5 to 30 repeats a
 * second), the last two from the X server when reachable, else from the registry model.
 * -5095 if any requested value fails. */
int GetKeyboardPreferences(int *keyboardType, int *functionKeys, int *repeatDelay, int *repeatSpeed);

/* Sets the repeat delay (0..3) and speed (0..31), for the session only. A value out of range
 * or a failure: -5095; when the speed fails the old delay is put back. */
int SetKeyboardPreferences(int repeatDelay, int repeatSpeed);

/* Whether the screen saver is on and its time-out in seconds (both optional). -5095. */
int GetScreenSaver(int *active, int *timeoutSeconds);

/* Switches the screen saver on or off and sets its time-out (1..32767 seconds). When active is
 * non-zero, screenSaverPath (NULL: -65) is stored as "SCRNSAVE.EXE" of "Control Panel\Desktop"
 * first (failure: -5095 at once). -5095 when switching or the time-out fails. */
int SetScreenSaver(int active, int timeoutSeconds, const char *screenSaverPath);

/* Stores "TileWallpaper" ("1" or "0") and "Wallpaper" (bitmapPath) under "Control
 * Panel\Desktop", then hands the wallpaper to the desktop (GSettings where reachable). NULL
 * path: -65; any failure: -5095. */
int SetWallpaper(int tile, const char *bitmapPath);

/* The stored tile flag (into *tile) and wallpaper path (into a buffer of at least 260 bytes,
 * always terminated). NULL tile or path: -65; a missing value, a "TileWallpaper" longer than
 * one character or a path of 260 bytes or more: -5095. */
int GetWallpaper(int *tile, char *bitmapPath);

/* Total bytes and bytes available to the caller on the file system holding directory (both
 * set to 0 first). NULL directory, freeBytes or totalBytes (tested in this order): -65, the
 * outputs untouched. Failure: -5095. */
int GetDiskSpace(const char *directory, UInt64Type *totalBytes, UInt64Type *freeBytes);

/* 1 when value is greater than number, 0 when equal, -1 when smaller (any hi > 0 is greater). */
int UInt64TypeCompareUInt(UInt64Type value, unsigned int number);

/* Memory load in percent and byte counts (all optional), each capped at 0xFFFFFFFF as the
 * 32-bit call reports them: physical, page file (physical plus swap), and virtual (the address
 * space), totals then available. Always 0. */
int GetMemoryInfo(int *memoryLoad, unsigned int *totalPhysical, unsigned int *totalPageFile,
                  unsigned int *totalVirtual, unsigned int *availablePhysical,
                  unsigned int *availablePageFile, unsigned int *availableVirtual);

/* The user's name into name (bufferSize bytes); *length receives the count the system reports
 * (the name's length with its zero, or the size needed when it does not fit: then -57). A
 * bufferSize below 1 with a buffer: -57 and nothing written. A NULL name asks for the size:
 * 0, with the size needed (with the zero) in *length. NULL length: -65. */
int GetCurrentUser(char *name, int bufferSize, int *length);

#ifdef __cplusplus
}
#endif

#endif
