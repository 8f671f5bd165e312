// win32/user32/desktop_internal.h - where SystemParametersInfoA finds the desktop's settings
// (internal, C++): the X server, GSettings, and the registry model.
#ifndef WIN32_USER32_DESKTOP_INTERNAL_H
#define WIN32_USER32_DESKTOP_INTERNAL_H

#include <string>

namespace win32::desktop {

// Results of the desktop calls: the desktop is not there (use the registry model), the call
// failed, or it was done.
enum class Outcome { kNoDesktop, kFailed, kDone };

// True while tests keep the desktop out of reach (desktop_testing.h).
bool DesktopIgnored();

// ---- X server (libX11 loaded at run time; a connection per call) ----
Outcome XGetRepeat(int *delayMs, int *intervalMs);
Outcome XSetRepeat(int delayMs, int intervalMs);  // a value < 0 keeps the current one
Outcome XGetScreenSaverTimeout(int *seconds);     // 0: the screen saver is off
Outcome XSetScreenSaverTimeout(int seconds);

// ---- GSettings org.gnome.desktop.background ----
Outcome GSettingsSetWallpaper(const std::string &path, bool tile);
Outcome GSettingsGetWallpaper(std::string *path);

// ---- The registry model: REG_SZ values under HKEY_CURRENT_USER ----
enum class Read { kFound, kMissing, kStoreError };
Read ReadSetting(const char *key, const char *name, std::string *value);
bool WriteSetting(const char *key, const char *name, const std::string &value);

}  // namespace win32::desktop

#endif
