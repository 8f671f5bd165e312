// rte/events/event_loop.h - the event loop of each thread (internal): what RunUserInterface,
// ProcessSystemEvents and GetUserEvent run from the thread's queue (rte/core/thread_queue.h).
#ifndef RTE_EVENTS_EVENT_LOOP_H
#define RTE_EVENTS_EVENT_LOOP_H

namespace rte::internal {

// Called by RunUserInterface on the main thread when nothing else is pending. Returns 1 when it
// did something (events may be pending now), 0 when it has nothing to do now and *resumeAt
// holds the engine time to call it again (or a negative value: only when woken).
using IdleHook = int (*)(double *resumeAt);
void SetIdleHook(IdleHook hook);

// The idle hook also runs inside the event processing a program does itself while it is busy
// in a callback (ProcessSystemEvents, GetUserEvent), as an operator's input would arrive there:
// RunIdleHook calls it on the main thread unless an IdleHookHold of this thread is alive, and
// returns its result (0 when it was not called, *resumeAt then negative). The operator-input
// layer holds it while it processes the events its own actions caused, so one action never
// starts the next.
int RunIdleHook(double *resumeAt);
class IdleHookHold {
public:
    IdleHookHold();
    ~IdleHookHold();
    IdleHookHold(const IdleHookHold &) = delete;
    IdleHookHold &operator=(const IdleHookHold &) = delete;
};

// Processes what is pending on the calling thread once: deferred calls, due timers and, when
// deliverUserEvents is set, queued user events. Returns whether anything ran.
bool ProcessPendingOnce(bool deliverUserEvents);

// A modal loop (a popup menu waiting for its answer): runs the calling thread's events as
// RunUserInterface does, with the operator script's steps on the main thread, until done(data)
// is true. Blocks between events; throws std::bad_alloc.
void RunEventsUntil(bool (*done)(void *data), void *data);

// Whether an operator script plays on the main thread (its steps run when the loop is idle).
bool IdleHookSet();

}  // namespace rte::internal

#endif
