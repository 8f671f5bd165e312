// Heap allocation with fault injection: the allocator wrappers of rte/alloc.h and the test
// controls of rte/alloc_testing.h. The state is three atomics, so any thread may allocate.
#include "rte/alloc.h"
#include "rte/alloc_testing.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<long> g_countdown{0};  // > 0: allocations left until the one that fails
std::atomic<long> g_count{0};      // allocations attempted since the last arming or clearing
std::atomic<bool> g_fired{false};  // the armed fault has been injected

// True when this allocation must fail. Exactly one caller sees the countdown go from 1 to 0.
bool InjectFault() {
    g_count.fetch_add(1, std::memory_order_relaxed);
    long left = g_countdown.load(std::memory_order_relaxed);
    while (left > 0) {
        if (g_countdown.compare_exchange_weak(left, left - 1, std::memory_order_acq_rel)) {
            if (left == 1) {
                g_fired.store(true, std::memory_order_release);
                return true;
            }
            return false;
        }
    }
    return false;
}

}  // namespace

extern "C" void *RteMalloc(size_t size) {
    return InjectFault() ? nullptr : std::malloc(size);
}

extern "C" void *RteCalloc(size_t count, size_t size) {
    return InjectFault() ? nullptr : std::calloc(count, size);
}

extern "C" void *RteRealloc(void *block, size_t size) {
    return InjectFault() ? nullptr : std::realloc(block, size);
}

extern "C" char *RteStrdup(const char *text) {
    if (InjectFault()) return nullptr;
    size_t n = std::strlen(text) + 1;
    char *copy = static_cast<char *>(std::malloc(n));
    if (copy) std::memcpy(copy, text, n);
    return copy;
}

namespace rte::testing {

void FailNthAllocation(long n) {
    g_fired.store(false);
    g_count.store(0);
    g_countdown.store(n > 0 ? n : 0);
}

void ClearAllocationFault() { FailNthAllocation(0); }

long AllocationCount() { return g_count.load(); }

bool AllocationFaultFired() { return g_fired.load(); }

void ForEachAllocationFailure(const std::function<void(bool)> &body) {
    ClearAllocationFault();
    body(false);
    long total = AllocationCount();
    for (long n = 1; n <= total; ++n) {
        FailNthAllocation(n);
        body(true);
        ClearAllocationFault();
    }
}

}  // namespace rte::testing
