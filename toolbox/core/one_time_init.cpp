// The one-time initialisation protocol of lazily created process-wide objects: one atomic
// exchange to claim the creation, a flag set when it has finished, 10 ms sleeps while waiting.
#include "toolbox/core/one_time_init_internal.h"

namespace {

bool IsCreated(LONG volatile *created) {
    // Acquire pairs with the exchange in OneTimeInitDone, so everything the creating thread
    // wrote before setting the flag is visible to whoever sees it set.
    return __atomic_load_n(created, __ATOMIC_ACQUIRE) != 0;
}

}  // namespace

extern "C" int OneTimeInitBegin(LONG volatile *created, LONG volatile *claimed) {
    if (IsCreated(created)) return 0;
    if (InterlockedExchange(claimed, 1) == 0) return 1;
    // Another thread is creating; there is no limit on the wait.
    while (!IsCreated(created)) Sleep(10);
    return 0;
}

extern "C" void OneTimeInitDone(LONG volatile *created) { InterlockedExchange(created, 1); }
