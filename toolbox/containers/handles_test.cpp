// Tests of the relocatable memory handles.
#include "toolbox/containers/handles.h"

#include <gtest/gtest.h>

#include <cstring>

#include "rte/alloc_testing.h"

namespace {

bool AllZero(const void *p, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        if (static_cast<const unsigned char *>(p)[i] != 0) return false;
    return true;
}

TEST(Handles, ResizingKeepsTheBytesAndZeroesWhatIsGained) {
    Handle h = NewHandle(0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->data, nullptr);
    EXPECT_EQ(GetHandleSize(h), 0u);

    ASSERT_EQ(SetHandleSize(h, 10), 1);  // from no block at all
    EXPECT_TRUE(AllZero(h->data, 0, 10));
    memcpy(h->data, "0123456789", 10);
    ASSERT_EQ(SetHandleSize(h, 20), 1);
    EXPECT_EQ(memcmp(h->data, "0123456789", 10), 0);
    EXPECT_TRUE(AllZero(h->data, 10, 20));

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

    Handle z = NewHandle(64);
    ASSERT_NE(z, nullptr);
    EXPECT_TRUE(AllZero(z->data, 0, 64));
    DisposeHandle(z);
}

TEST(Handles, OutOfMemoryLeavesNothingBehind) {
    rte::testing::ForEachAllocationFailure([](bool injected) {
        Handle h = NewHandle(16);
        EXPECT_EQ(h == nullptr, injected);
        DisposeHandle(h);
    });
    rte::testing::ForEachAllocationFailure([](bool injected) {
        Handle h = NewHandle(4);
        if (h == nullptr) return;  // the fault hit the set-up
        memcpy(h->data, "abcd", 4);
        int ok = SetHandleSize(h, 4096);
        bool failed = rte::testing::AllocationFaultFired();
        EXPECT_EQ(ok, failed ? 0 : 1) << injected;
        EXPECT_EQ(GetHandleSize(h), failed ? 4u : 4096u);
        EXPECT_EQ(memcmp(h->data, "abcd", 4), 0);
        DisposeHandle(h);
    });
}

TEST(HandlesDeathTest, NullHandleIsAProgrammingError) {
    EXPECT_DEATH(GetHandleSize(nullptr), "Parameter 1 to GetHandleSize was NULL\\.");
    EXPECT_DEATH(SetHandleSize(nullptr, 1), "Parameter 1 to SetHandleSize was NULL\\.");
}

}  // namespace
