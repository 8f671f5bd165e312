// A popup menu on the SDL display of a virtual screen (Xvfb with a window manager, input from
// xdotool): chosen with the keys, and with a click on its line. The session runs in a child
// process (this program again, filtered to MenuSession), since the display is chosen once per
// process; the test is skipped when the tools are not installed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "rte/display/virtual_screen_testing.h"
#include "rte/rte.h"

namespace {

int g_chosen = -1;

void OpenMenu(void *) {
    const RteMenuItem items[] = {{"Alpha", 1, 0, 0, 0, 0}, {"Beta", 2, 0, 0, 1, 0},
                                 {nullptr, 0, 1, 0, 0, 0}, {"Gamma", 3, 0, 0, 0, 1}};
    g_chosen = RteTrackPopupMenu(items, 4, 300, 200, 0);
    QuitUserInterface(0);
}

}  // namespace

// One session, run only as the child of the test below: opens the menu on the screen while
// RTE_MENU_INPUT (an xdotool command line) works it, and writes the command chosen to
// RTE_MENU_OUT.
TEST(MenuSession, ChoosesOnTheScreen) {
    const char *out = std::getenv("RTE_MENU_OUT");
    if (out == nullptr) GTEST_SKIP() << "runs as the child of the screen menu test";
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    int panel = NewPanel(0, "Menu Test", 100, 100, 150, 200);
    ASSERT_EQ(DisplayPanel(panel), 0);
    // The input starts once the menu's own window is shown beside the panel's.
    std::string input = rte::testing::ShellWaits() +
                        " w=$(wait_window 'Menu Test') || exit 1;"
                        " xdotool windowactivate --sync $w >/dev/null 2>&1; wait_windows 2 || exit 1;" +
                        std::getenv("RTE_MENU_INPUT");
    int driven = -1;
    std::thread driver([&] { driven = std::system(input.c_str()); });
    PostDeferredCallToThread(OpenMenu, nullptr, CurrThreadId());
    EXPECT_EQ(RunUserInterface(), 0);
    driver.join();
    EXPECT_EQ(driven, 0);
    std::ofstream(out) << g_chosen;
    DiscardPanel(panel);
    CloseRTE();
}

TEST(ScreenMenu, IsWorkedWithTheKeysAndThePointer) {
    if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox", "xdotool"})) {
        GTEST_SKIP() << tool << " is not installed";
    }
    rte::testing::VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << screen.problem();
    std::string result = "menu_screen_" + std::to_string(getpid()) + ".out";
    // Down marks Alpha, the second Down passes the dimmed Beta and the separator: Gamma. The
    // click lands on Alpha's line (the menu's top-left corner is at 300, 200).
    struct Case {
        const char *input;
        const char *chosen;
    } cases[] = {
        {"xdotool key --delay 100 Down Down Return", "3"},
        {"xdotool mousemove 330 214 sleep 0.3 click 1", "1"},
        {"xdotool key Escape", "0"},
    };
    for (const Case &c : cases) {
        std::string text;
        std::string environment = "RTE_MENU_OUT='" + result + "' RTE_MENU_INPUT='" + c.input + "'";
        int status = screen.RunSession("MenuSession.*", environment, &text, 3 * rte::testing::kPatience.count());
        EXPECT_EQ(status, 0) << c.input << "\n" << screen.Report(status, text);
        std::ifstream in(result);
        std::string chosen;
        std::getline(in, chosen);
        EXPECT_EQ(chosen, c.chosen) << c.input;
        std::remove(result.c_str());
    }
}
