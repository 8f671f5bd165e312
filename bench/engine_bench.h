// bench/engine_bench.h - what the engine's benchmarks share: starting the engine on the screen
// when one is reachable (headless otherwise), and measuring the share of one core that a
// stretch of running uses (processor time over wall time), as the idle benchmarks report it.
#ifndef BENCH_ENGINE_BENCH_H
#define BENCH_ENGINE_BENCH_H

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "rte/rte.h"

// Starts the engine once: on the screen display when a screen is reachable, else headless.
// Ends the program when the engine does not start.
inline void StartEngine() {
    static bool started = [] {
        if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
            setenv("RTE_DISPLAY", "headless", 1);
        }
        return InitRTEEx(nullptr, nullptr, nullptr) == 1;
    }();
    if (!started) std::exit(1);
}

// Whether the engine draws on a screen (RTE_DISPLAY unset or sdl).
inline bool OnScreen() {
    const char *d = std::getenv("RTE_DISPLAY");
    return d == nullptr || std::string(d) == "sdl";
}

// Runs run() and returns the share of one core the process used meanwhile (1.0 = a whole core).
template <typename Run>
double CoreShare(Run run) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    auto start = std::chrono::steady_clock::now();
    run();
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    getrusage(RUSAGE_SELF, &after);
    auto seconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    double cpu = seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_stime);
    return cpu / wall;
}

// The counters every idle benchmark reports: core_percent and on_screen (1 or 0).
inline void ReportIdle(benchmark::State &state, double share) {
    state.counters["core_percent"] = share * 100;
    state.counters["on_screen"] = OnScreen() ? 1 : 0;
}

#endif
