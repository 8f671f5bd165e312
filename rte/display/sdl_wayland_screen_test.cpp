// Native Wayland: weston, its output a window of the virtual screen, runs a program on SDL's
// Wayland driver (with libdecor's title bars), and xdotool drives it through weston's window
// as the X11 screen tests drive theirs: a modal popup opened and closed five times, a popup
// menu shown beside the main window and chosen with a click, clicks on the main window, then
// Quit. The main window is first shown on X11, and its client area is
// then looked for on weston's output pixel for pixel: drawn the same on both. The sessions run
// in child processes (this program again, filtered to PopupsSession).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "rte/display/screen_image_testing.h"
#include "rte/display/virtual_screen_testing.h"
#include "rte/display/weston_testing.h"
#include "rte/rte.h"

namespace {

// The main panel, with Open (shows the popup), Menu (a popup menu at kMenuX, kMenuY of the
// panel) and Quit, and the popup, whose colour the test finds on the screen, with Close (removes
// and discards it). Clicks go 10 pixels into a button or the menu's first line; the test knows
// the menu by its corner's pixels (kMenuPartWidth x kMenuPartHeight, some of "Alpha" in it).
constexpr int kMainWidth = 280, kMainHeight = 130, kButtonsTop = 80, kOpenLeft = 20, kMenuLeft = 100,
              kQuitLeft = 180, kMenuX = 20, kMenuY = 10, kMenuPartWidth = 48,
              kMenuPartHeight = 20;
constexpr int kPopupWidth = 220, kPopupHeight = 100, kCloseTop = 60, kCloseLeft = 80;
constexpr int kInto = 10, kIntoMenu = 10;
constexpr uint32_t kPopupColour = 0x2E9AD0;
const char kMainTitle[] = "Popups Main";

int g_opened = 0, g_closed = 0, g_chosen = -1;

void DiscardLater(void *panel) { DiscardPanel(static_cast<int>(reinterpret_cast<intptr_t>(panel))); }

int ClosePopup(int panel, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT) {
        RemovePopup(panel);
        PostDeferredCallToThread(DiscardLater, reinterpret_cast<void *>(static_cast<intptr_t>(panel)), CurrThreadId());
        ++g_closed;
    }
    return 0;
}

int OpenPopup(int, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int popup = NewPanel(0, "Popup", 200, 200, kPopupHeight, kPopupWidth);
    SetPanelAttribute(popup, ATTR_BACKCOLOR, static_cast<int>(kPopupColour));
    InstallCtrlCallback(popup, NewCtrl(popup, CTRL_COMMAND_BUTTON, "Close", kCloseTop, kCloseLeft), ClosePopup, nullptr);
    if (InstallPopup(popup) == 0) ++g_opened;
    return 0;
}

int OpenMenu(int panel, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int top = 0, left = 0;
    GetPanelAttribute(panel, ATTR_TOP, &top);
    GetPanelAttribute(panel, ATTR_LEFT, &left);
    const RteMenuItem items[] = {{"Alpha", 1, 0, 0, 0, 0}, {"Beta", 2, 0, 0, 0, 0}};
    g_chosen = RteTrackPopupMenu(items, 2, left + kMenuX, top + kMenuY, 0);
    return 0;
}

int Quit(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT) QuitUserInterface(0);
    return 0;
}

// Waits for what `found` looks for on the screen, reading it every 100 ms until the deadline
// or the end of the session.
bool AwaitScreen(::Display *d, const std::function<bool(const rte::testing::Image &)> &found,
                 rte::testing::Image *last, const std::atomic<bool> &sessionOver) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    do {
        *last = rte::testing::CaptureScreen(d);
        if (found(*last)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline && !sessionOver.load());
    return false;
}

// xdotool on the screen; false when it failed.
bool Xdotool(const std::string &display, const std::string &arguments) {
    return std::system(("DISPLAY=" + display + " xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

// A window's pixels are drawn once there is more than one colour (a window not yet drawn is
// black).
bool Drawn(const rte::testing::Image &image) {
    return !image.Empty() &&
           std::count(image.pixels.begin(), image.pixels.end(), image.pixels[0]) != static_cast<long>(image.pixels.size());
}

// The menu's corner's part of an image at (x, y).
rte::testing::Image Part(const rte::testing::Image &image, int x, int y) {
    rte::testing::Image part;
    part.width = kMenuPartWidth;
    part.height = kMenuPartHeight;
    for (int row = 0; row < part.height; ++row) {
        for (int col = 0; col < part.width; ++col) part.pixels.push_back(image.At(x + col, y + row));
    }
    return part;
}

std::string Click(int x, int y) { return "mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.2 click 1"; }

}  // namespace

// One session, run only as the child of the test below: the main panel until Quit, then what
// was opened and closed, in RTE_POPUPS_OUT. It gives up after a minute without Quit.
TEST(PopupsSession, OpensAndClosesPopups) {
    const char *out = std::getenv("RTE_POPUPS_OUT");
    if (out == nullptr) GTEST_SKIP() << "runs as the child of the Wayland session test";
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    int panel = NewPanel(0, kMainTitle, 100, 100, kMainHeight, kMainWidth);
    InstallCtrlCallback(panel, NewCtrl(panel, CTRL_COMMAND_BUTTON, "Open", kButtonsTop, kOpenLeft), OpenPopup, nullptr);
    InstallCtrlCallback(panel, NewCtrl(panel, CTRL_COMMAND_BUTTON, "Menu", kButtonsTop, kMenuLeft), OpenMenu, nullptr);
    InstallCtrlCallback(panel, NewCtrl(panel, CTRL_COMMAND_BUTTON, "Quit", kButtonsTop, kQuitLeft), Quit, nullptr);
    ASSERT_EQ(DisplayPanel(panel), 0);
    std::mutex m;
    std::condition_variable cv;
    bool ended = false;
    unsigned mainThread = CurrThreadId();
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> lock(m);
        if (!cv.wait_for(lock, std::chrono::seconds(60), [&] { return ended; })) {
            PostDeferredCallToThread([](void *) { QuitUserInterface(2); }, nullptr, mainThread);
        }
    });
    int result = RunUserInterface();
    {
        std::lock_guard<std::mutex> hold(m);
        ended = true;
    }
    cv.notify_all();
    watchdog.join();
    int top = 0, left = 0;  // Wayland places the window where it likes: the panel keeps its place
    GetPanelAttribute(panel, ATTR_TOP, &top);
    GetPanelAttribute(panel, ATTR_LEFT, &left);
    std::ofstream(out) << "quit " << result << ", opened " << g_opened << ", closed " << g_closed << ", chose " << g_chosen << ", at " << top
                       << "," << left << ", display " << RteDisplayDriver() << "\n";
    DiscardPanel(panel);
    CloseRTE();
}

TEST(WaylandSession, PopupsOpenAndCloseAndTheWindowIsDrawnAsOnX11) {
    if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox", "xdotool", "weston"})) {
        GTEST_SKIP() << tool << " is not installed";
    }
    rte::testing::VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << "Xvfb did not start";
    ::Display *d = XOpenDisplay(screen.display().c_str());
    ASSERT_NE(d, nullptr);
    std::string result = "popups_" + std::to_string(getpid()) + ".out";
    auto readResult = [&] {
        std::ifstream in(result);
        std::string line;
        std::getline(in, line);
        std::remove(result.c_str());
        return line;
    };
    using rte::testing::Image;

    // On X11: the main window's client area as drawn there, and the corner of the menu, shown
    // where the program put it; the menu's first line chosen; Quit.
    Image onX11, menu, seen;
    std::atomic<bool> over{false};
    {
        int status = -1;
        std::string text;
        std::thread session([&] {
            status = screen.RunSession("PopupsSession.*", "RTE_POPUPS_OUT=" + result, &text, 90);
            over = true;
        });
        ::Window window = 0;
        int x = 0, y = 0;
        bool drawn = AwaitScreen(d, [&](const Image &) {
            window = rte::testing::FindNamedWindow(d, DefaultRootWindow(d), kMainTitle);
            Image now = window ? rte::testing::Capture(d, window, 0, 0, kMainWidth, kMainHeight) : Image();
            bool steady = Drawn(now) && now == onX11;
            onX11 = now;
            return steady;
        }, &seen, over);
        EXPECT_TRUE(drawn) << "the main window did not appear on X11";
        if (drawn) {
            rte::testing::WindowOrigin(d, window, &x, &y);
            Image panelThere = Part(onX11, kMenuX, kMenuY);
            Xdotool(screen.display(), Click(x + kMenuLeft + kInto, y + kButtonsTop + kInto));
            EXPECT_TRUE(AwaitScreen(d, [&](const Image &s) {
                Image now = Part(s, x + kMenuX, y + kMenuY);
                bool steady = now != panelThere && now == menu;
                menu = now;
                return steady;
            }, &seen, over)) << "the menu did not appear on X11";
            Xdotool(screen.display(), Click(x + kMenuX + kIntoMenu, y + kMenuY + kIntoMenu));
            AwaitScreen(d, [&](const Image &s) { return Part(s, x + kMenuX, y + kMenuY) == panelThere; }, &seen, over);
        }
        Xdotool(screen.display(), Click(x + kQuitLeft + kInto, y + kButtonsTop + kInto));
        session.join();
        EXPECT_EQ(status, 0) << text;
        EXPECT_EQ(readResult(), "quit 0, opened 0, closed 0, chose 1, at 100,100, display x11") << text;
        if (!drawn) {
            XCloseDisplay(d);
            return;
        }
    }

    // On weston: the same pixels, five popups, the menu (where the compositor put it), clicks
    // on the main window, Quit.
    rte::testing::Weston weston(screen.display(), 800, 600);
    ASSERT_TRUE(weston.ready()) << "weston did not start:\n" << weston.Log();
    int status = -1;
    std::string text;
    over = false;
    std::thread session([&] {
        status = screen.RunSession("PopupsSession.*", weston.ClientEnvironment() + " RTE_POPUPS_OUT=" + result, &text, 90);
        over = true;
    });
    std::string failure;
    int mx = 0, my = 0, px = 0, py = 0;
    // Weston draws its pointer over what it shows: it rests on weston's panel bar, where no
    // window goes, while the test looks at the screen.
    int ox = 0, oy = 0;
    if (::Window output = weston.OutputWindow()) rte::testing::WindowOrigin(d, output, &ox, &oy);
    std::string rest = " sleep 0.2 mousemove " + std::to_string(ox + 400) + " " + std::to_string(oy + 8);
    Xdotool(screen.display(), rest);
    if (!AwaitScreen(d, [&](const Image &s) { return rte::testing::FindImage(s, onX11, &mx, &my); }, &seen, over)) {
        failure = "the main window's client area as on X11 is not on weston's output";
    }
    for (int round = 1; round <= 5 && failure.empty(); ++round) {
        Xdotool(screen.display(), Click(mx + kOpenLeft + kInto, my + kButtonsTop + kInto) + rest);
        if (!AwaitScreen(d, [&](const Image &s) { return rte::testing::FindColour(s, kPopupColour, &px, &py); }, &seen, over)) {
            failure = "popup " + std::to_string(round) + " did not appear";
            break;
        }
        Xdotool(screen.display(), Click(px + kCloseLeft + kInto, py + kCloseTop + kInto) + rest);
        if (!AwaitScreen(d, [&](const Image &s) { return !rte::testing::FindColour(s, kPopupColour, &px, &py); }, &seen, over)) {
            failure = "popup " + std::to_string(round) + " did not close";
        }
    }
    if (failure.empty()) {
        Xdotool(screen.display(), Click(mx + kMenuLeft + kInto, my + kButtonsTop + kInto) + rest);
        if (!AwaitScreen(d, [&](const Image &s) { return rte::testing::FindImage(s, menu, &px, &py); }, &seen, over)) {
            failure = "the menu did not appear";
        } else {
            Xdotool(screen.display(), Click(px + kIntoMenu, py + kIntoMenu) + rest);
            if (!AwaitScreen(d, [&](const Image &s) { return !rte::testing::FindImage(s, menu, &px, &py); }, &seen, over)) {
                failure = "the menu did not close";
            }
        }
    }
    for (int click = 0; click < 3 && failure.empty(); ++click) {
        Xdotool(screen.display(), Click(mx + kMainWidth - 20, my + 20 + 10 * click));
    }
    Xdotool(screen.display(), Click(mx + kQuitLeft + kInto, my + kButtonsTop + kInto));
    session.join();
    if (!failure.empty()) {
        rte::testing::SavePng(onX11, "wayland_session_x11.png");
        rte::testing::SavePng(seen, "wayland_session_weston.png");
        ADD_FAILURE() << failure << " (the X11 window and weston's screen are in wayland_session_*.png)";
    }
    EXPECT_EQ(status, 0) << text << "\nweston:\n" << weston.Log();
    EXPECT_EQ(readResult(), "quit 0, opened 5, closed 5, chose 1, at 100,100, display wayland") << text;
    XCloseDisplay(d);
}
