// toolbox/numeric/simd_path.cpp - choosing the instruction-set path of the bulk data paths:
// what the processor offers, capped by TOOLBOX_SIMD, unless a test forces one.
#include "toolbox/numeric/simd_path_internal.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "toolbox/numeric/simd_path_testing.h"

namespace toolbox::simd {

namespace {

// The best path of the machine. __builtin_cpu_supports also checks that the operating system
// saves the AVX registers, so a reported AVX2 is usable.
Path BestOfMachine() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? Path::kAvx2 : Path::kSse2;
#else
    return Path::kPlain;
#endif
}

Path FromEnvironment() {
    const Path best = BestOfMachine();
    const char *cap = std::getenv("TOOLBOX_SIMD");
    if (cap == nullptr) return best;
    const Path paths[] = {Path::kPlain, Path::kSse2, Path::kAvx2};
    for (Path p : paths)
        if (std::strcmp(cap, testing::PathName(p)) == 0 && p <= best) return p;
    return best;
}

constexpr int kNotForced = -1;
std::atomic<int> forced{kNotForced};

}  // namespace

Path ActivePath() {
    const int f = forced.load(std::memory_order_relaxed);
    if (f != kNotForced) return static_cast<Path>(f);
    static const Path chosen = FromEnvironment();  // thread-safe initialisation, once
    return chosen;
}

bool Supported(Path path) { return path <= BestOfMachine(); }

namespace testing {

std::vector<Path> SupportedPaths() {
    std::vector<Path> paths;
    for (Path p : {Path::kPlain, Path::kSse2, Path::kAvx2})
        if (Supported(p)) paths.push_back(p);
    return paths;
}

const char *PathName(Path path) {
    switch (path) {
    case Path::kSse2: return "sse2";
    case Path::kAvx2: return "avx2";
    default: return "plain";
    }
}

bool ForcePath(Path path) {
    if (!Supported(path)) return false;
    forced.store(static_cast<int>(path), std::memory_order_relaxed);
    return true;
}

void ClearForcedPath() { forced.store(kNotForced, std::memory_order_relaxed); }

}  // namespace testing

}  // namespace toolbox::simd
