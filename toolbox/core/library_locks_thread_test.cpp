// Tests of the library locks: made once when many threads take one for the first time at once,
// and excluding the others while held (ThreadSanitizer checks the shared counter).
#include "toolbox/core/library_locks_internal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(ToolboxLocks, ManyFirstTakersCreateThemOnce) {
    const int kThreads = 8;
    std::atomic<bool> go{false};
    std::vector<int> seen(kThreads);
    long counter = 0;  // guarded by MOUSE_EVENTS_LOCK alone
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([&, t] {
            go.wait(false);  // all start together, as near at once as threads can
            int held = GetToolboxLock(MOUSE_EVENTS_LOCK);
            EXPECT_EQ(held, 1);
            seen[t] = ToolboxLockHandle(MOUSE_EVENTS_LOCK);
            for (int i = 0; i < 100; i++) counter++;
            held = ReleaseToolboxLock(MOUSE_EVENTS_LOCK);
            EXPECT_EQ(held, 0);
        });
    }
    go = true;
    go.notify_all();
    for (auto &t : threads) t.join();

    EXPECT_EQ(counter, kThreads * 100);
    int chain = ToolboxLockHandle(CALLBACK_CHAIN_LOCK);
    int mouse = ToolboxLockHandle(MOUSE_EVENTS_LOCK);
    EXPECT_GT(chain, 0);
    EXPECT_NE(chain, mouse);
    for (int handle : seen) EXPECT_EQ(handle, mouse);
    EXPECT_EQ(mouse, chain + 1);  // made together, one after the other, by one thread
}
