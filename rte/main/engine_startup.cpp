// rte/main/engine_startup.cpp - InitRTEEx and CloseRTE, the exit clean-ups and the detached flag.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "rte/display/display.h"
#include "rte/engine.h"
#include "rte/core/thread_queue.h"
#include "rte/events/operator_script.h"
#include "rte/events/window_input.h"
#include "rte/model/ui_model.h"

namespace {

constexpr int kMaxCleanups = 32;

std::mutex g_lock;                                 // guards everything below but the atomics
bool g_initialized = false;
bool g_atexitRegistered = false;
void *g_instance = nullptr;
void (*g_cleanups[kMaxCleanups])(void);
int g_cleanupCount = 0;
std::atomic<bool> g_detached{false};
std::atomic<bool> g_closing{false};

// Runs the clean-ups newest first; each is taken off the list before it runs, so a clean-up
// that registers another one gets it run too, and none runs twice.
void RunCleanups() {
    for (;;) {
        void (*fn)(void) = nullptr;
        {
            std::lock_guard<std::mutex> hold(g_lock);
            if (g_cleanupCount == 0) return;
            fn = g_cleanups[--g_cleanupCount];
        }
        fn();
    }
}

// At process exit when the program never called CloseRTE.
void AtProcessExit() {
    if (g_closing.exchange(true)) return;
    RunCleanups();
    g_detached.store(true);
}

void RegisterAtExitLocked() {
    if (!g_atexitRegistered) {
        g_atexitRegistered = true;
        std::atexit(AtProcessExit);
    }
}

}  // namespace

extern "C" int InitRTEEx(void *hInstance, void *reserved1, void *reserved2) {
    (void)reserved1;
    (void)reserved2;
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_initialized) return 1;
    if (g_detached.load()) {
        std::fprintf(stderr, "rte: the engine was closed and cannot start again in this process\n");
        return 0;
    }
    // Running out of memory fails start-up with one line on standard error, as a bad script does.
    const char *script = std::getenv("RTE_SCRIPT");
    bool readingScript = false;
    try {
        std::string error;
        if (!rte::internal::ChooseDisplay(&error)) {
            std::fprintf(stderr, "rte: %s\n", error.c_str());
            return 0;
        }
        rte::internal::SetMainThread(CurrThreadId());
        rte::internal::EnsureThreadQueue();
        readingScript = true;
        if (script != nullptr && script[0] != '\0' && !rte::internal::StartOperatorScript(script, &error)) {
            std::fprintf(stderr, "rte: %s\n", error.c_str());
            return 0;
        }
    } catch (const std::bad_alloc &) {
        if (readingScript) std::fprintf(stderr, "rte: out of memory while reading the operator script %s\n", script);
        else std::fprintf(stderr, "rte: out of memory while starting the engine\n");
        return 0;
    }
    RegisterAtExitLocked();
    g_instance = hInstance;
    g_initialized = true;
    return 1;
}

extern "C" void CloseRTE(void) {
    if (g_closing.exchange(true)) return;
    RunCleanups();
    rte::internal::DiscardAllPanelsNow();
    rte::internal::FinishAllDrops();
    rte::internal::Display().stop();
    g_detached.store(true);
}

extern "C" int RegisterExitCleanup(void (*cleanupFunction)(void)) {
    if (cleanupFunction == nullptr) return -1;
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_cleanupCount >= kMaxCleanups) return -1;
    RegisterAtExitLocked();
    g_cleanups[g_cleanupCount++] = cleanupFunction;
    return 0;
}

extern "C" int RunTimeEngineDetached(void) { return g_detached.load() ? 1 : 0; }

extern "C" void *RteGetInstanceHandle(void) {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_instance;
}
