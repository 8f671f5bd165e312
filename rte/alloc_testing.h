// rte/alloc_testing.h - controls of the allocation fault injector, for tests (C++).
//
// The injector counts calls of RteMalloc, RteCalloc, RteRealloc and RteStrdup. Arming it with
// n makes the n-th call from then on fail (1 = the next call); it then disarms itself. A typical
// test runs the function once to learn how many allocations it makes, then once per allocation
// with that allocation failing, and checks the documented result, the untouched inputs and (through
// LeakSanitizer) that nothing leaked:
//
//     rte::testing::ForEachAllocationFailure([&](bool injected) {
//         char *s = nullptr;
//         int ok = AppendString(&s, "abc", -1);
//         EXPECT_EQ(ok, injected ? 0 : 1);
//         free(s);
//     });
#ifndef RTE_ALLOC_TESTING_H
#define RTE_ALLOC_TESTING_H

#include <functional>

namespace rte::testing {

void FailNthAllocation(long n);   // arm: the n-th allocation from now fails (n >= 1); 0 disarms
void ClearAllocationFault();      // disarm
long AllocationCount();           // allocations attempted since the last arming or clearing
bool AllocationFaultFired();      // whether the armed fault has been injected since arming

// Runs body once without a fault to count its allocations (injected = false), then once for each
// of them with that one failing (injected = true). The body must be deterministic: the same
// allocations in the same order on every run up to the failing one.
void ForEachAllocationFailure(const std::function<void(bool injected)> &body);

}  // namespace rte::testing

#endif
