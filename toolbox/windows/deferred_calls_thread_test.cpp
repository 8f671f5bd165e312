// Tests of delayed calls (on the manual clock) and of calls handed to another thread's event
// loop with a bounded wait, including the races between a giving-up waiter and the target.
#include "toolbox/windows/deferred_calls.h"

#include "rte/alloc_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"
#include "toolbox/core/thread_locals_internal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string g_ran;  // delayed calls run on the posting thread only

void Append(void *text) { g_ran += static_cast<const char *>(text); }

class DelayedCalls : public ::testing::Test {
protected:
    void SetUp() override {
        g_ran.clear();
        rte::testing::UseManualClock(100.0);
    }
    void TearDown() override { rte::testing::UseRealClock(); }
};

// A thread running its event loop until the object goes.
struct EventLoopThread {
    std::promise<unsigned> started;
    std::thread thread{[this] {
        ProcessSystemEvents();  // makes the thread's event queue
        started.set_value(CurrThreadId());
        RunUserInterface();
    }};
    unsigned id = started.get_future().get();
    ~EventLoopThread() {
        PostDeferredCallToThread([](void *) { QuitUserInterface(0); }, nullptr, id);
        thread.join();
    }
};

}  // namespace

TEST_F(DelayedCalls, RunInOrderOfDueTimeAndNeverEarly) {
    char three[] = "3", one[] = "1", two[] = "2";
    EXPECT_EQ(PostDelayedCall(Append, three, 3.0), 1);
    EXPECT_EQ(PostDelayedCall(Append, one, 1.0), 1);
    EXPECT_EQ(PostDelayedCall(Append, two, 2.0), 1);
    std::string expected[] = {"", "1", "12", "123"};
    for (int second = 0; second <= 3; second++) {
        for (int i = 0; i < 3; i++) ProcessSystemEvents();
        EXPECT_EQ(g_ran, expected[second]) << "at " << second << " s";
        rte::testing::AdvanceClock(0.999);
        for (int i = 0; i < 3; i++) ProcessSystemEvents();
        EXPECT_EQ(g_ran, expected[second]) << "just before " << second + 1 << " s";
        rte::testing::AdvanceClock(0.001);
    }
}

TEST_F(DelayedCalls, DueCallsRunOnePerTickAndNeverInsidePostDelayedCall) {
    char a[] = "a", b[] = "b", overdue[] = "-";
    EXPECT_EQ(PostDelayedCall(Append, a, 0.0), 1);
    EXPECT_EQ(PostDelayedCall(Append, b, 0.0), 1);  // due with a: runs after it, a tick later
    EXPECT_EQ(PostDelayedCall(Append, overdue, -5.0), 1);
    EXPECT_EQ(g_ran, "");
    for (const char *expected : {"-", "-a", "-ab", "-ab"}) {
        ProcessSystemEvents();
        EXPECT_EQ(g_ran, expected);
    }
    EXPECT_EQ(PostDelayedCall(nullptr, a, 0.0), 0);
}

TEST_F(DelayedCalls, AThreadsHiddenPanelExistsOnlyOnceItPostsAndGoesWithIt) {
    size_t before = rte::testing::AllPanels().size();
    std::thread quiet([] { EXPECT_EQ(GetThreadLocalBlock()->delayedCalls, nullptr); });
    quiet.join();
    EXPECT_EQ(rte::testing::AllPanels().size(), before);

    std::thread poster([before] {
        static char never[] = "never";
        EXPECT_EQ(PostDelayedCall(Append, never, 10.0), 1);
        EXPECT_EQ(rte::testing::AllPanels().size(), before + 1);
    });
    poster.join();  // its pending call is dropped with its state
    EXPECT_EQ(rte::testing::AllPanels().size(), before);
    EXPECT_EQ(g_ran, "");
}

TEST_F(DelayedCalls, FailuresToMakeTheStateOrEntryReturnZero) {
    rte::testing::ForEachAllocationFailure([](bool injected) {
        std::thread fresh([injected] {
            static char x[] = "x";
            GetThreadLocalBlock();  // the block itself is not under test here
            int queued = PostDelayedCall(Append, x, 1.0);
            if (!injected) {
                EXPECT_EQ(queued, 1);
            }
            if (queued == 0) {
                EXPECT_EQ(PostDelayedCall(Append, x, 1.0), 1);  // tries again
            }
        });
        fresh.join();
    });
}

TEST(DeferredCallAndWait, RunsOnTheTargetThreadAndWaitsForIt) {
    EventLoopThread target;
    std::atomic<unsigned> ranOn{0};
    auto record = [](void *data) { static_cast<std::atomic<unsigned> *>(data)->store(CurrThreadId()); };
    EXPECT_EQ(PostDeferredCallToThreadAndWait(record, &ranOn, target.id, -1), 0);
    EXPECT_EQ(ranOn.load(), target.id);
    EXPECT_EQ(PostDeferredCallToThreadAndWait(record, &ranOn, target.id, 5000), 0);

    // To the calling thread itself: run at once.
    EXPECT_EQ(PostDeferredCallToThreadAndWait(record, &ranOn, CurrThreadId(), 0), 0);
    EXPECT_EQ(ranOn.load(), CurrThreadId());

    EXPECT_EQ(PostDeferredCallToThreadAndWait(nullptr, nullptr, target.id, -1), UIE_NULL_POINTER);
    EXPECT_EQ(PostDeferredCallToThreadAndWait(record, &ranOn, 987654, -1), UIE_NO_SUCH_THREAD);
}

TEST(DeferredCallAndWait, ReportsARecordThatCannotBeMade) {
    rte::testing::ForEachAllocationFailure([](bool injected) {
        int runs = 0;
        int result = PostDeferredCallToThreadAndWait([](void *n) { ++*static_cast<int *>(n); },
                                                     &runs, CurrThreadId(), -1);
        EXPECT_EQ(result, injected ? UIE_OUT_OF_MEMORY : 0);
        EXPECT_EQ(runs, injected ? 0 : 1);
    });
}

TEST(DeferredCallAndWait, AWaiterThatGivesUpLeavesTheRecordToTheTarget) {
    EventLoopThread target;
    std::promise<void> release, ran;
    std::shared_future<void> released = release.get_future().share();
    // With the target busy, a time-out of 0 gives up at once; the call still runs later and the
    // target frees the record (LeakSanitizer would report it otherwise).
    PostDeferredCallToThread([](void *f) { static_cast<std::shared_future<void> *>(f)->wait(); },
                             &released, target.id);
    auto done = [](void *p) { static_cast<std::promise<void> *>(p)->set_value(); };
    EXPECT_EQ(PostDeferredCallToThreadAndWait(done, &ran, target.id, 0), 0);
    release.set_value();
    ran.get_future().wait();

    // Giving up just as the target finishes: every record is freed once (no double free, no
    // leak) and every call runs once.
    std::atomic<int> runs{0};
    auto count = [](void *n) { static_cast<std::atomic<int> *>(n)->fetch_add(1); };
    for (int i = 0; i < 300; i++)
        EXPECT_EQ(PostDeferredCallToThreadAndWait(count, &runs, target.id, i % 3 == 0 ? 0 : 1), 0);
    EXPECT_EQ(PostDeferredCallToThreadAndWait(count, &runs, target.id, -1), 0);
    EXPECT_EQ(runs.load(), 301);
}

TEST(DeferredCallAndWait, ATargetThatEndsReleasesItsWaiter) {
    std::promise<unsigned> started;
    std::thread target([&started] {
        ProcessSystemEvents();  // has an event queue, but processes no more events
        started.set_value(CurrThreadId());
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    });
    bool ran = false;
    EXPECT_EQ(PostDeferredCallToThreadAndWait([](void *r) { *static_cast<bool *>(r) = true; }, &ran,
                                              started.get_future().get(), -1),
              UIE_NO_SUCH_THREAD);
    EXPECT_FALSE(ran);
    target.join();
}
