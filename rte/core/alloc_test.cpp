// The allocation fault injector: the armed allocation fails once, the others succeed.
#include "rte/alloc.h"
#include "rte/alloc_testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

TEST(AllocFault, FailsExactlyTheArmedAllocation) {
    rte::testing::FailNthAllocation(2);
    void *a = RteMalloc(8);
    void *b = RteCalloc(2, 8);
    void *c = RteStrdup("abc");
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_NE(c, nullptr);
    EXPECT_TRUE(rte::testing::AllocationFaultFired());
    EXPECT_EQ(rte::testing::AllocationCount(), 3);
    free(a);
    free(c);

    rte::testing::FailNthAllocation(1);
    void *block = RteMalloc(4);
    rte::testing::FailNthAllocation(1);
    EXPECT_EQ(RteRealloc(block, 400), nullptr);  // the old block is still owned
    free(block);
    rte::testing::ClearAllocationFault();
}

TEST(AllocFault, ForEachVisitsEveryAllocation) {
    std::vector<bool> runs;
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        void *x = RteMalloc(1);
        void *y = RteMalloc(1);
        runs.push_back(injected);
        if (injected) {
            EXPECT_TRUE(x == nullptr || y == nullptr);
        }
        free(x);
        free(y);
    });
    EXPECT_EQ(runs, (std::vector<bool>{false, true, true}));
}
