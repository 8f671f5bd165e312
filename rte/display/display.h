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
// The display chosen by RTE_DISPLAY=web: panels served to web browsers (web_display.h).
const DisplayBackend &WebDisplay();

const DisplayBackend &HeadlessDisplay();
// The backend in use; the headless one until InitRTEEx chooses.
const DisplayBackend &Display();
// Makes backend the one in use and connects it to the model and the main thread's queue.
void UseDisplay(const DisplayBackend &backend);
// Chooses the display that RTE_DISPLAY names (InitRTEEx): "headless" is used at once; "sdl",
// "web" or unset choose a screen display (unset: sdl), which OpenDisplay opens when a panel is
// first displayed, so a program that never shows one needs no screen and opens no port. False with a one-line reason for a name the
// engine does not offer.
bool ChooseDisplay(std::string *error);
// Opens the chosen display if it is not open yet (DisplayPanel, InstallPopup and MessagePopup
// call it, through the model's hook for the first two; RteOpenDisplay is the public face).
// The screen opens on the main thread only (it shows that thread's panels); unset RTE_DISPLAY
// needs $DISPLAY or $WAYLAND_DISPLAY; web needs its address free. Returns 0, or UIE_NO_DISPLAY after one line on stderr
// saying why (later calls fail silently). With nothing chosen (no InitRTEEx) it does nothing.
int OpenDisplay();
// The screen display names the window system it reached (SDL's video driver: "x11",
// "wayland", ...) when it starts; RteDisplayDriver gives it.
void SetDisplayDriverName(const char *driver);
// A pump's rate limit for a program that processes events in a tight loop (ProcessSystemEvents
// after each step of its work): true when the pump looked for input less than a millisecond ago
// (and should not look again), else notes now in *lastLook. The operator sees no difference,
// and each of the program's calls costs next to nothing.
bool LookedJustNow(double *lastLook);

}  // namespace rte::internal

#endif
