// Tests of extended mouse events on the manual clock with the pointer moved as the operator
// moves it: moves and releases with their coordinates, presses between two polls, enabling and
// disabling, discarding, failures; and the conversion of coordinates.
#include "toolbox/ui/mouse_events.h"

#include "rte/alloc_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "toolbox/ui/callback_chain.h"
#include "toolbox/windows/deferred_calls.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using namespace rte::testing;

std::vector<std::string> g_events;
void (*g_onEvent)(int panel, int control, int event) = nullptr;

// Records the extended events as "event y x".
int Record(int panel, int control, int event, void *, int y, int x) {
    if (event >= EVENT_MOUSE_MOVE && event <= EVENT_LEFT_MOUSE_UP) {
        g_events.push_back(std::to_string(event) + " " + std::to_string(y) + " " + std::to_string(x));
        if (g_onEvent) g_onEvent(panel, control, event);
    }
    return 0;
}

std::string Ev(int event, int y, int x) { return std::to_string(event) + " " + std::to_string(y) + " " + std::to_string(x); }

class MouseEvents : public ::testing::Test {
protected:
    int panel = 0, plot = 0;

    void SetUp() override {
        g_events.clear();
        g_onEvent = nullptr;
        UseManualClock(10.0);
        panel = NewPanel(0, "mouse", 100, 100, 200, 300);
        plot = NewCtrl(panel, CTRL_COMMAND_BUTTON, "", 20, 30);
        SetCtrlAttribute(panel, plot, ATTR_WIDTH, 100);
        SetCtrlAttribute(panel, plot, ATTR_HEIGHT, 50);
        InstallCtrlCallback(panel, plot, Record, nullptr);
        DisplayPanel(panel);
        MoveMouse(panel, 0, 0);
    }
    void TearDown() override {
        DiscardPanel(panel);  // (not every panel: the thread's delayed calls keep a hidden one)
        Poll(1.0);
        UseRealClock();
    }
    // Lets `seconds` pass and runs what is due.
    void Poll(double seconds = 0.05) {
        AdvanceClock(seconds);
        for (int i = 0; i < 4; ++i) ProcessSystemEvents();
    }
    std::vector<std::string> Take() { return std::exchange(g_events, {}); }
};

TEST_F(MouseEvents, MovesAndReleasesArriveAtTheNextPollWithPanelCoordinates) {
    ASSERT_EQ(EnableExtendedMouseEvents(panel, plot, 0.05), 0);
    Poll();
    EXPECT_EQ(Take(), std::vector<std::string>{}) << "a pointer that does not move gives nothing";
    struct {
        int x, y;
        bool left, right;
        std::vector<std::string> expected;
    } steps[] = {
        {40, 30, false, false, {Ev(EVENT_MOUSE_MOVE, 30, 40)}},
        {40, 30, true, false, {}},  // pressed: nothing yet
        {250, 190, true, true, {Ev(EVENT_MOUSE_MOVE, 190, 250)}},  // also outside the control
        {250, 190, false, true, {Ev(EVENT_LEFT_MOUSE_UP, 190, 250)}},
        {-5, 7, false, false, {Ev(EVENT_MOUSE_MOVE, 7, -5), Ev(EVENT_RIGHT_MOUSE_UP, 7, -5)}},
        {-5, 7, false, false, {}},
    };
    for (const auto &s : steps) {
        SetMouseState(panel, s.x, s.y, s.left, s.right);
        Poll();
        EXPECT_EQ(Take(), s.expected) << s.x << "," << s.y;
    }
}

TEST_F(MouseEvents, APressAndReleaseBetweenTwoPollsStillGivesItsRelease) {
    ASSERT_EQ(EnableExtendedMouseEvents(panel, plot, 0.05), 0);
    MoveMouse(panel, 50, 40);
    MouseButton(panel, false, true);
    MouseButton(panel, false, false);
    MouseButton(panel, true, true);
    MouseButton(panel, true, false);
    EXPECT_EQ(Take(), std::vector<std::string>{});
    Poll();
    EXPECT_EQ(Take(), (std::vector<std::string>{Ev(EVENT_MOUSE_MOVE, 40, 50), Ev(EVENT_LEFT_MOUSE_UP, 40, 50),
                                                Ev(EVENT_RIGHT_MOUSE_UP, 40, 50)}));
    Poll();
    EXPECT_EQ(Take(), std::vector<std::string>{});
    // A click a program calls from another thread is not the pointer's: no release follows it.
    std::thread([this] { CallCtrlCallback(panel, plot, EVENT_LEFT_CLICK, 40, 50, nullptr); }).join();
    Poll();
    EXPECT_EQ(Take(), std::vector<std::string>{});
}

TEST_F(MouseEvents, PollsComeAtTheIntervalAndEnablingAgainChangesIt) {
    ASSERT_EQ(EnableExtendedMouseEvents(panel, plot, 0.5), 0);
    SetMouseState(panel, 1, 1, false, false);
    Poll(0.3);
    EXPECT_EQ(Take().size(), 0u);
    Poll(0.2);
    EXPECT_EQ(Take().size(), 1u);
    ASSERT_EQ(EnableExtendedMouseEvents(panel, plot, 0.1), 0);  // from the next re-post on
    SetMouseState(panel, 2, 2, false, false);
    Poll(0.5);
    EXPECT_EQ(Take().size(), 1u);
    SetMouseState(panel, 3, 3, false, false);
    Poll(0.1);
    EXPECT_EQ(Take().size(), 1u);
    // Disabled, nothing more comes; enabled again, a fresh record polls at the new interval.
    ASSERT_EQ(DisableExtendedMouseEvents(panel, plot), 0);
    SetMouseState(panel, 4, 4, false, false);
    Poll(1.0);
    EXPECT_EQ(Take().size(), 0u);
    EXPECT_EQ(DisableExtendedMouseEvents(panel, plot), UIE_WRONG_ATTRIBUTE);
    ASSERT_EQ(EnableExtendedMouseEvents(panel, plot, 0.2), 0);
    SetMouseState(panel, 5, 5, false, false);
    Poll(0.1);
    EXPECT_EQ(Take().size(), 0u);
    Poll(0.1);
    EXPECT_EQ(Take(), std::vector<std::string>{Ev(EVENT_MOUSE_MOVE, 5, 5)});
}

TEST_F(MouseEvents, EventsStopWhenACallbackDisablesThemOrDiscardsTheControl) {
    struct {
        const char *what;
        void (*onEvent)(int panel, int control, int event);
    } cases[] = {
        {"disable", [](int p, int c, int) { DisableExtendedMouseEvents(p, c); }},
        {"discard", [](int p, int c, int) { DiscardCtrl(p, c); }},
    };
    for (const auto &k : cases) {
        int control = NewCtrl(panel, CTRL_STRING, "", 100, 30);
        InstallCtrlCallback(panel, control, Record, nullptr);
        ASSERT_EQ(EnableExtendedMouseEvents(panel, control, 0.05), 0);
        g_onEvent = k.onEvent;
        SetMouseState(panel, 9, 9, true, false);
        Poll();
        SetMouseState(panel, 8, 8, false, false);  // a move and a release due: only the move comes
        Poll();
        EXPECT_EQ(Take(), std::vector<std::string>{Ev(EVENT_MOUSE_MOVE, 9, 9)}) << k.what;
        g_onEvent = nullptr;
        Poll(1.0);
        EXPECT_EQ(Take(), std::vector<std::string>{}) << k.what;
    }
}

TEST_F(MouseEvents, DiscardingThePanelStopsThePolls) {
    ASSERT_EQ(EnableExtendedMouseEvents(panel, plot, 0.05), 0);
    Poll();
    DiscardPanel(panel);
    panel = NewPanel(0, "fresh", 0, 0, 10, 10);  // for TearDown
    SetMouseState(panel, 1, 1, false, false);
    Poll();
    EXPECT_EQ(Take(), std::vector<std::string>{});
}

TEST_F(MouseEvents, FailuresLeaveNoRecordAndNoLink) {
    int oldBreak = SetBreakOnLibraryErrors(0);
    EXPECT_EQ(EnableExtendedMouseEvents(panel, plot + 100, 0.05), UIE_BAD_CONTROL);
    EXPECT_EQ(EnableExtendedMouseEvents(panel + 100, plot, 0.05), UIE_BAD_PANEL);
    EXPECT_EQ(DisableExtendedMouseEvents(panel, plot + 100), UIE_BAD_CONTROL);
    SetBreakOnLibraryErrors(oldBreak);
    // Once first, so that the thread's delayed-call state exists in every counted run.
    ASSERT_EQ(EnableExtendedMouseEvents(panel, plot, 0.05), 0);
    ASSERT_EQ(DisableExtendedMouseEvents(panel, plot), 0);
    Poll();
    ForEachAllocationFailure([&](bool injected) {
        int status = EnableExtendedMouseEvents(panel, plot, 0.05);
        EXPECT_EQ(status, injected && AllocationFaultFired() ? UIE_OUT_OF_MEMORY : 0);
        void *data = nullptr;
        EXPECT_EQ(GetChainedCallbackData(panel, plot, "MouseEvents", &data), status == 0 ? 0 : UIE_WRONG_ATTRIBUTE);
        if (status == 0) {
            EXPECT_EQ(DisableExtendedMouseEvents(panel, plot), 0);
        }
        Poll();
    });
}

TEST(ConvertMouseCoordinates, TurnsPanelPointsIntoControlPoints) {
    int panel = NewPanel(0, "convert", 0, 0, 200, 200);
    int control = NewCtrl(panel, CTRL_STRING, "", 20, 30);  // left 30, top 20
    SetCtrlAttribute(panel, control, ATTR_WIDTH, 100);
    SetCtrlAttribute(panel, control, ATTR_HEIGHT, 50);
    struct {
        int relative, pin, x, y, expectedX, expectedY;
    } cases[] = {
        {0, 0, 10, 5, 10, 5},     {1, 0, 10, 5, -20, -15}, {1, 1, 10, 5, 0, 0},      {0, 1, 10, 5, 30, 20},
        {1, 1, 500, 500, 99, 49}, {0, 1, 500, 500, 129, 69}, {1, 1, 80, 40, 50, 20}, {0, 1, 80, 40, 80, 40},
    };
    for (const auto &k : cases) {
        int x = k.x, y = k.y;
        EXPECT_EQ(ConvertMouseCoordinates(panel, control, k.relative, k.pin, &x, &y), 0);
        EXPECT_EQ(x, k.expectedX) << k.relative << k.pin << " " << k.x << "," << k.y;
        EXPECT_EQ(y, k.expectedY) << k.relative << k.pin << " " << k.x << "," << k.y;
    }
    EXPECT_EQ(ConvertMouseCoordinates(panel, control, 1, 1, nullptr, nullptr), 0);
    int x = 7;
    EXPECT_EQ(ConvertMouseCoordinates(panel, control, 1, 0, &x, nullptr), 0);
    EXPECT_EQ(x, -23);
    int oldBreak = SetBreakOnLibraryErrors(0);
    x = 7;
    EXPECT_EQ(ConvertMouseCoordinates(panel, control + 1, 1, 1, &x, nullptr), UIE_BAD_CONTROL);
    EXPECT_EQ(x, 7);
    SetBreakOnLibraryErrors(oldBreak);
    DiscardPanel(panel);
}

}  // namespace
