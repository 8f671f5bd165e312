// Delayed calls, run from a hidden timer control on the posting thread's event loop, and calls
// handed to another thread's event loop with a bounded, blocking wait for their completion.
#include "toolbox/windows/deferred_calls.h"
#include "toolbox/windows/deferred_calls_internal.h"

#include "rte/alloc.h"
#include "rte/ui.h"
#include "toolbox/containers/list.h"
#include "toolbox/containers/sort.h"
#include "toolbox/core/errors.h"
#include "toolbox/core/thread_locals_internal.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>
#include <set>
#include <vector>

// ---- Delayed calls ----

namespace {

struct DelayedCall {
    DeferredCallPtr function;
    void *callbackData;
    double dueTime;  // Timer() at posting plus the delay
};

}  // namespace

// One per thread, touched only by that thread.
struct DelayedCallState {
    ListHandle pendingCalls;  // DelayedCall items in descending dueTime: the next due is last
    int panel;                // hidden panel, never displayed
    int ownsPanel;            // 1: the panel is discarded with the state
    int timerCtrl;            // timer on the panel; enabled exactly while calls are pending
};

namespace {

// Descending order of due time: -1 when a is due later than b.
int CompareDueTimes(const void *a, const void *b) {
    double dueA = static_cast<const DelayedCall *>(a)->dueTime;
    double dueB = static_cast<const DelayedCall *>(b)->dueTime;
    if (dueA > dueB) return -1;
    if (dueA < dueB) return 1;
    return 0;
}

void ArmDelayedCallTimer(DelayedCallState *state) {
    if (state->timerCtrl <= 0) return;
    if (ListNumItems(state->pendingCalls) == 0) {
        SetCtrlAttribute(state->panel, state->timerCtrl, ATTR_ENABLED, 0);
        return;
    }
    DelayedCall next;
    ListGetItem(state->pendingCalls, &next, LIST_END);
    // One reading of the clock, clamped at 0: the time may pass the due time between two
    // readings, and a negative interval would be refused.
    double interval = next.dueTime - Timer();
    if (interval < 0.0) interval = 0.0;
    SetCtrlAttribute(state->panel, state->timerCtrl, ATTR_ENABLED, 1);
    SetCtrlAttribute(state->panel, state->timerCtrl, ATTR_INTERVAL, interval);
}

// Runs at most one due call per tick; the timer is re-armed with interval 0 while more are due.
int DelayedCallTimerCallback(int, int, int event, void *callbackData, int, int) {
    auto *state = static_cast<DelayedCallState *>(callbackData);
    if (event == EVENT_DISCARD) {
        state->timerCtrl = 0;  // gone with its panel; not to be discarded again
    } else if (event == EVENT_TIMER_TICK) {
        // The tick's time comes beside the event (event data are ints, too small for it).
        double now = GetTimerTickTime();
        if (ListNumItems(state->pendingCalls) > 0) {
            DelayedCall next;
            ListGetItem(state->pendingCalls, &next, LIST_END);
            if (now >= next.dueTime) {
                ListRemoveItem(state->pendingCalls, nullptr, LIST_END);
                next.function(next.callbackData);
            }
        }
        ArmDelayedCallTimer(state);
    }
    return 0;
}

// The hidden panel, its timer and the empty list; NULL when any part cannot be made.
DelayedCallState *CreateDelayedCallState() {
    auto *state = static_cast<DelayedCallState *>(RteCalloc(1, sizeof(DelayedCallState)));
    if (!state) return nullptr;
    int panel = NewPanel(0, "", -100, -100, 10, 10);
    if (panel > 0) {
        state->panel = panel;
        state->ownsPanel = 1;
        int timer = NewCtrl(panel, CTRL_TIMER, "", 0, 0);
        if (timer > 0) {
            state->timerCtrl = timer;
            if (InstallCtrlCallback(panel, timer, DelayedCallTimerCallback, state) >= 0) {
                state->pendingCalls = ListCreate(sizeof(DelayedCall));
                if (state->pendingCalls) return state;
            }
        }
    }
    DiscardDelayedCallState(state);
    return nullptr;
}

}  // namespace

extern "C" void DiscardDelayedCallState(DelayedCallState *state) {
    if (!state) return;
    if (state->panel > 0) {
        if (state->ownsPanel)
            DiscardPanel(state->panel);
        else if (state->timerCtrl > 0)
            DiscardCtrl(state->panel, state->timerCtrl);
    }
    ListDispose(state->pendingCalls);
    std::free(state);
}

// The thread's block owns its delayed-call state; this discards it with the block.
static void CleanupDelayedCalls(ToolboxThreadLocals *block) {
    DiscardDelayedCallState(block->delayedCalls);
    block->delayedCalls = nullptr;
}

extern "C" int PostDelayedCall(DeferredCallPtr function, void *callbackData, double delaySeconds) {
    // A null function would crash the event loop later; it is refused like a failed entry.
    if (!function) return 0;
    ToolboxThreadLocals *locals = GetThreadLocalBlock();
    if (!locals->delayedCalls) {
        RegisterThreadBlockCleanup(CleanupDelayedCalls, PostDeferredCallToThreadAndWait);
        locals->delayedCalls = CreateDelayedCallState();
    }
    DelayedCallState *state = locals->delayedCalls;
    if (!state) return 0;  // the next call tries again
    DelayedCall call = {function, callbackData, Timer() + delaySeconds};
    int inserted = ListInsertInOrder(state->pendingCalls, &call, CompareDueTimes);
    ArmDelayedCallTimer(state);
    return inserted ? 1 : 0;
}

// ---- Calls on another thread ----
//
// A WaitedCall is shared by the waiting thread and the target thread. Its `state` combines the
// call's progress with the waiter's abandoned flag, and each side ends its part with one atomic
// exchange on it: the target exchanges in kDone when the function has returned, the waiter
// exchanges in kAbandoned when it stops waiting. Whichever exchange comes second sees the
// other's mark and frees the record, so it is freed exactly once in every interleaving.
//
// Every record lives in the in-flight list until it is freed. A record whose waiter gave up
// and whose target then ended never runs (the engine drops queued calls of an ended thread);
// later calls find such orphans and free them.

namespace {

enum : int { kPending = 0, kRunning = 2, kDone = 3, kAbandoned = 0x100 };

struct WaitedCall {
    DeferredCallPtr function;
    void *callbackData;
    std::atomic<int> state;  // kPending, kRunning or kDone, possibly with kAbandoned
    unsigned target;
    WaitedCall *prev, *next;  // in-flight list; under WaitRegistry::m
};

struct WaitRegistry {
    std::mutex m;
    std::condition_variable finished;  // notified when any record reaches kDone
    WaitedCall inFlight;               // sentinel of the circular in-flight list
    WaitRegistry() { inFlight.prev = inFlight.next = &inFlight; }
};

WaitRegistry &Waits() {
    static WaitRegistry *registry = new WaitRegistry;  // never destroyed: used at process exit
    return *registry;
}

void Link(WaitedCall *call) {
    WaitedCall &head = Waits().inFlight;
    call->next = head.next;
    call->prev = &head;
    head.next->prev = call;
    head.next = call;
}

void UnlinkAndFree(WaitedCall *call) {
    call->prev->next = call->next;
    call->next->prev = call->prev;
    call->~WaitedCall();
    std::free(call);
}

void RunWaitedCall(void *data) {
    auto *call = static_cast<WaitedCall *>(data);
    call->state.fetch_or(kRunning);
    call->function(call->callbackData);
    std::lock_guard<std::mutex> guard(Waits().m);
    if (call->state.exchange(kDone) & kAbandoned)
        UnlinkAndFree(call);
    else
        Waits().finished.notify_all();
}

// Frees abandoned records whose target has ended before running them.
void FreeOrphans() {
    std::vector<unsigned> targets;
    {
        std::lock_guard<std::mutex> guard(Waits().m);
        for (WaitedCall *c = Waits().inFlight.next; c != &Waits().inFlight; c = c->next)
            if (c->state.load() == kAbandoned) targets.push_back(c->target);
    }
    if (targets.empty()) return;
    std::set<unsigned> ended;
    for (unsigned t : targets)
        if (ThreadHasEnded(t)) ended.insert(t);
    std::lock_guard<std::mutex> guard(Waits().m);
    WaitedCall *c = Waits().inFlight.next;
    while (c != &Waits().inFlight) {
        WaitedCall *next = c->next;
        if (c->state.load() == kAbandoned && ended.count(c->target)) UnlinkAndFree(c);
        c = next;
    }
}

}  // namespace

// Posting to such a thread is refused as such.
extern "C" int ThreadHasEnded(unsigned int threadId) {
    int oldBreak = SetBOLE(0);
    int posted = PostDeferredCallToThread([](void *) {}, nullptr, threadId);
    SetBOLE(oldBreak);
    return posted == UIE_NO_SUCH_THREAD ? 1 : 0;
}

extern "C" int PostDeferredCallToThreadAndWait(DeferredCallPtr function, void *callbackData,
                                               unsigned int targetThreadId, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    if (!function) return UIE_NULL_POINTER;
    try {
        FreeOrphans();
    } catch (...) {
        // Out of memory while looking: the orphans wait for a later call.
    }
    void *memory = RteMalloc(sizeof(WaitedCall));
    if (!memory) return UIE_OUT_OF_MEMORY;
    auto *call = new (memory) WaitedCall{function, callbackData, {kPending}, targetThreadId,
                                         nullptr, nullptr};

    if (targetThreadId == RteGetCurrentThreadID()) {
        function(callbackData);
        call->~WaitedCall();
        std::free(call);
        return 0;
    }

    // The time-out is real time (the steady clock), not the engine's Timer(): a blocking wait
    // needs a clock that moves by itself, and tests may stop the engine's clock.
    Clock::time_point start = Clock::now();
    Clock::time_point deadline = start + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    bool limited = timeoutMs != -1;

    std::unique_lock<std::mutex> lock(Waits().m);
    Link(call);
    lock.unlock();
    int posted = PostDeferredCallToThread(RunWaitedCall, call, targetThreadId);
    lock.lock();
    if (posted < 0) {
        UnlinkAndFree(call);
        return posted;
    }

    // Wait in slices of at most 50 ms, to notice a target that ends without running the call.
    const auto slice = std::chrono::milliseconds(50);
    for (;;) {
        if (call->state.load() == kDone) {
            UnlinkAndFree(call);
            return posted;
        }
        Clock::time_point now = Clock::now();
        if (limited && now > deadline) break;
        Clock::time_point wakeAt = now + slice;
        if (limited && deadline < wakeAt) wakeAt = deadline + std::chrono::microseconds(1);
        if (Waits().finished.wait_until(lock, wakeAt) == std::cv_status::timeout &&
            call->state.load() == kPending) {
            lock.unlock();
            bool ended = ThreadHasEnded(targetThreadId);
            lock.lock();
            // An ended thread runs nothing more, so the record is still ours alone.
            if (ended && call->state.load() == kPending) {
                UnlinkAndFree(call);
                return UIE_NO_SUCH_THREAD;
            }
        }
    }
    // Give up: hand the record to the target, unless it finished meanwhile.
    if (call->state.exchange(kAbandoned) == kDone) UnlinkAndFree(call);
    return posted;
}
