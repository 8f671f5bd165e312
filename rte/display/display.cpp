// rte/display/display.cpp - the display in use: choosing it from RTE_DISPLAY at start-up,
// opening it when a panel is first displayed (or RteOpenDisplay asks), connecting it to the
// model (panels shown and hidden) and to the main thread's queue (its pump), and MessagePopup,
// which it shows.
#include "rte/display/display.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "rte/core/errors.h"
#include "rte/core/thread_queue.h"
#include "rte/engine.h"
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

namespace {

// Which display InitRTEEx chose and whether it is open. Before InitRTEEx (tests, tools that
// never start the engine) nothing is chosen and panels live on the headless display.
enum class Chosen { None, Headless, Screen };
std::mutex g_openLock;     // guards the three below; held while the screen starts
Chosen g_chosen = Chosen::None;
bool g_open = false;
bool g_failed = false;     // the screen could not be opened; said once, refused from then on
bool g_operatorAttached = false;
std::string g_driver;      // the window system the screen display reached

// Whether a screen may be reached: RTE_DISPLAY names it, or DISPLAY or WAYLAND_DISPLAY is set.
bool ScreenNamed() {
    const char *name = std::getenv("RTE_DISPLAY");
    const char *x11 = std::getenv("DISPLAY"), *wayland = std::getenv("WAYLAND_DISPLAY");
    return (name != nullptr && name[0] != '\0') || (x11 != nullptr && x11[0] != '\0') ||
           (wayland != nullptr && wayland[0] != '\0');
}

// Starts the screen display (main thread, g_openLock held). False with a reason.
bool StartScreen(std::string *error) {
    const char *name = std::getenv("RTE_DISPLAY");
    if (name != nullptr && std::strcmp(name, "web") == 0) {
        if (!WebDisplay().start(error)) return false;
        UseDisplay(WebDisplay());
        return true;
    }
    if (!ScreenNamed()) {
        *error = "no screen display is reachable (DISPLAY and WAYLAND_DISPLAY are not set); set RTE_DISPLAY=headless to run without a screen";
        return false;
    }
    if (!SdlDisplay().start(error)) return false;
    UseDisplay(SdlDisplay());
    return true;
}

}  // namespace

bool ChooseDisplay(std::string *error) {
    const char *name = std::getenv("RTE_DISPLAY");
    bool headless = name != nullptr && std::strcmp(name, "headless") == 0;
    if (!headless && name != nullptr && name[0] != '\0' && std::strcmp(name, "sdl") != 0 && std::strcmp(name, "web") != 0) {
        *error = std::string("RTE_DISPLAY=") + name + " is not a display this engine offers; use sdl, web or headless";
        return false;
    }
    const char *script = std::getenv("RTE_SCRIPT");
    SetDisplayOpener(OpenDisplay);
    std::lock_guard<std::mutex> hold(g_openLock);
    g_chosen = headless ? Chosen::Headless : Chosen::Screen;
    g_operatorAttached = script != nullptr && script[0] != '\0';
    if (headless) {
        UseDisplay(HeadlessDisplay());
        return HeadlessDisplay().start(error);
    }
    return true;
}

// The screen is opened on the main thread only: it shows the main thread's panels alone, so a
// panel of another thread needs none. The headless display is open from the start; its first
// panel shown without an operator script says, once, that nobody is there to answer it.
int OpenDisplay() {
    std::lock_guard<std::mutex> hold(g_openLock);
    if (g_open || g_chosen == Chosen::None) return 0;
    if (g_chosen == Chosen::Headless) {
        g_open = true;
        if (!g_operatorAttached) {
            std::fflush(stdout);
            std::fprintf(stderr, "rte: no operator is attached (RTE_DISPLAY=headless without RTE_SCRIPT): the panels "
                                 "are shown to nobody and the program runs on until it ends or is stopped; set "
                                 "RTE_SCRIPT=<file> to play operator actions (man 7 rte-script)\n");
            std::fflush(stderr);
        }
        return 0;
    }
    if (g_failed) return UIE_NO_DISPLAY;
    if (CurrThreadId() != MainThreadId()) return 0;
    std::string error;
    if (!StartScreen(&error)) {
        g_failed = true;
        std::fprintf(stderr, "rte: %s\n", error.c_str());
        return UIE_NO_DISPLAY;
    }
    g_open = true;
    if (const char *diagnostics = std::getenv("RTE_DIAGNOSTICS"); diagnostics != nullptr && diagnostics[0] == '1') {
        if (&Display() == &SdlDisplay()) std::fprintf(stderr, "rte: display opened: sdl on %s\n", g_driver.c_str());
        else std::fprintf(stderr, "rte: display opened: %s\n", Display().name);
    }
    return 0;
}

void SetDisplayDriverName(const char *driver) { g_driver = driver; }

bool LookedJustNow(double *lastLook) {
    double now = Timer();
    if (*lastLook >= 0 && now >= *lastLook && now - *lastLook < 0.001) return true;
    *lastLook = now;
    return false;
}

}  // namespace rte::internal

extern "C" int RteOpenDisplay(void) {
    int rc = rte::internal::OpenDisplay();
    return rc < 0 ? rte::internal::Fail("RteOpenDisplay", rc) : 0;
}

extern "C" int MessagePopup(const char *title, const char *message) {
    if (title == nullptr || message == nullptr) return rte::internal::Fail("MessagePopup", UIE_NULL_POINTER);
    if (int rc = rte::internal::OpenDisplay(); rc < 0) return rte::internal::Fail("MessagePopup", rc);
    rte::internal::Display().messagePopup(title, message);
    return 0;
}

extern "C" const char *RteDisplayDriver(void) {
    using namespace rte::internal;
    std::lock_guard<std::mutex> hold(g_openLock);
    if (!g_open) return "";
    return g_chosen == Chosen::Screen && &Display() == &SdlDisplay() ? g_driver.c_str() : Display().name;
}

// The screen chosen counts before it opens: a program whose only face is its tray icon shows no
// panel, and its icon still belongs on the screen's desktop.
extern "C" int RteScreenDisplay(void) {
    using namespace rte::internal;
    if (&Display() == &SdlDisplay()) return 1;
    std::lock_guard<std::mutex> hold(g_openLock);
    return g_chosen == Chosen::Screen && !g_failed && ScreenNamed() ? 1 : 0;
}
