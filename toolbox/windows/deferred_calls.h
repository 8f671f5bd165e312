/* toolbox/windows/deferred_calls.h - delayed calls on the calling thread and calls run on
 * another thread with a bounded wait (plain C).
 *
 * Both run a DeferredCallPtr (rte/engine.h: one void * argument, no result) from a thread's
 * event loop (RunUserInterface, ProcessSystemEvents), so the thread that is to run them must
 * process events.
 */
#ifndef TOOLBOX_WINDOWS_DEFERRED_CALLS_H
#define TOOLBOX_WINDOWS_DEFERRED_CALLS_H

#include "rte/engine.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A thread's delayed-call state: its hidden panel with one timer control and its pending calls.
 * Made by the thread's first PostDelayedCall and kept in the thread's library state. */
struct DelayedCallState;

/* ---- Delayed calls ----------------------------------------------------------------------- */

/* Queues function(callbackData) to run on the calling thread's event loop once delaySeconds
 * (engine Timer() seconds) have passed; never inside this call, even for a delay of 0 or less.
 * Calls run in order of due time, one per timer tick; equal due times run on successive ticks.
 * Returns 1 when queued, 0 when not (the thread's state or the entry could not be made). */
int PostDelayedCall(DeferredCallPtr function, void *callbackData, double delaySeconds);

/* Discards a thread's delayed-call state: its hidden panel (with the timer), its pending calls
 * (dropped without being run) and the record. NULL is ignored. Run it on the owning thread. */
void DiscardDelayedCallState(struct DelayedCallState *state);

/* ---- Calls on another thread ------------------------------------------------------------- */

/* Runs function(callbackData) on thread targetThreadId's event loop and blocks (without
 * processing the caller's own events) until it has returned or timeoutMs milliseconds of real
 * time have passed; timeoutMs -1 waits without limit, any other negative value as 0.
 * Returns:
 *   0 when targetThreadId is the calling thread (the function has run, directly);
 *   the non-negative result of PostDeferredCallToThread once the call was queued, whether it
 *     finished in time or the wait gave up (it may then still run later);
 *   -65 for a NULL function (nothing posted), -12 when the call's record cannot be allocated;
 *   the negative result of PostDeferredCallToThread when posting fails (-99 when the target
 *     has no event loop or has ended);
 *   -99 also when the target ends while the caller waits and the call never ran.
 * A waiting caller notices a target that has ended within about 50 ms. */
int PostDeferredCallToThreadAndWait(DeferredCallPtr function, void *callbackData,
                                    unsigned int targetThreadId, int timeoutMs);

#ifdef __cplusplus
}
#endif

#endif
