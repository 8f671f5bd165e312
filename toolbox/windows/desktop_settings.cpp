// Desktop settings: keyboard repeat, screen saver and wallpaper (see system_info.h).
#include "toolbox/windows/system_info.h"

#include "toolbox/core/errors.h"
#include "toolbox/windows/registry.h"
#include "win32/windows.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kNullPointer = -65;
constexpr const char kDesktopKey[] = "Control Panel\\Desktop";
constexpr unsigned kPathBufferSize = 260;

}  // namespace

extern "C" int GetKeyboardPreferences(int *keyboardType, int *functionKeys, int *repeatDelay,
                                      int *repeatSpeed) {
    int status = 0;
    if (keyboardType != nullptr) {
        *keyboardType = GetKeyboardType(0);
        if (*keyboardType == 0) status = TOOLBOX_ERR_SYSTEM;
    }
    if (functionKeys != nullptr) {
        *functionKeys = GetKeyboardType(2);
        if (*functionKeys == 0) status = TOOLBOX_ERR_SYSTEM;
    }
    if (repeatDelay != nullptr && !SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, repeatDelay, 0)) {
        status = TOOLBOX_ERR_SYSTEM;
    }
    if (repeatSpeed != nullptr) {
        DWORD speed = 0;
        if (SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &speed, 0)) {
            *repeatSpeed = static_cast<int>(speed);
        } else {
            status = TOOLBOX_ERR_SYSTEM;
        }
    }
    return status;
}

extern "C" int SetKeyboardPreferences(int repeatDelay, int repeatSpeed) {
    // The settings' ranges; a negative value would reach the system as a huge one.
    if (repeatDelay < 0 || repeatSpeed < 0) return TOOLBOX_ERR_SYSTEM;
    int oldDelay = 0;
    if (!SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &oldDelay, 0) ||
        !SystemParametersInfoA(SPI_SETKEYBOARDDELAY, static_cast<UINT>(repeatDelay), nullptr, 0)) {
        return TOOLBOX_ERR_SYSTEM;
    }
    if (!SystemParametersInfoA(SPI_SETKEYBOARDSPEED, static_cast<UINT>(repeatSpeed), nullptr, 0)) {
        SystemParametersInfoA(SPI_SETKEYBOARDDELAY, static_cast<UINT>(oldDelay), nullptr, 0);
        return TOOLBOX_ERR_SYSTEM;
    }
    return 0;
}

extern "C" int GetScreenSaver(int *active, int *timeoutSeconds) {
    if (active != nullptr) {
        BOOL on = FALSE;
        if (!SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &on, 0)) return TOOLBOX_ERR_SYSTEM;
        *active = on ? 1 : 0;
    }
    if (timeoutSeconds != nullptr &&
        !SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, timeoutSeconds, 0)) {
        return TOOLBOX_ERR_SYSTEM;
    }
    return 0;
}

extern "C" int SetScreenSaver(int active, int timeoutSeconds, const char *screenSaverPath) {
    if (active != 0) {
        if (screenSaverPath == nullptr) return kNullPointer;
        if (RegWriteString(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE", screenSaverPath) != 0) {
            return TOOLBOX_ERR_SYSTEM;
        }
    }
    int status = 0;
    if (!SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active != 0 ? 1u : 0u, nullptr, SPIF_SENDWININICHANGE)) {
        status = TOOLBOX_ERR_SYSTEM;
    }
    if (timeoutSeconds < 0 ||
        !SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, static_cast<UINT>(timeoutSeconds), nullptr,
                               SPIF_SENDWININICHANGE)) {
        status = TOOLBOX_ERR_SYSTEM;
    }
    return status;
}

extern "C" int SetWallpaper(int tile, const char *bitmapPath) {
    if (bitmapPath == nullptr) return kNullPointer;
    if (RegWriteString(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper", tile != 0 ? "1" : "0") != 0 ||
        RegWriteString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", bitmapPath) != 0) {
        return TOOLBOX_ERR_SYSTEM;
    }
    if (!SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char *>(bitmapPath), SPIF_SENDWININICHANGE)) {
        return TOOLBOX_ERR_SYSTEM;
    }
    return 0;
}

extern "C" int GetWallpaper(int *tile, char *bitmapPath) {
    if (bitmapPath == nullptr || tile == nullptr) return kNullPointer;
    // One character and its zero. A text stored without its zero that fills both bytes has no
    // room for it: that is a longer value, and fails.
    char text[2] = {0, 0};
    unsigned int size = 0;
    if (RegReadString(HKEY_CURRENT_USER, kDesktopKey, "TileWallpaper", text, sizeof text, &size) != 0 ||
        (size == sizeof text && text[1] != '\0')) {
        bitmapPath[0] = '\0';
        return TOOLBOX_ERR_SYSTEM;
    }
    // The integer at the start of the text ("%d"); 0 when there is none.
    *tile = static_cast<int>(std::strtol(text, nullptr, 10));
    // The path, terminated within the 260 bytes; one that fills them without a zero fails.
    if (RegReadString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", bitmapPath, kPathBufferSize, &size) != 0 ||
        (size == kPathBufferSize && bitmapPath[kPathBufferSize - 1] != '\0')) {
        bitmapPath[0] = '\0';
        return TOOLBOX_ERR_SYSTEM;
    }
    return 0;
}
