// Array conversion and transposition on a million elements, each against what a caller would
// write instead, in the same run:
// - ConvertArrayType for every pair of double, float, int, short and unsigned char, against the
//   plain loop of casts (compiled here at -O3), on 16 Ki elements (in the cache: the work
//   counts) and on 1 Mi (beyond the level-two cache: memory traffic counts). The values suit
//   every target type, as a plain loop needs: integers take all their bit patterns,
//   floating-point values lie in (-1, 127].
// - TransposeData through its work buffer, against a gather into a second array the caller
//   already owns (no allocation, no copy back), for 2, 8 and 1000 channels and every element
//   size; and in place (its path when the buffer cannot be had), for floats.
// TOOLBOX_SIMD=plain|sse2|avx2 caps the instruction set of the library's paths.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "rte/alloc_testing.h"
#include "toolbox/toolbox.h"

namespace {

constexpr int kElements = 1 << 20;

template <typename T>
constexpr int Code() {
    if constexpr (std::is_same_v<T, double>) return DATA_TYPE_DOUBLE;
    if constexpr (std::is_same_v<T, float>) return DATA_TYPE_FLOAT;
    if constexpr (std::is_same_v<T, int32_t>) return DATA_TYPE_INT;
    if constexpr (std::is_same_v<T, int16_t>) return DATA_TYPE_SHORT;
    if constexpr (std::is_same_v<T, uint8_t>) return DATA_TYPE_UCHAR;
}

template <typename S>
std::vector<S> Source(int count) {
    std::vector<S> v(count);
    std::mt19937 random(7);
    for (auto &x : v) {
        if constexpr (std::is_floating_point_v<S>)
            x = static_cast<S>(static_cast<int>(random() % 512) * 0.25 - 0.75);
        else
            x = static_cast<S>(random());
    }
    return v;
}

// range(0): elements.
template <typename S, typename T>
void BM_ConvertArrayType(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<S> in = Source<S>(count);
    std::vector<T> out(count);
    for (auto _ : state) {
        ConvertArrayType(in.data(), Code<S>(), out.data(), Code<T>(), count);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

template <typename S, typename T>
void BM_PlainLoop(benchmark::State &state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<S> in = Source<S>(count);
    std::vector<T> out(count);
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) out[i] = static_cast<T>(in[i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// range(0): channels. The same array is transposed again and again; the work is the same
// whatever its contents.
template <typename T>
void BM_TransposeData_Buffered(benchmark::State &state) {
    const int channels = static_cast<int>(state.range(0));
    std::vector<T> a(kElements);
    for (auto _ : state) {
        TransposeData(a.data(), Code<T>(), kElements, channels);
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
template <typename T>
void BM_GatherIntoSecondArray(benchmark::State &state) {
    const int channels = static_cast<int>(state.range(0));
    std::vector<T> a(kElements), b(kElements);
    for (auto _ : state) {
        T *out = b.data();
        for (int c = 0; c < channels; ++c)
            for (int i = c; i < kElements; i += channels) *out++ = a[i];
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}

#define CONVERT_PAIR(S, T)                                                     \
    BENCHMARK_TEMPLATE(BM_ConvertArrayType, S, T)->Arg(1 << 14)->Arg(kElements); \
    BENCHMARK_TEMPLATE(BM_PlainLoop, S, T)->Arg(1 << 14)->Arg(kElements)
#define CONVERT_FROM(S)              \
    CONVERT_PAIR(S, double);         \
    CONVERT_PAIR(S, float);          \
    CONVERT_PAIR(S, int32_t);        \
    CONVERT_PAIR(S, int16_t);        \
    CONVERT_PAIR(S, uint8_t)

CONVERT_FROM(double);
CONVERT_FROM(float);
CONVERT_FROM(int32_t);
CONVERT_FROM(int16_t);
CONVERT_FROM(uint8_t);

#define TRANSPOSE(T)                                                                      \
    BENCHMARK_TEMPLATE(BM_TransposeData_Buffered, T)->Arg(2)->Arg(8)->Arg(1000);         \
    BENCHMARK_TEMPLATE(BM_GatherIntoSecondArray, T)->Arg(2)->Arg(8)->Arg(1000)

TRANSPOSE(float);
TRANSPOSE(double);
TRANSPOSE(int16_t);
TRANSPOSE(uint8_t);
BENCHMARK(BM_TransposeData_InPlace)->Arg(2)->Arg(8)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
