// A real progress dialog on a virtual screen (Xvfb with a window manager; the pointer and keys
// sent by xdotool, pixels read from the X server): at 50 % its percentage reads on the bar's
// blocks, between them and on the empty track, inside the bar; a click on its Cancel button,
// and then the Escape key, are seen by the reports that follow them. Each session runs in a child process (this test program again,
// filtered to ProgressScreenSession), because the display is chosen once per process. Skipped
// when the tools are not installed.
#include "toolbox/ui/progress_dialog.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "rte/display/virtual_screen_testing.h"
#include "rte/engine.h"
#include "rte/graphics.h"
#include "rte/ui.h"
#include "rte/display/screen_pixels_testing.h"  // last: it brings Xlib's macros

namespace {

// Reports until the dialog says it was cancelled; how many reports came after the operator's
// action was sent (-1: none cancelled within a minute).
int ReportsUntilCancelled(int dialog, const std::atomic<bool> &sent) {
    int after = 0;
    auto end = std::chrono::steady_clock::now() + rte::testing::kPatience;
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
        bool wasSent = sent.load();
        if (UpdateProgressDialog(dialog, i % 101, 1) == 1) return after;
        if (wasSent) ++after;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

// What is wrong with the bar's percentage as the screen shows it ("" when nothing): the track's
// inside at screen (left, top), `width` x `height`, filled with blocks of the highlight colour
// up to `filled` pixels. The digits must show light on the blocks, dark on the empty track and
// in every gap between blocks that they cross, and keep off the inside's top and bottom rows.
std::string PercentFault(const rte::testing::ScreenPixels &s, int left, int top, int width, int height, int filled) {
    const int highlight = RteGetSysColor(RTE_SYSCOLOR_HIGHLIGHT);
    // A column's background is what its top row shows: a block, or the white track.
    auto ink = [&](int x, int y) { return s.At(x, y) != s.At(x, top); };
    int light = 0, dark = 0, last = -1;
    for (int x = left; x < left + width; ++x) {
        for (int y = top; y < top + height; ++y) {
            if (!ink(x, y)) continue;
            if (y == top + height - 1) return "the digits touch the bar's bottom";
            last = x;
            bool block = s.At(x, top) == highlight;
            if (block && rte::testing::Luma(s.At(x, y)) > 200) ++light;
            if (!block && x >= left + filled && rte::testing::Luma(s.At(x, y)) < 100) ++dark;
        }
    }
    if (light < 3) return "no light digits on the blocks";
    if (dark < 3) return "no dark digits on the empty track";
    // The digits are centred, so they start as far left of the middle as they end right of it;
    // each gap among them must show them dark, as the track does.
    for (int x = 2 * (left + width / 2) - last; x < left + filled; ++x) {
        if (s.At(x, top) == highlight) continue;
        int gap = x;
        bool shown = false;
        for (; x < left + filled && s.At(x, top) != highlight; ++x)
            for (int y = top; y < top + height; ++y) shown = shown || rte::testing::Luma(s.At(x, y)) < 100;
        if (!shown) return "the digits vanish in the gap between blocks at x " + std::to_string(gap - left);
    }
    return "";
}

}  // namespace

// The session, run only as the child of the test below: the percentage at 50 %, then a click on
// Cancel, then Escape.
TEST(ProgressScreenSession, SeesTheOperatorsCancel) {
    const char *out = std::getenv("PROGRESS_SCREEN_OUT");
    if (out == nullptr) GTEST_SKIP() << "runs as the child of the screen test";
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    int dialog = CreateProgressDialog("Progress On Screen", "Working", 1, 3, "Cancel");
    ASSERT_GT(dialog, 0);
    int cancel = 0, top = 0, left = 0, height = 0, width = 0;
    GetPanelAttribute(dialog, ATTR_PANEL_FIRST_CTRL, &cancel);
    GetCtrlAttribute(dialog, cancel, ATTR_NEXT_CTRL, &cancel);
    GetCtrlBoundingRect(dialog, cancel, &top, &left, &height, &width);
    std::string find = rte::testing::ShellWaits() + " W=$(wait_window 'Progress On Screen') || exit 1;";
    std::string click = find + " xdotool mousemove --window $W " + std::to_string(left + width / 2) + " " +
                        std::to_string(top + height / 2) + " click 1 && sleep 0.3";
    std::string escape = find + " xdotool windowactivate --sync $W >/dev/null 2>&1; sleep 0.3; xdotool key Escape && sleep 0.3";
    std::ofstream results(out);
    // The bar at 50 %, once the screen shows it (its inside: 2 pixels in from its 300 x 14).
    int bar = 0, barTop = 0, barLeft = 0, x = 0, y = 0;
    GetPanelAttribute(dialog, ATTR_PANEL_FIRST_CTRL, &bar);
    GetCtrlAttribute(dialog, bar, ATTR_TOP, &barTop);
    GetCtrlAttribute(dialog, bar, ATTR_LEFT, &barLeft);
    std::string fault = "the dialog's window was not found";
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fault.empty() && std::chrono::steady_clock::now() < end) {
        UpdateProgressDialog(dialog, 50, 1);
        rte::testing::ScreenPixels pixels;
        if (rte::testing::FindWindowOrigin("Progress On Screen", &x, &y) &&
            rte::testing::ReadScreen(x + barLeft + 2, y + barTop + 2, 296, 10, &pixels)) {
            fault = PercentFault(pixels, x + barLeft + 2, y + barTop + 2, 296, 10, 148);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    results << "percent=" << (fault.empty() ? "readable" : "\"" + fault + "\"") << "\n";
    for (const std::string &action : {click, escape}) {
        std::atomic<bool> sent{false};
        int driven = -1;
        std::thread driver([&] {
            driven = std::system(action.c_str());
            sent.store(true);
        });
        int after = ReportsUntilCancelled(dialog, sent);
        driver.join();
        results << "driven=" << driven << " after=" << after << "\n";
    }
    DiscardProgressDialog(dialog);
    CloseRTE();
}

TEST(ProgressDialogScreen, ACancelOnTheScreenIsSeenByTheNextReport) {
    if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox", "xdotool"})) {
        GTEST_SKIP() << tool << " is not installed";
    }
    rte::testing::VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << screen.problem();
    std::string out = "progress_screen_" + std::to_string(getpid()) + ".out";
    std::string text;
    int status = screen.RunSession("ProgressScreenSession.*", "PROGRESS_SCREEN_OUT=" + out, &text,
                                   4 * rte::testing::kPatience.count());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen.Report(status, text);
    std::ifstream in(out);
    std::stringstream results;
    results << in.rdbuf();
    std::remove(out.c_str());
    // Each action was sent, and the dialog reported the cancel no later than the first report
    // after the action had reached the screen (or already before).
    EXPECT_EQ(results.str(), "percent=readable\ndriven=0 after=0\ndriven=0 after=0\n") << screen.Report(status, text);
}
