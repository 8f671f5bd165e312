// rte/display/display.cpp - the display in use: choosing it from RTE_DISPLAY at start-up,
// connecting it to the model (panels shown and hidden) and to the main thread's queue (its
// pump), and MessagePopup, which it shows.
#include "rte/display/display.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "rte/core/errors.h"
#include "rte/core/thread_queue.h"
#include "rte/model/ui_model.h"
#include "rte/system_windows.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

std::atomic<const DisplayBackend *> g_display{nullptr};

}  // namespace

const DisplayBackend &Display() {
    const DisplayBackend *display = g_display.load();
    return display != nullptr ? *display : HeadlessDisplay();
}

void UseDisplay(const DisplayBackend &backend) {
    g_display.store(&backend);
    SetPanelDisplayHooks(backend.panelShown, backend.panelHidden);
    SetMainThreadPump(backend.wake, backend.pump);
}

bool StartDisplay(std::string *error) {
    const char *name = std::getenv("RTE_DISPLAY");
    if (name != nullptr && std::strcmp(name, "headless") == 0) {
        UseDisplay(HeadlessDisplay());
        return HeadlessDisplay().start(error);
    }
    if (name != nullptr && name[0] != '\0' && std::strcmp(name, "sdl") != 0) {
        *error = std::string("RTE_DISPLAY=") + name + " is not a display this engine offers; use sdl or headless";
        return false;
    }
    if (name == nullptr || name[0] == '\0') {
        const char *x11 = std::getenv("DISPLAY"), *wayland = std::getenv("WAYLAND_DISPLAY");
        if ((x11 == nullptr || x11[0] == '\0') && (wayland == nullptr || wayland[0] == '\0')) {
            *error = "no screen display is reachable (DISPLAY and WAYLAND_DISPLAY are not set); set RTE_DISPLAY=headless to run without a screen";
            return false;
        }
    }
    if (!SdlDisplay().start(error)) return false;
    UseDisplay(SdlDisplay());
    return true;
}

}  // namespace rte::internal

extern "C" int MessagePopup(const char *title, const char *message) {
    if (title == nullptr || message == nullptr) return rte::internal::Fail("MessagePopup", UIE_NULL_POINTER);
    rte::internal::Display().messagePopup(title, message);
    return 0;
}

extern "C" int RteScreenDisplay(void) {
    return std::strcmp(rte::internal::Display().name, "headless") != 0 ? 1 : 0;
}
