// Tests of the library's per-thread state and the panels-with-linked-callbacks variable.
#include "toolbox/core/thread_state.h"

#include "rte/alloc_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/threads.h"
#include "rte/ui.h"
#include "toolbox/core/thread_locals_internal.h"
#include "toolbox/windows/deferred_calls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

namespace {

void ExpectInitialImage(const ToolboxThreadLocals *block) {
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->randomSeed, 945329041);
    EXPECT_EQ(block->randomReseed, 1);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(block->randomScale[i], 0.0);
        EXPECT_EQ(block->randomState[i], 0);
    }
    EXPECT_STREQ(block->eventNameBuffer, "");
    EXPECT_EQ(block->delayedCalls, nullptr);
    EXPECT_EQ(block->metaFontPanel, 0);
    EXPECT_EQ(block->metaFontSampleCtrl, 0);
    EXPECT_EQ(block->tabOrderSortPanel, 0);
}

std::atomic<unsigned> g_ownerThread{0};
std::chrono::steady_clock::time_point g_exitStarted;

int ReportWhereDiscarded(int, int event, void *, int, int) {
    if (event == EVENT_DISCARD) {
        bool onOwner = CurrThreadId() == g_ownerThread.load();
        std::fprintf(stderr, "hidden panel discarded on %s thread\n", onOwner ? "its own" : "another");
    }
    return 0;
}

// Registered before the library's own clean-ups, so it runs after them.
void ReportExitTime() {
    bool quick = std::chrono::steady_clock::now() - g_exitStarted < std::chrono::seconds(1);
    std::fprintf(stderr, "clean-ups %s\n", quick ? "quick" : "waited");
}

// Ends the process while two threads live: one with a hidden panel, running its event loop, and
// one with a block but no user-interface objects, processing no events.
void ExitWithTwoLiveThreads() {
    RegisterExitCleanup(ReportExitTime);
    std::promise<void> posted, quietReady, quietEnd;
    std::thread owner([&posted] {
        ProcessSystemEvents();  // has an event queue
        g_ownerThread = CurrThreadId();
        PostDelayedCall([](void *) {}, nullptr, 3600.0);  // makes the hidden panel
        InstallPanelCallback(rte::testing::AllPanels().back(), ReportWhereDiscarded, nullptr);
        posted.set_value();
        RunUserInterface();
    });
    std::thread quiet([&quietReady, &quietEnd] {
        ProcessSystemEvents();
        GetThreadLocalBlock()->randomSeed = 1;
        quietReady.set_value();
        quietEnd.get_future().wait();  // never comes
    });
    posted.get_future().wait();
    quietReady.get_future().wait();
    owner.detach();
    quiet.detach();
    g_exitStarted = std::chrono::steady_clock::now();
    std::exit(0);  // runs the exit clean-ups on this thread
}

}  // namespace

// At process exit the main thread discards every thread's block. A live thread running its event
// loop gets its hidden panel discarded on itself, and exit waits for that; a thread without
// user-interface objects is not posted to (it processes no events, so exit would wait 2000 ms).
TEST(ThreadLocalBlockDeathTest, AtExitALiveThreadsPanelIsDiscardedOnThatThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a child with no other thread
    EXPECT_EXIT(ExitWithTwoLiveThreads(), ::testing::ExitedWithCode(0),
                "^hidden panel discarded on its own thread\nclean-ups quick\n$");
}

TEST(ThreadLocalBlock, EachThreadStartsFromTheInitialImage) {
    EXPECT_EQ(ToolboxInit(), 0);
    EXPECT_EQ(ToolboxInit(), 0);
    ToolboxThreadLocals *mine = GetThreadLocalBlock();
    EXPECT_EQ(GetThreadLocalBlock(), mine);  // the same block on every call
    mine->randomSeed = 5;
    mine->tabOrderSortPanel = 3;
    std::thread other([] {
        ToolboxThreadLocals *block = GetThreadLocalBlock();
        ExpectInitialImage(block);  // unaffected by the first thread's changes
        block->randomSeed = 6;
    });
    other.join();
    EXPECT_EQ(mine->randomSeed, 5);
}

TEST(ThreadLocalBlock, AThreadWhoseBlockCannotBeMadeGetsAStandIn) {
    GetThreadLocalBlock();  // the variable exists before counting allocations
    rte::testing::ForEachAllocationFailure([](bool) {
        std::thread fresh([] {
            ToolboxThreadLocals *block = GetThreadLocalBlock();
            ExpectInitialImage(block);
            block->randomSeed = 11;
            EXPECT_EQ(GetThreadLocalBlock(), block);  // kept for the thread's life
            EXPECT_EQ(GetThreadLocalBlock()->randomSeed, 11);
        });
        fresh.join();
    });
}

TEST(PanelsWithLinkedCallbacks, HoldsOneListUnderItsLock) {
    InitializePerThreadState();
    EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), nullptr);  // until a callback is chained
    ListHandle list = ListCreate(sizeof(int));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SetTsvPanelsWithLinkedCallbacksList(list), 0);
    std::thread reader([list] { EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), list); });
    reader.join();
    ListHandle *held = GetPointerToTsvPanelsWithLinkedCallbacksList();
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(*held, list);
    *held = nullptr;
    EXPECT_EQ(ReleasePointerToTsvPanelsWithLinkedCallbacksList(), 0);
    EXPECT_EQ(ReleasePointerToTsvPanelsWithLinkedCallbacksList(), RTE_THREAD_ERR_NOT_OWNER);
    EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), nullptr);
    ListDispose(list);
}
