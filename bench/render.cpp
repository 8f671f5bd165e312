// Benchmarks of the screen side of the engine:
//   - drawing the test panel into a display bitmap, against a plain cairo fill of a surface of
//     the same size (the least any drawing of that area costs);
//   - input-to-callback latency of a mouse click through the SDL display (a button press and
//     release pushed as window input, delivered by the event loop), against the same click
//     given to the engine directly (rte::testing::Press, no window system in between);
//   - processor use while the panel is shown and nothing happens (target: under 1% of a core).
// The SDL cases need a screen: run under `xvfb-run -a build/bench/bench/bench_render`.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdlib>

#include "bench/engine_bench.h"
#include "rte/rte.h"
#include "rte/testing.h"

namespace {

int g_commits = 0;
int Count(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT) ++g_commits;
    return 0;
}
int QuitOnTick(int, int, int event, void *, int, int) {
    if (event == EVENT_TIMER_TICK) QuitUserInterface(0);
    return 0;
}

const RteSymbol kSymbols[] = {{"close", (void *)Count, 1}, {"list", (void *)Count, 1}, {"read", (void *)Count, 1},
                              {"write", (void *)Count, 1}, {"swversion", (void *)Count, 1}};

// The test panel, shown; the engine started once (the screen display when one is reachable).
int Panel() {
    static int panel = [] {
        StartEngine();
        RteSetSymbolTable(kSymbols, 5);
        // The build puts the panel file in its app folder, beside this program's folder.
        int p = LoadPanel(0, "../app/QM7300_Test.uir", 1);
        if (p < 0) std::exit(2);
        DisplayPanel(p);
        ProcessSystemEvents();  // the window appears
        return p;
    }();
    return panel;
}

void BM_DrawTestPanel(benchmark::State &state) {
    int panel = Panel();
    for (auto _ : state) {
        int id = 0;
        GetPanelDisplayBitmap(panel, VAL_FULL_PANEL, MakeRect(0, 0, VAL_TO_EDGE, VAL_TO_EDGE), &id);
        DiscardBitmap(id);
    }
}
BENCHMARK(BM_DrawTestPanel)->Unit(benchmark::kMicrosecond);

void BM_CairoFillSameSize(benchmark::State &state) {
    int panel = Panel(), h = 0, w = 0;
    GetPanelAttribute(panel, ATTR_HEIGHT, &h);
    GetPanelAttribute(panel, ATTR_WIDTH, &w);
    for (auto _ : state) {
        cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
        cairo_t *cr = cairo_create(s);
        cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
        cairo_paint(cr);
        cairo_destroy(cr);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(s));
        cairo_surface_destroy(s);
    }
}
BENCHMARK(BM_CairoFillSameSize)->Unit(benchmark::kMicrosecond);

void BM_ClickThroughSdlDisplay(benchmark::State &state) {
    int panel = Panel();
    if (!OnScreen()) {
        state.SkipWithError("needs a screen (run under xvfb-run)");
        return;
    }
    int button = rte::testing::FindCtrl(panel, "PANEL_SWVERSION"), top = 0, left = 0;
    InstallCtrlCallback(panel, button, Count, nullptr);
    GetCtrlAttribute(panel, button, ATTR_TOP, &top);
    GetCtrlAttribute(panel, button, ATTR_LEFT, &left);
    void *handle = nullptr;
    GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &handle);
    SDL_Window *window = SDL_GetMouseFocus() ? SDL_GetMouseFocus() : SDL_GetWindowFromID(1);
    if (window == nullptr) window = SDL_GetWindowFromID(2);
    if (window == nullptr) {
        state.SkipWithError("no window");
        return;
    }
    for (auto _ : state) {
        int before = g_commits;
        SDL_Event e{};
        e.button.windowID = SDL_GetWindowID(window);
        e.button.button = SDL_BUTTON_LEFT;
        e.button.clicks = 1;
        e.button.x = left + 5;
        e.button.y = top + 5;
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.state = SDL_PRESSED;
        SDL_PushEvent(&e);
        e.type = SDL_MOUSEBUTTONUP;
        e.button.state = SDL_RELEASED;
        SDL_PushEvent(&e);
        while (g_commits == before) ProcessSystemEvents();
    }
}
BENCHMARK(BM_ClickThroughSdlDisplay)->Unit(benchmark::kMicrosecond);

void BM_ClickGivenDirectly(benchmark::State &state) {
    int panel = Panel();
    int button = rte::testing::FindCtrl(panel, "PANEL_SWVERSION");
    InstallCtrlCallback(panel, button, Count, nullptr);
    for (auto _ : state) rte::testing::Press(panel, button);
}
BENCHMARK(BM_ClickGivenDirectly)->Unit(benchmark::kMicrosecond);

// Runs the event loop with the panel shown for 3 seconds of nothing happening; reports the
// share of one core used (CPU time over wall time).
void BM_IdleProcessorUse(benchmark::State &state) {
    int panel = Panel();
    int timer = NewCtrl(panel, CTRL_TIMER, "", 0, 0);
    SetCtrlAttribute(panel, timer, ATTR_INTERVAL, 3.0);
    InstallCtrlCallback(panel, timer, QuitOnTick, nullptr);
    double share = 0;
    for (auto _ : state) {
        SetCtrlAttribute(panel, timer, ATTR_ENABLED, 1);
        share = CoreShare([&] { RunUserInterface(); });
        SetCtrlAttribute(panel, timer, ATTR_ENABLED, 0);
    }
    ReportIdle(state, share);
}
BENCHMARK(BM_IdleProcessorUse)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
