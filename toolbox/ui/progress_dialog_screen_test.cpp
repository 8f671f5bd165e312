// A real progress dialog on a virtual screen (Xvfb with a window manager; the pointer and keys
// sent by xdotool): a click on its Cancel button, and then the Escape key, are seen by the
// reports that follow them. Each session runs in a child process (this test program again,
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
#include "rte/ui.h"

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

}  // namespace

// The session, run only as the child of the test below: a click on Cancel, then Escape.
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
    EXPECT_EQ(results.str(), "driven=0 after=0\ndriven=0 after=0\n") << screen.Report(status, text);
}
