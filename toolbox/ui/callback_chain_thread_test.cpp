// Callback chaining from several threads at once, each on panels of its own: the chains, the
// shared list of panels with links and the registry of live objects stay consistent.
#include "toolbox/ui/callback_chain.h"

#include "rte/engine.h"
#include "toolbox/core/thread_state.h"
#include "toolbox/ui/linked_panels_internal.h"
#include "toolbox/ui/mouse_events.h"
#include "toolbox/ui/tool_tips.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
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

// The engine reads a control's callback pair and then calls it. Should other threads unchain
// the newest links in between, the event still reaches the rest of the chain, and a discard
// still reaches the links that free their data on it. The read and the call are made here by
// hand, with the unchaining thread run to its end between the two.
int NoteEvent(int, int, int event, void *log, int, int) {
    static_cast<std::vector<int> *>(log)->push_back(event);
    return 0;
}

TEST(CallbackChainingThreads, AnEventReadBeforeOtherThreadsUnchainStillReachesTheRestOfTheChain) {
    for (int event : {EVENT_COMMIT, EVENT_DISCARD}) {
        int p = NewPanel(0, "", 0, 0, 100, 100);
        int c = NewCtrl(p, CTRL_STRING, "", 10, 10);
        std::vector<int> baseLog, keeperLog;
        InstallCtrlCallback(p, c, NoteEvent, &baseLog);
        ASSERT_EQ(ChainCtrlCallback(p, c, NoteEvent, &keeperLog, "Keeper"), 0);
        for (const char *type : {"A", "B"}) ASSERT_EQ(ChainCtrlCallback(p, c, Nothing, nullptr, type), 0);
        void *callback = nullptr, *data = nullptr;
        GetCtrlAttribute(p, c, ATTR_CALLBACK_FUNCTION_POINTER, &callback);
        GetCtrlAttribute(p, c, ATTR_CALLBACK_DATA, &data);
        std::thread other([&] {
            EXPECT_EQ(UnchainCtrlCallback(p, c, "B"), 1);
            EXPECT_EQ(UnchainCtrlCallback(p, c, "A"), 1);
        });
        other.join();
        reinterpret_cast<CtrlCallbackPtr>(callback)(p, c, event, data, 0, 0);
        EXPECT_EQ(keeperLog, std::vector<int>{event});
        EXPECT_EQ(baseLog, std::vector<int>{event});
        if (event == EVENT_DISCARD) {
            EXPECT_EQ(UnchainCtrlCallback(p, c, "Keeper"), 0) << "the discard took the keeper out of the chain";
        }
        ProcessSystemEvents();  // the unchained links are freed on their panel's thread
        DiscardPanel(p);
    }
    EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), nullptr);
}

// ---- Stress: shared panels ----
//
// Two owner threads each keep a panel of four controls, which they discard and make again (each
// with a tool tip, extended mouse events and a link that runs a nested event loop), dispatching
// through them and processing events. Two other threads meanwhile chain, unchain, look up and
// call on both panels, disable mouse events and hand discards to the owners. A bounded number of
// rounds, then the engine closes: no sanitizer report, and nothing is left listed.
constexpr int kOwners = 2, kSlots = 4;
struct SharedPanels {
    std::atomic<int> panel[kOwners] = {};
    std::atomic<unsigned> owner[kOwners] = {};
    std::atomic<int> control[kOwners][kSlots] = {};
    std::atomic<int> workersLeft{2};
    std::atomic<int> strange{0};  // lookups that saw data nobody chained
};
SharedPanels g_shared;
int g_workerData[2], g_ownerData;
std::atomic<long> g_calls{0};

int Counting(int, int, int, void *, int, int) {
    ++g_calls;
    return 0;
}
// Unchains itself on every other commit, on whichever thread dispatches it.
int SometimesLeaves(int panel, int control, int event, void *data, int, int) {
    ++g_calls;
    if (event == EVENT_COMMIT && g_calls % 2 == 0)
        UnchainCtrlCallback(panel, control, data == &g_workerData[0] ? "W0" : "W1");
    return 0;
}
// A nested event loop on the owner's thread while the chain is being dispatched.
int NestedLoopOnPanel(int panel, int event, void *, int, int) {
    int owner = 0;
    GetPanelAttribute(panel, ATTR_OWNER_THREAD_ID, &owner);
    if ((event == EVENT_COMMIT || event == EVENT_CLOSE) && static_cast<unsigned>(owner) == CurrThreadId())
        ProcessSystemEvents();
    return 0;
}
int NestedLoop(int panel, int, int event, void *, int, int) { return NestedLoopOnPanel(panel, event, nullptr, 0, 0); }
void DiscardSlot(void *where) {
    auto at = reinterpret_cast<intptr_t>(where);
    int o = static_cast<int>(at / kSlots), slot = static_cast<int>(at % kSlots);
    int c = g_shared.control[o][slot].exchange(0);
    if (c > 0) DiscardCtrl(g_shared.panel[o], c);
}

void OwnPanel(int o, int rounds) {
    int p = NewPanel(0, "", 0, 0, 200, 200);
    ChainPanelCallback(p, NestedLoopOnPanel, nullptr, "Nested");
    g_shared.owner[o] = CurrThreadId();
    g_shared.panel[o] = p;
    for (int round = 0; round < rounds || g_shared.workersLeft > 0; ++round) {
        int slot = round % kSlots;
        if (round < rounds) {
            DiscardSlot(reinterpret_cast<void *>(static_cast<intptr_t>(o * kSlots + slot)));
            int c = NewCtrl(p, CTRL_STRING, "", 10 + 30 * slot, 10);
            InstallCtrlCallback(p, c, Counting, &g_ownerData);
            ChainCtrlCallback(p, c, NestedLoop, nullptr, "Nested");
            SetCtrlToolTipAttribute(p, c, ATTR_TOOLTIP_TEXT, "tip");
            EnableExtendedMouseEvents(p, c, 0.0);
            g_shared.control[o][slot] = c;
            CallCtrlCallback(p, c, EVENT_COMMIT, 0, 0, nullptr);
            CallPanelCallback(p, EVENT_CLOSE, 0, 0, nullptr);
        }
        ProcessSystemEvents();
    }
    DiscardPanel(p);
    for (int i = 0; i < 10; ++i) ProcessSystemEvents();  // the last scheduled polls end
}

bool KnownData(void *data) {
    return data == nullptr || data == &g_workerData[0] || data == &g_workerData[1] || data == &g_ownerData;
}

void WorkOnShared(int w, int rounds) {
    const char *type = w == 0 ? "W0" : "W1";
    for (int round = 0; round < rounds; ++round) {
        int o = round % kOwners, slot = (round / kOwners + w) % kSlots;
        int p = g_shared.panel[o], c = g_shared.control[o][slot];
        if (p == 0 || c == 0) continue;
        void *data = nullptr;
        switch (round % 7) {
        case 0: ChainCtrlCallback(p, c, SometimesLeaves, &g_workerData[w], type); break;
        case 1: UnchainCtrlCallback(p, c, type); break;
        case 2:
            if (GetChainedCallbackData(p, c, round % 2 ? type : "", &data) == 0 && !KnownData(data)) ++g_shared.strange;
            break;
        case 3: CallCtrlCallback(p, c, EVENT_COMMIT, 0, 0, nullptr); break;
        case 4: DisableExtendedMouseEvents(p, c); break;
        case 5:
            PostDeferredCallToThread(DiscardSlot, reinterpret_cast<void *>(static_cast<intptr_t>(o * kSlots + slot)),
                                     g_shared.owner[o]);
            break;
        case 6:
            if (round % 2) ChainPanelCallback(p, nullptr, &g_workerData[w], type);
            else UnchainPanelCallback(p, type);
            break;
        }
    }
    --g_shared.workersLeft;
}

TEST(CallbackChainingStress, ThreadsShareTwoPanelsWhileTheirOwnersDiscardAndRemakeControls) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetBreakOnLibraryErrors(0);  // lookups of controls that have just gone fail quietly
            std::vector<std::thread> threads;
            for (int o = 0; o < kOwners; ++o) threads.emplace_back(OwnPanel, o, 300);
            for (int o = 0; o < kOwners; ++o)
                while (g_shared.panel[o] == 0) std::this_thread::yield();
            for (int w = 0; w < 2; ++w) threads.emplace_back(WorkOnShared, w, 3000);
            for (auto &t : threads) t.join();
            CloseRTE();
            std::fprintf(stderr, "calls %ld, strange lookups %d\n", g_calls.load(), g_shared.strange.load());
            std::exit(g_shared.strange == 0 && GetTsvPanelsWithLinkedCallbacksList() == nullptr ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "strange lookups 0");
}

}  // namespace
