// rte/display/display.h - the display backend interface (internal): how top-level panels are
// shown and how popups reach the operator. The headless backend keeps panels in memory and prints
// popups on stderr; a screen backend plugs in here with the same hooks.
#ifndef RTE_DISPLAY_DISPLAY_H
#define RTE_DISPLAY_DISPLAY_H

#include <string>

namespace rte::internal {

struct DisplayBackend {
    const char *name;
    // Starts the backend; false with a one-line reason in *error when it cannot.
    bool (*start)(std::string *error);
    // Optional (null on the headless display): a top-level panel was shown or hidden. Called
    // with the model locked, from any thread; they may only note it and wake the display.
    void (*panelShown)(int panel);
    void (*panelHidden)(int panel);
    // Shows a message popup and returns when the operator answered it.
    void (*messagePopup)(const char *title, const char *message);
    void (*stop)();
    // Optional (null on the headless display). wake: called from any thread when the main
    // thread's queue received work, so that a blocked pump returns. pump: runs on the main
    // thread; delivers window input and redraws, and with wait set blocks until input, a wake or
    // the engine time deadline (a negative deadline: no time limit).
    void (*wake)();
    void (*pump)(double deadline, bool wait);
};

// The display chosen when RTE_DISPLAY is "sdl" or unset and a screen is reachable.
const DisplayBackend &SdlDisplay();

const DisplayBackend &HeadlessDisplay();
// The backend in use; the headless one until InitRTEEx chooses.
const DisplayBackend &Display();
// Makes backend the one in use and connects it to the model and the main thread's queue.
void UseDisplay(const DisplayBackend &backend);
// Chooses and starts the display that RTE_DISPLAY names: "headless", "sdl", or unset for the
// screen when one is reachable ($DISPLAY or $WAYLAND_DISPLAY). False with a one-line reason.
bool StartDisplay(std::string *error);

}  // namespace rte::internal

#endif
