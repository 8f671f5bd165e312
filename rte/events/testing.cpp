// rte/events/testing.cpp - the test interface (rte/testing.h): a thin layer over the engine's own
// calls, so that a test does what the operator, the clock and a display do.
#include "rte/testing.h"

#include "rte/core/clock.h"
#include "rte/core/thread_queue.h"

namespace rte::testing {

// ---- Clock: moving it wakes every waiting event loop, so due timers fire ----

void UseManualClock(double startSeconds) {
    rte::internal::SetManualClock(startSeconds);
    rte::internal::WakeAllThreads();
}

void UseRealClock() {
    rte::internal::SetRealClock();
    rte::internal::WakeAllThreads();
}

void AdvanceClock(double seconds) {
    rte::internal::AdvanceManualClock(seconds);
    rte::internal::WakeAllThreads();
}

}  // namespace rte::testing
