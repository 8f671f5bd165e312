// win32/shell32/notify_icon_internal.h - the notification areas behind Shell_NotifyIconA
// (internal to shell32): the engine's own (headless) and the desktop's StatusNotifierItem host
// on the session bus.
#ifndef WIN32_SHELL32_NOTIFY_ICON_INTERNAL_H
#define WIN32_SHELL32_NOTIFY_ICON_INTERNAL_H

#include <cstdint>
#include <string>
#include <vector>

#include "win32/winuser.h"

namespace win32::shell32 {

// What an icon shows, as Shell_NotifyIconA last set it.
struct IconLook {
    std::string tip;              // at most 64 characters
    bool hasImage = false;
    int width = 0, height = 0;
    std::vector<uint32_t> argb;   // 0xAARRGGBB, rows top to bottom
};

// A click of the area on an icon (RTE_TRAY_LEFT, _RIGHT, _DOUBLE), with the point on the
// screen when the area tells it (else x and y are negative): posted to the owner as the icon's
// callback message. Safe on any thread.
void ClickIcon(HWND owner, UINT id, int click, int x, int y);

// The StatusNotifierItem area. Each returns whether the host's side took it (Add: false without
// a session bus or a watcher on it). Safe on any thread; the icons' D-Bus objects live on a
// thread of their own, started with the first icon and ended with the last.
bool BusAddIcon(HWND owner, UINT id, const IconLook &look);
bool BusChangeIcon(HWND owner, UINT id, const IconLook &look);
void BusRemoveIcon(HWND owner, UINT id);

}  // namespace win32::shell32

#endif
