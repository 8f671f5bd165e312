// The global operator new of the test program, which consults the allocation fault injector
// while a ScopedNewFaults is alive (rte/alloc_new_testing.h), and a test of it.
#include "rte/alloc_new_testing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

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
// Kept out of line: inlined into a caller, the free of a block that came from operator new
// would look like a mismatched pair to the optimiser's checks.
[[gnu::noinline]] void operator delete(void *block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void *block, std::size_t) noexcept { std::free(block); }

namespace rte::testing {

ScopedNewFaults::ScopedNewFaults() { g_scopes.fetch_add(1); }
ScopedNewFaults::~ScopedNewFaults() { g_scopes.fetch_sub(1); }

}  // namespace rte::testing

namespace {

// Direct calls of operator new, which the optimiser may not leave out as it may an unused
// new-expression.
TEST(AllocNewFault, OperatorNewFailsOnlyInsideTheScope) {
    rte::testing::FailNthAllocation(1);
    ::operator delete(::operator new(sizeof(int)));  // not counted
    {
        rte::testing::ScopedNewFaults faults;
        EXPECT_THROW(::operator delete(::operator new(sizeof(int))), std::bad_alloc);
        ::operator delete(::operator new(sizeof(int)));  // the fault fires once
    }
    EXPECT_EQ(rte::testing::AllocationCount(), 2);
    rte::testing::ClearAllocationFault();
}

}  // namespace
