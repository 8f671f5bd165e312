// toolbox/numeric/simd_path_internal.h - which instruction set the bulk data paths run on (C++).
//
// The six-bit text codec, ConvertArrayType and TransposeData each have a plain C++ path and,
// on x86-64, vector paths: SSE2 (always present there) and AVX2 (used when the processor and
// the operating system support it). Every path gives the same bytes for every input; the plain
// path is the reference the vector paths are tested against.
//
// The path is the best one the machine runs, capped by the environment variable TOOLBOX_SIMD
// ("plain", "sse2" or "avx2", read once, at the first call): a way to compare the paths in a
// benchmark or to rule out a vector path in the field. A value the machine cannot run, or any
// other text, is ignored. Tests force a path through simd_path_testing.h.
#ifndef TOOLBOX_NUMERIC_SIMD_PATH_INTERNAL_H
#define TOOLBOX_NUMERIC_SIMD_PATH_INTERNAL_H

namespace toolbox::simd {

enum class Path { kPlain, kSse2, kAvx2 };

// The path in force for the calling thread's next bulk call. Cheap (one atomic load once the
// machine has been examined); safe on any thread.
Path ActivePath();

// Whether this machine can run the path.
bool Supported(Path path);

}  // namespace toolbox::simd

#endif
