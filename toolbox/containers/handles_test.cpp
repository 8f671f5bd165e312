// Tests of the relocatable memory handles.
#include "toolbox/containers/handles.h"

#include <gtest/gtest.h>

#include <cstring>

#include "rte/alloc_testing.h"

namespace {

TEST(Handles, ResizingKeepsTheBytesAndZeroesWhatIsGained) {
    Handle h = NewHandle(0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->data, nullptr);
    ASSERT_EQ(SetHandleSize(h, 10), 1);  // from no block at all
    EXPECT_EQ(memcmp(h->data, "\0\0\0\0\0\0\0\0\0\0", 10), 0);
    memcpy(h->data, "0123456789", 10);
    ASSERT_EQ(SetHandleSize(h, 20), 1);
    EXPECT_EQ(memcmp(h->data, "0123456789\0\0\0\0\0\0\0\0\0\0", 20), 0);
    void *before = h->data;
    rte::testing::ClearAllocationFault();
    EXPECT_EQ(SetHandleSize(h, 20), 1);  // same size: nothing reallocated
    EXPECT_EQ(rte::testing::AllocationCount(), 0);
    EXPECT_EQ(h->data, before);
    ASSERT_EQ(SetHandleSize(h, 5), 1);
    EXPECT_EQ(memcmp(h->data, "01234", 5), 0);
    ASSERT_EQ(SetHandleSize(h, 0), 1);
    EXPECT_EQ(GetHandleSize(h), 0u);
    DisposeHandle(h);
    DisposeHandle(nullptr);
}

TEST(Handles, OutOfMemoryLeavesNothingBehind) {
    rte::testing::ForEachAllocationFailure([](bool injected) {
        Handle h = NewHandle(4);
        EXPECT_EQ(h == nullptr, injected);
        DisposeHandle(h);
    });
    Handle h = NewHandle(4), empty = NewHandle(0);
    memcpy(h->data, "abcd", 4);
    rte::testing::FailNthAllocation(1);  // SetHandleSize makes one allocation (realloc)
    EXPECT_EQ(SetHandleSize(h, 4096), 0);
    rte::testing::FailNthAllocation(1);  // (malloc)
    EXPECT_EQ(SetHandleSize(empty, 8), 0);
    rte::testing::ClearAllocationFault();
    EXPECT_EQ(GetHandleSize(h) + GetHandleSize(empty), 4u);
    EXPECT_EQ(memcmp(h->data, "abcd", 4), 0);
    EXPECT_EQ(empty->data, nullptr);
    DisposeHandle(h);
    DisposeHandle(empty);
}

TEST(HandlesDeathTest, NullHandleIsAProgrammingError) {
    EXPECT_DEATH(GetHandleSize(nullptr), "Parameter 1 to GetHandleSize was NULL\\.");
    EXPECT_DEATH(SetHandleSize(nullptr, 1), "Parameter 1 to SetHandleSize was NULL\\.");
}

}  // namespace
