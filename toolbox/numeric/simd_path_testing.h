// toolbox/numeric/simd_path_testing.h - forcing the instruction-set path, for tests (C++).
//
// Differential tests run the same input through each path the machine supports and compare
// the results byte for byte:
//
//     for (toolbox::simd::Path path : toolbox::simd::testing::SupportedPaths()) {
//         toolbox::simd::testing::ScopedPath forced(path);
//         ... call the function, compare with the plain path's result ...
//     }
#ifndef TOOLBOX_NUMERIC_SIMD_PATH_TESTING_H
#define TOOLBOX_NUMERIC_SIMD_PATH_TESTING_H

#include <vector>

#include "toolbox/numeric/simd_path_internal.h"

namespace toolbox::simd::testing {

// Every path this machine runs, plain first.
std::vector<Path> SupportedPaths();

// Every path this machine runs but the plain one, which differential tests take as reference.
inline std::vector<Path> VectorPaths() {
    std::vector<Path> paths = SupportedPaths();
    paths.erase(paths.begin());
    return paths;
}

// "plain", "sse2" or "avx2".
const char *PathName(Path path);

// Forces the path for every thread until the next ForcePath or ClearForcedPath. Returns false,
// forcing nothing, when the machine cannot run it.
bool ForcePath(Path path);
void ClearForcedPath();

// Forces a path for the lifetime of the object (the machine must support it).
class ScopedPath {
public:
    explicit ScopedPath(Path path) { ForcePath(path); }
    ~ScopedPath() { ClearForcedPath(); }
    ScopedPath(const ScopedPath &) = delete;
    ScopedPath &operator=(const ScopedPath &) = delete;
};

}  // namespace toolbox::simd::testing

#endif
