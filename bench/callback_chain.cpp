// Benchmarks of callback chaining: an event delivered through a control's callback chain of
// three links (each passing the event on) and its base callback, against the same event
// delivered to a plain installed callback (target: under 1.5 times its cost). Both go the way
// the library delivers events (CallCtrlCallback: the control's installed callback read under the
// chain lock, then called); the raw pair calls the installed function directly, to show what
// the links themselves cost.
#include <benchmark/benchmark.h>

#include "rte/rte.h"
#include "toolbox/toolbox.h"

namespace {

int g_calls = 0;
int PassOn(int, int, int, void *, int, int) {
    ++g_calls;
    return 0;
}

struct Control {
    int panel = NewPanel(0, "bench", 0, 0, 100, 100);
    int id = NewCtrl(panel, CTRL_STRING, "", 10, 10);
    explicit Control(int links) {
        InstallCtrlCallback(panel, id, PassOn, nullptr);
        const char *types[] = {"first", "second", "third"};
        for (int i = 0; i < links; ++i) ChainCtrlCallback(panel, id, PassOn, nullptr, types[i]);
    }
    ~Control() { DiscardPanel(panel); }
};

void BM_PlainCallback(benchmark::State &state) {
    Control c(0);
    int result = 0;
    for (auto _ : state) CallCtrlCallback(c.panel, c.id, EVENT_COMMIT, 0, 0, &result);
    benchmark::DoNotOptimize(g_calls);
}
BENCHMARK(BM_PlainCallback);

void BM_ChainOfThreeLinks(benchmark::State &state) {
    Control c(3);
    int result = 0;
    for (auto _ : state) CallCtrlCallback(c.panel, c.id, EVENT_COMMIT, 0, 0, &result);
    benchmark::DoNotOptimize(g_calls);
}
BENCHMARK(BM_ChainOfThreeLinks);

// The installed function called directly: the plain callback, and the dispatcher with the
// newest of three links (four callbacks called).
void Raw(benchmark::State &state, int links) {
    Control c(links);
    void *function = nullptr, *data = nullptr;
    GetCtrlAttribute(c.panel, c.id, ATTR_CALLBACK_FUNCTION_POINTER, &function);
    GetCtrlAttribute(c.panel, c.id, ATTR_CALLBACK_DATA, &data);
    auto installed = reinterpret_cast<CtrlCallbackPtr>(function);
    for (auto _ : state) benchmark::DoNotOptimize(installed(c.panel, c.id, EVENT_COMMIT, data, 0, 0));
}
void BM_RawPlainCallback(benchmark::State &state) { Raw(state, 0); }
void BM_RawChainOfThreeLinks(benchmark::State &state) { Raw(state, 3); }
BENCHMARK(BM_RawPlainCallback);
BENCHMARK(BM_RawChainOfThreeLinks);

}  // namespace

BENCHMARK_MAIN();
