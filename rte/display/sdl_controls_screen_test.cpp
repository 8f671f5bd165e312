// Controls on a real screen (Xvfb with a window manager; keys sent by xdotool, pixels read from
// the X server): a text typed past the end of its field keeps its caret inside the field, and
// Alt with a button's marked letter presses it, while the letter is typed nowhere.
//
// The session runs in a child process (this test program again, filtered to
// ControlsScreenSession), because the display is chosen once per process. Skipped when the tools
// are not installed.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "rte/display/virtual_screen_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"
#include "rte/display/screen_pixels_testing.h"  // last: it brings Xlib's macros

namespace {

const char kTitle[] = "Controls On Screen";
constexpr int kFieldTop = 40, kFieldLeft = 20, kFieldWidth = 120, kFieldHeight = 22;
std::atomic<int> g_cancels{0}, g_length{0};

int CountLength(int panel, int control, int event, void *, int, int) {
    int length = 0;
    if (event == EVENT_VAL_CHANGED && GetCtrlAttribute(panel, control, ATTR_STRING_TEXT_LENGTH, &length) == 0) {
        g_length = length;
    }
    return 0;
}

int CountCancel(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT) ++g_cancels;
    return 0;
}

// Waits up to a minute for a condition, looking every 100 ms.
template <typename Condition>
bool WaitFor(Condition condition) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

// The caret as the field on the screen shows it: the rightmost column inside the field's border
// that holds a dark line of 12 pixels or more (its text, a row of a's, is half as tall), in
// field coordinates; -1 when there is none or the screen cannot be read.
int CaretColumn(int originX, int originY) {
    rte::testing::ScreenPixels pixels;
    int left = originX + kFieldLeft, top = originY + kFieldTop;
    if (!rte::testing::ReadScreen(left, top, kFieldWidth, kFieldHeight, &pixels)) return -1;
    int caret = -1;
    for (int x = 2; x < kFieldWidth - 2; ++x) {
        int run = 0, longest = 0;
        for (int y = 2; y < kFieldHeight - 2; ++y) {
            run = rte::testing::Luma(pixels.At(left + x, top + y)) < 80 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        if (longest >= 12) caret = x;
    }
    return caret;
}

}  // namespace

// The session, run only as the child of the test below. Prints what it saw.
TEST(ControlsScreenSession, TypesALongTextThenPressesAltC) {
    if (std::getenv("RTE_CONTROLS_SESSION") == nullptr) GTEST_SKIP() << "runs as the child of the screen test";
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    int panel = NewPanel(0, kTitle, 100, 100, 120, 260);
    int field = NewCtrl(panel, CTRL_STRING, "Name", kFieldTop, kFieldLeft);
    SetCtrlAttribute(panel, field, ATTR_WIDTH, kFieldWidth);
    InstallCtrlCallback(panel, field, CountLength, nullptr);
    int cancel = NewCtrl(panel, CTRL_COMMAND_BUTTON, "__Cancel", 80, 150);
    InstallCtrlCallback(panel, cancel, CountCancel, nullptr);
    ASSERT_EQ(DisplayPanel(panel), 0);  // the field has the focus
    unsigned mainThread = CurrThreadId();
    std::string typed(40, 'a');
    int x = 0, y = 0, caret = -1, found = 0, keys = -1, alt = -1, pressed = 0;
    std::thread driver([&] {
        found = WaitFor([&] { return rte::testing::FindWindowOrigin(kTitle, &x, &y); });
        // The keys go to the window that has the keyboard: the panel's, once the window manager
        // has given it (on a loaded machine that takes a while).
        keys = std::system(("W=$(xdotool search --sync --onlyvisible --name '^Controls On Screen$' | head -1);"
                            " for i in $(seq 300); do xdotool windowactivate --sync $W >/dev/null 2>&1;"
                            "   [ \"$(xdotool getwindowfocus)\" = \"$W\" ] && break; sleep 0.2; done;"
                            " xdotool type --delay 20 " + typed).c_str());
        // Once the whole text is in, its end, and so the caret, is drawn at the field's right.
        if (WaitFor([&] { return g_length.load() == static_cast<int>(typed.size()); })) {
            WaitFor([&] { return (caret = CaretColumn(x, y)) >= kFieldWidth / 2; });
        }
        alt = std::system("xdotool key alt+z alt+c");
        pressed = WaitFor([] { return g_cancels.load() > 0; });
        PostDeferredCallToThread([](void *) { QuitUserInterface(0); }, nullptr, mainThread);
    });
    EXPECT_EQ(RunUserInterface(), 0);
    driver.join();
    std::printf("controls session: found=%d keys=%d alt=%d caret=%d pressed=%d cancels=%d value=%s\n", found, keys,
                alt, caret, pressed, g_cancels.load(), rte::testing::ValueText(panel, field).c_str());
    std::fflush(stdout);
    DiscardPanel(panel);
    CloseRTE();
}

TEST(ControlsOnScreen, ALongTextKeepsItsCaretInTheFieldAndAltCPressesCancel) {
    if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox", "xdotool"})) {
        GTEST_SKIP() << tool << " is not installed";
    }
    rte::testing::VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << "Xvfb did not start";
    std::string text;
    int status = screen.RunSession("ControlsScreenSession.*", "RTE_CONTROLS_SESSION=1", &text, 240);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text;
    int found = 0, keys = -1, alt = -1, caret = -1, pressed = 0, cancels = 0;
    char value[128] = "";
    size_t at = text.find("controls session:");
    ASSERT_NE(at, std::string::npos) << text;
    ASSERT_EQ(std::sscanf(text.c_str() + at,
                          "controls session: found=%d keys=%d alt=%d caret=%d pressed=%d cancels=%d value=%127s",
                          &found, &keys, &alt, &caret, &pressed, &cancels, value),
              7)
        << text;
    EXPECT_EQ(found, 1) << text;
    EXPECT_EQ(keys, 0) << text;
    EXPECT_EQ(alt, 0) << text;
    EXPECT_GE(caret, kFieldWidth / 2) << "the caret inside the field, at the end of the text\n" << text;
    EXPECT_LE(caret, kFieldWidth - 3) << text;
    EXPECT_EQ(cancels, 1) << "Alt+C pressed Cancel once\n" << text;
    EXPECT_EQ(std::string(value), std::string(40, 'a')) << "neither z nor c was typed\n" << text;
}
