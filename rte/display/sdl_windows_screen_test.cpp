// Window places on the SDL display of a virtual screen (Xvfb with openbox, which frames windows
// with a title bar): a panel's top and left are its client area's place, the window goes there
// (not the frame), a move by the window manager (xdotool, as the operator's drag) changes the
// panel's ATTR_TOP and ATTR_LEFT, and a place read back and set again, or a window shown again,
// stays where it was rather than drifting by the title bar. The session runs in a child process
// (this program again, filtered to PlacesSession).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <thread>

#include "rte/display/screen_image_testing.h"
#include "rte/display/virtual_screen_testing.h"
#include "rte/rte.h"

namespace {

const char kTitle[] = "Window Places";
int g_panel = 0;
std::atomic<int> g_top{0}, g_left{0}, g_moves{0};

int CountMoves(int, int event, void *, int, int) {
    if (event == EVENT_PANEL_MOVE) ++g_moves;
    return 0;
}

// Runs on the main thread: the panel's place as the model has it.
void ReadPlace(void *) {
    int top = 0, left = 0;
    GetPanelAttribute(g_panel, ATTR_TOP, &top);
    GetPanelAttribute(g_panel, ATTR_LEFT, &left);
    g_top = top;
    g_left = left;
}

std::string Text(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

// Watches the panel's window from another thread: its client area's place on the screen, and
// the panel's as the model has it (read on the main thread).
class Watcher {
public:
    explicit Watcher(unsigned mainThread) : d_(XOpenDisplay(nullptr)), main_(mainThread) {}
    ~Watcher() {
        if (d_ != nullptr) XCloseDisplay(d_);
    }
    // The window's place and the model's once both are `expected` (any place when empty) and
    // agree; the last seen after 20 s.
    std::string Await(const std::string &expected) {
        std::string seen;
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
             std::chrono::steady_clock::now() < end;) {
            PostDeferredCallToThread(ReadPlace, nullptr, main_);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ::Window w = d_ ? rte::testing::FindNamedWindow(d_, DefaultRootWindow(d_), kTitle) : 0;
            int x = -1, y = -1;
            if (w != 0) rte::testing::WindowOrigin(d_, w, &x, &y);
            std::string window = Text(x, y), model = Text(g_left, g_top);
            seen = "window " + window + ", model " + model;
            if (window == model && (expected.empty() ? window != Text(-1, -1) : window == expected)) return window;
        }
        return seen;
    }

private:
    ::Display *d_;
    unsigned main_;
};

void SetPlaceAgain(void *) {
    int top = 0, left = 0;
    GetPanelAttribute(g_panel, ATTR_TOP, &top);
    GetPanelAttribute(g_panel, ATTR_LEFT, &left);
    SetPanelPos(g_panel, top, left);
}

void ShowAgain(void *) {
    HidePanel(g_panel);
    ProcessSystemEvents();
    DisplayPanel(g_panel);
}

}  // namespace

// One session, run only as the child of the test below: places, moves and places again the
// panel's window, writing what it saw to RTE_PLACES_OUT.
TEST(PlacesSession, FollowsTheWindow) {
    const char *out = std::getenv("RTE_PLACES_OUT");
    if (out == nullptr) GTEST_SKIP() << "runs as the child of the window places test";
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    g_panel = NewPanel(0, kTitle, 100, 120, 150, 200);
    InstallPanelCallback(g_panel, CountMoves, nullptr);
    ASSERT_EQ(DisplayPanel(g_panel), 0);
    unsigned mainThread = CurrThreadId();
    std::string report;
    std::thread driver([&] {
        Watcher watch(mainThread);
        report = "placed " + watch.Await("120,100");
        std::system(("xdotool search --name '^" + std::string(kTitle) + "$' windowmove 300 200 >/dev/null 2>&1").c_str());
        std::string moved = watch.Await("");
        for (int wait = 0; wait < 50 && moved == "120,100"; ++wait) moved = watch.Await("");  // not moved yet
        report += "; moved " + moved + " (" + std::to_string(g_moves.load()) + " move)";
        PostDeferredCallToThread(SetPlaceAgain, nullptr, mainThread);
        report += "; set again " + watch.Await(moved);
        PostDeferredCallToThread(ShowAgain, nullptr, mainThread);
        report += "; shown again " + watch.Await(moved);
        PostDeferredCallToThread([](void *) { QuitUserInterface(0); }, nullptr, mainThread);
    });
    EXPECT_EQ(RunUserInterface(), 0);
    driver.join();
    std::ofstream(out) << report;
    DiscardPanel(g_panel);
    CloseRTE();
}

TEST(ScreenWindows, StayWhereTheyArePutAndTheModelFollowsTheirMoves) {
    if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox", "xdotool"})) {
        GTEST_SKIP() << tool << " is not installed";
    }
    rte::testing::VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << "Xvfb did not start";
    std::string result = "places_" + std::to_string(getpid()) + ".out", text;
    int status = screen.RunSession("PlacesSession.*", "RTE_PLACES_OUT=" + result, &text, 120);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text;
    std::ifstream in(result);
    std::string report;
    std::getline(in, report);
    std::remove(result.c_str());
    // openbox puts the frame where xdotool moves the window: the client area is inside it.
    std::smatch moved;
    EXPECT_TRUE(std::regex_match(report, moved, std::regex("placed 120,100; moved ([0-9]+,[0-9]+) \\(1 move\\); set again "
                                                           "([0-9]+,[0-9]+); shown again ([0-9]+,[0-9]+)")))
        << report << "\n" << text;
    if (moved.size() == 4) {
        EXPECT_NE(moved[1], "120,100") << report;
        EXPECT_EQ(moved[2], moved[1]) << report;
        EXPECT_EQ(moved[3], moved[1]) << report;
    }
}
