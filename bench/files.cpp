// FindBytesInFile on a 64 MiB file against the plain alternative, read() into a large buffer
// and memmem() with the pattern's tail carried between reads. The pattern sits at the very end,
// so both read the whole file (from the page cache after the first run).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "toolbox/toolbox.h"

namespace {

constexpr long kFileSize = 64L << 20;
const char kPattern[] = "END-OF-DATA\r\n";

const std::string &TestFile() {
    static const std::string path = [] {
        std::string p = "/tmp/bench_files_" + std::to_string(getpid()) + ".bin";
        FILE *f = fopen(p.c_str(), "wb");
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>("abcdefgh\r\nEND-OF-DAT"[i % 20]);
        for (long written = 0; written < kFileSize - static_cast<long>(sizeof kPattern - 1);) {
            long n = std::min<long>(static_cast<long>(block.size()), kFileSize - (long)(sizeof kPattern - 1) - written);
            fwrite(block.data(), 1, static_cast<size_t>(n), f);
            written += n;
        }
        fwrite(kPattern, 1, sizeof kPattern - 1, f);
        fclose(f);
        return p;
    }();
    return path;
}

void BM_FindBytesInFile(benchmark::State &state) {
    FILE *f = fopen(TestFile().c_str(), "rb");
    for (auto _ : state) {
        rewind(f);
        long at = 0;
        int found = FindBytesInFile(f, kPattern, sizeof kPattern - 1, nullptr, &at);
        if (found != 1 || at != kFileSize - static_cast<long>(sizeof kPattern - 1)) state.SkipWithError("not found");
    }
    fclose(f);
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_ReadAndMemmem(benchmark::State &state) {
    int fd = open(TestFile().c_str(), O_RDONLY);
    const size_t keep = sizeof kPattern - 2;
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        lseek(fd, 0, SEEK_SET);
        size_t have = 0;
        long base = 0, at = -1;
        for (;;) {
            ssize_t got = read(fd, buffer.data() + have, buffer.size() - have);
            if (got <= 0) break;
            have += static_cast<size_t>(got);
            const char *hit = static_cast<const char *>(memmem(buffer.data(), have, kPattern, sizeof kPattern - 1));
            if (hit != nullptr) {
                at = base + (hit - buffer.data());
                break;
            }
            size_t k = have < keep ? have : keep;
            memmove(buffer.data(), buffer.data() + have - k, k);
            base += static_cast<long>(have - k);
            have = k;
        }
        if (at != kFileSize - static_cast<long>(sizeof kPattern - 1)) state.SkipWithError("not found");
    }
    close(fd);
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

}  // namespace

BENCHMARK(BM_FindBytesInFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndMemmem)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    unlink(TestFile().c_str());
    return 0;
}
