// Throughput of the six-bit text form of data, against memcpy (the ceiling) and OpenSSL's
// base64 codec (the usual way to make binary data printable) on the same 1 MiB of bytes.
// Every figure is bytes of binary data per second; each call allocates its output, as
// ConvertDataToText and ConvertTextToData do.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "toolbox/toolbox.h"

namespace {

constexpr int kBytes = 1 << 20;

const std::vector<unsigned char> &Data() {
    static const std::vector<unsigned char> data = [] {
        std::vector<unsigned char> d(kBytes);
        std::mt19937 random(42);
        for (auto &b : d) b = static_cast<unsigned char>(random());
        return d;
    }();
    return data;
}

void BM_ConvertDataToText(benchmark::State &state) {
    for (auto _ : state) {
        char *text = nullptr;
        ConvertDataToText(Data().data(), kBytes, &text);
        benchmark::DoNotOptimize(text);
        free(text);
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_ConvertTextToData(benchmark::State &state) {
    char *text = nullptr;
    ConvertDataToText(Data().data(), kBytes, &text);
    for (auto _ : state) {
        unsigned char *data = nullptr;
        int count = 0;
        ConvertTextToData(text, &count, &data);
        benchmark::DoNotOptimize(data);
        free(data);
    }
    free(text);
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_Memcpy(benchmark::State &state) {
    for (auto _ : state) {
        void *copy = malloc(kBytes);
        memcpy(copy, Data().data(), kBytes);
        benchmark::DoNotOptimize(copy);
        free(copy);
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_Base64Encode(benchmark::State &state) {
    for (auto _ : state) {
        auto *text = static_cast<unsigned char *>(malloc(kBytes / 3 * 4 + 5));
        EVP_EncodeBlock(text, Data().data(), kBytes);
        benchmark::DoNotOptimize(text);
        free(text);
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_Base64Decode(benchmark::State &state) {
    std::vector<unsigned char> text(kBytes / 3 * 4 + 5);
    const int length = EVP_EncodeBlock(text.data(), Data().data(), kBytes);
    for (auto _ : state) {
        auto *data = static_cast<unsigned char *>(malloc(static_cast<size_t>(length) / 4 * 3));
        EVP_DecodeBlock(data, text.data(), length);
        benchmark::DoNotOptimize(data);
        free(data);
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

}  // namespace

BENCHMARK(BM_ConvertDataToText);
BENCHMARK(BM_ConvertTextToData);
BENCHMARK(BM_Memcpy);
BENCHMARK(BM_Base64Encode);
BENCHMARK(BM_Base64Decode);
BENCHMARK_MAIN();
