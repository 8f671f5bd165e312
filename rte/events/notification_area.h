// rte/events/notification_area.h - the headless display's notification area (internal): the
// operator script's clicks on its icons.
#ifndef RTE_EVENTS_NOTIFICATION_AREA_H
#define RTE_EVENTS_NOTIFICATION_AREA_H

#include <string>

namespace rte::internal {

// Clicks the icon named by its id (a whole number) or else by its tooltip: the pointer moves
// to the notification area's corner of the screen (the bottom right of the headless screen of
// 1024 x 768) and the click goes to the tray click hook. click is RTE_TRAY_LEFT, _RIGHT or
// _DOUBLE. False when no icon has that name.
bool ClickTrayIcon(const std::string &name, int click);

}  // namespace rte::internal

#endif
