// Tests of event dispatch, operator input, timers on the manual clock, user events and
// deferred calls on the calling thread.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

std::vector<std::string> g_events;
int g_swallow = EVENT_NONE;  // event that the recording callback swallows

int Record(int, int control, int event, void *, int, int) {
    g_events.push_back(std::to_string(control) + ":" + std::to_string(event));
    return event == g_swallow ? 1 : 0;
}

class EventLoop : public ::testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        g_swallow = EVENT_NONE;
        panel = NewPanel(0, "Events", 0, 0, 200, 200);
        button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Go", 10, 10);
        entry = NewCtrl(panel, CTRL_STRING, "Text", 50, 10);
        InstallCtrlCallback(panel, button, Record, nullptr);
        InstallCtrlCallback(panel, entry, Record, nullptr);
        DisplayPanel(panel);
    }
    void TearDown() override {
        rte::testing::DiscardAllPanels();
        rte::testing::UseRealClock();
    }
    std::string Ev(int control, int event) { return std::to_string(control) + ":" + std::to_string(event); }
    int panel = 0, button = 0, entry = 0;
};

TEST_F(EventLoop, PressFocusesThenCommitsAndSwallowingStopsIt) {
    ASSERT_EQ(rte::testing::Focus(panel, entry), 0);  // from the button, first in tab order
    ASSERT_EQ(rte::testing::Press(panel, button), 0);
    EXPECT_EQ(g_events, (std::vector<std::string>{Ev(button, EVENT_LOST_FOCUS), Ev(entry, EVENT_GOT_FOCUS),
                                                  Ev(button, EVENT_LEFT_CLICK),
                                                  Ev(entry, EVENT_LOST_FOCUS), Ev(button, EVENT_GOT_FOCUS),
                                                  Ev(button, EVENT_COMMIT)}));
    g_events.clear();
    g_swallow = EVENT_LEFT_CLICK;
    ASSERT_EQ(rte::testing::Press(panel, button), 0);
    EXPECT_EQ(g_events, std::vector<std::string>{Ev(button, EVENT_LEFT_CLICK)});
    // SetActiveCtrl moves the focus silently.
    g_events.clear();
    EXPECT_EQ(SetActiveCtrl(panel, entry), 0);
    EXPECT_EQ(GetActiveCtrl(panel), entry);
    EXPECT_TRUE(g_events.empty());
    // A dimmed control cannot be pressed.
    SetCtrlAttribute(panel, button, ATTR_DIMMED, 1);
    EXPECT_EQ(rte::testing::Press(panel, button), UIE_BAD_VALUE);
}

TEST_F(EventLoop, TypingHonoursMaxLengthAndSwallowedKeys) {
    SetCtrlAttribute(panel, entry, ATTR_MAX_ENTRY_LENGTH, 4);
    ASSERT_EQ(rte::testing::Type(panel, entry, "123456"), 0);
    EXPECT_EQ(rte::testing::ValueText(panel, entry), "1234");
    EXPECT_EQ(g_events.back(), Ev(entry, EVENT_COMMIT));
    g_swallow = EVENT_KEYPRESS;  // every key, Enter too: nothing typed, no commit
    g_events.clear();
    ASSERT_EQ(rte::testing::Type(panel, entry, "ab"), 0);
    EXPECT_EQ(rte::testing::ValueText(panel, entry), "");
    EXPECT_NE(g_events.back(), Ev(entry, EVENT_COMMIT));
    EXPECT_EQ(rte::testing::Type(panel, button, "x"), UIE_WRONG_ATTRIBUTE);
}

double g_tickTime = 0;
int g_ticks = 0;
int Tick(int, int, int event, void *, int, int) {
    if (event == EVENT_TIMER_TICK) {
        ++g_ticks;
        g_tickTime = *GetTimerTickTimePtr();
    }
    return 0;
}

TEST_F(EventLoop, TimersTickOnTheManualClock) {
    rte::testing::UseManualClock(100.0);
    int timer = NewCtrl(panel, CTRL_TIMER, "", 0, 0);
    InstallCtrlCallback(panel, timer, Tick, nullptr);
    SetCtrlAttribute(panel, timer, ATTR_INTERVAL, 0.5);
    g_ticks = 0;
    ProcessSystemEvents();
    EXPECT_EQ(g_ticks, 0);
    rte::testing::AdvanceClock(0.5);
    ProcessSystemEvents();
    EXPECT_EQ(g_ticks, 1);
    EXPECT_DOUBLE_EQ(g_tickTime, 100.5);
    EXPECT_DOUBLE_EQ(GetTimerTickTime(), 100.5);
    SetCtrlAttribute(panel, timer, ATTR_ENABLED, 0);
    rte::testing::AdvanceClock(5);
    ProcessSystemEvents();
    EXPECT_EQ(g_ticks, 1);
}

void QuitLater(void *code) { QuitUserInterface(*static_cast<int *>(code)); }

TEST_F(EventLoop, UserEventsAndDeferredCallsReachTheLoop) {
    EXPECT_EQ(QueueUserEvent(999, panel, button), UIE_BAD_USER_EVENT);
    EXPECT_EQ(QueueUserEvent(1000, panel, 999), UIE_BAD_CONTROL);
    ASSERT_EQ(QueueUserEvent(1001, panel, button), 0);
    int p = 0, c = 0;
    EXPECT_EQ(GetUserEvent(0, &p, &c), 1001);
    EXPECT_EQ(p, panel);
    EXPECT_EQ(c, button);
    EXPECT_EQ(GetUserEvent(0, &p, &c), 0);
    // RunUserInterface hands queued user events to the callback and returns Quit's code.
    ASSERT_EQ(QueueUserEvent(1002, panel, button), 0);
    static int code = 7;
    ASSERT_EQ(PostDeferredCallToThread(QuitLater, &code, CurrThreadId()), 0);
    EXPECT_EQ(RunUserInterface(), 7);
    EXPECT_EQ(g_events, std::vector<std::string>{Ev(button, 1002)});
    EXPECT_EQ(PostDeferredCallToThread(nullptr, nullptr, CurrThreadId()), UIE_NULL_POINTER);
    EXPECT_EQ(PostDeferredCallToThread(QuitLater, &code, 0), UIE_NO_SUCH_THREAD);
}

TEST_F(EventLoop, CommitsOfControlsWithoutCallbackAreReportedToGetUserEvent) {
    // A dialog's own loop: its buttons have no callbacks, and their commits come to GetUserEvent.
    int ok = NewCtrl(panel, CTRL_COMMAND_BUTTON, "__OK", 100, 10);
    int list = NewCtrl(panel, CTRL_LIST_BOX, "", 130, 10);
    InsertListItem(panel, list, -1, "a", 1);
    InsertListItem(panel, list, -1, "b", 2);
    SetPanelAttribute(panel, ATTR_CLOSE_CTRL, ok);
    int p = 0, c = 0;
    EXPECT_EQ(GetUserEvent(0, &p, &c), 0);
    ASSERT_EQ(rte::testing::Press(panel, ok), 0);
    ASSERT_EQ(rte::testing::Select(panel, list, "b"), 0);
    ASSERT_EQ(rte::testing::ClosePanel(panel), 0);
    ASSERT_EQ(rte::testing::Press(panel, button), 0);  // has a callback: not reported
    const struct { int control; } expected[] = {{ok}, {list}, {ok}};
    for (const auto &e : expected) {
        EXPECT_EQ(GetUserEvent(0, &p, &c), EVENT_COMMIT);
        EXPECT_EQ(p, panel);
        EXPECT_EQ(c, e.control);
    }
    EXPECT_EQ(GetUserEvent(0, &p, &c), 0);
    // A report whose control is gone is dropped; the loop of RunUserInterface drops them all.
    ASSERT_EQ(rte::testing::Press(panel, ok), 0);
    DiscardCtrl(panel, ok);
    EXPECT_EQ(GetUserEvent(0, &p, &c), 0);
    ASSERT_EQ(rte::testing::Select(panel, list, "a"), 0);
    static int code = 3;
    ASSERT_EQ(PostDeferredCallToThread(QuitLater, &code, CurrThreadId()), 0);
    EXPECT_EQ(RunUserInterface(), 3);
    EXPECT_EQ(GetUserEvent(0, &p, &c), 0);
    // Waiting for one: a timer's callback presses the button while GetUserEvent blocks.
    rte::testing::UseManualClock(10.0);
    int timer = NewCtrl(panel, CTRL_TIMER, "", 0, 0);
    SetCtrlAttribute(panel, timer, ATTR_INTERVAL, 1.0);
    InstallCtrlCallback(panel, timer, [](int p2, int, int event, void *, int, int) {
        if (event == EVENT_TIMER_TICK) rte::testing::Press(p2, rte::testing::PanelCtrls(p2)[2]);
        return 0;
    }, nullptr);
    std::thread advance([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        rte::testing::AdvanceClock(1.5);
    });
    EXPECT_EQ(GetUserEvent(1, &p, &c), EVENT_COMMIT);
    advance.join();
    EXPECT_EQ(c, list);
}

std::vector<std::string> g_discards;
int DiscardCtrlCb(int, int control, int event, void *, int, int) {
    if (event == EVENT_DISCARD) g_discards.push_back("ctrl" + std::to_string(control));
    return 0;
}
int DiscardPanelCb(int panel, int event, void *, int, int) {
    if (event == EVENT_DISCARD) {
        int n = 0;  // the panel still exists while its callback runs
        EXPECT_EQ(GetPanelAttribute(panel, ATTR_NUM_CTRLS, &n), 0);
        g_discards.push_back("panel" + std::to_string(n));
    }
    return 0;
}

TEST_F(EventLoop, DiscardSendsEventsChildrenFirst) {
    g_discards.clear();
    int child = NewPanel(panel, "child", 0, 0, 50, 50);
    InstallPanelCallback(child, DiscardPanelCb, nullptr);
    InstallCtrlCallback(panel, button, DiscardCtrlCb, nullptr);
    InstallPanelCallback(panel, DiscardPanelCb, nullptr);
    EXPECT_EQ(DiscardPanel(panel), 0);
    EXPECT_EQ(g_discards, (std::vector<std::string>{"panel0", "ctrl" + std::to_string(button), "panel2"}));
    EXPECT_EQ(DiscardPanel(child), UIE_BAD_PANEL);
}

// At process exit the main thread's own objects are gone before the exit clean-ups run, and a
// clean-up may still post to its thread and process events.
void ProcessEventsAtExit() {
    static int ran = 0;
    PostDeferredCallToThread([](void *count) { ++*static_cast<int *>(count); }, &ran, CurrThreadId());
    ProcessSystemEvents();
    std::fprintf(stderr, "deferred calls run at exit: %d\n", ran);
}

TEST(EventLoopDeathTest, ExitCleanUpsMayStillProcessEvents) {
    EXPECT_EXIT(
        {
            ProcessSystemEvents();  // the thread has its queue before the exit begins
            RegisterExitCleanup(ProcessEventsAtExit);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "deferred calls run at exit: 1");
}

}  // namespace
