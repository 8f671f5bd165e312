// rte/main/engine_startup.cpp - InitRTEEx and CloseRTE, the exit clean-ups, the detached flag and
// the program's symbol table.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "rte/display/display.h"
#include "rte/engine.h"
#include "rte/events/event_loop.h"
#include "rte/events/operator_script.h"
#include "rte/model/ui_model.h"

namespace {

constexpr int kMaxCleanups = 32;

std::mutex g_lock;                                 // guards everything below but the atomics
bool g_initialized = false;
bool g_atexitRegistered = false;
void *g_instance = nullptr;
void (*g_cleanups[kMaxCleanups])(void);
int g_cleanupCount = 0;
const RteSymbol *g_symbols = nullptr;
int g_symbolCount = 0;
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

// Chooses the display from RTE_DISPLAY: "headless", "sdl", or unset for the screen display when
// one is reachable ($DISPLAY or $WAYLAND_DISPLAY).
bool ChooseDisplay(std::string *error) {
    const char *name = std::getenv("RTE_DISPLAY");
    if (name != nullptr && std::strcmp(name, "headless") == 0) {
        rte::internal::UseDisplay(rte::internal::HeadlessDisplay());
        return rte::internal::HeadlessDisplay().start(error);
    }
    if (name != nullptr && name[0] != '\0' && std::strcmp(name, "sdl") != 0) {
        *error = std::string("RTE_DISPLAY=") + name + " is not a display this engine offers; use sdl or headless";
        return false;
    }
    if (name == nullptr || name[0] == '\0') {
        const char *x11 = std::getenv("DISPLAY"), *wayland = std::getenv("WAYLAND_DISPLAY");
        if ((x11 == nullptr || x11[0] == '\0') && (wayland == nullptr || wayland[0] == '\0')) {
            *error = "no screen display is reachable (DISPLAY and WAYLAND_DISPLAY are not set); set RTE_DISPLAY=headless to run without a screen";
            return false;
        }
    }
    if (!rte::internal::SdlDisplay().start(error)) return false;
    rte::internal::UseDisplay(rte::internal::SdlDisplay());
    return true;
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
        if (!ChooseDisplay(&error)) {
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

extern "C" int RteSetSymbolTable(const RteSymbol *symbols, int count) {
    if (count < 0) return rte::internal::Fail("RteSetSymbolTable", UIE_BAD_VALUE);
    if (symbols == nullptr && count > 0) return rte::internal::Fail("RteSetSymbolTable", UIE_NULL_POINTER);
    std::lock_guard<std::mutex> hold(g_lock);
    g_symbols = symbols;
    g_symbolCount = count;
    return 0;
}

extern "C" void *RteFindSymbol(const char *name, int *isFunction) {
    if (name == nullptr) return nullptr;
    std::lock_guard<std::mutex> hold(g_lock);
    for (int i = 0; i < g_symbolCount; ++i) {
        const RteSymbol &s = g_symbols[i];
        if (s.name != nullptr && s.address != nullptr && std::strcmp(s.name, name) == 0) {
            if (isFunction != nullptr) *isFunction = s.isFunction;
            return s.address;
        }
    }
    return nullptr;
}
