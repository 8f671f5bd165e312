// rte/core/thread_queue.h - the event queue of each thread (internal): thread ids, the deferred
// calls and user events queued to a thread, waking a thread and waiting for work.
//
// Each thread that owns a panel or processes events has one ThreadQueue. Other threads only
// append to its lists (under its mutex) and notify its condition variable; the owner alone runs
// what is queued (rte/events/event_loop.cpp). Waiting blocks on the condition variable until
// work comes, the thread is woken, or an engine time is reached; nothing spins.
//
// The main thread may be served by a screen display that waits for window input itself: the
// display registers its pump here (SetMainThreadPump), and waits and wakes of the main thread go
// through it. The queue knows nothing else of displays.
#ifndef RTE_CORE_THREAD_QUEUE_H
#define RTE_CORE_THREAD_QUEUE_H

#include <condition_variable>
#include <limits>
#include <list>
#include <memory>
#include <mutex>

#include "rte/engine.h"

namespace rte::internal {

struct Deferred {
    DeferredCallPtr func;
    void *data;
};

struct UserEvent {
    int number, panel, control;
};

struct ThreadQueue {
    unsigned id = 0;
    std::mutex m;
    std::condition_variable cv;
    std::list<Deferred> calls;        // guarded by m
    std::list<UserEvent> user;        // guarded by m
    unsigned long wakeups = 0;        // guarded by m; bumped to end a wait
    // Touched only by the owner thread:
    bool running = false, quit = false;
    int quitCode = 0;
};

// An engine time that never comes.
constexpr double kNever = std::numeric_limits<double>::infinity();

// Gives the calling thread an event queue (throws std::bad_alloc), and returns it.
void EnsureThreadQueue();
ThreadQueue &MyQueue();
// The live queue of a thread, or null when it has none or has ended.
std::shared_ptr<ThreadQueue> FindQueue(unsigned threadId);

// Ends a wait of the thread (it re-reads its timers), or of every thread (the clock moved).
void WakeThread(unsigned threadId);
void WakeAllThreads();

// The thread that called InitRTEEx (0 before).
unsigned MainThreadId();
void SetMainThread(unsigned id);

// Appends a user event to a thread's queue and wakes it: 0, UIE_NO_SUCH_THREAD or
// UIE_OUT_OF_MEMORY.
int PushUserEvent(unsigned threadId, const UserEvent &event);

// The main thread's pump, set by a display that waits for window input on the main thread.
// wake: from any thread, ends a wait of the pump. pump: on the main thread, delivers window input
// and, with wait set, blocks until input, a wake or the engine time deadline (negative: no limit).
using PumpWake = void (*)();
using Pump = void (*)(double deadline, bool wait);
void SetMainThreadPump(PumpWake wake, Pump pump);
// Runs the pump once without waiting when the calling thread is the main thread and a pump is set.
void PumpMainThreadNow();

// Blocks the owner of q until something is queued (user events only when wantUserEvents), the
// queue is woken, or the engine time reaches deadline (kNever: no limit).
void WaitForWork(ThreadQueue &q, double deadline, bool wantUserEvents);

}  // namespace rte::internal

#endif
