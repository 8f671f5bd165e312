// rte/core/clock.h - the engine's one clock (internal side): Timer() reads it (rte/engine.h);
// tests switch it to a manual clock that stands still until advanced.
#ifndef RTE_CORE_CLOCK_H
#define RTE_CORE_CLOCK_H

#include <chrono>

namespace rte::internal {

bool ManualClockActive();
// The steady-clock moment at which the real clock reaches engine time t.
std::chrono::steady_clock::time_point RealTimeFor(double t);

// The manual clock: on at startSeconds, advanced by seconds (> 0), or off (the real clock again).
// Whoever moves the clock wakes the waiting event loops (WakeAllThreads).
void SetManualClock(double startSeconds);
void AdvanceManualClock(double seconds);
void SetRealClock();

}  // namespace rte::internal

#endif
