// Tests that the event loop, the operator's actions and the operator-script reader survive an
// exhausted heap: each allocation they make fails in turn (operator new too, see
// rte/alloc_new_testing.h). The calls give UIE_OUT_OF_MEMORY instead of throwing, queued work
// that had not started stays queued, and a script is read whole or not at all.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "rte/alloc_new_testing.h"
#include "rte/alloc_testing.h"
#include "rte/engine.h"
#include "rte/events/operator_script.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

using rte::testing::ForEachAllocationFailure;
using rte::testing::ScopedNewFaults;

const char kLong[] = "a text well beyond the length a short string keeps inline";
constexpr int kCalls = 20, kEvents = 20, kQuitEvent = 1999;

int g_calls = 0, g_events = 0;
void CountCall(void *) { ++g_calls; }
int CountEvent(int, int event, void *, int, int) {
    ++g_events;
    if (event == kQuitEvent) QuitUserInterface(7);
    return 0;
}

class EventLoopMemory : public ::testing::Test {
protected:
    void SetUp() override {
        ProcessSystemEvents();  // the thread's event queue exists before
        panel_ = NewPanel(0, "Loop", 0, 0, 100, 100);
        InstallPanelCallback(panel_, CountEvent, nullptr);
    }
    void TearDown() override {
        rte::testing::ClearAllocationFault();
        rte::testing::DiscardAllPanels();
    }
    // Queues deferred calls, then user events for the panel, the last of which quits the loop.
    void QueueWork(bool withEvents) {
        g_calls = g_events = 0;
        for (int i = 0; i < kCalls; ++i) PostDeferredCallToThread(CountCall, nullptr, CurrThreadId());
        for (int i = 1; withEvents && i <= kEvents; ++i) QueueUserEvent(i < kEvents ? 1000 + i : kQuitEvent, panel_, 0);
    }
    int panel_ = 0;
};

TEST_F(EventLoopMemory, QueuedWorkSurvivesAFailedPass) {
    // Each call under test fails or not; a fault-free loop afterwards then finds all that had
    // not run, so every call runs and every event arrives exactly once.
    const std::function<int()> calls[] = {RunUserInterface, ProcessSystemEvents};
    const int succeeded[] = {7, 0};
    for (int k = 0; k < 2; ++k) {
        ForEachAllocationFailure([&](bool injected) {
            QueueWork(true);
            int rc;
            {
                ScopedNewFaults faults;
                rc = calls[k]();
            }
            EXPECT_EQ(rc, injected ? UIE_OUT_OF_MEMORY : succeeded[k]) << k;
            if (rc != 7) { EXPECT_EQ(RunUserInterface(), 7); }
            EXPECT_EQ(g_calls, kCalls);
            EXPECT_EQ(g_events, kEvents);
        });
    }
    // GetUserEvent with no event queued processes the deferred calls once.
    ForEachAllocationFailure([&](bool injected) {
        QueueWork(false);
        int rc;
        {
            ScopedNewFaults faults;
            rc = GetUserEvent(0, nullptr, nullptr);
        }
        EXPECT_EQ(rc, injected ? UIE_OUT_OF_MEMORY : 0);
        ProcessSystemEvents();
        EXPECT_EQ(g_calls, kCalls);
    });
}

TEST_F(EventLoopMemory, OperatorTypingAndChoosing) {
    int text = NewCtrl(panel_, CTRL_STRING, "", 10, 10);
    int ring = NewCtrl(panel_, CTRL_RING, "", 40, 10);
    InsertListItem(panel_, ring, -1, "one", 1);
    InsertListItem(panel_, ring, -1, kLong, 2);
    DisplayPanel(panel_);
    rte::testing::Type(panel_, text, kLong);  // warm up what is built once
    rte::testing::Select(panel_, ring, kLong);
    const std::string typing = kLong;  // made outside the faults' scope
    ForEachAllocationFailure([&](bool injected) {
        SetCtrlVal(panel_, text, "old");
        SetCtrlIndex(panel_, ring, 0);
        int typed, chosen;
        {
            ScopedNewFaults faults;
            typed = rte::testing::Type(panel_, text, typing);
            chosen = rte::testing::Select(panel_, ring, typing);
        }
        EXPECT_TRUE(typed == 0 || (injected && typed == UIE_OUT_OF_MEMORY)) << typed;
        EXPECT_TRUE(chosen == 0 || (injected && chosen == UIE_OUT_OF_MEMORY)) << chosen;
        // Each value is the old one or the new one, whole.
        std::string value = rte::testing::ValueText(panel_, text);
        EXPECT_TRUE(value == "old" || value == kLong) << value;
        if (typed == 0) { EXPECT_EQ(value, kLong); }
        if (chosen == 0) { EXPECT_EQ(rte::testing::ValueText(panel_, ring), kLong); }
    });
}

TEST(OperatorScriptMemory, IsReadWholeOrNotAtAll) {
    const char *path = "event_loop_memory_test.script";
    std::ofstream file(path);
    for (int i = 0; i < 40; ++i) file << "type NAME_OF_A_CONTROL \"" << kLong << "\\t" << i << "\"\nwait 0.5\n";
    file.close();
    ForEachAllocationFailure([&](bool injected) {
        std::vector<rte::internal::ScriptLine> lines;
        std::string error;
        bool threw = false, ok = false;
        {
            ScopedNewFaults faults;
            try {
                ok = rte::internal::ReadOperatorScript(path, &lines, &error);
            } catch (const std::bad_alloc &) {
                threw = true;
            }
        }
        EXPECT_EQ(threw, injected);
        if (!threw) {
            EXPECT_TRUE(ok) << error;
            ASSERT_EQ(lines.size(), 80u);
            EXPECT_EQ(lines.back().lineNumber, 80);
        }
    });
    std::remove(path);
}

}  // namespace
