// SystemParametersInfoA: keyboard repeat, screen saver and wallpaper, from the X server or
// GSettings where the desktop offers them, else from the registry model (see win32/winuser.h).
#include "win32/user32/desktop_internal.h"
#include "win32/winbase.h"
#include "win32/winuser.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

using win32::desktop::Outcome;

namespace {

constexpr const char kKeyboard[] = "Control Panel\\Keyboard";
constexpr const char kDesktop[] = "Control Panel\\Desktop";

using win32::desktop::Read;

// A whole number kept as text in the registry model into *value, fallback when it is absent or
// not a number. False when the store cannot be read.
bool ReadNumber(const char *key, const char *name, long fallback, long *value) {
    std::string text;
    Read read = win32::desktop::ReadSetting(key, name, &text);
    if (read == Read::kStoreError) return false;
    *value = fallback;
    if (read == Read::kFound && !text.empty()) {
        char *end = nullptr;
        long number = std::strtol(text.c_str(), &end, 10);
        if (*end == '\0') *value = number;
    }
    return true;
}

bool WriteNumber(const char *key, const char *name, long value) {
    return win32::desktop::WriteSetting(key, name, std::to_string(value));
}

// Windows' repeat steps and the X server's milliseconds.
int DelayStepFromMs(int ms) {
    long step = std::lround(ms / 250.0) - 1;
    return static_cast<int>(step < 0 ? 0 : step > 3 ? 3 : step);
}
int SpeedStepFromInterval(int intervalMs) {
    if (intervalMs <= 0) return 31;
    double rate = 1000.0 / intervalMs;
    long step = std::lround((rate - 2.5) * 31.0 / 27.5);
    return static_cast<int>(step < 0 ? 0 : step > 31 ? 31 : step);
}
int IntervalFromSpeedStep(unsigned step) {
    double rate = 2.5 + step * 27.5 / 31.0;
    return static_cast<int>(std::lround(1000.0 / rate));
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

BOOL Done(Outcome outcome) { return outcome == Outcome::kFailed ? Fail(ERROR_INVALID_PARAMETER) : TRUE; }

BOOL GetKeyboardDelay(int *out) {
    int delay = 0, interval = 0;
    Outcome o = win32::desktop::XGetRepeat(&delay, &interval);
    if (o == Outcome::kDone) {
        *out = DelayStepFromMs(delay);
        return TRUE;
    }
    if (o == Outcome::kFailed) return Fail(ERROR_INVALID_PARAMETER);
    long step = 0;
    if (!ReadNumber(kKeyboard, "KeyboardDelay", 1, &step)) return Fail(ERROR_CANTREAD);
    *out = static_cast<int>(step < 0 ? 0 : step > 3 ? 3 : step);
    return TRUE;
}

BOOL GetKeyboardSpeed(DWORD *out) {
    int delay = 0, interval = 0;
    Outcome o = win32::desktop::XGetRepeat(&delay, &interval);
    if (o == Outcome::kDone) {
        *out = static_cast<DWORD>(SpeedStepFromInterval(interval));
        return TRUE;
    }
    if (o == Outcome::kFailed) return Fail(ERROR_INVALID_PARAMETER);
    long step = 0;
    if (!ReadNumber(kKeyboard, "KeyboardSpeed", 31, &step)) return Fail(ERROR_CANTREAD);
    *out = static_cast<DWORD>(step < 0 ? 0 : step > 31 ? 31 : step);
    return TRUE;
}

BOOL SetKeyboardDelay(UINT step) {
    if (step > 3) return Fail(ERROR_INVALID_PARAMETER);
    Outcome o = win32::desktop::XSetRepeat(static_cast<int>(step + 1) * 250, -1);
    if (o != Outcome::kNoDesktop) return Done(o);
    return WriteNumber(kKeyboard, "KeyboardDelay", step) ? TRUE : Fail(ERROR_CANTWRITE);
}

BOOL SetKeyboardSpeed(UINT step) {
    if (step > 31) return Fail(ERROR_INVALID_PARAMETER);
    Outcome o = win32::desktop::XSetRepeat(-1, IntervalFromSpeedStep(step));
    if (o != Outcome::kNoDesktop) return Done(o);
    return WriteNumber(kKeyboard, "KeyboardSpeed", step) ? TRUE : Fail(ERROR_CANTWRITE);
}

bool StoredTimeout(long *seconds) { return ReadNumber(kDesktop, "ScreenSaveTimeOut", 600, seconds); }

BOOL GetScreenSaveActive(BOOL *out) {
    int timeout = 0;
    Outcome o = win32::desktop::XGetScreenSaverTimeout(&timeout);
    if (o == Outcome::kDone) {
        *out = timeout != 0 ? TRUE : FALSE;
        return TRUE;
    }
    if (o == Outcome::kFailed) return Fail(ERROR_INVALID_PARAMETER);
    long on = 0;
    if (!ReadNumber(kDesktop, "ScreenSaveActive", 0, &on)) return Fail(ERROR_CANTREAD);
    *out = on != 0 ? TRUE : FALSE;
    return TRUE;
}

BOOL GetScreenSaveTimeout(int *out) {
    int timeout = 0;
    Outcome o = win32::desktop::XGetScreenSaverTimeout(&timeout);
    if (o == Outcome::kFailed) return Fail(ERROR_INVALID_PARAMETER);
    if (o == Outcome::kDone && timeout != 0) {
        *out = timeout;
        return TRUE;
    }
    long stored = 0;
    if (!StoredTimeout(&stored)) return Fail(ERROR_CANTREAD);
    *out = static_cast<int>(stored);
    return TRUE;
}

BOOL SetScreenSaveActive(UINT active) {
    if (!WriteNumber(kDesktop, "ScreenSaveActive", active != 0 ? 1 : 0)) return Fail(ERROR_CANTWRITE);
    long timeout = 600;
    if (!StoredTimeout(&timeout)) return Fail(ERROR_CANTREAD);
    if (timeout < 1 || timeout > 32767) timeout = 600;
    return Done(win32::desktop::XSetScreenSaverTimeout(active != 0 ? static_cast<int>(timeout) : 0));
}

BOOL SetScreenSaveTimeout(UINT seconds) {
    if (seconds < 1 || seconds > 32767) return Fail(ERROR_INVALID_PARAMETER);
    if (!WriteNumber(kDesktop, "ScreenSaveTimeOut", seconds)) return Fail(ERROR_CANTWRITE);
    int current = 0;
    Outcome o = win32::desktop::XGetScreenSaverTimeout(&current);
    if (o != Outcome::kDone || current == 0) return Done(o);  // off: kept for when it is on
    return Done(win32::desktop::XSetScreenSaverTimeout(static_cast<int>(seconds)));
}

BOOL SetWallpaper(const char *path) {
    if (path == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    if (!win32::desktop::WriteSetting(kDesktop, "Wallpaper", path)) return Fail(ERROR_CANTWRITE);
    std::string tile;
    bool tiled = win32::desktop::ReadSetting(kDesktop, "TileWallpaper", &tile) == Read::kFound && tile == "1";
    return Done(win32::desktop::GSettingsSetWallpaper(path, tiled));
}

BOOL GetWallpaper(UINT size, char *buffer) {
    if (buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    std::string path;
    Outcome o = win32::desktop::GSettingsGetWallpaper(&path);
    if (o == Outcome::kFailed) return Fail(ERROR_INVALID_PARAMETER);
    if (o == Outcome::kNoDesktop) {
        Read read = win32::desktop::ReadSetting(kDesktop, "Wallpaper", &path);
        if (read == Read::kStoreError) return Fail(ERROR_CANTREAD);
        if (read == Read::kMissing) path.clear();
    }
    if (path.size() + 1 > size) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return TRUE;
}

}  // namespace

extern "C" BOOL SystemParametersInfoA(UINT action, UINT uiParam, LPVOID pvParam, UINT) {
    try {
        switch (action) {
            case SPI_GETKEYBOARDDELAY:
                return pvParam == nullptr ? Fail(ERROR_INVALID_PARAMETER)
                                          : GetKeyboardDelay(static_cast<int *>(pvParam));
            case SPI_SETKEYBOARDDELAY:
                return SetKeyboardDelay(uiParam);
            case SPI_GETKEYBOARDSPEED:
                return pvParam == nullptr ? Fail(ERROR_INVALID_PARAMETER)
                                          : GetKeyboardSpeed(static_cast<DWORD *>(pvParam));
            case SPI_SETKEYBOARDSPEED:
                return SetKeyboardSpeed(uiParam);
            case SPI_GETSCREENSAVEACTIVE:
                return pvParam == nullptr ? Fail(ERROR_INVALID_PARAMETER)
                                          : GetScreenSaveActive(static_cast<BOOL *>(pvParam));
            case SPI_SETSCREENSAVEACTIVE:
                return SetScreenSaveActive(uiParam);
            case SPI_GETSCREENSAVETIMEOUT:
                return pvParam == nullptr ? Fail(ERROR_INVALID_PARAMETER)
                                          : GetScreenSaveTimeout(static_cast<int *>(pvParam));
            case SPI_SETSCREENSAVETIMEOUT:
                return SetScreenSaveTimeout(uiParam);
            case SPI_SETDESKWALLPAPER:
                return SetWallpaper(static_cast<const char *>(pvParam));
            case SPI_GETDESKWALLPAPER:
                return GetWallpaper(uiParam, static_cast<char *>(pvParam));
            default:
                return Fail(ERROR_INVALID_PARAMETER);
        }
    } catch (const std::bad_alloc &) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}
