// win32/shell32/notify_icon_testing.h - for tests only: chooses the notification area of
// Shell_NotifyIconA (never installed).
#ifndef WIN32_SHELL32_NOTIFY_ICON_TESTING_H
#define WIN32_SHELL32_NOTIFY_ICON_TESTING_H

namespace win32::shell32::testing {

// true: icons go to the session bus's StatusNotifierWatcher even on the headless display;
// false: back to the choice by display.
void UseSessionBusArea(bool on);

}  // namespace win32::shell32::testing

#endif
