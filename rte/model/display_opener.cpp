// rte/model/display_opener.cpp - the hook through which the model opens the display when a
// panel is first shown (the display registers it when InitRTEEx chooses it).
#include <atomic>
#include <mutex>

#include "rte/model/ui_model.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

std::atomic<DisplayOpener> g_displayOpener{nullptr};

}  // namespace

void SetDisplayOpener(DisplayOpener opener) { g_displayOpener.store(opener); }

int OpenDisplayForMenu() {
    DisplayOpener open = g_displayOpener.load();
    return open != nullptr ? open() : 0;
}

// The opener runs with no lock of the model held: opening a screen may take a while.
int OpenDisplayForPanel(int panel) {
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        if (FindPanel(panel) == nullptr) return UIE_BAD_PANEL;
    }
    DisplayOpener open = g_displayOpener.load();
    return open != nullptr ? open() : 0;
}

}  // namespace rte::internal
