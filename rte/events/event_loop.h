// rte/events/event_loop.h - internal interface of the per-thread event queues and the engine clock.
#ifndef RTE_EVENT_LOOP_H
#define RTE_EVENT_LOOP_H

#include <chrono>

namespace rte::internal {

// ---- Clock (engine_clock.cpp) ----
bool ManualClockActive();
// The steady-clock moment at which the real clock reaches engine time t.
std::chrono::steady_clock::time_point RealTimeFor(double t);

// ---- Queues (event_loop.cpp) ----
void EnsureThreadQueue();             // gives the calling thread an event queue
void WakeAllThreads();                // after the manual clock moved
unsigned MainThreadId();              // the thread that called InitRTEEx (0 before)
void SetMainThread(unsigned id);

// Called by RunUserInterface on the main thread when nothing else is pending. Returns 1 when it
// did something (events may be pending now), 0 when it has nothing to do now and *resumeAt
// holds the engine time to call it again (or a negative value: only when woken).
using IdleHook = int (*)(double *resumeAt);
void SetIdleHook(IdleHook hook);

// Processes what is pending on the calling thread once: deferred calls, due timers and, when
// deliverUserEvents is set, queued user events. Returns whether anything ran.
bool ProcessPendingOnce(bool deliverUserEvents);

}  // namespace rte::internal

#endif
