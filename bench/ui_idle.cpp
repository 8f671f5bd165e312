// Processor use of an idle panel carrying 50 tool tips and 10 controls with extended mouse
// events polled every 50 ms (target: under 1% of a core), against the same panel without them,
// measured as the engine's idle benchmark (bench/render.cpp) measures: the event loop runs 3
// seconds of nothing happening, and the share is processor time over wall time. On the screen
// when one is reachable: run under `xvfb-run -a build/bench/bench/bench_ui_idle`.
#include <benchmark/benchmark.h>


#include "bench/engine_bench.h"
#include "rte/rte.h"
#include "toolbox/toolbox.h"

namespace {

int QuitOnTick(int, int, int event, void *, int, int) {
    if (event == EVENT_TIMER_TICK) QuitUserInterface(0);
    return 0;
}

// A shown panel of 60 buttons; with extras, 50 of them have tips and 10 report mouse events.
int MakePanel(bool extras) {
    int panel = NewPanel(0, extras ? "Idle with tips and mouse events" : "Idle", 100, 100, 420, 640);
    for (int i = 0; i < 60; ++i) {
        int button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Button", 10 + (i / 6) * 40, 10 + (i % 6) * 105);
        if (!extras) continue;
        if (i < 50) SetCtrlToolTipAttribute(panel, button, ATTR_TOOLTIP_TEXT, "A tip for this button");
        else EnableExtendedMouseEvents(panel, button, 0.05);
    }
    DisplayPanel(panel);
    return panel;
}

void Idle(benchmark::State &state, bool extras) {
    StartEngine();
    int panel = MakePanel(extras);
    int timer = NewCtrl(panel, CTRL_TIMER, "", 0, 0);
    SetCtrlAttribute(panel, timer, ATTR_INTERVAL, 3.0);
    InstallCtrlCallback(panel, timer, QuitOnTick, nullptr);
    // Half a second first, unmeasured: the window appears and is drawn.
    SetCtrlAttribute(panel, timer, ATTR_INTERVAL, 0.5);
    RunUserInterface();
    SetCtrlAttribute(panel, timer, ATTR_INTERVAL, 3.0);
    double share = 0;
    for (auto _ : state) {
        SetCtrlAttribute(panel, timer, ATTR_ENABLED, 1);
        share = CoreShare([&] { RunUserInterface(); });
        SetCtrlAttribute(panel, timer, ATTR_ENABLED, 0);
    }
    ReportIdle(state, share);
    DiscardPanel(panel);
}

void BM_IdlePanel(benchmark::State &state) { Idle(state, false); }
void BM_IdleWith50TipsAnd10MousePolls(benchmark::State &state) { Idle(state, true); }
BENCHMARK(BM_IdlePanel)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_IdleWith50TipsAnd10MousePolls)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
