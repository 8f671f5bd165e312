// rte/core/clock.cpp - the engine's one clock: Timer(), and the manual clock for tests.
#include "rte/core/clock.h"

#include <mutex>

#include "rte/engine.h"

namespace {

using Clock = std::chrono::steady_clock;

const Clock::time_point g_origin = Clock::now();  // engine time 0

std::mutex g_clockLock;
bool g_manual = false;     // guarded by g_clockLock
double g_manualNow = 0;    // guarded by g_clockLock

double RealNow() {
    return std::chrono::duration<double>(Clock::now() - g_origin).count();
}

}  // namespace

extern "C" double Timer(void) {
    std::lock_guard<std::mutex> hold(g_clockLock);
    return g_manual ? g_manualNow : RealNow();
}

namespace rte::internal {

bool ManualClockActive() {
    std::lock_guard<std::mutex> hold(g_clockLock);
    return g_manual;
}

Clock::time_point RealTimeFor(double t) {
    if (t > 1e9) t = 1e9;  // far future: keeps the duration cast in range
    return g_origin + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(t));
}

void SetManualClock(double startSeconds) {
    std::lock_guard<std::mutex> hold(g_clockLock);
    g_manual = true;
    g_manualNow = startSeconds;
}

void AdvanceManualClock(double seconds) {
    std::lock_guard<std::mutex> hold(g_clockLock);
    if (seconds > 0) g_manualNow += seconds;
}

void SetRealClock() {
    std::lock_guard<std::mutex> hold(g_clockLock);
    g_manual = false;
}

}  // namespace rte::internal
