// Tests of calls handed to another thread's event loop.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "rte/engine.h"
#include "rte/ui.h"

namespace {

struct Worker {
    std::mutex m;
    std::condition_variable cv;
    unsigned id = 0;
    std::atomic<unsigned> ranOn{0};
};

void RunAndQuit(void *data) {
    static_cast<Worker *>(data)->ranOn = CurrThreadId();
    QuitUserInterface(5);
}

TEST(DeferredCalls, RunOnTheTargetThreadsLoopAndFailAfterItEnds) {
    Worker w;
    int loopResult = 0;
    std::thread t([&] {
        ProcessSystemEvents();  // gives the thread its event queue
        {
            std::lock_guard<std::mutex> hold(w.m);
            w.id = CurrThreadId();
        }
        w.cv.notify_all();
        loopResult = RunUserInterface();
    });
    {
        std::unique_lock<std::mutex> lock(w.m);
        w.cv.wait(lock, [&] { return w.id != 0; });
    }
    EXPECT_NE(w.id, CurrThreadId());
    ASSERT_EQ(PostDeferredCallToThread(RunAndQuit, &w, w.id), 0);
    t.join();
    EXPECT_EQ(loopResult, 5);
    EXPECT_EQ(w.ranOn.load(), w.id);
    EXPECT_EQ(PostDeferredCallToThread(RunAndQuit, &w, w.id), UIE_NO_SUCH_THREAD);
}

}  // namespace
