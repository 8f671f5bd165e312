// A tool tip on a real screen: a panel on the SDL display of a virtual X server (Xvfb with a
// window manager), the pointer moved by xdotool. Resting on the button makes pixels of the
// system's info background appear near the pointer, inside a border; moving out of the window
// makes them go. The pixels are read from the X server, as they are on the screen.
//
// The session runs in a child process (this test program again, filtered to TipScreenSession),
// because the display is chosen once per process and the other tests here use the headless one.
// It is skipped when the tools are not installed.
#include "toolbox/ui/tool_tips.h"

#include "rte/display/virtual_screen_testing.h"
#include "rte/engine.h"
#include "rte/graphics.h"
#include "rte/ui.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

// Last: Xlib's macros (None, Status, ...) would clash with the names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// Pixels of the colour (0x00RRGGBB) on the screen, within `reach` pixels of the pointer (-1: on
// the whole screen), as the X server has them; -1 when the screen cannot be read.
int ScreenPixels(int color, int reach) {
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) return -1;
    Window root = DefaultRootWindow(display), child;
    int x = 0, y = 0, wx, wy;
    unsigned mask;
    XQueryPointer(display, root, &root, &child, &x, &y, &wx, &wy, &mask);
    int width = DisplayWidth(display, DefaultScreen(display)), height = DisplayHeight(display, DefaultScreen(display));
    int left = 0, top = 0, right = width, bottom = height;
    if (reach >= 0) {
        left = std::max(0, x - reach);
        top = std::max(0, y - reach);
        right = std::min(width, x + reach);
        bottom = std::min(height, y + reach);
    }
    int count = -1;
    XImage *image = XGetImage(display, root, left, top, static_cast<unsigned>(right - left),
                              static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
    // The virtual screen is 24-bit true colour: red, green and blue in bytes 2, 1 and 0.
    if (image && image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 && image->blue_mask == 0xFF) {
        count = 0;
        for (int row = 0; row < bottom - top; ++row) {
            for (int column = 0; column < right - left; ++column) {
                if (static_cast<int>(XGetPixel(image, column, row) & 0xFFFFFF) == color) ++count;
            }
        }
    }
    if (image) XDestroyImage(image);
    XCloseDisplay(display);
    return count;
}

}  // namespace

// The session, run only as the child of the test below. The button lies at (40, 50) of the
// panel; the pointer rests on it, then leaves the window. Prints what was seen.
TEST(TipScreenSession, RestsOnTheButtonThenLeavesTheWindow) {
    if (std::getenv("RTE_TIP_SESSION") == nullptr) GTEST_SKIP() << "runs as the child of the screen test";
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    int panel = NewPanel(0, "Tip Screen", 100, 100, 200, 320);
    int button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Hover over me", 50, 40);
    ASSERT_EQ(SetCtrlToolTipAttribute(panel, button, ATTR_TOOLTIP_TEXT, "A tool tip on the screen"), 0);
    ASSERT_EQ(DisplayPanel(panel), 0);
    int background = RteGetSysColor(RTE_SYSCOLOR_INFOBK), border = 0;
    Get3dBorderColors(background, nullptr, nullptr, nullptr, &border);  // a one-pixel frame's line
    unsigned mainThread = CurrThreadId();
    int before = -1, shown = -1, hidden = -1, onto = -1, away = -1, framed = -1;
    std::string seen;
    std::thread driver([&] {
        // Nothing of the tip before the pointer comes near the button; then the tip's pixels
        // are waited for, and after the pointer has left, their going.
        std::string window = rte::testing::WaitForWindow("Tip Screen", &seen);
        if (!window.empty()) {
            before = ScreenPixels(background, -1);
            onto = std::system(
                ("xdotool mousemove --window " + window + " 60 60 mousemove --window " + window + " 61 61").c_str());
            rte::testing::WaitFor([&] { return (shown = ScreenPixels(background, 100)) > 500; });
            framed = ScreenPixels(border, 100);
            away = std::system("xdotool mousemove 1000 740");
            rte::testing::WaitFor([&] { return (hidden = ScreenPixels(background, -1)) == 0; });
        }
        PostDeferredCallToThread([](void *) { QuitUserInterface(0); }, nullptr, mainThread);
    });
    EXPECT_EQ(RunUserInterface(), 0);
    driver.join();
    if (!seen.empty()) std::printf("%s", seen.c_str());
    std::printf("tip session: onto=%d away=%d before=%d shown=%d hidden=%d framed=%d\n", onto, away, before, shown,
                hidden, framed);
    std::fflush(stdout);
    DiscardPanel(panel);
    CloseRTE();
}

TEST(ToolTipOnScreen, AppearsNearThePointerAfterRestingAndGoesWhenItLeaves) {
    if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox", "xdotool"})) {
        GTEST_SKIP() << tool << " is not installed";
    }
    rte::testing::VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << screen.problem();
    // The session's leaks are not looked for: the headless tests look for the tips' own, and
    // LeakSanitizer's end-of-process scan now and then fails on the screen libraries' threads,
    // which would fail this test for nothing it checks.
    const char *asan = std::getenv("ASAN_OPTIONS");
    std::string options = std::string("ASAN_OPTIONS='") + (asan ? asan : "") + ":detect_leaks=0' RTE_TIP_SESSION=1";
    std::string text;
    int status = screen.RunSession("TipScreenSession.*", options, &text, 4 * rte::testing::kPatience.count());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen.Report(status, text);
    int onto = -1, away = -1, before = -1, shown = -1, hidden = -1, framed = -1;
    size_t at = text.find("tip session:");
    ASSERT_NE(at, std::string::npos) << text;
    ASSERT_EQ(std::sscanf(text.c_str() + at, "tip session: onto=%d away=%d before=%d shown=%d hidden=%d framed=%d",
                          &onto, &away, &before, &shown, &hidden, &framed),
              6)
        << text;
    EXPECT_EQ(onto, 0) << text;
    EXPECT_EQ(away, 0) << text;
    EXPECT_EQ(before, 0) << "no tip before the pointer rests\n" << text;
    EXPECT_GT(shown, 500) << "the tip's background near the pointer\n" << text;
    // Its border all round: two lines as long as the tip is wide, two as tall, of some 20 pixels.
    EXPECT_GT(framed, 2 * 100 + 2 * 15) << "the tip's border\n" << text;
    EXPECT_EQ(hidden, 0) << "no tip once the pointer has left\n" << text;
}
