// rte/core/thread_queue.cpp - the event queue of each thread: thread ids, the registry of live
// queues, deferred calls (PostDeferredCallToThread), user events, waking and waiting.
//
// Waiting is a blocking wait on the queue's condition variable until the next timer is due
// (real clock) or until woken (manual clock: moving it wakes every queue). On the main thread a
// screen display's pump waits instead, for window input as well (SetMainThreadPump).
#include "rte/core/thread_queue.h"

#include <atomic>
#include <new>
#include <unordered_map>
#include <vector>

#include "rte/core/clock.h"
#include "rte/core/errors.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

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
std::atomic<PumpWake> g_pumpWake{nullptr};
std::atomic<Pump> g_pump{nullptr};

thread_local unsigned t_threadId = 0;

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

// A screen display blocks in its own wait on the main thread; work for that thread wakes it.
void WakePump(unsigned threadId) {
    PumpWake wake = g_pumpWake.load();
    if (wake != nullptr && threadId == MainThreadId()) wake();
}

// Wakes q (its lock held by the caller).
void WakeLocked(ThreadQueue &q) {
    ++q.wakeups;
    q.cv.notify_all();
    WakePump(q.id);
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

ThreadQueue &MyQueue() {
    EnsureThreadQueue();
    return *t_queuePtr;
}

std::shared_ptr<ThreadQueue> FindQueue(unsigned id) {
    std::lock_guard<std::mutex> hold(RegistryLock());
    auto it = Registry().find(id);
    return it == Registry().end() ? nullptr : it->second;
}

void WakeThread(unsigned threadId) {
    auto q = FindQueue(threadId);
    if (!q) return;
    std::lock_guard<std::mutex> hold(q->m);
    WakeLocked(*q);
}

void WakeAllThreads() {
    std::vector<std::shared_ptr<ThreadQueue>> all;
    {
        std::lock_guard<std::mutex> hold(RegistryLock());
        for (auto &entry : Registry()) all.push_back(entry.second);
    }
    for (auto &q : all) {
        std::lock_guard<std::mutex> hold(q->m);
        WakeLocked(*q);
    }
}

unsigned MainThreadId() { return g_mainThread.load(); }
void SetMainThread(unsigned id) { g_mainThread.store(id); }

int PushUserEvent(unsigned threadId, const UserEvent &event) {
    auto q = FindQueue(threadId);
    if (!q) return UIE_NO_SUCH_THREAD;
    std::lock_guard<std::mutex> hold(q->m);
    try {
        q->user.push_back(event);
    } catch (const std::bad_alloc &) {
        return UIE_OUT_OF_MEMORY;
    }
    q->cv.notify_all();
    WakePump(q->id);
    return 0;
}

void SetMainThreadPump(PumpWake wake, Pump pump) {
    g_pump.store(pump);
    g_pumpWake.store(wake);
}

void PumpMainThreadNow() {
    Pump pump = g_pump.load();
    if (pump != nullptr && CurrThreadId() == MainThreadId()) pump(Timer(), false);
}

void WaitForWork(ThreadQueue &q, double deadline, bool wantUserEvents) {
    std::unique_lock<std::mutex> lock(q.m);
    auto ready = [&] { return !q.calls.empty() || (wantUserEvents && !q.user.empty()); };
    if (ready() || q.quit) return;
    Pump pump = g_pump.load();
    if (pump != nullptr && q.id == MainThreadId()) {
        // A screen display waits for window input and wakes (posts to this queue wake it).
        lock.unlock();
        pump(deadline == kNever || ManualClockActive() ? -1.0 : deadline, true);
        return;
    }
    unsigned long seen = q.wakeups;
    auto pred = [&] { return ready() || q.wakeups != seen; };
    if (deadline == kNever || ManualClockActive()) {
        // Manual clock: only moving the clock (which wakes every queue) can make a timer due.
        if (deadline != kNever && deadline <= Timer()) return;
        q.cv.wait(lock, pred);
    } else {
        q.cv.wait_until(lock, RealTimeFor(deadline), pred);
    }
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" unsigned int CurrThreadId(void) {
    if (t_threadId == 0) t_threadId = g_nextThreadId.fetch_add(1);
    return t_threadId;
}

extern "C" unsigned int RteGetCurrentThreadID(void) { return CurrThreadId(); }

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
    WakePump(q->id);
    return 0;
}
