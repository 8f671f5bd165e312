// Benchmarks of bitmap files: SaveBitmapToFile of a 1920 x 1080 24-bit bitmap against a plain
// fwrite of the same number of bytes to the same place (target: under 2x the plain write).
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "rte/rte.h"
#include "toolbox/toolbox.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

std::string Path() {
    static std::string path = "/tmp/bench_bitmap_files_" + std::to_string(getpid()) + ".bmp";
    return path;
}

int Bitmap() {
    static int id = [] {
        std::vector<unsigned char> pixels(static_cast<size_t>(kWidth) * kHeight * 3);
        std::mt19937 random(1);
        for (unsigned char &b : pixels) b = static_cast<unsigned char>(random());
        int bitmap = 0;
        if (NewBitmap(-1, 24, kWidth, kHeight, nullptr, pixels.data(), nullptr, &bitmap) != 0) std::exit(1);
        return bitmap;
    }();
    return id;
}

void BM_SaveBitmapToFile(benchmark::State &state) {
    int bitmap = Bitmap();
    for (auto _ : state) {
        if (SaveBitmapToFile(Path().c_str(), bitmap) != 0) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * (54 + static_cast<int64_t>(kWidth) * 3 * kHeight));
    remove(Path().c_str());
}
BENCHMARK(BM_SaveBitmapToFile)->Unit(benchmark::kMillisecond);

void BM_FwriteSameBytes(benchmark::State &state) {
    std::vector<unsigned char> bytes(54 + static_cast<size_t>(kWidth) * 3 * kHeight, 0x5A);
    for (auto _ : state) {
        FILE *f = fopen(Path().c_str(), "wb");
        if (f == nullptr || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) state.SkipWithError("write failed");
        if (f != nullptr) fclose(f);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    remove(Path().c_str());
}
BENCHMARK(BM_FwriteSameBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
