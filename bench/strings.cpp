// Building a 1 MB heap string piece by piece: AppendString against std::string::append, for
// several piece sizes. AppendString measures the old text with strlen on every call (the heap
// string carries no length), so its cost grows with the number of pieces.
#include "rte/mbs_testing.h"
#include "toolbox/text/strings.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

constexpr size_t kTotal = 1 << 20;

std::string Piece(size_t size) { return std::string(size, 'x'); }

void BM_AppendString(benchmark::State &state) {
    const std::string piece = Piece(static_cast<size_t>(state.range(0)));
    rte::testing::ScopedCodePage cp(static_cast<int>(state.range(1)));
    for (auto _ : state) {
        char *s = nullptr;
        for (size_t built = 0; built < kTotal; built += piece.size())
            if (!AppendString(&s, piece.c_str(), static_cast<int>(piece.size())))
                state.SkipWithError("out of memory");
        benchmark::DoNotOptimize(s);
        std::free(s);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotal));
}

void BM_StdStringAppend(benchmark::State &state) {
    const std::string piece = Piece(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        std::string s;
        for (size_t built = 0; built < kTotal; built += piece.size())
            s.append(piece.c_str(), piece.size());
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotal));
}

// Args: piece size in bytes, code page.
BENCHMARK(BM_AppendString)->Args({64, 0})->Args({1024, 0})->Args({16384, 0})->Args({1024, 932})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdStringAppend)->Arg(64)->Arg(1024)->Arg(16384)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
