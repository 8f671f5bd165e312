// Array conversion and transposition: ConvertArrayType from double to int against the plain
// loop a caller would write, and TransposeData on a million elements through its work buffer
// and in place (its path when the buffer cannot be had), against an out-of-place gather.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "rte/alloc_testing.h"
#include "toolbox/toolbox.h"

namespace {

constexpr int kElements = 1 << 20;

std::vector<double> Doubles() {
    std::vector<double> d(kElements);
    for (int i = 0; i < kElements; ++i) d[i] = (i - kElements / 2) * 1.37;
    return d;
}

void BM_ConvertArrayType_DoubleToInt(benchmark::State &state) {
    std::vector<double> in = Doubles();
    std::vector<int32_t> out(kElements);
    for (auto _ : state) {
        ConvertArrayType(in.data(), DATA_TYPE_DOUBLE, out.data(), DATA_TYPE_INT, kElements);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}

void BM_PlainLoop_DoubleToInt(benchmark::State &state) {
    std::vector<double> in = Doubles();
    std::vector<int32_t> out(kElements);
    for (auto _ : state) {
        for (int i = 0; i < kElements; ++i) out[i] = static_cast<int32_t>(in[i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}

// range(0): channels. Each iteration transposes a fresh interleaved copy (the copy is timed
// out with PauseTiming only for the in-place runs, whose cost dwarfs it).
void BM_TransposeData_Buffered(benchmark::State &state) {
    const int channels = static_cast<int>(state.range(0));
    std::vector<float> a(kElements);
    for (auto _ : state) {
        TransposeData(a.data(), DATA_TYPE_FLOAT, kElements, channels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}

void BM_TransposeData_InPlace(benchmark::State &state) {
    const int channels = static_cast<int>(state.range(0));
    std::vector<float> a(kElements);
    for (auto _ : state) {
        rte::testing::FailNthAllocation(1);  // no work buffer: the in-place path
        TransposeData(a.data(), DATA_TYPE_FLOAT, kElements, channels);
        benchmark::ClobberMemory();
    }
    rte::testing::ClearAllocationFault();
    state.SetItemsProcessed(state.iterations() * kElements);
}

// The reference: gather into a second array that the caller already owns (no allocation).
void BM_GatherIntoSecondArray(benchmark::State &state) {
    const int channels = static_cast<int>(state.range(0));
    std::vector<float> a(kElements), b(kElements);
    for (auto _ : state) {
        float *out = b.data();
        for (int c = 0; c < channels; ++c)
            for (int i = c; i < kElements; i += channels) *out++ = a[i];
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}

}  // namespace

BENCHMARK(BM_ConvertArrayType_DoubleToInt);
BENCHMARK(BM_PlainLoop_DoubleToInt);
BENCHMARK(BM_GatherIntoSecondArray)->Arg(2)->Arg(8)->Arg(1000);
BENCHMARK(BM_TransposeData_Buffered)->Arg(2)->Arg(8)->Arg(1000);
BENCHMARK(BM_TransposeData_InPlace)->Arg(2)->Arg(8)->Arg(1000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
