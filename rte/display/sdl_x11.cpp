// rte/display/sdl_x11.cpp - what the screen display asks of Xlib itself on X11: that an X
// protocol error never end the program, and where a window really is.
//
// Xlib hands every X error of the process to one handler. Xlib's own prints the error and ends
// the process; SDL's X11 driver installs one that restores the screen's video mode (which the
// engine never changes) and then calls the handler that was there before, Xlib's unless the
// program set its own. A request that meets a window which has just gone (BadWindow), such as a
// wake-up another thread sends, is no reason to end a program. The engine's handler counts the
// error, says in one line on standard error what it was, and goes on; a handler the program set
// before the display opened is called after it, as SDL would have.
//
// Where a window is: SDL keeps the place it last asked for or heard of, which a window manager
// that moves the frame around a window without telling it (XWayland's) leaves wrong; the X
// server knows.
//
// Xlib is the one SDL loaded; it is looked up, not linked, so the engine needs it only when
// SDL's X11 driver runs.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "rte/display/sdl_display.h"

namespace rte::internal::sdl {
namespace {

using SetHandlerFn = XErrorHandler (*)(XErrorHandler);
using ErrorTextFn = int (*)(Display *, int, char *, int);
using DatabaseTextFn = int (*)(Display *, const char *, const char *, const char *, char *, int);
using TranslateFn = Bool (*)(Display *, ::Window, ::Window, int, int, int *, int *, ::Window *);

SetHandlerFn g_setHandler = nullptr;
ErrorTextFn g_errorText = nullptr;
DatabaseTextFn g_databaseText = nullptr;
TranslateFn g_translate = nullptr;
XErrorHandler g_programs = nullptr;   // the program's handler, null when it set none

std::atomic<unsigned long> g_errors{0};
constexpr unsigned long kShown = 5;   // errors told one by one; later ones are only counted

bool FindXlib() {
    if (g_setHandler != nullptr) return true;
    void *xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (xlib == nullptr) return false;
    g_setHandler = reinterpret_cast<SetHandlerFn>(dlsym(xlib, "XSetErrorHandler"));
    g_errorText = reinterpret_cast<ErrorTextFn>(dlsym(xlib, "XGetErrorText"));
    g_databaseText = reinterpret_cast<DatabaseTextFn>(dlsym(xlib, "XGetErrorDatabaseText"));
    g_translate = reinterpret_cast<TranslateFn>(dlsym(xlib, "XTranslateCoordinates"));
    dlclose(xlib);  // SDL keeps it loaded
    return g_setHandler != nullptr && g_errorText != nullptr && g_databaseText != nullptr && g_translate != nullptr;
}

// Runs on whichever thread read the error from its connection.
int Handle(Display *display, XErrorEvent *error) {
    unsigned long count = g_errors.fetch_add(1) + 1;
    if (count <= kShown) {
        char what[160] = "", request[80] = "";
        g_errorText(display, error->error_code, what, sizeof what);
        std::string code = std::to_string(error->request_code);
        g_databaseText(display, "XRequest", code.c_str(), ("request " + code).c_str(), request, sizeof request);
        std::fprintf(stderr, "rte: X error ignored: %s in %s on resource 0x%lx; the program goes on%s\n", what,
                     request, error->resourceid, count == kShown ? " (later X errors are counted, not shown)" : "");
    }
    return g_programs != nullptr ? g_programs(display, error) : 0;
}

}  // namespace

void NoteProgramXErrorHandler() {
    if (!FindXlib()) return;
    XErrorHandler current = g_setHandler(nullptr);  // puts Xlib's own in place, returns the current
    XErrorHandler xlibs = g_setHandler(current);
    g_programs = current == xlibs ? nullptr : current;
}

void KeepXErrorsFromEndingTheProgram() {
    if (FindXlib()) g_setHandler(Handle);
}

unsigned long XErrorsSeen() { return g_errors.load(); }

bool X11WindowOrigin(SDL_Window *window, int *x, int *y) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11 || !FindXlib()) return false;
    ::Window child;
    Display *display = info.info.x11.display;
    return g_translate(display, info.info.x11.window, DefaultRootWindow(display), 0, 0, x, y, &child) != 0;
}

}  // namespace rte::internal::sdl
