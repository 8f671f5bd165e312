// toolbox/numeric/array_convert.cpp - type-code arrays: element sizes, element-wise conversion
// through double, interleaved-to-block transposition, rounding to a multiple.
#include "toolbox/numeric/array_convert.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

#include "rte/alloc.h"
#include "toolbox/core/check_internal.h"
#include "toolbox/numeric/array_convert_internal.h"
#include "toolbox/numeric/array_convert_testing.h"
#include "toolbox/numeric/simd_path_internal.h"

extern "C" int GetDataTypeSize(int dataType) {
    switch (dataType) {
    case DATA_TYPE_CHAR: return 1;
    case DATA_TYPE_INT: return 4;
    case DATA_TYPE_SHORT: return 2;
    case DATA_TYPE_FLOAT: return 4;
    case DATA_TYPE_DOUBLE: return 8;
    case DATA_TYPE_POINTER: return static_cast<int>(sizeof(void *));  // 8 here, 4 originally
    case DATA_TYPE_USHORT: return 2;
    case DATA_TYPE_UINT: return 4;
    case DATA_TYPE_UCHAR: return 1;
    default:
        TOOLBOX_CHECK(0, "Parameter 1 passed to GetDataTypeSize was not a valid data type.");
        return 0;
    }
}

// ---- Conversion -------------------------------------------------------------------------------
//
// One plain kernel per (source, target) pair, chosen once, so the per-element work is a load, a
// conversion and a store. Elements go through memcpy: the caller's arrays need no alignment and
// may be the same array (in-place conversion). The vector kernels of the active instruction set
// take what they can and leave the rest to the plain kernel (array_convert_internal.h).

namespace {

// The low 32 bits, in two's complement, of the value truncated toward zero. Values in the
// signed 64-bit range convert directly; beyond it fmod reduces exactly (a double that large is
// an integer, and fmod is exact). NaN and infinities have no integer part: 0.
uint32_t LowBits(double x) {
    if (std::fabs(x) < 9223372036854775808.0) [[likely]]
        return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(x)));
    if (!std::isfinite(x)) return 0;
    double m = std::fmod(x, 4294967296.0);
    if (m < 0) m += 4294967296.0;
    return static_cast<uint32_t>(m);
}

// Nearest float, as IEEE arithmetic rounds it: beyond the float range but below the midpoint
// between FLT_MAX and 2^128 the result is FLT_MAX, from there on infinity. (A plain cast of
// such a double is undefined in C++.)
float ToFloat(double x) {
    const double kLimit = static_cast<double>(FLT_MAX) + 0x1p103;
    if (std::isfinite(x) && std::fabs(x) > static_cast<double>(FLT_MAX)) {
        float f = std::fabs(x) >= kLimit ? HUGE_VALF : FLT_MAX;
        return x < 0 ? -f : f;
    }
    return static_cast<float>(x);
}

template <typename T>
double Read(const unsigned char *p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<double>(v);
}

template <typename T>
void Write(unsigned char *p, double x) {
    T v;
    if constexpr (std::is_same_v<T, float>) {
        v = ToFloat(x);
    } else if constexpr (std::is_same_v<T, double>) {
        v = x;
    } else {
        v = static_cast<T>(LowBits(x));  // keeps the low bits of the two's-complement value
    }
    std::memcpy(p, &v, sizeof v);
}

// An element converted to its own type is copied as it is. (Through a double, a float
// signalling NaN would come back quiet, or not, depending on how the compiler folds the round
// trip; a copy gives the same bits in every build.)
template <typename S, typename T>
struct ConvertPlain {
    static size_t Run(const unsigned char *s, unsigned char *t, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            if constexpr (std::is_same_v<S, T>)
                std::memcpy(t + i * sizeof(T), s + i * sizeof(S), sizeof(T));
            else
                Write<T>(t + i * sizeof(T), Read<S>(s + i * sizeof(S)));
        }
        return n;
    }
};

// The active instruction set's kernel for the pair; null on the plain path.
toolbox::numeric::ConvertKernel VectorKernel(int sourceType, int targetType) {
#if defined(__x86_64__)
    switch (toolbox::simd::ActivePath()) {
    case toolbox::simd::Path::kAvx2: return toolbox::numeric::Avx2ConvertKernel(sourceType, targetType);
    case toolbox::simd::Path::kSse2: return toolbox::numeric::Sse2ConvertKernel(sourceType, targetType);
    case toolbox::simd::Path::kPlain: break;
    }
#endif
    (void)sourceType;
    (void)targetType;
    return nullptr;
}

// Whether a vector kernel gives the plain loop's result for these arrays. The plain loop
// reads element i before it writes element i, in ascending order; a vector kernel reads a step
// of elements before it writes them. The two agree unless a write reaches a source element not
// yet read: that cannot happen when the arrays are apart, nor when the target starts no later
// than the source and its elements are no larger (in place to a smaller or equal type).
bool VectorSafe(const void *source, size_t sourceSize, const void *target, size_t targetSize, size_t n) {
    const uintptr_t s = reinterpret_cast<uintptr_t>(source), t = reinterpret_cast<uintptr_t>(target);
    const bool apart = t + n * targetSize <= s || s + n * sourceSize <= t;
    return apart || (t <= s && targetSize <= sourceSize);
}

}  // namespace

extern "C" void ConvertArrayType(const void *source, int sourceType, void *target, int targetType,
                                 int numElements) {
    if (numElements <= 0) return;
    // A pointer or invalid code on either side gives no kernel: a pointer or invalid source has
    // no value to read, and we then leave the target untouched rather than invent values for it.
    const toolbox::numeric::ConvertKernel plain = toolbox::numeric::KernelFor<ConvertPlain>(sourceType, targetType);
    if (plain == nullptr) return;
    const size_t n = static_cast<size_t>(numElements);
    const size_t sSize = static_cast<size_t>(GetDataTypeSize(sourceType));
    const size_t tSize = static_cast<size_t>(GetDataTypeSize(targetType));
    const unsigned char *s = static_cast<const unsigned char *>(source);
    unsigned char *t = static_cast<unsigned char *>(target);

    const toolbox::numeric::ConvertKernel vector = VectorKernel(sourceType, targetType);
    if (vector == nullptr || !VectorSafe(source, sSize, target, tSize, n)) {
        plain(s, t, n);
        return;
    }
    // The plain kernel converts the first few elements when that aligns the target to 32
    // bytes, so that no vector store straddles two cache lines. The vector kernel stops at a
    // step it leaves to the plain kernel, or near the end; the plain kernel then takes a short
    // run (at least that step) and the vector kernel goes on.
    constexpr size_t kAlign = 32, kPlainRun = 32;
    const uintptr_t misaligned = reinterpret_cast<uintptr_t>(t) % kAlign;
    size_t i = 0;
    if (misaligned != 0 && misaligned % tSize == 0) {
        i = (kAlign - misaligned) / tSize < n ? (kAlign - misaligned) / tSize : n;
        plain(s, t, i);
    }
    while (i < n) {
        i += vector(s + i * sSize, t + i * tSize, n - i);
        const size_t run = n - i < kPlainRun ? n - i : kPlainRun;
        plain(s + i * sSize, t + i * tSize, run);
        i += run;
    }
}

// ---- Transposition ----------------------------------------------------------------------------
//
// With a work buffer, the array is copied into it and the channels are then written back to
// their blocks tile by tile: a tile of a few samples of a few channels is read as short rows
// and written as short columns, so that both the samples read and the blocks written stay in
// the cache however many channels there are. Tiles are transposed in vector registers on x86-64
// (array_convert_sse2.cpp, array_convert_avx2.cpp) and element by element elsewhere.

namespace {

using toolbox::numeric::Tile;

// An interleaved array: q full samples of n channels, then one more sample of channels 0 to r-1.
struct Shape {
    size_t q, n, r;
    // Index of the first element of channel c's block.
    size_t BlockStart(size_t c) const { return c * q + (c < r ? c : r); }
};

// count elements of S bytes, `stride` bytes apart, to consecutive places.
template <size_t S>
void CopyStrided(const unsigned char *in, size_t stride, unsigned char *out, size_t count) {
    for (size_t k = 0; k < count; ++k, in += stride, out += S) std::memcpy(out, in, S);
}

void CopyStridedAny(const unsigned char *in, size_t stride, unsigned char *out, size_t count, size_t s) {
    switch (s) {
    case 1: CopyStrided<1>(in, stride, out, count); return;
    case 2: CopyStrided<2>(in, stride, out, count); return;
    case 4: CopyStrided<4>(in, stride, out, count); return;
    case 8: CopyStrided<8>(in, stride, out, count); return;
    default:
        for (size_t k = 0; k < count; ++k, in += stride, out += s) std::memcpy(out, in, s);
    }
}

// The plain tile: 8 samples of 4 channels, element by element. (Four blocks written at a time
// rather than eight: blocks a power of two apart share cache sets, and eight of them evict
// each other.)
template <size_t S>
void PlainTile(const unsigned char *in, size_t stride, unsigned char *const *out) {
    for (size_t j = 0; j < 4; ++j) CopyStrided<S>(in + j * S, stride, out[j], 8);
}

using toolbox::numeric::MakeTile;
using toolbox::numeric::kEndOfTiles;
constexpr Tile kPlainTiles1[] = {MakeTile<PlainTile<1>, 8, 4, 1>(), kEndOfTiles};
constexpr Tile kPlainTiles2[] = {MakeTile<PlainTile<2>, 8, 4, 2>(), kEndOfTiles};
constexpr Tile kPlainTiles4[] = {MakeTile<PlainTile<4>, 8, 4, 4>(), kEndOfTiles};
constexpr Tile kPlainTiles8[] = {MakeTile<PlainTile<8>, 8, 4, 8>(), kEndOfTiles};

const Tile *PlainTiles(size_t s) {
    switch (s) {
    case 1: return kPlainTiles1;
    case 2: return kPlainTiles2;
    case 4: return kPlainTiles4;
    case 8: return kPlainTiles8;
    default: return nullptr;
    }
}

// The widest tile of the active instruction set that fits n channels, or null.
const Tile *ChooseTile(size_t s, size_t n) {
    const Tile *lists[2] = {PlainTiles(s), nullptr};
#if defined(__x86_64__)
    switch (toolbox::simd::ActivePath()) {
    case toolbox::simd::Path::kAvx2:
        lists[0] = toolbox::numeric::Avx2Tiles(s);
        lists[1] = toolbox::numeric::Sse2Tiles(s);
        break;
    case toolbox::simd::Path::kSse2: lists[0] = toolbox::numeric::Sse2Tiles(s); break;
    case toolbox::simd::Path::kPlain: break;
    }
#endif
    for (const Tile *list : lists)
        for (const Tile *t = list; t != nullptr && t->kernel != nullptr; ++t)
            if (t->dense ? t->cols == n : t->cols <= n) return t;
    return nullptr;
}

// Writes the channel blocks of the interleaved array `in` (elements of s bytes) to `out`.
void TransposeInto(unsigned char *out, const unsigned char *in, size_t s, Shape shape) {
    const Tile *tile = ChooseTile(s, shape.n);
    const size_t stride = shape.n * s;
    size_t tiledSamples = 0, tiledChannels = 0;
    if (tile != nullptr) {
        tiledSamples = shape.q - shape.q % tile->rows;
        tiledChannels = shape.n - shape.n % tile->cols;
        // The samples go in bands, and a band is worked strip by strip (tile->cols channels at a
        // time, down the band): a strip writes a run of 512 bytes or more to each of its
        // blocks, few pages at a time, while the band's samples, read once per strip, stay in
        // the cache (at least 16 KiB of them, and with many channels 512 KiB or so).
        const size_t run = 512, budget = 16384;
        const size_t runRows = s < run ? run / s : 1;
        size_t band = budget / stride > runRows ? budget / stride : runRows;
        band = band < tile->rows ? tile->rows : band - band % tile->rows;
        unsigned char *blocks[toolbox::numeric::kMaxTileCols];
        for (size_t k0 = 0; k0 < tiledSamples; k0 += band) {
            const size_t depth = band < tiledSamples - k0 ? band : tiledSamples - k0;
            for (size_t c0 = 0; c0 < tiledChannels; c0 += tile->cols) {
                for (size_t j = 0; j < tile->cols; ++j) blocks[j] = out + (shape.BlockStart(c0 + j) + k0) * s;
                tile->kernel(in + (k0 * shape.n + c0) * s, stride, blocks, depth / tile->rows);
            }
        }
    }
    // What the tiles left: the channels beyond the last whole tile, the samples below the last
    // whole tile, and the extra samples.
    for (size_t c = tiledChannels; c < shape.n; ++c)
        CopyStridedAny(in + c * s, stride, out + shape.BlockStart(c) * s, shape.q, s);
    for (size_t c = 0; c < tiledChannels && tiledSamples < shape.q; ++c)
        CopyStridedAny(in + (tiledSamples * shape.n + c) * s, stride,
                       out + (shape.BlockStart(c) + tiledSamples) * s, shape.q - tiledSamples, s);
    for (size_t c = 0; c < shape.r; ++c)
        std::memcpy(out + (shape.BlockStart(c) + shape.q) * s, in + (shape.q * shape.n + c) * s, s);
}

// The in-place path: no memory beyond one element held aside, and O(N log N log n) element
// moves, by divide and conquer with rotations (three reversals each). Every function works on
// element indices of an array of S-byte elements; S is a template argument so that the element
// copies compile to plain loads and stores.
template <size_t S>
void Reverse(unsigned char *a, size_t first, size_t last) {  // [first, last)
    unsigned char held[S];
    while (first + 1 < last) {
        --last;
        std::memcpy(held, a + first * S, S);
        std::memcpy(a + first * S, a + last * S, S);
        std::memcpy(a + last * S, held, S);
        ++first;
    }
}

// [first, mid) [mid, last) -> [mid, last) [first, mid)
template <size_t S>
void Rotate(unsigned char *a, size_t first, size_t mid, size_t last) {
    if (first == mid || mid == last) return;
    Reverse<S>(a, first, mid);
    Reverse<S>(a, mid, last);
    Reverse<S>(a, first, last);
}

// a holds n blocks of q1 elements (A0 .. An-1) followed by n blocks of q2 (B0 .. Bn-1); leaves
// A0 B0 A1 B1 ... An-1 Bn-1. Splitting the channels into halves L and R, one rotation turns
// AL AR BL BR into AL BL AR BR, and each half is merged the same way.
template <size_t S>
void MergeBlocks(unsigned char *a, size_t n, size_t q1, size_t q2) {
    if (n < 2 || q2 == 0) return;
    size_t n1 = n / 2;
    Rotate<S>(a, n1 * q1, n * q1, n * q1 + n1 * q2);
    MergeBlocks<S>(a, n1, q1, q2);
    MergeBlocks<S>(a + n1 * (q1 + q2) * S, n - n1, q1, q2);
}

// a holds q samples of n interleaved channels; leaves n blocks of q. Each half of the samples
// is transposed on its own, and the two sets of blocks are merged.
template <size_t S>
void TransposeFull(unsigned char *a, size_t q, size_t n) {
    if (q < 2) return;
    size_t q1 = q / 2;
    TransposeFull<S>(a, q1, n);
    TransposeFull<S>(a + q1 * n * S, q - q1, n);
    MergeBlocks<S>(a, n, q1, q - q1);
}

// The first q * n elements are transposed; the r extra samples at the end (sample q of channels
// 0 .. r-1) are then moved in front of the blocks of the channels without one, and merged
// behind the blocks of their own channels.
template <size_t S>
void TransposeInPlaceOf(unsigned char *a, int count, int n) {
    size_t q = static_cast<size_t>(count / n);
    size_t r = static_cast<size_t>(count % n);
    TransposeFull<S>(a, q, static_cast<size_t>(n));
    if (r == 0) return;
    Rotate<S>(a, r * q, static_cast<size_t>(n) * q, static_cast<size_t>(count));
    MergeBlocks<S>(a, r, q, 1);
}

template <size_t... S>
void TransposeInPlaceBySize(unsigned char *a, size_t s, int count, int n, std::index_sequence<S...>) {
    ((s == S + 1 ? TransposeInPlaceOf<S + 1>(a, count, n) : void()), ...);
}

// Element sizes 1 to 19 (the caller has checked the size).
void TransposeInPlace(unsigned char *a, size_t s, int count, int n) {
    TransposeInPlaceBySize(a, s, count, n, std::make_index_sequence<19>{});
}

}  // namespace

void toolbox::numeric::TransposeElements(void *array, int elementSize, int numElements,
                                         int numChannels) {
    if (numChannels < 2) return;
    int q = numElements / numChannels;
    int r = numElements - q * numChannels;
    if (q < 2 && r == 0) return;
    if (elementSize <= 0 || numElements <= 0) return;
    // The in-place path holds one element aside; it takes elements below 20 bytes.
    TOOLBOX_CHECK(elementSize < 20, "Programming error detected.");
    size_t s = static_cast<size_t>(elementSize);
    unsigned char *a = static_cast<unsigned char *>(array);
    size_t bytes = static_cast<size_t>(numElements) * s;
    unsigned char *work = static_cast<unsigned char *>(RteMalloc(bytes));
    if (work == nullptr) {
        TransposeInPlace(a, s, numElements, numChannels);  // out of memory: same result, slower
        return;
    }
    std::memcpy(work, a, bytes);
    const size_t n = static_cast<size_t>(numChannels);
    TransposeInto(a, work, s, Shape{static_cast<size_t>(q), n, static_cast<size_t>(r)});
    std::free(work);
}

extern "C" void TransposeData(void *array, int dataType, int numElements, int numChannels) {
    if (numChannels < 2) return;
    // The type is checked before anything else, so a bad code is caught even when the shape
    // leaves nothing to reorder.
    int size = GetDataTypeSize(dataType);
    toolbox::numeric::TransposeElements(array, size, numElements, numChannels);
}

// ---- Rounding ---------------------------------------------------------------------------------

extern "C" int RoundToNextMultiple(int value, int multiple) {
    long long m = multiple < 0 ? -static_cast<long long>(multiple) : multiple;
    if (m == 0) return value;
    long long v = value;
    long long rem = v % m;
    if (rem == 0) return value;
    long long away = rem < 0 ? v - m - rem : v + m - rem;
    if (away >= INT_MIN && away <= INT_MAX) return static_cast<int>(away);
    return static_cast<int>(v - rem);  // the multiple toward zero always fits
}
