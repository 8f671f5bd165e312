// The global operator new of the test program, which consults the allocation fault injector
// while a ScopedNewFaults is alive (rte/alloc_new_testing.h), and a test of it.
#include "rte/alloc_new_testing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "rte/alloc.h"
#include "rte/alloc_testing.h"

namespace {
std::atomic<int> g_scopes{0};
}  // namespace

void *operator new(std::size_t size) {
    if (size == 0) size = 1;
    void *block = g_scopes.load(std::memory_order_relaxed) > 0 ? RteMalloc(size) : std::malloc(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}
void operator delete(void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }

namespace rte::testing {

ScopedNewFaults::ScopedNewFaults() { g_scopes.fetch_add(1); }
ScopedNewFaults::~ScopedNewFaults() { g_scopes.fetch_sub(1); }

}  // namespace rte::testing

namespace {

TEST(AllocNewFault, OperatorNewFailsOnlyInsideTheScope) {
    rte::testing::FailNthAllocation(1);
    auto outside = std::make_unique<int>(1);  // not counted
    EXPECT_EQ(rte::testing::AllocationCount(), 0);
    {
        rte::testing::ScopedNewFaults faults;
        EXPECT_THROW((void)std::make_unique<int>(2), std::bad_alloc);
        auto second = std::make_unique<int>(3);  // the fault fired once
        EXPECT_EQ(rte::testing::AllocationCount(), 2);
    }
    rte::testing::ClearAllocationFault();

    int runs = 0, failures = 0;
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        ++runs;
        rte::testing::ScopedNewFaults faults;
        try {
            std::string text(100, 'x');
            text += std::string(200, 'y');
            EXPECT_FALSE(injected);
        } catch (const std::bad_alloc &) {
            ++failures;
        }
    });
    EXPECT_EQ(runs, 1 + failures);
    EXPECT_GE(failures, 2);
}

}  // namespace
