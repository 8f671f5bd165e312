// Benchmarks of calls between threads and of delayed calls:
//   - round trip of PostDeferredCallToThreadAndWait to a thread running its event loop, against
//     a hand-off through a std::mutex and std::condition_variable;
//   - calls per second through PostDeferredCallToThread;
//   - lateness of PostDelayedCall on the real clock (median and 99th percentile), against the
//     lateness of std::this_thread::sleep_for for the same delay.
#include "rte/engine.h"
#include "rte/ui.h"
#include "toolbox/windows/deferred_calls.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A thread running its event loop until the object goes.
class EventLoopThread {
public:
    EventLoopThread() {
        std::promise<unsigned> started;
        auto id = started.get_future();
        thread_ = std::thread([&started] {
            ProcessSystemEvents();
            started.set_value(CurrThreadId());
            RunUserInterface();
        });
        id_ = id.get();
    }
    ~EventLoopThread() {
        PostDeferredCallToThread([](void *) { QuitUserInterface(0); }, nullptr, id_);
        thread_.join();
    }
    unsigned id() const { return id_; }

private:
    std::thread thread_;
    unsigned id_ = 0;
};

void NoOperation(void *) {}

void BM_DeferredCallAndWaitRoundTrip(benchmark::State &state) {
    EventLoopThread target;
    for (auto _ : state) PostDeferredCallToThreadAndWait(NoOperation, nullptr, target.id(), -1);
}
BENCHMARK(BM_DeferredCallAndWaitRoundTrip)->UseRealTime();

// The usual hand-off: post a request under a mutex, the worker runs it and signals back.
void BM_ConditionVariableRoundTrip(benchmark::State &state) {
    std::mutex m;
    std::condition_variable cv;
    long requested = 0, done = 0;
    bool stop = false;
    std::thread worker([&] {
        std::unique_lock<std::mutex> lock(m);
        for (;;) {
            cv.wait(lock, [&] { return stop || requested > done; });
            if (stop) return;
            NoOperation(nullptr);
            done++;
            cv.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock<std::mutex> lock(m);
        requested++;
        cv.notify_all();
        cv.wait(lock, [&] { return done == requested; });
    }
    {
        std::lock_guard<std::mutex> lock(m);
        stop = true;
    }
    cv.notify_all();
    worker.join();
}
BENCHMARK(BM_ConditionVariableRoundTrip)->UseRealTime();

// Calls per second posted to one event-loop thread (the run ends when the last has run).
void BM_PostDeferredCallThroughput(benchmark::State &state) {
    EventLoopThread target;
    std::atomic<long> ran{0};
    auto count = [](void *n) { static_cast<std::atomic<long> *>(n)->fetch_add(1, std::memory_order_relaxed); };
    long posted = 0;
    for (auto _ : state) {
        PostDeferredCallToThread(count, &ran, target.id());
        posted++;
    }
    PostDeferredCallToThreadAndWait(NoOperation, nullptr, target.id(), -1);  // drains the queue
    state.SetItemsProcessed(posted);
    state.counters["ran"] = static_cast<double>(ran.load());
}
BENCHMARK(BM_PostDeferredCallThroughput)->UseRealTime();

void ReportPercentiles(benchmark::State &state, std::vector<double> &lateMs) {
    std::sort(lateMs.begin(), lateMs.end());
    if (lateMs.empty()) return;
    state.counters["median_ms"] = lateMs[lateMs.size() / 2];
    state.counters["p99_ms"] = lateMs[std::min(lateMs.size() - 1, lateMs.size() * 99 / 100)];
}

struct LatenessProbe {
    double due;
    std::vector<double> *lateMs;
};

void RecordLateness(void *data) {
    auto *probe = static_cast<LatenessProbe *>(data);
    probe->lateMs->push_back((Timer() - probe->due) * 1000.0);
    QuitUserInterface(0);
}

// One delayed call of 2 ms per iteration, run from this thread's event loop.
void BM_PostDelayedCallLateness(benchmark::State &state) {
    const double delay = 0.002;
    std::vector<double> lateMs;
    for (auto _ : state) {
        LatenessProbe probe{Timer() + delay, &lateMs};
        PostDelayedCall(RecordLateness, &probe, delay);
        RunUserInterface();
    }
    ReportPercentiles(state, lateMs);
}
BENCHMARK(BM_PostDelayedCallLateness)->Iterations(500)->UseRealTime();

void BM_SleepForLateness(benchmark::State &state) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> lateMs;
    for (auto _ : state) {
        Clock::time_point due = Clock::now() + std::chrono::milliseconds(2);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        lateMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - due).count());
    }
    ReportPercentiles(state, lateMs);
}
BENCHMARK(BM_SleepForLateness)->Iterations(500)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
