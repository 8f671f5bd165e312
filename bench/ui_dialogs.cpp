// Benchmarks of the dialogs of the utility library:
//   - a progress report that changes nothing, with events processed (UpdateProgressDialog),
//     against ProcessSystemEvents alone, the least a report that processes events can cost
//     (target: under 5 us a report; a report that changes nothing draws nothing);
//   - a report that moves the bar each time (drawn at most at the display's frame rate);
//   - processor use of the colour change popup while it is open and nothing happens (target:
//     under 5% of a core).
// On a screen (DISPLAY set; run under `xvfb-run -a build/bench/bench/bench_ui_dialogs`) the
// dialogs are real windows; without one they run on the headless display.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/engine_bench.h"
#include "rte/rte.h"
#include "rte/testing.h"
#include "toolbox/toolbox.h"

namespace {

int Dialog() {
    static int dialog = [] {
        StartEngine();
        int d = CreateProgressDialog("Benchmark", "Working", 1, 3, "Cancel");
        if (d < 0) std::exit(2);
        UpdateProgressDialog(d, 50, 1);
        return d;
    }();
    return dialog;
}

void BM_UpdateProgressDialogUnchanged(benchmark::State &state) {
    int dialog = Dialog();
    for (auto _ : state) benchmark::DoNotOptimize(UpdateProgressDialog(dialog, 50, 1));
    state.counters["on_screen"] = OnScreen() ? 1 : 0;
}
BENCHMARK(BM_UpdateProgressDialogUnchanged)->Unit(benchmark::kMicrosecond);

void BM_ProcessSystemEventsAlone(benchmark::State &state) {
    Dialog();
    for (auto _ : state) benchmark::DoNotOptimize(ProcessSystemEvents());
}
BENCHMARK(BM_ProcessSystemEventsAlone)->Unit(benchmark::kMicrosecond);

void BM_UpdateProgressDialogMoving(benchmark::State &state) {
    int dialog = Dialog();
    int percent = 0;
    for (auto _ : state) benchmark::DoNotOptimize(UpdateProgressDialog(dialog, percent++ % 101, 1));
    UpdateProgressDialog(dialog, 50, 1);
}
BENCHMARK(BM_UpdateProgressDialogMoving)->Unit(benchmark::kMicrosecond);

// Presses the open popup's Cancel button from a timer of another panel.
int CancelPopup(int, int, int event, void *, int, int) {
    if (event != EVENT_TIMER_TICK) return 0;
    int popup = rte::testing::ActivePanel();
    for (int c : rte::testing::PanelCtrls(popup)) {
        if (rte::testing::ValueText(popup, c) == "  __Cancel  ") rte::testing::Press(popup, c);
    }
    return 0;
}

// The colour popup open for 3 seconds of nothing happening: the share of one core used (CPU
// time over wall time).
void BM_ColourPopupIdleProcessorUse(benchmark::State &state) {
    Dialog();
    HidePanel(Dialog());
    RemovePopup(Dialog());
    int driver = NewPanel(0, "Driver", 0, 0, 10, 10);
    int timer = NewCtrl(driver, CTRL_TIMER, "", 0, 0);
    SetCtrlAttribute(driver, timer, ATTR_INTERVAL, 3.0);
    InstallCtrlCallback(driver, timer, CancelPopup, nullptr);
    static char name[] = "Background";
    ColorListEntry entry = {name, 0xFFFFFF, 0x808080};
    ListHandle colors = ListCreate(sizeof(ColorListEntry));
    ListInsertItem(colors, &entry, LIST_END);
    double share = 0;
    for (auto _ : state) {
        SetCtrlAttribute(driver, timer, ATTR_ENABLED, 1);
        share = CoreShare([&] { ColorChangePopup("Idle", colors, 1, nullptr, nullptr); });
        SetCtrlAttribute(driver, timer, ATTR_ENABLED, 0);
    }
    ListDispose(colors);
    DiscardPanel(driver);
    ReportIdle(state, share);
}
BENCHMARK(BM_ColourPopupIdleProcessorUse)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
