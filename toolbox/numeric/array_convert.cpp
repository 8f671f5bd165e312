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
#include "toolbox/numeric/array_convert_testing.h"

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
// One loop per (source, target) pair, chosen once, so the per-element work is a load, a
// conversion and a store. Elements go through memcpy: the caller's arrays need no alignment and
// may be the same array (in-place conversion).

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

template <typename S, typename T>
void ConvertLoop(const void *source, void *target, int n) {
    const unsigned char *s = static_cast<const unsigned char *>(source);
    unsigned char *t = static_cast<unsigned char *>(target);
    for (int i = 0; i < n; ++i) Write<T>(t + i * sizeof(T), Read<S>(s + i * sizeof(S)));
}

template <typename S>
void ConvertFrom(const void *source, void *target, int targetType, int n) {
    switch (targetType) {
    case DATA_TYPE_CHAR: ConvertLoop<S, int8_t>(source, target, n); break;
    case DATA_TYPE_INT: ConvertLoop<S, int32_t>(source, target, n); break;
    case DATA_TYPE_SHORT: ConvertLoop<S, int16_t>(source, target, n); break;
    case DATA_TYPE_FLOAT: ConvertLoop<S, float>(source, target, n); break;
    case DATA_TYPE_DOUBLE: ConvertLoop<S, double>(source, target, n); break;
    case DATA_TYPE_USHORT: ConvertLoop<S, uint16_t>(source, target, n); break;
    case DATA_TYPE_UINT: ConvertLoop<S, uint32_t>(source, target, n); break;
    case DATA_TYPE_UCHAR: ConvertLoop<S, uint8_t>(source, target, n); break;
    default: break;  // pointer or invalid target: nothing is written
    }
}

}  // namespace

extern "C" void ConvertArrayType(const void *source, int sourceType, void *target, int targetType,
                                 int numElements) {
    if (numElements <= 0) return;
    // A pointer or invalid source has no value to read; we then leave the target untouched
    // rather than invent values for it.
    switch (sourceType) {
    case DATA_TYPE_CHAR: ConvertFrom<int8_t>(source, target, targetType, numElements); break;
    case DATA_TYPE_INT: ConvertFrom<int32_t>(source, target, targetType, numElements); break;
    case DATA_TYPE_SHORT: ConvertFrom<int16_t>(source, target, targetType, numElements); break;
    case DATA_TYPE_FLOAT: ConvertFrom<float>(source, target, targetType, numElements); break;
    case DATA_TYPE_DOUBLE: ConvertFrom<double>(source, target, targetType, numElements); break;
    case DATA_TYPE_USHORT: ConvertFrom<uint16_t>(source, target, targetType, numElements); break;
    case DATA_TYPE_UINT: ConvertFrom<uint32_t>(source, target, targetType, numElements); break;
    case DATA_TYPE_UCHAR: ConvertFrom<uint8_t>(source, target, targetType, numElements); break;
    default: break;
    }
}

// ---- Transposition ----------------------------------------------------------------------------

namespace {

// Gathers each channel through a work buffer: channel c's samples k * n + c go, in order, to
// the next free slots; then the buffer replaces the array. Fixed sizes let the copy inline.
template <size_t S>
void GatherFixed(unsigned char *out, const unsigned char *in, int count, int n) {
    for (long c = 0; c < n && c < count; ++c)
        for (long i = c; i < count; i += n, out += S) std::memcpy(out, in + i * S, S);
}

void Gather(unsigned char *out, const unsigned char *in, size_t s, int count, int n) {
    switch (s) {
    case 1: GatherFixed<1>(out, in, count, n); return;
    case 2: GatherFixed<2>(out, in, count, n); return;
    case 4: GatherFixed<4>(out, in, count, n); return;
    case 8: GatherFixed<8>(out, in, count, n); return;
    default:
        for (long c = 0; c < n && c < count; ++c)
            for (long i = c; i < count; i += n, out += s) std::memcpy(out, in + i * s, s);
    }
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
    Gather(work, a, s, numElements, numChannels);
    std::memcpy(a, work, bytes);
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
