// Tests that the library may be called from several threads at once: each thread opens its own
// handles, writes and reads back a device, and lists; nothing fails and no handle is shared.
#include "qm7300/QM7300.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

TEST(QM7300Threads, ConcurrentCallsKeepHandlesDistinctAndLatchesWhole)
{
    constexpr int kThreads = 4, kRounds = 200;
    std::vector<std::vector<int>> seen(kThreads);
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([t, &seen, &failures] {
            // Threads 0 and 2 share QM7300-0, 1 and 3 QM7300-1, on different ports.
            const char *name = (t % 2) ? "QM7300-1" : "QM7300-0";
            int out = (t < 2) ? 16 : 17, in = out - 16;
            char err[QM_ERROR_TEXT_SIZE], list[QM_LIST_TEXT_SIZE];
            for (int r = 0; r < kRounds; r++) {
                int h = 0, count = 0;
                unsigned char v = 0;
                if (QM_OpenDIO(name, &h) != QM_OK || QM_WritePort(h, out, (unsigned char)r, err) ||
                    QM_ReadPort(h, in, &v, err) || v != (unsigned char)r ||
                    QM_ListDIO(&count, list, nullptr) || count != 2)
                    failures[t]++;
                seen[t].push_back(h);
                if (r % 2)
                    QM_CloseDIO(h);  // every other handle stays open to the end
            }
        });
    }
    for (std::thread &th : threads)
        th.join();
    std::set<int> open;
    for (int t = 0; t < kThreads; t++) {
        EXPECT_EQ(failures[t], 0);
        for (int r = 0; r < kRounds; r += 2)
            EXPECT_TRUE(open.insert(seen[t][r]).second) << "handle given twice";
    }
    for (int h : open)
        EXPECT_EQ(QM_CloseDIO(h), QM_OK);
}
