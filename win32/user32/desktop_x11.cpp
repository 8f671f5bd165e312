// The X server's keyboard repeat (XKB) and screen saver, through libX11 loaded at run time, so
// the library needs no X at build or run time. Each call opens the display named by DISPLAY,
// does its work and closes it again: these settings are changed rarely, and no connection
// stays open in the caller's process.
#include "win32/user32/desktop_internal.h"
#include "win32/user32/desktop_testing.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <type_traits>

namespace win32::desktop {

namespace {

std::atomic<bool> g_ignoreDesktop{false};

struct XCalls {
    void *library = nullptr;
    Display *(*openDisplay)(const char *) = nullptr;
    int (*closeDisplay)(Display *) = nullptr;
    int (*sync)(Display *, Bool) = nullptr;
    Bool (*getRepeat)(Display *, unsigned int, unsigned int *, unsigned int *) = nullptr;
    Bool (*setRepeat)(Display *, unsigned int, unsigned int, unsigned int) = nullptr;
    int (*getSaver)(Display *, int *, int *, int *, int *) = nullptr;
    int (*setSaver)(Display *, int, int, int, int) = nullptr;
};

// The functions of libX11, loaded on first use; null library when it is not installed.
const XCalls &Calls() {
    static XCalls calls;
    static std::once_flag once;
    std::call_once(once, [] {
        void *lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (lib == nullptr) return;
        auto get = [lib](auto *out, const char *name) {
            *out = reinterpret_cast<std::remove_reference_t<decltype(*out)>>(dlsym(lib, name));
            return *out != nullptr;
        };
        if (get(&calls.openDisplay, "XOpenDisplay") && get(&calls.closeDisplay, "XCloseDisplay") &&
            get(&calls.sync, "XSync") && get(&calls.getRepeat, "XkbGetAutoRepeatRate") &&
            get(&calls.setRepeat, "XkbSetAutoRepeatRate") &&
            get(&calls.getSaver, "XGetScreenSaver") && get(&calls.setSaver, "XSetScreenSaver")) {
            calls.library = lib;  // kept for the life of the process
        } else {
            dlclose(lib);
        }
    });
    return calls;
}

// A connection to the X server for one call; null when none is reachable.
class Connection {
public:
    Connection() {
        const char *name = std::getenv("DISPLAY");
        if (g_ignoreDesktop.load() || name == nullptr || name[0] == '\0') return;
        const XCalls &x = Calls();
        if (x.library != nullptr) display_ = x.openDisplay(name);
    }
    ~Connection() {
        if (display_ != nullptr) Calls().closeDisplay(display_);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    Display *get() const { return display_; }

private:
    Display *display_ = nullptr;
};

}  // namespace

Outcome XGetRepeat(int *delayMs, int *intervalMs) {
    Connection c;
    if (c.get() == nullptr) return Outcome::kNoDesktop;
    unsigned int delay = 0, interval = 0;
    if (!Calls().getRepeat(c.get(), XkbUseCoreKbd, &delay, &interval)) return Outcome::kFailed;
    *delayMs = static_cast<int>(delay);
    *intervalMs = static_cast<int>(interval);
    return Outcome::kDone;
}

Outcome XSetRepeat(int delayMs, int intervalMs) {
    Connection c;
    if (c.get() == nullptr) return Outcome::kNoDesktop;
    unsigned int delay = 0, interval = 0;
    if (!Calls().getRepeat(c.get(), XkbUseCoreKbd, &delay, &interval)) return Outcome::kFailed;
    if (delayMs >= 0) delay = static_cast<unsigned int>(delayMs);
    if (intervalMs >= 0) interval = static_cast<unsigned int>(intervalMs);
    if (!Calls().setRepeat(c.get(), XkbUseCoreKbd, delay, interval)) return Outcome::kFailed;
    Calls().sync(c.get(), False);
    return Outcome::kDone;
}

Outcome XGetScreenSaverTimeout(int *seconds) {
    Connection c;
    if (c.get() == nullptr) return Outcome::kNoDesktop;
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    Calls().getSaver(c.get(), &timeout, &interval, &blanking, &exposures);
    *seconds = timeout;
    return Outcome::kDone;
}

Outcome XSetScreenSaverTimeout(int seconds) {
    if (seconds < 0 || seconds > 32767) return Outcome::kFailed;  // the protocol's range
    Connection c;
    if (c.get() == nullptr) return Outcome::kNoDesktop;
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    Calls().getSaver(c.get(), &timeout, &interval, &blanking, &exposures);
    Calls().setSaver(c.get(), seconds, interval, blanking, exposures);
    Calls().sync(c.get(), False);
    return Outcome::kDone;
}

namespace testing {
void IgnoreDesktop(bool ignore) { g_ignoreDesktop.store(ignore); }
}  // namespace testing

bool DesktopIgnored() { return g_ignoreDesktop.load(); }

}  // namespace win32::desktop
