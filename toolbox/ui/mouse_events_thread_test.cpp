// Extended mouse events polled on one thread while another thread moves the pointer and
// disables and enables the events: records and links stay consistent, and every record goes.
#include "toolbox/ui/mouse_events.h"

#include "rte/alloc_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"
#include "toolbox/ui/callback_chain.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

std::atomic<int> g_moves{0};
int g_panel = 0, g_control = 0;  // written before the poller's thread id is handed out

void EnableOnThisThread(void *) { EnableExtendedMouseEvents(g_panel, g_control, 0.0); }

int CountMoves(int, int, int event, void *, int, int) {
    if (event == EVENT_MOUSE_MOVE) ++g_moves;
    return 0;
}

TEST(MouseEventsThreads, PolledOnOneThreadWhileAnotherDisablesAndEnables) {
    std::promise<unsigned> made;
    std::atomic<bool> stop{false};
    std::thread poller([&] {
        // Empty labels: nothing here needs text measured (the font machinery is not under test).
        int panel = g_panel = NewPanel(0, "", 0, 0, 100, 100);
        int control = g_control = NewCtrl(panel, CTRL_STRING, "", 10, 10);
        InstallCtrlCallback(panel, control, CountMoves, nullptr);
        EnableExtendedMouseEvents(panel, control, 0.0);
        made.set_value(CurrThreadId());
        while (!stop) {
            ProcessSystemEvents();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        DisableExtendedMouseEvents(panel, control);
        DiscardPanel(panel);
        for (int i = 0; i < 10; ++i) ProcessSystemEvents();  // the last scheduled poll ends
    });
    unsigned pollerThread = made.get_future().get();
    int panel = g_panel, control = g_control;
    for (int round = 0; round < 200; ++round) {
        rte::testing::SetMouseState(panel, round, round, round % 2 == 0, false);
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        if (round % 50 == 25) {
            // From this thread: the events stop; enabled here they would be polled here (this
            // thread runs no loop, so they stay quiet) until disabled again.
            EXPECT_EQ(DisableExtendedMouseEvents(panel, control), 0);
            EXPECT_EQ(EnableExtendedMouseEvents(panel, control, 0.0), 0);
            EXPECT_EQ(DisableExtendedMouseEvents(panel, control), 0);
            EXPECT_EQ(DisableExtendedMouseEvents(panel, control), UIE_WRONG_ATTRIBUTE);
            PostDeferredCallToThread(EnableOnThisThread, nullptr, pollerThread);  // polled there again
        }
    }
    stop = true;
    poller.join();
    EXPECT_GT(g_moves.load(), 0);
}

// A thread that owns a panel with one control (set up by setUp on that thread), runs its event
// loop until the object goes, then gives atEnd its turn and discards the panel.
struct OwnerThread {
    int panel = 0, control = 0;
    std::atomic<bool> stop{false};
    std::thread thread;
    OwnerThread(void (*setUp)(int panel, int control), void (*atEnd)(int panel, int control)) {
        std::promise<void> made;
        thread = std::thread([&, setUp, atEnd] {
            panel = NewPanel(0, "", 0, 0, 100, 100);
            control = NewCtrl(panel, CTRL_STRING, "", 10, 10);
            setUp(panel, control);
            made.set_value();
            while (!stop) {
                ProcessSystemEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            atEnd(panel, control);
            DiscardPanel(panel);
        });
        made.get_future().get();
    }
    ~OwnerThread() {
        stop = true;
        thread.join();
    }
};

// The owner is busy inside the callback of a poll for longer than a disable from another thread
// waits for it: once that disable has returned, the rest of the poll delivers nothing.
std::atomic<bool> g_busy{false}, g_disableReturned{false};
std::atomic<int> g_lateEvents{0};

int BusyOnFirstMove(int, int, int event, void *, int, int) {
    if (event < EVENT_MOUSE_MOVE || event > EVENT_LEFT_MOUSE_UP) return 0;
    if (g_disableReturned) ++g_lateEvents;
    if (event == EVENT_MOUSE_MOVE && !g_busy.exchange(true)) {
        while (!g_disableReturned) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}

TEST(MouseEventsThreads, NoEventAfterADisableThatGaveUpWaitingReturned) {
    {
        OwnerThread owner(
            [](int panel, int control) {
                InstallCtrlCallback(panel, control, BusyOnFirstMove, nullptr);
                rte::testing::SetMouseState(panel, 1, 1, true, false);
                EnableExtendedMouseEvents(panel, control, 0.0);
                rte::testing::SetMouseState(panel, 2, 2, false, false);  // the next poll: a move, a release
            },
            [](int, int) {});
        while (!g_busy) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(DisableExtendedMouseEvents(owner.panel, owner.control), 0);  // after its 2000 ms
        g_disableReturned = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(g_lateEvents.load(), 0);
}

// A disable from another thread whose hand-off to the living owner cannot be made (no memory):
// the events are off, and the record and its link are left to the owner's thread, where its
// chained callback may be running.
TEST(MouseEventsThreads, AFailedHandOffLeavesTheRecordToTheOwner) {
    OwnerThread owner(
        [](int panel, int control) { EnableExtendedMouseEvents(panel, control, 1000.0); },  // no poll meanwhile
        [](int panel, int control) { EXPECT_EQ(DisableExtendedMouseEvents(panel, control), 0); });
    rte::testing::FailNthAllocation(1);
    EXPECT_EQ(DisableExtendedMouseEvents(owner.panel, owner.control), UIE_OUT_OF_MEMORY);
    EXPECT_TRUE(rte::testing::AllocationFaultFired());
    rte::testing::ClearAllocationFault();
    void *record = nullptr;
    EXPECT_EQ(GetChainedCallbackData(owner.panel, owner.control, "MouseEvents", &record), 0) << "still chained";
}

}  // namespace
