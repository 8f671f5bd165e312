// rte/display/sdl_pump.cpp - the screen display: the backend that starts SDL2, and the event
// pump that the main thread's event loop runs.
//
// Everything runs on the main thread (the one that called InitRTEEx), inside the event loop's
// pump: windows follow the model (sdl_windows.cpp) and are redrawn (sdl_redraw.cpp) before each
// wait; the wait blocks in SDL_WaitEventTimeout until input, the next timer, or a wake pushed by
// another thread's post; input goes to the operator-input layer (sdl_input.cpp). Callbacks are
// called with no lock held.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "rte/core/thread_queue.h"
#include "rte/display/display.h"
#include "rte/display/sdl_display.h"
#include "rte/events/pointer.h"
#include "rte/events/popup_menu.h"
#include "rte/engine.h"
#include "rte/model/ui_model.h"

namespace rte::internal {
namespace {

std::atomic<bool> g_started{false};
std::atomic<bool> g_wakePending{false};
Uint32 g_wakeEvent = 0;
bool g_inputSinceDrawn = true;  // the main thread's pump only

// The screen variables SDL tried, for the line that says no screen was reached.
std::string TriedVariables() {
    std::string tried;
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) {
        const char *value = std::getenv(name);
        tried += tried.empty() ? "" : ", ";
        tried += value != nullptr && value[0] != '\0' ? std::string(name) + "=" + value : std::string(name) + " unset";
    }
    return tried;
}

// True when a driver shows nothing: a program on it would run unseen and never end.
bool ShowsNothing(const char *driver) {
    for (const char *unseen : {"offscreen", "dummy", "evdev"}) {
        if (SDL_strcasecmp(driver, unseen) == 0) return true;
    }
    return false;
}

// A Wayland display's socket is found in XDG_RUNTIME_DIR unless WAYLAND_DISPLAY is a path.
bool WaylandFindable() {
    const char *socket = std::getenv("WAYLAND_DISPLAY"), *runtime = std::getenv("XDG_RUNTIME_DIR");
    return (runtime != nullptr && runtime[0] != '\0') || (socket != nullptr && socket[0] == '/');
}

// Starts SDL's video on the first of its drivers, in SDL's order, that reaches a screen. SDL
// itself would fall back on drivers that show nothing; those serve only when SDL_VIDEODRIVER
// names them, which leaves the choice to SDL. The Wayland driver is not tried when it could
// not find a socket (libwayland would print its own complaint). False with a one-line reason.
bool StartVideo(std::string *error) {
    const char *howToGoOn = "; set RTE_DISPLAY=headless to run without a screen";
    const char *asked = std::getenv("SDL_VIDEODRIVER");
    if (asked != nullptr && asked[0] != '\0') {
        if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
        *error = std::string("cannot open the screen display (SDL_VIDEODRIVER=") + asked + "): " + SDL_GetError() +
                 howToGoOn;
        return false;
    }
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
        const char *driver = SDL_GetVideoDriver(i);
        if (ShowsNothing(driver) || (SDL_strcasecmp(driver, "wayland") == 0 && !WaylandFindable())) continue;
        SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
        if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
    }
    *error = "no screen display is reachable (tried " + TriedVariables() + ")" + howToGoOn;
    return false;
}

bool Start(std::string *error) {
    // The program's signals keep their default meaning (SIGTERM ends it, as without a screen).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    sdl::NoteProgramXErrorHandler();
    if (!StartVideo(error)) return false;
    const char *driver = SDL_GetCurrentVideoDriver();
    SetDisplayDriverName(driver);
    if (std::strcmp(driver, "x11") == 0) {
        sdl::KeepXErrorsFromEndingTheProgram();
        // Windows are drawn through X's shared-memory images: SDL would otherwise draw them
        // through OpenGL and, for that, replace each X window by a new one when it is first
        // drawn, which the window manager places anew.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    g_wakeEvent = SDL_RegisterEvents(1);
    // On Wayland the pointer is known only over the program's windows, where the engine follows
    // it; elsewhere it is read from the screen.
    if (sdl::WindowPositionsKnown()) {
        SetScreenPointerSource([](int *x, int *y) {
            int gx = 0, gy = 0;
            SDL_GetGlobalMouseState(&gx, &gy);
            *x = sdl::ToPanel(gx);
            *y = sdl::ToPanel(gy);
            return true;
        });
    }
    sdl::ChooseScale();
    SetScreenAreaHook(sdl::ScreenArea);
    SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
    SetScreenMenus(true);
    SDL_StartTextInput();
    sdl::StartInput();
    g_started.store(true);
    return true;
}

// A panel shown or hidden: the pump brings the windows in step at its next turn.
void Shown(int) { WakeThread(MainThreadId()); }
void Hidden(int) { WakeThread(MainThreadId()); }

void Popup(const char *title, const char *message) {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title, message, sdl::AnyWindow()) != 0) {
        std::fprintf(stderr, "POPUP %s: %s\n", title, message);  // no message box: the text is not lost
    }
}

void Stop() {
    if (!g_started.exchange(false)) return;
    // Hidden, not destroyed: a wake-up another thread is sending now still finds its window.
    sdl::HideMenuWindow();
    sdl::HideWindows();
    SDL_PumpEvents();  // the windows leave the screen now
    // SDL itself stays initialised: the engine never starts again once closed, and SDL_Quit
    // would unload the desktop libraries it opened while their caches still hold memory,
    // which then shows as leaks of no known module. The process's end releases it all.
}

void Wake() {
    if (!g_started.load() || g_wakePending.exchange(true)) return;  // one wake in flight is enough
    SDL_Event e{};
    e.type = g_wakeEvent;
    SDL_PushEvent(&e);
}

void Pump(double deadline, bool wait) {
    if (!g_started.load()) return;
    static double lastLook = -1;
    if (!wait && LookedJustNow(&lastLook)) return;
    bool windowsChanged = sdl::SyncWindows();
    windowsChanged = sdl::SyncMenuWindow() || windowsChanged;
    // Where the windows are is asked of the window system before each wait, and ten times a
    // second at most while the program processes events in a loop.
    static double lastFollowed = -1;
    if (double now = Timer(); wait || now < lastFollowed || now - lastFollowed >= 0.1) {
        lastFollowed = now;
        sdl::FollowMoves();
    }
    // Before a wait the windows always show the model as it is now. They are drawn only when
    // something may have changed what they show: a window made or resized, input (which also
    // changes what the operator sees beyond the model), or a change of the model; so an idle
    // program whose hidden timers tick often draws nothing. Once a second they are drawn anyway,
    // should a change have gone uncounted. A program that calls ProcessSystemEvents in a loop
    // gets at most one redraw per frame (60 a second), so that drawing does not slow its work.
    static double lastRedraw = -1;
    static unsigned long drawnChanges = 0;
    double now = Timer();
    bool clockJumped = lastRedraw < 0 || now < lastRedraw;
    bool stale = windowsChanged || g_inputSinceDrawn || ModelChangeCount() != drawnChanges || clockJumped ||
                 now - lastRedraw >= 1.0;
    if (stale && (wait || clockJumped || now - lastRedraw >= 1.0 / 60)) {
        drawnChanges = ModelChangeCount();
        g_inputSinceDrawn = false;
        sdl::RedrawAll();
        sdl::RedrawMenu();
        lastRedraw = now;
    }
    SDL_Event e;
    bool got;
    if (wait) {
        int timeout = -1;
        if (deadline >= 0) {
            double ms = std::ceil((deadline - Timer()) * 1000.0);
            timeout = static_cast<int>(std::clamp(ms, 0.0, 2147483.0 * 1000.0));
        }
        got = timeout < 0 ? SDL_WaitEvent(&e) == 1 : SDL_WaitEventTimeout(&e, timeout) == 1;
    } else {
        got = SDL_PollEvent(&e) == 1;
    }
    while (got) {
        if (e.type == g_wakeEvent) {
            g_wakePending.store(false);
        } else {
            g_inputSinceDrawn = true;
            sdl::HandleInput(e);
            sdl::SyncWindows();  // a callback may have hidden or discarded a panel
            sdl::SyncMenuWindow();
        }
        got = SDL_PollEvent(&e) == 1;
    }
    sdl::NoteEventsDrained();
}

const DisplayBackend kSdl = {"sdl", Start, Shown, Hidden, Popup, Stop, Wake, Pump};

}  // namespace

const DisplayBackend &SdlDisplay() { return kSdl; }

}  // namespace rte::internal
