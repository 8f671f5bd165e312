// X errors on the SDL display of a virtual screen: an X error never ends the program, and the
// wake-ups other threads send never meet a window that is gone while popup menus and popups
// open and close. The sessions run in child processes (this program again, filtered to
// XErrorSession), since the display is chosen once per process.
#include <gtest/gtest.h>

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "rte/core/thread_queue.h"
#include "rte/display/sdl_display.h"
#include "rte/display/virtual_screen_testing.h"
#include "rte/events/popup_menu.h"
#include "rte/rte.h"

namespace {

// The X connection SDL draws the panel's window on.
::Display *ScreenConnection(int panel) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    rte::internal::sdl::Window *win = rte::internal::sdl::WindowOf(panel);
    if (win == nullptr || !SDL_GetWindowWMInfo(win->window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    return info.info.x11.display;
}

// A request about a window that is gone: BadWindow.
void SendToAGoneWindow(::Display *d) {
    ::Window gone = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XDestroyWindow(d, gone);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = gone;
    e.xclient.format = 32;
    XSendEvent(d, gone, False, NoEventMask, &e);
    XSync(d, False);
}

// SDL sends a wake-up to one of its windows, which must not be gone: the windows SDL made for
// the program that it no longer has (their ids count up from 1).
int WindowsGone() {
    int made = 0, there = 0;
    for (Uint32 id = 1; id < 256; ++id) {
        if (SDL_GetWindowFromID(id) != nullptr) {
            made = static_cast<int>(id);
            ++there;
        }
    }
    return made - there;
}

// True while a popup menu's window is on the screen.
bool MenuShown() {
    for (Uint32 id = 1; id < 256; ++id) {
        SDL_Window *w = SDL_GetWindowFromID(id);
        Uint32 flags = w ? SDL_GetWindowFlags(w) : 0;
        if ((flags & SDL_WINDOW_POPUP_MENU) && (flags & SDL_WINDOW_SHOWN)) return true;
    }
    return false;
}

// Ticks often: dismisses the open menu once its window is on the screen.
int DismissWhenShown(int, int, int event, void *, int, int) {
    if (event == EVENT_TIMER_TICK && MenuShown()) rte::internal::MenuDismiss();
    return 0;
}

// Popup menus and popups opened and closed on the main thread, each once its window is on
// the screen, while another thread wakes the main thread as fast as it can, for `seconds`.
void OpenAndCloseUnderWakeUps(int panel, double seconds) {
    int timer = NewCtrl(panel, CTRL_TIMER, "", 0, 0);
    SetCtrlAttribute(panel, timer, ATTR_INTERVAL, 0.005);
    InstallCtrlCallback(panel, timer, DismissWhenShown, nullptr);
    std::atomic<bool> done{false};
    std::thread waker([&] {
        while (!done.load()) {
            rte::internal::WakeThread(rte::internal::MainThreadId());
            std::this_thread::yield();
        }
    });
    const RteMenuItem items[] = {{"Alpha", 1, 0, 0, 0, 0}, {"Beta", 2, 0, 0, 0, 0}};
    int popup = NewPanel(0, "Popup", 150, 150, 80, 160);
    for (double end = Timer() + seconds; Timer() < end;) {
        RteTrackPopupMenu(items, 2, 200, 200, 0);
        InstallPopup(popup);
        for (double shown = Timer() + 5; rte::internal::sdl::WindowOf(popup) == nullptr && Timer() < shown;) {
            ProcessSystemEvents();
        }
        RemovePopup(popup);
        ProcessSystemEvents();
    }
    done = true;
    waker.join();
    DiscardPanel(popup);
}

}  // namespace

// One session, run only as the child of the tests below: does what RTE_X_ERRORS_DO says and
// writes the X errors seen to RTE_X_ERRORS_OUT.
TEST(XErrorSession, Runs) {
    const char *out = std::getenv("RTE_X_ERRORS_OUT");
    if (out == nullptr) GTEST_SKIP() << "runs as the child of the X error tests";
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    int panel = NewPanel(0, "X Errors", 100, 100, 150, 200);
    ASSERT_EQ(DisplayPanel(panel), 0);
    ProcessSystemEvents();
    if (std::string(std::getenv("RTE_X_ERRORS_DO")) == "gone-window") {
        ::Display *d = ScreenConnection(panel);
        ASSERT_NE(d, nullptr);
        SendToAGoneWindow(d);
    } else {
        OpenAndCloseUnderWakeUps(panel, 2);
    }
    std::ofstream(out) << "X errors " << rte::internal::sdl::XErrorsSeen() << ", windows gone " << WindowsGone();
    DiscardPanel(panel);
    CloseRTE();
}

TEST(ScreenXErrors, AreReportedAndTheProgramGoesOn) {
    if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox"})) GTEST_SKIP() << tool << " is not installed";
    rte::testing::VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << "Xvfb did not start";
    std::string result = "x_errors_" + std::to_string(getpid()) + ".out";
    struct Case {
        const char *what, *expected, *said;
    } cases[] = {
        // Xlib's own handler would end the program here.
        {"gone-window", "X errors 1, windows gone 0",
         "rte: X error ignored: BadWindow (invalid Window parameter) in X_SendEvent"},
        // SDL sends a wake-up as an X event to one of the program's windows, which must still be
        // there when it arrives: the windows of menus and popups are hidden, not destroyed. (Other
        // errors may be reported here, and are harmless: a window manager that unframes a hidden
        // window destroys its frame while SDL may still ask where that frame is.)
        {"menus-under-wake-ups", nullptr, nullptr},
    };
    for (const Case &c : cases) {
        std::string text;
        int status = screen.RunSession("XErrorSession.*",
                                       "RTE_X_ERRORS_OUT=" + result + " RTE_X_ERRORS_DO=" + c.what, &text, 120);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.what << "\n" << text;
        std::ifstream in(result);
        std::string seen;
        std::getline(in, seen);
        if (c.expected != nullptr) {
            EXPECT_EQ(seen, c.expected) << c.what << "\n" << text;
        } else {
            EXPECT_NE(seen.find(", windows gone 0"), std::string::npos) << c.what << ": " << seen << "\n" << text;
            EXPECT_EQ(text.find("in X_SendEvent"), std::string::npos) << c.what << "\n" << text;
        }
        if (c.said != nullptr) {
            EXPECT_NE(text.find(c.said), std::string::npos) << text;
        }
        std::remove(result.c_str());
    }
}
