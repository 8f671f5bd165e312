// Tests of the test panel on a real screen: the program's panel and callbacks run on the SDL
// display under a virtual X server (Xvfb) with a window manager (openbox), driven by synthetic
// mouse clicks and key strokes (xdotool) and closed through the window manager (wmctrl).
//
// The screen session runs in a child process (this test program again, filtered to
// ScreenSession), because the display is chosen once per process and the other tests of this
// program use the headless one. The test is skipped when those tools are not installed.
#include "app/panel_callbacks_testing.h"
#include "qm7300/QM7300.h"
#include "rte/display/virtual_screen_testing.h"
#include "rte/engine.h"
#include "rte/graphics.h"
#include "rte/testing.h"
#include "rte/ui.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>


namespace {

namespace rt = rte::testing;

int g_closeEvents = 0;
int CountClose(int, int event, void *, int, int) {
    if (event == EVENT_CLOSE) ++g_closeEvents;
    return 0;
}

// The events of the checks panel's controls: event, data 1, data 2.
struct Seen {
    int event, data1, data2;
    bool operator==(const Seen &) const = default;
};
std::vector<Seen> g_seen;
int Record(int, int, int event, void *, int data1, int data2) {
    if (event != EVENT_GOT_FOCUS && event != EVENT_LOST_FOCUS && event != EVENT_KEYPRESS) {
        g_seen.push_back({event, data1, data2});
    }
    return 0;
}

int g_buttonCommits = 0;
int CountCommits(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT) ++g_buttonCommits;
    return 0;
}

// "x y" of a control's centre (or of a point inside it), in window coordinates.
std::string At(int panel, const char *name, int dx = -1, int dy = -1, int control = 0) {
    int id = control ? control : rt::FindCtrl(panel, name), top = 0, left = 0, w = 0, h = 0;
    GetCtrlAttribute(panel, id, ATTR_TOP, &top);
    GetCtrlAttribute(panel, id, ATTR_LEFT, &left);
    GetCtrlAttribute(panel, id, ATTR_WIDTH, &w);
    GetCtrlAttribute(panel, id, ATTR_HEIGHT, &h);
    return std::to_string(left + (dx < 0 ? w / 2 : dx)) + " " + std::to_string(top + (dy < 0 ? h / 2 : dy));
}

}  // namespace

// The operator's session itself; runs only as the child of ScreenTest below.
TEST(ScreenSession, OperatorUsesThePanel) {
    if (std::getenv("QM7300_SCREEN_SESSION") == nullptr) GTEST_SKIP() << "runs as the child of the screen test";
    setenv("RTE_DISPLAY", "sdl", 1);
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(RteSetSymbolTable(kPanelSymbols, kPanelSymbolCount), 0);
    int panel = LoadPanel(0, "QM7300_Test.uir", 1);
    ASSERT_GT(panel, 0) << RteGetLoadPanelError();
    // The panel file makes closing the window end the program as the Quit button does.
    int closeCtrl = 0;
    ASSERT_EQ(GetPanelAttribute(panel, ATTR_CLOSE_CTRL, &closeCtrl), 0);
    EXPECT_EQ(closeCtrl, rt::FindCtrl(panel, "PANEL_QUIT"));
    ASSERT_EQ(InstallPanelCallback(panel, CountClose, nullptr), 0);
    ASSERT_EQ(DisplayPanel(panel), 0);

    // A second window beside it, of an entry and a ring whose callbacks record what reaches them.
    int checks = NewPanel(0, "Screen Checks", 100, 660, 200, 300);
    int entry = NewCtrl(checks, CTRL_STRING, "Entry", 30, 20);
    int ring = NewCtrl(checks, CTRL_RING, "Ring", 80, 20);
    ASSERT_GT(entry, 0);
    ASSERT_GT(ring, 0);
    SetCtrlAttribute(checks, ring, ATTR_DATA_TYPE, VAL_STRING);
    for (const char *item : {"one", "two", "three"}) InsertListItem(checks, ring, -1, item, item);
    SetCtrlVal(checks, entry, "abcdef");
    InstallCtrlCallback(checks, entry, Record, nullptr);
    InstallCtrlCallback(checks, ring, Record, nullptr);
    int button = NewCtrl(checks, CTRL_COMMAND_BUTTON, "Press", 130, 20);
    ASSERT_GT(button, 0);
    InstallCtrlCallback(checks, button, CountCommits, nullptr);
    ASSERT_EQ(DisplayPanel(checks), 0);
    int abc = 0;
    ASSERT_EQ(GetTextDisplaySize("abc", VAL_DIALOG_FONT, nullptr, &abc), 0);
    int ringTop = 0, ringHeight = 0;
    GetCtrlAttribute(checks, ring, ATTR_TOP, &ringTop);
    GetCtrlAttribute(checks, ring, ATTR_HEIGHT, &ringHeight);
    // The third line of the ring's open list, which opens below it.
    std::string third = "40 " + std::to_string(ringTop + ringHeight + 2 + 2 * 15 + 7);

    // One list line down from the list's top: the first device.
    std::string script = rt::ShellWaits() +
                         " W=$(wait_window 'QM7300 Test') && C=$(wait_window 'Screen Checks') || exit 1;"
                         " set -e; xdotool windowactivate --sync $C >/dev/null 2>&1 || true;"
                         " at() { xdotool mousemove --window $C $1 $2; sleep 0.2; };"
                         " at " + At(checks, "", 2, 2, entry) + "; xdotool click --repeat 2 --delay 80 1; sleep 0.4;"
                         " xdotool click 3; sleep 0.4;"
                         // A drag over "abc", then typing replaces what it selected.
                         " at " + At(checks, "", 3, 11, entry) + "; xdotool mousedown 1; sleep 0.2;"
                         " at " + At(checks, "", 5 + abc - 1, 11, entry) + "; xdotool mouseup 1; sleep 0.2;"
                         " xdotool type Z; sleep 0.3;"
                         // The ring's list: a click opens it, a click chooses; Space opens it,
                         // Up and Enter choose; Escape leaves the value.
                         " at " + At(checks, "", -1, -1, ring) + "; xdotool click 1; sleep 0.4;"
                         " at " + third + "; xdotool click 1; sleep 0.4;"
                         " xdotool key space; sleep 0.2; xdotool key Up; sleep 0.2; xdotool key Return; sleep 0.3;"
                         " xdotool key space; sleep 0.2; xdotool key Down; sleep 0.2; xdotool key Escape; sleep 0.3;"
                         " at " + At(checks, "", -1, -1, button) + "; xdotool click 1; sleep 0.3;"
                         " xdotool key space; sleep 0.3;"
                         " xdotool windowactivate --sync $W >/dev/null 2>&1 || true; sleep 0.3;"
                         " click() { xdotool mousemove --window $W $1 $2 click 1; sleep 0.4; };"
                         " click " + At(panel, "PANEL_LIST") + ";"
                         " click " + At(panel, "PANEL_DEVICES", 20, 9) + ";"
                         " click " + At(panel, "PANEL_PORT0_WRITE") + "; xdotool type --delay 30 77; sleep 0.2;"
                         " xdotool key Tab; xdotool type --delay 30 12; sleep 0.2;"
                         " click " + At(panel, "PANEL_WRITE_FOCUS") + ";"
                         " wmctrl -c 'QM7300 Test'";
    rt::ScreenDriver driver(script);
    RunUserInterface();
    int driven = driver.Finish();
    EXPECT_EQ(driven, 0);
    EXPECT_EQ(g_closeEvents, 1);

    // Double and right clicks reach the callback with the point (data 1 = y, data 2 = x).
    std::vector<Seen> entryClicks(g_seen.begin(), g_seen.begin() + std::min<size_t>(g_seen.size(), 3));
    EXPECT_EQ(entryClicks, (std::vector<Seen>{{EVENT_LEFT_CLICK, 32, 22},
                                              {EVENT_LEFT_DOUBLE_CLICK, 32, 22},
                                              {EVENT_RIGHT_CLICK, 32, 22}}));
    EXPECT_EQ(rt::ValueText(checks, entry), "Zdef");
    std::vector<int> ringEvents;
    for (const Seen &seen : g_seen) {
        if (seen.event == EVENT_VAL_CHANGED || seen.event == EVENT_COMMIT) ringEvents.push_back(seen.event);
    }
    // The entry's one change (typing), then the ring's two choices.
    EXPECT_EQ(ringEvents, (std::vector<int>{EVENT_VAL_CHANGED, EVENT_VAL_CHANGED, EVENT_COMMIT, EVENT_VAL_CHANGED,
                                            EVENT_COMMIT}));
    EXPECT_EQ(rt::ValueText(checks, ring), "two");
    EXPECT_EQ(g_buttonCommits, 2);  // a click, then Space on the focused button
    DiscardPanel(checks);
    int devices = rt::FindCtrl(panel, "PANEL_DEVICES");
    EXPECT_EQ(rt::ItemLabels(panel, devices), (std::vector<std::string>{"QM7300-0", "QM7300-1"}));
    EXPECT_EQ(rt::ValueText(panel, rt::FindCtrl(panel, "PANEL_PORT0_WRITE")), "77");
    EXPECT_EQ(rt::ValueText(panel, rt::FindCtrl(panel, "PANEL_PORT1_WRITE")), "12");
    EXPECT_EQ(rt::ValueText(panel, rt::FindCtrl(panel, "PANEL_STATUS")), "");
    // The values reached the device: its output latches hold them.
    int h = 0;
    unsigned char v16 = 0, v17 = 0;
    char err[QM_ERROR_TEXT_SIZE];
    ASSERT_EQ(QM_OpenDIO("QM7300-0", &h), 0);
    EXPECT_EQ(QM_ReadPort(h, 16, &v16, err), 0);
    EXPECT_EQ(QM_ReadPort(h, 17, &v17, err), 0);
    QM_CloseDIO(h);
    EXPECT_EQ(v16, 77);
    EXPECT_EQ(v17, 12);
    DiscardPanel(panel);
    CloseRTE();
}

// A virtual screen with a window manager for the length of a test; DISPLAY names it.
class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox", "xdotool", "wmctrl"})) {
            GTEST_SKIP() << tool << " is not installed";
        }
        screen_ = std::make_unique<rte::testing::VirtualScreen>();
        ASSERT_FALSE(screen_->display().empty()) << screen_->problem();
        setenv("DISPLAY", screen_->display().c_str(), 1);
    }
    void TearDown() override {
        screen_.reset();
        unsetenv("DISPLAY");
    }
    std::unique_ptr<rte::testing::VirtualScreen> screen_;
};

TEST_F(ScreenTest, PanelWorksWithMouseKeyboardAndWindowManager) {
    std::string text;
    int status = screen_->RunSession("ScreenSession.*", "QM7300_SCREEN_SESSION=1", &text, 4 * rt::kPatience.count());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen_->Report(status, text);
    EXPECT_NE(text.find("[  PASSED  ] 1 test"), std::string::npos) << text;
}

#ifdef QM7300_TEST_PROGRAM
// The program itself: with a screen reachable and no RTE_DISPLAY it opens its window, takes a
// click on List, and closing the window through the window manager ends it with exit code 0.
TEST_F(ScreenTest, TheProgramOpensItsWindowAndTheCloseBoxQuits) {
    unsetenv("RTE_DISPLAY");
    unsetenv("RTE_SCRIPT");
    std::string text;
    std::string patience = std::to_string(rt::kPatience.count());
    std::string script =
        rt::ShellWaits() + " '" QM7300_TEST_PROGRAM "' & P=$!;"
        " W=$(wait_window 'QM7300 Test') || { kill $P; exit 10; };"
        " xdotool mousemove --window $W 200 62 click 1; sleep 0.5;"
        " kill -0 $P || exit 11;"
        " (sleep " + patience + "; kill -9 $P) >/dev/null 2>&1 & D=$!;"  // should the close box not end it
        " wmctrl -c 'QM7300 Test'; wait $P; R=$?; kill $D 2>/dev/null; exit $R";
    int status = rt::RunCommand(script, &text);
    EXPECT_EQ(rt::DescribeStatus(status), "exit code 0") << text << "windows on the screen:\n" << screen_->Windows();
}
#endif
