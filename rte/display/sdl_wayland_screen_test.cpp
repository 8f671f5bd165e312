// Wayland: weston, its output a window of the virtual screen, runs a program on SDL's Wayland
// driver (with libdecor's title bars), and xdotool drives it through weston's window as the X11
// screen tests drive theirs: a modal popup opened and closed five times, a popup menu chosen
// with a click, clicks on the main window, then Quit. The main window and the menu are first
// shown on the virtual screen's X11, and are then looked for on weston's output pixel for
// pixel: drawn the same on both. Under XWayland (the same compositor, SDL's X11 driver) the
// panel takes the place the compositor gave its window, and the menu shows where the program
// put it. The sessions run in child processes (this program again, filtered to PopupsSession).
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
std::string g_seen;  // the clicks and commits the program was given, printed at the session's end

// Notes a click on a panel (where, in the panel's pixels) or a commit of a control.
void See(const char *what, int panel, int a, int b) {
    g_seen += std::string(what) + " " + std::to_string(panel) + " " + std::to_string(a) + "," + std::to_string(b) + "; ";
}

int SeePanel(int panel, int event, void *, int y, int x) {
    if (event == EVENT_LEFT_CLICK) See("click", panel, x, y);
    return 0;
}

void DiscardLater(void *panel) { DiscardPanel(static_cast<int>(reinterpret_cast<intptr_t>(panel))); }

int ClosePopup(int panel, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT) {
        See("close", panel, 0, 0);
        RemovePopup(panel);
        PostDeferredCallToThread(DiscardLater, reinterpret_cast<void *>(static_cast<intptr_t>(panel)), CurrThreadId());
        ++g_closed;
    }
    return 0;
}

int OpenPopup(int, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int popup = NewPanel(0, "Popup", 200, 200, kPopupHeight, kPopupWidth);
    See("open", popup, 0, 0);
    InstallPanelCallback(popup, SeePanel, nullptr);
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
    See("chose", panel, g_chosen, 0);
    return 0;
}

int Quit(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT) {
        See("quit", 0, 0, 0);
        QuitUserInterface(0);
    }
    return 0;
}

}  // namespace

// One session, run only as the child of the test below: the main panel until Quit, then what
// was opened and closed, in RTE_POPUPS_OUT, and on its output the clicks it was given. It gives
// up after two minutes without Quit (a loaded machine starts XWayland slowly).
TEST(PopupsSession, OpensAndClosesPopups) {
    const char *out = std::getenv("RTE_POPUPS_OUT");
    if (out == nullptr) GTEST_SKIP() << "runs as the child of the Wayland session test";
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    int panel = NewPanel(0, kMainTitle, 100, 100, kMainHeight, kMainWidth);
    InstallPanelCallback(panel, SeePanel, nullptr);
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
        if (!cv.wait_for(lock, std::chrono::seconds(120), [&] { return ended; })) {
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
    std::printf("seen: %s\n", g_seen.c_str());
    DiscardPanel(panel);
    CloseRTE();
}

namespace {

// Waits for what `found` looks for on the screen, reading it every 100 ms until the deadline
// (kPatience) or the end of the session.
bool AwaitScreen(::Display *d, const std::function<bool(const rte::testing::Image &)> &found,
                 rte::testing::Image *last, const std::atomic<bool> &sessionOver) {
    auto deadline = std::chrono::steady_clock::now() + rte::testing::kPatience;
    do {
        *last = rte::testing::CaptureScreen(d);
        if (found(*last)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline && !sessionOver.load());
    return false;
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

using rte::testing::Image;

// One session of PopupsSession on the virtual screen, driven from the test's thread.
class Session {
public:
    Session(const rte::testing::VirtualScreen &screen, ::Display *d, const std::string &environment)
        : screen_(screen), d_(d), result_("popups_" + std::to_string(getpid()) + ".out") {
        thread_ = std::thread([this, environment] {
            status_ = screen_.RunSession("PopupsSession.*", environment + " RTE_POPUPS_OUT=" + result_, &text_, 150);
            over_ = true;
        });
    }
    ~Session() {
        if (thread_.joinable()) thread_.join();
    }
    // Waits for the screen to show what `found` looks for; false (and the failure noted) when
    // it did not within kPatience or the session ended.
    bool Await(const std::function<bool(const Image &)> &found, const std::string &what) {
        if (!failure_.empty()) return false;
        if (AwaitScreen(d_, found, &seen_, over_)) return true;
        failure_ = what;
        return false;
    }
    // xdotool on the screen, then the pointer to `rest` (xdotool's words, may be empty).
    void Do(const std::string &arguments) {
        std::system(("DISPLAY=" + screen_.display() + " xdotool " + arguments + rest_ + " >/dev/null 2>&1").c_str());
    }
    void RestPointerAt(int x, int y) { rest_ = " sleep 0.2 mousemove " + std::to_string(x) + " " + std::to_string(y); }
    // Waits for the session's end; what it wrote, and how it ended and what it printed when
    // that was not as expected.
    std::string End(const Image &expected) {
        thread_.join();
        std::ifstream in(result_);
        std::string line;
        std::getline(in, line);
        std::remove(result_.c_str());
        EXPECT_TRUE(WIFEXITED(status_) && WEXITSTATUS(status_) == 0) << text_;
        if (!failure_.empty()) {
            rte::testing::SavePng(expected, "wayland_session_expected.png");
            rte::testing::SavePng(seen_, "wayland_session_seen.png");
            ADD_FAILURE() << failure_ << " (what was looked for and the screen last seen are in wayland_session_*.png)\n"
                          << text_;
        }
        return line;
    }
    const std::string &text() const { return text_; }

private:
    const rte::testing::VirtualScreen &screen_;
    ::Display *d_;
    std::string result_, text_, failure_, rest_;
    int status_ = -1;
    std::atomic<bool> over_{false};
    Image seen_;
    std::thread thread_;
};

}  // namespace

class WaylandSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox", "xdotool", "weston", "Xwayland"})) {
            GTEST_SKIP() << tool << " is not installed";
        }
        ASSERT_FALSE(screen_.display().empty()) << "Xvfb did not start";
        d_ = XOpenDisplay(screen_.display().c_str());
        ASSERT_NE(d_, nullptr);
    }
    void TearDown() override {
        if (d_ != nullptr) XCloseDisplay(d_);
    }

    rte::testing::VirtualScreen screen_;
    ::Display *d_ = nullptr;
};

TEST_F(WaylandSession, PopupsMenusAndPlacesAsOnX11) {
    // On X11: the main window's client area, and the corner of the menu, shown where the
    // program put it; the menu's first line chosen; Quit.
    Image main, menu;
    {
        Session x11(screen_, d_, "");
        ::Window window = 0;
        int x = 0, y = 0;
        x11.Await([&](const Image &) {
            window = rte::testing::FindNamedWindow(d_, DefaultRootWindow(d_), kMainTitle);
            Image now = window ? rte::testing::Capture(d_, window, 0, 0, kMainWidth, kMainHeight) : Image();
            bool steady = Drawn(now) && now == main;  // the same twice
            main = now;
            return steady;
        }, "the main window did not appear on X11");
        if (window != 0) rte::testing::WindowOrigin(d_, window, &x, &y);
        Image panelThere = Part(main, kMenuX, kMenuY);
        x11.Do(Click(x + kMenuLeft + kInto, y + kButtonsTop + kInto));
        x11.Await([&](const Image &s) {
            Image now = Part(s, x + kMenuX, y + kMenuY);
            bool steady = now != panelThere && now == menu;
            menu = now;
            return steady;
        }, "the menu did not appear on X11");
        x11.Do(Click(x + kMenuX + kIntoMenu, y + kMenuY + kIntoMenu));
        x11.Await([&](const Image &s) { return Part(s, x + kMenuX, y + kMenuY) == panelThere; },
                  "the menu did not close on X11");
        x11.Do(Click(x + kQuitLeft + kInto, y + kButtonsTop + kInto));
        EXPECT_EQ(x11.End(main), "quit 0, opened 0, closed 0, chose 1, at 100,100, display x11") << x11.text();
        if (HasFailure()) return;
    }

    // Weston draws its pointer over what it shows: it is away from weston's window when that
    // appears, and rests on weston's panel bar, where no window goes, while the test looks.
    std::system(("DISPLAY=" + screen_.display() + " xdotool mousemove 1023 767").c_str());
    rte::testing::Weston weston(screen_.display(), 800, 600);
    ASSERT_TRUE(weston.ready()) << "weston did not start:\n" << weston.Log();
    int ox = 0, oy = 0, mx = 0, my = 0, px = 0, py = 0;

    // On Wayland: the same pixels, five popups, the menu where the compositor put it, clicks on
    // the main window, Quit; the panel keeps the place the program gave it.
    {
        Session wayland(screen_, d_, weston.ClientEnvironment());
        wayland.Await([&](const Image &s) { return rte::testing::FindImage(s, main, &mx, &my); },
                      "the main window as on X11 is not on weston's output");
        if (::Window output = weston.OutputWindow()) rte::testing::WindowOrigin(d_, output, &ox, &oy);
        wayland.RestPointerAt(ox + 400, oy + 8);
        for (int round = 1; round <= 5; ++round) {
            wayland.Do(Click(mx + kOpenLeft + kInto, my + kButtonsTop + kInto));
            if (!wayland.Await([&](const Image &s) { return rte::testing::FindColour(s, kPopupColour, &px, &py); },
                               "popup " + std::to_string(round) + " did not appear")) {
                break;
            }
            wayland.Do(Click(px + kCloseLeft + kInto, py + kCloseTop + kInto));
            wayland.Await([&](const Image &s) { return !rte::testing::FindColour(s, kPopupColour, &px, &py); },
                          "popup " + std::to_string(round) + " did not close");
        }
        wayland.Do(Click(mx + kMenuLeft + kInto, my + kButtonsTop + kInto));
        if (wayland.Await([&](const Image &s) { return rte::testing::FindImage(s, menu, &px, &py); },
                          "the menu did not appear")) {
            wayland.Do(Click(px + kIntoMenu, py + kIntoMenu));
            wayland.Await([&](const Image &s) { return !rte::testing::FindImage(s, menu, &px, &py); },
                          "the menu did not close");
        }
        for (int click = 0; click < 3; ++click) wayland.Do(Click(mx + kMainWidth - 20, my + 20 + 10 * click));
        wayland.Do(Click(mx + kQuitLeft + kInto, my + kButtonsTop + kInto));
        EXPECT_EQ(wayland.End(main), "quit 0, opened 5, closed 5, chose 1, at 100,100, display wayland")
            << wayland.text() << "weston:\n" << weston.Log();
        if (HasFailure()) return;
    }

    // Under XWayland: the panel at the window's place, the menu where the program put it.
    {
        Session xwayland(screen_, d_, weston.XwaylandEnvironment());
        xwayland.RestPointerAt(ox + 400, oy + 8);
        xwayland.Await([&](const Image &s) { return rte::testing::FindImage(s, main, &mx, &my); },
                       "the main window is not on weston's output under XWayland");
        xwayland.Do(Click(mx + kMenuLeft + kInto, my + kButtonsTop + kInto));
        if (xwayland.Await([&](const Image &s) { return Part(s, mx + kMenuX, my + kMenuY) == menu; },
                           "the menu did not appear where the program put it under XWayland")) {
            // The open menu holds the pointer: Quit is clicked once it has gone.
            xwayland.Do(Click(mx + kMenuX + kIntoMenu, my + kMenuY + kIntoMenu));
            xwayland.Await([&](const Image &s) { return Part(s, mx + kMenuX, my + kMenuY) != menu; },
                           "the menu did not close under XWayland");
        }
        xwayland.Do(Click(mx + kQuitLeft + kInto, my + kButtonsTop + kInto));
        EXPECT_EQ(xwayland.End(menu), "quit 0, opened 0, closed 0, chose 1, at " + std::to_string(my - oy) + "," +
                                          std::to_string(mx - ox) + ", display x11")
            << xwayland.text() << "weston:\n" << weston.Log();
    }
}
