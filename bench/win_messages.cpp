// Window messages: SendMessageA to a panel window subclassed by a synchronous message callback,
// against calling the callback directly; PostMessageA from another thread to a window whose
// thread runs its event loop, against a plain mutex-and-condition-variable queue between two
// threads.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "rte/rte.h"
#include "toolbox/toolbox.h"
#include "win32/windows.h"

namespace {

int g_sum = 0;

int Count(int, int, unsigned int *wParam, unsigned int *, void *) {
    g_sum += static_cast<int>(*wParam);
    return 1;
}

void BM_SendMessageToSubclassedPanel(benchmark::State &state) {
    int panel = NewPanel(0, "Bench", 0, 0, 10, 10);
    int posting = 0;
    InstallWinMsgCallback(panel, WM_APP, Count, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting);
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(posting));
    WPARAM i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(SendMessageA(window, WM_APP, ++i, 0));
    DiscardPanel(panel);
}
BENCHMARK(BM_SendMessageToSubclassedPanel);

void BM_CallTheCallbackDirectly(benchmark::State &state) {
    WinMsgCallbackPtr volatile callback = Count;
    unsigned int i = 0, l = 0;
    for (auto _ : state) {
        ++i;
        benchmark::DoNotOptimize(callback(1, WM_APP, &i, &l, nullptr));
    }
}
BENCHMARK(BM_CallTheCallbackDirectly);

// ---- Posting from another thread ----

std::atomic<long> g_received{0};
WNDPROC g_own = nullptr;

LRESULT Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        g_received.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }
    if (message == WM_CLOSE && wParam == 1) QuitUserInterface(0);
    return CallWindowProcA(g_own, window, message, wParam, lParam);
}

void BM_PostMessageAcrossThreads(benchmark::State &state) {
    std::atomic<HWND> window{nullptr};
    std::thread ui([&] {
        int panel = NewPanel(0, "Receiver", 0, 0, 10, 10);
        HWND w = nullptr;
        GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &w);
        g_own = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Receive)));
        window.store(w);
        RunUserInterface();
        DiscardPanel(panel);
    });
    while (window.load() == nullptr) std::this_thread::yield();
    const long batch = state.range(0);
    long posted = 0;
    for (auto _ : state) {
        for (long i = 0; i < batch; ++i) PostMessageA(window.load(), WM_USER, static_cast<WPARAM>(i), 0);
        posted += batch;
        while (g_received.load(std::memory_order_relaxed) < posted) std::this_thread::yield();
    }
    PostMessageA(window.load(), WM_CLOSE, 1, 0);
    ui.join();
    g_received.store(0);
    state.SetItemsProcessed(posted);
}
BENCHMARK(BM_PostMessageAcrossThreads)->Arg(10000)->UseRealTime();

void BM_MutexQueueAcrossThreads(benchmark::State &state) {
    std::mutex m;
    std::condition_variable cv;
    std::deque<long> queue;
    std::atomic<long> received{0};
    bool stop = false;
    std::thread consumer([&] {
        std::unique_lock<std::mutex> lock(m);
        for (;;) {
            cv.wait(lock, [&] { return stop || !queue.empty(); });
            if (queue.empty() && stop) return;
            std::deque<long> batch;
            batch.swap(queue);
            lock.unlock();
            received.fetch_add(static_cast<long>(batch.size()), std::memory_order_relaxed);
            lock.lock();
        }
    });
    const long batch = state.range(0);
    long posted = 0;
    for (auto _ : state) {
        for (long i = 0; i < batch; ++i) {
            std::lock_guard<std::mutex> hold(m);
            queue.push_back(i);
            cv.notify_one();
        }
        posted += batch;
        while (received.load(std::memory_order_relaxed) < posted) std::this_thread::yield();
    }
    {
        std::lock_guard<std::mutex> hold(m);
        stop = true;
    }
    cv.notify_one();
    consumer.join();
    state.SetItemsProcessed(posted);
}
BENCHMARK(BM_MutexQueueAcrossThreads)->Arg(10000)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
