// win32/shell32/notify_icon_testing.h - for tests only: chooses the notification area of
// Shell_NotifyIconA and reaches the desktop area's thread (never installed).
#ifndef WIN32_SHELL32_NOTIFY_ICON_TESTING_H
#define WIN32_SHELL32_NOTIFY_ICON_TESTING_H

namespace win32::shell32::testing {

// true: icons go to the desktop's area (session bus, legacy tray) even on the headless display;
// false: back to the choice by display.
void UseDesktopArea(bool on);

// Has function run on the desktop area's thread, as that thread's own work does (without
// waiting for it); false when that thread does not run (no icon is on the desktop).
bool RunOnDesktopThread(void (*function)());

}  // namespace win32::shell32::testing

#endif
