// Benchmark: the engine's start-up to its first processed event on the headless display
// (LoadPanel of a small panel, DisplayPanel, the first ProcessSystemEvents), against a baseline
// that reads and splits the same file into lines with the standard library only (the least a
// loader must do).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "rte/engine.h"
#include "rte/ui.h"

namespace {

const char *kPath = "bench_rte_startup.uir";

void WritePanel() {
    std::ofstream out(kPath);
    out << "uir 1\npanel PANEL 1\n  title Bench\n  height 300\n  width 400\n";
    for (int i = 2; i < 14; ++i) {
        out << "  control CTRL_" << i << " " << i << " string\n    label Field " << i
            << "\n    top " << i * 20 << "\n    attr ATTR_MAX_ENTRY_LENGTH 27\n  end\n";
    }
    out << "  control PANEL_LIST 20 ring\n    attr ATTR_DATA_TYPE VAL_STRING\n    item a\n    item b\n  end\n";
    out << "end\n";
}

void BM_EngineStartupToFirstEvent(benchmark::State &state) {
    setenv("RTE_DISPLAY", "headless", 1);
    unsetenv("RTE_SCRIPT");
    WritePanel();
    for (auto _ : state) {
        InitRTEEx(nullptr, nullptr, nullptr);  // first call starts the engine, later ones return 1
        int panel = LoadPanel(0, kPath, 1);
        DisplayPanel(panel);
        ProcessSystemEvents();
        state.PauseTiming();
        DiscardPanel(panel);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EngineStartupToFirstEvent);

void BM_BaselineReadAndSplitFile(benchmark::State &state) {
    WritePanel();
    for (auto _ : state) {
        std::ifstream in(kPath);
        std::stringstream buffer;
        buffer << in.rdbuf();
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(buffer, line)) lines.push_back(line);
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_BaselineReadAndSplitFile);

}  // namespace

BENCHMARK_MAIN();
