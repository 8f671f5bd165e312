// Tests of the Windows synchronisation calls: InterlockedExchange as a claim flag shared by
// many threads, and Sleep's minimum duration.
#include "win32/winbase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

TEST(InterlockedExchange, ExactlyOneThreadClaimsAFlag) {
    LONG volatile claimed = 0;
    std::atomic<int> winners{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; i++) {
        threads.emplace_back([&] {
            if (InterlockedExchange(&claimed, 1) == 0) winners++;
        });
    }
    for (auto &t : threads) t.join();
    EXPECT_EQ(winners.load(), 1);
    EXPECT_EQ(InterlockedExchange(&claimed, -7), 1);
    EXPECT_EQ(InterlockedExchange(&claimed, 0), -7);
}

TEST(Sleep, WaitsAtLeastTheGivenTime) {
    auto start = std::chrono::steady_clock::now();
    Sleep(20);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
    Sleep(0);  // only yields
}
