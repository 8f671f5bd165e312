// rte/events/event_loop.cpp - the event loop of each thread: timer ticks, user events,
// RunUserInterface / ProcessSystemEvents / GetUserEvent over the thread's queue
// (rte/core/thread_queue.h).
//
// Running out of memory never loses queued work: the owner takes what it runs off the queue by
// splicing list nodes (no allocation), and whatever it has not started on goes back to the
// front of the queue when an exception ends the pass. The public functions turn std::bad_alloc
// into UIE_OUT_OF_MEMORY.
#include "rte/events/event_loop.h"

#include <atomic>
#include <mutex>
#include <new>
#include <vector>

#include "rte/core/thread_queue.h"
#include "rte/engine.h"
#include "rte/model/ui_model.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

std::atomic<IdleHook> g_idleHook{nullptr};

thread_local double t_tickTime = 0;

// The engine time at which the calling thread's next timer is due (kNever when none).
double NextTimerDue(unsigned me) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    double next = kNever;
    for (int handle : PanelHandles()) {
        Panel *p = FindPanel(handle);
        if (p == nullptr || p->thread != me) continue;
        for (auto &c : p->ctrls) {
            if (c->style == CTRL_TIMER && c->enabled && !c->dimmed && c->nextDue < next) next = c->nextDue;
        }
    }
    return next;
}

struct Tick {
    int panel, control, data1, data2;
};

// Sends EVENT_TIMER_TICK to every due timer of the calling thread. Returns whether any fired.
bool FireDueTimers(unsigned me) {
    double now = Timer();
    std::vector<Tick> due;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        for (int handle : PanelHandles()) {
            Panel *p = FindPanel(handle);
            if (p == nullptr || p->thread != me) continue;
            for (auto &c : p->ctrls) {
                if (c->style != CTRL_TIMER || !c->enabled || c->dimmed || c->nextDue > now) continue;
                int sinceLast = c->lastTick < 0 ? 0 : static_cast<int>((now - c->lastTick) * 1000.0);
                long long ms = static_cast<long long>(now * 1000.0) % 0x80000000LL;
                due.push_back({handle, c->id, static_cast<int>(ms), sinceLast});
            }
        }
        // Rescheduled only once the whole list is made: a timer whose tick could not be listed
        // stays due.
        for (const Tick &t : due) {
            Control *c = FindControl(FindPanel(t.panel), t.control);
            c->lastTick = now;
            c->nextDue = now + c->interval;
        }
    }
    for (const Tick &t : due) {
        CtrlCallbackPtr cb = nullptr;
        void *data = nullptr;
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Panel *p = FindPanel(t.panel);
            Control *c = p ? FindControl(p, t.control) : nullptr;
            if (c == nullptr) continue;  // discarded by an earlier tick's callback
            cb = c->callback;
            data = c->callbackData;
        }
        t_tickTime = now;
        if (cb != nullptr) cb(t.panel, t.control, EVENT_TIMER_TICK, data, t.data1, t.data2);
    }
    return !due.empty();
}

void DeliverUserEvent(const UserEvent &e) {
    if (e.panel <= 0) return;  // no panel: only GetUserEvent sees it
    CtrlCallbackPtr ccb = nullptr;
    PanelCallbackPtr pcb = nullptr;
    void *data = nullptr;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(e.panel);
        if (p == nullptr) return;
        if (e.control > 0) {
            Control *c = FindControl(p, e.control);
            if (c == nullptr) return;
            ccb = c->callback;
            data = c->callbackData;
        } else {
            pcb = p->callback;
            data = p->callbackData;
        }
    }
    if (ccb != nullptr) ccb(e.panel, e.control, e.number, data, 0, 0);
    if (pcb != nullptr) pcb(e.panel, e.number, data, 0, 0);
}

}  // namespace

void SetIdleHook(IdleHook hook) { g_idleHook.store(hook); }

namespace {
thread_local int t_hookHolds = 0;
}  // namespace

IdleHookHold::IdleHookHold() { ++t_hookHolds; }
IdleHookHold::~IdleHookHold() { --t_hookHolds; }

int RunIdleHook(double *resumeAt) {
    *resumeAt = -1;
    IdleHook hook = g_idleHook.load();
    if (hook == nullptr || t_hookHolds > 0 || CurrThreadId() != MainThreadId()) return 0;
    return hook(resumeAt);
}

namespace {

// What one pass of the event loop took off its queue. Whatever is still here when the pass ends
// (by an exception) goes back to the front of the queue, in order.
struct TakenWork {
    ThreadQueue &q;
    std::list<Deferred> calls;
    std::list<UserEvent> user;
    ~TakenWork() {
        std::lock_guard<std::mutex> hold(q.m);
        q.calls.splice(q.calls.begin(), calls);
        q.user.splice(q.user.begin(), user);
    }
};

}  // namespace

bool ProcessPendingOnce(bool deliverUserEvents) {
    ThreadQueue &q = MyQueue();
    TakenWork taken{q, {}, {}};
    {
        std::lock_guard<std::mutex> hold(q.m);
        taken.calls.splice(taken.calls.end(), q.calls);
        if (deliverUserEvents) taken.user.splice(taken.user.end(), q.user);
    }
    bool any = !taken.calls.empty() || !taken.user.empty();
    while (!taken.calls.empty()) {
        Deferred d = taken.calls.front();
        taken.calls.pop_front();
        d.func(d.data);
    }
    bool fired = FireDueTimers(q.id);
    while (!taken.user.empty()) {
        UserEvent e = taken.user.front();
        taken.user.pop_front();
        if (e.number >= 1000) DeliverUserEvent(e);  // a reported commit has no callback to reach
    }
    return fired || any;
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" double GetTimerTickTime(void) { return t_tickTime; }
extern "C" const double *GetTimerTickTimePtr(void) { return &t_tickTime; }

extern "C" int ProcessSystemEvents(void) {
    try {
        PumpMainThreadNow();
        ProcessPendingOnce(false);
        double resumeAt;
        RunIdleHook(&resumeAt);
    } catch (const std::bad_alloc &) {
        return Fail("ProcessSystemEvents", UIE_OUT_OF_MEMORY);
    }
    return 0;
}

extern "C" int QuitUserInterface(int returnCode) {
    ThreadQueue *q;
    try {
        q = &MyQueue();
    } catch (const std::bad_alloc &) {
        return Fail("QuitUserInterface", UIE_OUT_OF_MEMORY);
    }
    q->quit = true;
    q->quitCode = returnCode;
    return 0;
}

namespace {

// Marks the thread's loop as running for as long as it lives.
struct LoopRun {
    ThreadQueue &q;
    explicit LoopRun(ThreadQueue &queue) : q(queue) {
        q.running = true;
        q.quit = false;
    }
    ~LoopRun() {
        q.running = false;
        q.quit = false;
    }
};

// The loop of RunUserInterface, until QuitUserInterface.
void RunLoop(ThreadQueue &q, bool isMain) {
    while (!q.quit) {
        size_t queued;
        {
            std::lock_guard<std::mutex> hold(q.m);
            queued = q.calls.size() + q.user.size();
        }
        ProcessPendingOnce(true);
        if (q.quit) break;
        if (queued > 0) continue;  // more may have been queued by what ran
        double resumeAt = -1;
        if (isMain) {
            if (RunIdleHook(&resumeAt) == 1) continue;
            if (q.quit) break;
        }
        double deadline = NextTimerDue(q.id);
        if (resumeAt >= 0 && resumeAt < deadline) deadline = resumeAt;
        WaitForWork(q, deadline, true);
    }
}

}  // namespace

void rte::internal::RunEventsUntil(bool (*done)(void *data), void *data) {
    ThreadQueue &q = MyQueue();
    bool isMain = q.id == MainThreadId();
    while (!done(data)) {
        size_t queued;
        {
            std::lock_guard<std::mutex> hold(q.m);
            queued = q.calls.size() + q.user.size();
        }
        ProcessPendingOnce(true);
        if (done(data)) break;
        if (queued > 0) continue;
        double resumeAt = -1;
        IdleHook hook = g_idleHook.load();
        if (isMain && hook != nullptr) {
            if (hook(&resumeAt) == 1) continue;
            if (done(data)) break;
        }
        double deadline = NextTimerDue(q.id);
        if (resumeAt >= 0 && resumeAt < deadline) deadline = resumeAt;
        WaitForWork(q, deadline, true);
    }
}

bool rte::internal::IdleHookSet() { return g_idleHook.load() != nullptr; }

extern "C" int RunUserInterface(void) {
    ThreadQueue *queue;
    try {
        queue = &MyQueue();
    } catch (const std::bad_alloc &) {
        return Fail("RunUserInterface", UIE_OUT_OF_MEMORY);
    }
    ThreadQueue &q = *queue;
    if (q.running) return Fail("RunUserInterface", UIE_LOOP_RUNNING);
    LoopRun run(q);
    bool isMain = q.id == MainThreadId();
    try {
        RunLoop(q, isMain);
    } catch (const std::bad_alloc &) {
        return Fail("RunUserInterface", UIE_OUT_OF_MEMORY);
    }
    return q.quitCode;
}

extern "C" int QueueUserEvent(int eventNumber, int panel, int control) {
    if (eventNumber < 1000 || eventNumber > 10000) return Fail("QueueUserEvent", UIE_BAD_USER_EVENT);
    unsigned owner;
    if (panel == 0) {
        try {
            EnsureThreadQueue();
        } catch (const std::bad_alloc &) {
            return Fail("QueueUserEvent", UIE_OUT_OF_MEMORY);
        }
        owner = CurrThreadId();
        control = 0;
    } else {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return Fail("QueueUserEvent", UIE_BAD_PANEL);
        if (control != 0 && FindControl(p, control) == nullptr) return Fail("QueueUserEvent", UIE_BAD_CONTROL);
        owner = p->thread;
    }
    return Check("QueueUserEvent", PushUserEvent(owner, {eventNumber, panel, control}));
}

namespace {

// Whether a control still exists (a commit reported for a control discarded since is dropped).
bool ControlExists(int panel, int control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    return FindControl(FindPanel(panel), control) != nullptr;
}

// Takes the oldest user event of q (true), or finds none (false).
bool TakeQueued(ThreadQueue &q, int *number, int *panel, int *control) {
    for (;;) {
        UserEvent e;
        {
            std::lock_guard<std::mutex> hold(q.m);
            if (q.user.empty()) return false;
            e = q.user.front();
            q.user.pop_front();
        }
        if (e.number < 1000 && !ControlExists(e.panel, e.control)) continue;
        *number = e.number;
        if (panel != nullptr) *panel = e.panel;
        if (control != nullptr) *control = e.control;
        return true;
    }
}

// Each turn takes what is queued, else delivers the window input and what else is pending, and
// lets the idle hook act (an operator script), looking again after each; wait mode 0 returns
// after one turn, otherwise the turn ends in a blocking wait for more.
int TakeUserEvent(int waitMode, int *panel, int *control) {
    ThreadQueue &q = MyQueue();
    int number = 0;
    for (;;) {
        if (TakeQueued(q, &number, panel, control)) return number;
        PumpMainThreadNow();
        ProcessPendingOnce(false);
        if (TakeQueued(q, &number, panel, control)) return number;
        double resumeAt;
        int acted = RunIdleHook(&resumeAt);
        if (TakeQueued(q, &number, panel, control)) return number;
        if (waitMode == 0) return 0;
        if (acted == 1) continue;
        double deadline = NextTimerDue(q.id);
        if (resumeAt >= 0 && resumeAt < deadline) deadline = resumeAt;
        WaitForWork(q, deadline, true);
    }
}

}  // namespace

extern "C" int GetUserEvent(int waitMode, int *panel, int *control) {
    try {
        return TakeUserEvent(waitMode, panel, control);
    } catch (const std::bad_alloc &) {
        return Fail("GetUserEvent", UIE_OUT_OF_MEMORY);
    }
}
