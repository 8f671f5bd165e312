// Tests of delayed calls (on the manual clock) and of calls handed to another thread's event
// loop with a bounded wait, including the races between a giving-up waiter and the target.
#include "toolbox/windows/deferred_calls.h"

#include "rte/alloc_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"
#include "toolbox/core/thread_locals.h"

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

// A thread running its event loop until told to quit.
class EventLoopThread {
public:
    EventLoopThread() {
        std::promise<unsigned> started;
        auto id = started.get_future();
        thread_ = std::thread([&started] {
            ProcessSystemEvents();  // makes the thread's event queue
            started.set_value(CurrThreadId());
            RunUserInterface();
        });
        id_ = id.get();
    }
    ~EventLoopThread() {
        PostDeferredCallToThread([](void *) { QuitUserInterface(0); }, nullptr, id_);
        thread_.join();
    }
    unsigned id() const { return id_; }

private:
    std::thread thread_;
    unsigned id_ = 0;
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

TEST_F(DelayedCalls, ADelayOfZeroOrLessRunsOnlyFromTheEventLoop) {
    char zero[] = "0", negative[] = "-";
    EXPECT_EQ(PostDelayedCall(Append, zero, 0.0), 1);
    EXPECT_EQ(PostDelayedCall(Append, negative, -5.0), 1);
    EXPECT_EQ(g_ran, "");
    for (int i = 0; i < 3; i++) ProcessSystemEvents();
    EXPECT_EQ(g_ran, "-0");
    EXPECT_EQ(PostDelayedCall(nullptr, zero, 0.0), 0);
}

TEST_F(DelayedCalls, EqualDueTimesRunOnSuccessiveTicks) {
    char a[] = "a", b[] = "b";
    PostDelayedCall(Append, a, 1.0);
    PostDelayedCall(Append, b, 1.0);
    rte::testing::AdvanceClock(1.0);
    ProcessSystemEvents();
    EXPECT_EQ(g_ran.size(), 1u);  // one call per tick
    ProcessSystemEvents();
    EXPECT_EQ(g_ran.size(), 2u);
}

TEST_F(DelayedCalls, AThreadsHiddenPanelExistsOnlyOnceItPostsAndGoesWithIt) {
    size_t before = rte::testing::AllPanels().size();
    std::thread quiet([] {
        ToolboxThreadLocals *block = GetThreadLocalBlock();
        EXPECT_EQ(block->delayedCalls, nullptr);
    });
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
    EXPECT_EQ(PostDeferredCallToThreadAndWait(record, &ranOn, target.id(), -1), 0);
    EXPECT_EQ(ranOn.load(), target.id());
    EXPECT_EQ(PostDeferredCallToThreadAndWait(record, &ranOn, target.id(), 5000), 0);

    // To the calling thread itself: run at once.
    EXPECT_EQ(PostDeferredCallToThreadAndWait(record, &ranOn, CurrThreadId(), 0), 0);
    EXPECT_EQ(ranOn.load(), CurrThreadId());

    EXPECT_EQ(PostDeferredCallToThreadAndWait(nullptr, nullptr, target.id(), -1), UIE_NULL_POINTER);
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

TEST(DeferredCallAndWait, ATimeOutOfZeroGivesUpAndTheTargetRunsLater) {
    EventLoopThread target;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    // Keep the target busy so the waited call cannot run in time.
    PostDeferredCallToThread([](void *f) { static_cast<std::shared_future<void> *>(f)->wait(); },
                             &released, target.id());
    std::promise<void> ran;
    auto done = [](void *p) { static_cast<std::promise<void> *>(p)->set_value(); };
    EXPECT_EQ(PostDeferredCallToThreadAndWait(done, &ran, target.id(), 0), 0);
    release.set_value();
    ran.get_future().wait();  // it still runs, and the target frees the record (LeakSanitizer)
}

TEST(DeferredCallAndWait, GivingUpAsTheTargetFinishesFreesTheRecordOnce) {
    EventLoopThread target;
    std::atomic<int> runs{0};
    auto count = [](void *n) { static_cast<std::atomic<int> *>(n)->fetch_add(1); };
    for (int i = 0; i < 300; i++)
        EXPECT_EQ(PostDeferredCallToThreadAndWait(count, &runs, target.id(), i % 3 == 0 ? 0 : 1), 0);
    // Every call runs exactly once; the sanitizers report a double free or a leak.
    EXPECT_EQ(PostDeferredCallToThreadAndWait(count, &runs, target.id(), -1), 0);
    EXPECT_EQ(runs.load(), 301);
}

TEST(DeferredCallAndWait, ATargetThatEndsReleasesItsWaiter) {
    std::promise<unsigned> started;
    std::promise<void> release;
    std::thread target([&] {
        ProcessSystemEvents();  // has an event queue, but stops processing events
        started.set_value(CurrThreadId());
        release.get_future().wait();
    });
    unsigned id = started.get_future().get();
    std::thread ender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        release.set_value();
    });
    bool ran = false;
    EXPECT_EQ(PostDeferredCallToThreadAndWait([](void *r) { *static_cast<bool *>(r) = true; }, &ran,
                                              id, -1),
              UIE_NO_SUCH_THREAD);
    EXPECT_FALSE(ran);
    ender.join();
    target.join();
}
