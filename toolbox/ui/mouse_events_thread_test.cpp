// Extended mouse events polled on one thread while another thread moves the pointer and
// disables and enables the events: records and links stay consistent, and every record goes.
#include "toolbox/ui/mouse_events.h"

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

}  // namespace
