// rte/events/event_loop.cpp - the event queue of each thread: deferred calls, user events, timer ticks,
// RunUserInterface / ProcessSystemEvents / GetUserEvent, and thread ids.
//
// Each thread that owns a panel or processes events has one ThreadQueue. Other threads only
// append to its deques (under its mutex) and notify its condition variable; the owner alone
// runs what is queued. Waiting is a blocking wait on the condition variable until the next timer
// is due (real clock) or until woken (manual clock: AdvanceClock wakes every queue).
//
// Running out of memory never loses queued work: the owner takes what it runs off the queue by
// splicing list nodes (no allocation), and whatever it has not started on goes back to the
// front of the queue when an exception ends the pass. The public functions turn std::bad_alloc
// into UIE_OUT_OF_MEMORY.
#include <atomic>
#include <condition_variable>
#include <limits>
#include <list>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include "rte/engine.h"
#include "rte/display/display.h"
#include "rte/events/event_loop.h"
#include "rte/ui.h"
#include "rte/model/ui_model.h"

namespace rte::internal {
namespace {

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

// Registry of live queues. Deliberately never destroyed: threads may end after static
// destructors have started.
std::mutex &RegistryLock() {
    static auto *lock = new std::mutex;
    return *lock;
}
std::unordered_map<unsigned, std::shared_ptr<ThreadQueue>> &Registry() {
    static auto *map = new std::unordered_map<unsigned, std::shared_ptr<ThreadQueue>>;
    return *map;
}

std::atomic<unsigned> g_nextThreadId{1};
std::atomic<unsigned> g_mainThread{0};
std::atomic<IdleHook> g_idleHook{nullptr};

thread_local unsigned t_threadId = 0;
thread_local double t_tickTime = 0;

// The calling thread's queue. A plain pointer, so it stays readable after the holder below is
// destroyed: at process exit the main thread's thread-locals go before the exit clean-ups run,
// and a clean-up may still process events.
thread_local ThreadQueue *t_queuePtr = nullptr;
thread_local bool t_holderEnded = false;

// Removes the thread's queue when the thread ends; calls still queued are dropped.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder() {
        t_holderEnded = true;
        t_queuePtr = nullptr;
        if (!queue) return;
        {
            std::lock_guard<std::mutex> hold(RegistryLock());
            Registry().erase(queue->id);
        }
        std::lock_guard<std::mutex> hold(queue->m);
        queue->calls.clear();
        queue->user.clear();
    }
};
thread_local QueueHolder t_queue;

std::shared_ptr<ThreadQueue> FindQueue(unsigned id) {
    std::lock_guard<std::mutex> hold(RegistryLock());
    auto it = Registry().find(id);
    return it == Registry().end() ? nullptr : it->second;
}

ThreadQueue &MyQueue() {
    EnsureThreadQueue();
    return *t_queuePtr;
}

constexpr double kNever = std::numeric_limits<double>::infinity();

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

// A screen display blocks in its own wait on the main thread; work for that thread wakes it.
void WakeDisplay(unsigned threadId) {
    const DisplayBackend &display = Display();
    if (display.wake != nullptr && threadId == MainThreadId()) display.wake();
}

// Blocks until something is queued, the queue is woken, or the engine time reaches deadline.
void WaitForWork(ThreadQueue &q, double deadline, bool wantUserEvents) {
    std::unique_lock<std::mutex> lock(q.m);
    auto ready = [&] { return !q.calls.empty() || (wantUserEvents && !q.user.empty()); };
    if (ready() || q.quit) return;
    const DisplayBackend &display = Display();
    if (display.pump != nullptr && q.id == MainThreadId()) {
        // A screen display waits for window input and wakes (posts to this queue wake it).
        lock.unlock();
        display.pump(deadline == kNever || ManualClockActive() ? -1.0 : deadline, true);
        return;
    }
    unsigned long seen = q.wakeups;
    auto pred = [&] { return ready() || q.wakeups != seen; };
    if (deadline == kNever || ManualClockActive()) {
        // Manual clock: only AdvanceClock (which wakes every queue) can make a timer due.
        if (deadline != kNever && deadline <= Timer()) return;
        q.cv.wait(lock, pred);
    } else {
        q.cv.wait_until(lock, RealTimeFor(deadline), pred);
    }
}

}  // namespace

void EnsureThreadQueue() {
    if (t_queuePtr != nullptr) return;
    auto q = std::make_shared<ThreadQueue>();
    q->id = CurrThreadId();
    {
        std::lock_guard<std::mutex> hold(RegistryLock());
        Registry()[q->id] = q;
    }
    // Once the thread's holder is gone (process exit), the registry alone keeps the new queue
    // until the process ends.
    if (!t_holderEnded) t_queue.queue = q;
    t_queuePtr = q.get();
}

void WakeThread(unsigned threadId) {
    auto q = FindQueue(threadId);
    if (!q) return;
    std::lock_guard<std::mutex> hold(q->m);
    ++q->wakeups;
    q->cv.notify_all();
    WakeDisplay(q->id);
}

void WakeAllThreads() {
    std::vector<std::shared_ptr<ThreadQueue>> all;
    {
        std::lock_guard<std::mutex> hold(RegistryLock());
        for (auto &entry : Registry()) all.push_back(entry.second);
    }
    for (auto &q : all) {
        std::lock_guard<std::mutex> hold(q->m);
        ++q->wakeups;
        q->cv.notify_all();
        WakeDisplay(q->id);
    }
}

unsigned MainThreadId() { return g_mainThread.load(); }
void SetMainThread(unsigned id) { g_mainThread.store(id); }
void SetIdleHook(IdleHook hook) { g_idleHook.store(hook); }

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
        DeliverUserEvent(e);
    }
    return fired || any;
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" unsigned int CurrThreadId(void) {
    if (t_threadId == 0) t_threadId = g_nextThreadId.fetch_add(1);
    return t_threadId;
}

extern "C" unsigned int RteGetCurrentThreadID(void) { return CurrThreadId(); }

extern "C" double GetTimerTickTime(void) { return t_tickTime; }
extern "C" const double *GetTimerTickTimePtr(void) { return &t_tickTime; }

extern "C" int PostDeferredCallToThread(DeferredCallPtr func, void *callbackData, unsigned int threadId) {
    if (func == nullptr) return Fail("PostDeferredCallToThread", UIE_NULL_POINTER);
    // A thread may always post to itself: the call runs when it next processes events.
    if (threadId == CurrThreadId()) {
        try {
            EnsureThreadQueue();
        } catch (const std::bad_alloc &) {
            return Fail("PostDeferredCallToThread", UIE_OUT_OF_MEMORY);
        }
    }
    auto q = FindQueue(threadId);
    if (!q) return Fail("PostDeferredCallToThread", UIE_NO_SUCH_THREAD);
    std::lock_guard<std::mutex> hold(q->m);
    try {
        q->calls.push_back({func, callbackData});
    } catch (const std::bad_alloc &) {
        return Fail("PostDeferredCallToThread", UIE_OUT_OF_MEMORY);
    }
    q->cv.notify_all();
    WakeDisplay(q->id);
    return 0;
}

extern "C" int ProcessSystemEvents(void) {
    try {
        const DisplayBackend &display = Display();
        if (display.pump != nullptr && CurrThreadId() == MainThreadId()) display.pump(Timer(), false);
        ProcessPendingOnce(false);
    } catch (const std::bad_alloc &) {
        return Fail("ProcessSystemEvents", UIE_OUT_OF_MEMORY);
    }
    return 0;
}

extern "C" int QuitUserInterface(int returnCode) {
    try {
        EnsureThreadQueue();
    } catch (const std::bad_alloc &) {
        return Fail("QuitUserInterface", UIE_OUT_OF_MEMORY);
    }
    t_queuePtr->quit = true;
    t_queuePtr->quitCode = returnCode;
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
        IdleHook hook = g_idleHook.load();
        if (isMain && hook != nullptr) {
            if (hook(&resumeAt) == 1) continue;
            if (q.quit) break;
        }
        double deadline = NextTimerDue(q.id);
        if (resumeAt >= 0 && resumeAt < deadline) deadline = resumeAt;
        WaitForWork(q, deadline, true);
    }
}

}  // namespace

extern "C" int RunUserInterface(void) {
    try {
        EnsureThreadQueue();
    } catch (const std::bad_alloc &) {
        return Fail("RunUserInterface", UIE_OUT_OF_MEMORY);
    }
    ThreadQueue &q = *t_queuePtr;
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
    auto q = FindQueue(owner);
    if (!q) return Fail("QueueUserEvent", UIE_NO_SUCH_THREAD);
    std::lock_guard<std::mutex> hold(q->m);
    try {
        q->user.push_back({eventNumber, panel, control});
    } catch (const std::bad_alloc &) {
        return Fail("QueueUserEvent", UIE_OUT_OF_MEMORY);
    }
    q->cv.notify_all();
    WakeDisplay(q->id);
    return 0;
}

namespace {

int TakeUserEvent(int waitMode, int *panel, int *control) {
    ThreadQueue &q = MyQueue();
    for (;;) {
        for (int pass = 0; pass < 2; ++pass) {
            {
                std::lock_guard<std::mutex> hold(q.m);
                if (!q.user.empty()) {
                    UserEvent e = q.user.front();
                    q.user.pop_front();
                    if (panel != nullptr) *panel = e.panel;
                    if (control != nullptr) *control = e.control;
                    return e.number;
                }
            }
            if (pass == 0) ProcessPendingOnce(false);
        }
        if (waitMode == 0) return 0;
        WaitForWork(q, NextTimerDue(q.id), true);
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
