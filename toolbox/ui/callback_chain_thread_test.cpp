// Callback chaining from several threads at once, each on panels of its own: the chains, the
// shared list of panels with links and the registry of live objects stay consistent.
#include "toolbox/ui/callback_chain.h"

#include "rte/engine.h"
#include "toolbox/core/thread_state.h"
#include "toolbox/ui/linked_panels_internal.h"
#include "toolbox/ui/mouse_events.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include <string>
#include <thread>
#include <vector>

namespace {

int Count(int, int, int event, void *data, int, int) {
    if (event != EVENT_DISCARD) ++*static_cast<int *>(data);
    return 0;
}

int CountPanel(int, int event, void *data, int, int) {
    if (event != EVENT_DISCARD) ++*static_cast<int *>(data);
    return 0;
}

// One thread's work: panels made, chained, called, unchained and discarded over and over.
void ChainOnOwnPanels(int rounds, std::string *failure) {
    auto fail = [failure](const std::string &what) {
        if (failure->empty()) *failure = what;
    };
    for (int round = 0; round < rounds; ++round) {
        int panel = NewPanel(0, "thread panel", 0, 0, 100, 100);
        // Empty labels: nothing here needs text measured (the font machinery is not under test).
        int first = NewCtrl(panel, CTRL_STRING, "", 10, 10);
        int second = NewCtrl(panel, CTRL_STRING, "", 40, 10);
        int calls = 0;
        if (ChainCtrlCallback(panel, first, Count, &calls, "A") != 0 ||
            ChainCtrlCallback(panel, first, Count, &calls, "B") != 0 ||
            ChainCtrlCallback(panel, second, Count, &calls, "A") != 0 ||
            ChainPanelCallback(panel, CountPanel, &calls, "P") != 0)
            fail("chaining failed");
        RegisterExistence(&calls);
        if (PanelLinkCountOf(panel) != 4) fail("link count after chaining");
        int result = -1;
        if (CallCtrlCallback(panel, first, EVENT_COMMIT, 0, 0, &result) != 1 || calls != 2) fail("dispatch");
        if (CallPanelCallback(panel, EVENT_CLOSE, 0, 0, &result) != 1 || calls != 3) fail("panel dispatch");
        if (UnchainCtrlCallback(panel, first, round % 2 ? "A" : "B") != 1) fail("unchain");
        void *data = nullptr;
        if (GetChainedCallbackData(panel, second, "A", &data) != 0 || data != &calls) fail("lookup");
        if (!ObjectExists(&calls)) fail("existence");
        DeRegisterExistence(&calls);
        if (round % 3 == 0) {
            DiscardCtrl(panel, second);
            if (PanelLinkCountOf(panel) != 2) fail("link count after discarding a control");
        }
        DiscardPanel(panel);
        if (PanelLinkCountOf(panel) != 0) fail("panel still listed after its discard");
    }
}

TEST(CallbackChainingThreads, ThreadsChainOnTheirOwnPanelsAtOnce) {
    const int kThreads = 3, kRounds = 300;
    std::vector<std::string> failures(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) threads.emplace_back(ChainOnOwnPanels, kRounds, &failures[i]);
    for (auto &t : threads) t.join();
    for (int i = 0; i < kThreads; ++i) EXPECT_EQ(failures[i], "") << "thread " << i;
    EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), nullptr);
}

// The owner thread chains three links on a fresh control, dispatches an event through them and
// discards the control, over and over; another thread looks at the control meanwhile. A lookup
// sees the link's own data, the base data, or an error for a control that is gone or not yet
// chained; never a link being freed, and never the dispatcher paired with the base data.
int g_base, g_linkData;
int Nothing(int, int, int, void *, int, int) { return 0; }

struct Lookup {
    const char *what;
    bool (*look)(int panel, int control);  // false: it saw what it must never see
};

const Lookup kLookups[] = {
    {"a link's data",
     [](int panel, int control) {
         void *data = nullptr;
         return GetChainedCallbackData(panel, control, "B", &data) < 0 || data == &g_linkData;
     }},
    {"the base data",
     [](int panel, int control) {
         void *data = nullptr;
         // (nullptr: a fresh control that has the ID of the one before, without its callback yet)
         return GetChainedCallbackData(panel, control, "", &data) < 0 || data == &g_base || data == nullptr;
     }},
    {"disabling mouse events",
     [](int panel, int control) {
         int status = DisableExtendedMouseEvents(panel, control);
         return status == 0 || status == UIE_WRONG_ATTRIBUTE || status == UIE_BAD_CONTROL || status == UIE_BAD_PANEL;
     }},
};

TEST(CallbackChainingThreads, LookupsFromAnotherThreadWhileTheOwnerDiscards) {
    for (const Lookup &lookup : kLookups) {
        SCOPED_TRACE(lookup.what);
        std::atomic<int> panel{0}, control{0};
        std::atomic<bool> done{false};
        std::thread owner([&] {
            int p = NewPanel(0, "", 0, 0, 100, 100);
            panel = p;
            for (int round = 0; round < 1000; ++round) {
                int c = NewCtrl(p, CTRL_STRING, "", 10, 10);
                InstallCtrlCallback(p, c, Nothing, &g_base);
                for (const char *type : {"A", "B", "C"}) ChainCtrlCallback(p, c, Nothing, &g_linkData, type);
                EnableExtendedMouseEvents(p, c, 0.0);
                control = c;
                ProcessSystemEvents();
                CallCtrlCallback(p, c, EVENT_COMMIT, 0, 0, nullptr);
                DiscardCtrl(p, c);
            }
            done = true;
            DiscardPanel(p);
            for (int i = 0; i < 10; ++i) ProcessSystemEvents();  // the last scheduled polls end
        });
        int bad = 0;
        while (!done) {
            if (control != 0 && !lookup.look(panel, control)) ++bad;
        }
        owner.join();
        EXPECT_EQ(bad, 0);
    }
    EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), nullptr);
}

// The exit clean-up discards each listed panel on its own thread, while that thread still runs
// its loop and dispatches through the panel's chains; a panel whose thread has ended is
// discarded where the clean-up runs.
std::atomic<unsigned> g_discardedOn{0}, g_endedDiscardedOn{0};
int NoteDiscardThread(int, int, int event, void *where, int, int) {
    if (event == EVENT_DISCARD) *static_cast<std::atomic<unsigned> *>(where) = CurrThreadId();
    return 0;
}

TEST(CallbackChainingAtExit, EachPanelIsDiscardedOnItsOwnThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atomic<int> control{0};
            std::atomic<unsigned> workerId{0};
            std::atomic<bool> stop{false};
            std::thread ended([] {
                int p = NewPanel(0, "", 0, 0, 100, 100);
                int c = NewCtrl(p, CTRL_STRING, "", 10, 10);
                InstallCtrlCallback(p, c, NoteDiscardThread, &g_endedDiscardedOn);
                ChainCtrlCallback(p, c, Nothing, nullptr, "A");
            });
            ended.join();
            std::thread worker([&] {
                int p = NewPanel(0, "", 0, 0, 100, 100);
                int c = NewCtrl(p, CTRL_STRING, "", 10, 10);
                InstallCtrlCallback(p, c, NoteDiscardThread, &g_discardedOn);
                ChainCtrlCallback(p, c, Nothing, nullptr, "A");
                workerId = CurrThreadId();
                control = c;
                while (!stop) {
                    CallCtrlCallback(p, c, EVENT_COMMIT, 0, 0, nullptr);  // quietly fails once it has gone
                    ProcessSystemEvents();
                }
            });
            while (control == 0) std::this_thread::yield();
            CloseRTE();
            stop = true;
            worker.join();
            std::exit(g_discardedOn == workerId && g_endedDiscardedOn == CurrThreadId() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
