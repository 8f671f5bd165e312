// toolbox/ui/panel_thread_internal.h - whether the calling thread is a panel's own thread
// (library-internal, C++), for callbacks whose data only that thread may touch.
#ifndef TOOLBOX_UI_PANEL_THREAD_INTERNAL_H
#define TOOLBOX_UI_PANEL_THREAD_INTERNAL_H

#include "rte/engine.h"
#include "rte/ui.h"
#include "toolbox/ui/bole_scope_internal.h"

namespace toolbox::internal {

// True on the thread that owns the panel; false on any other, and for a panel that does not
// exist (asked quietly).
inline bool OnPanelThread(int panel) {
    BoleOff quiet;
    int owner = 0;
    return GetPanelAttribute(panel, ATTR_OWNER_THREAD_ID, &owner) >= 0 && static_cast<unsigned>(owner) == CurrThreadId();
}

}  // namespace toolbox::internal

#endif
