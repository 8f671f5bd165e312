// toolbox/numeric/array_convert_internal.h - the kernels behind ConvertArrayType and
// TransposeData, one set per instruction set (C++).
//
// array_convert.cpp holds the plain kernels and chooses among them and the vector ones of
// array_convert_sse2.cpp and array_convert_avx2.cpp (x86-64 only; the AVX2 ones may run only
// where the processor has AVX2). Every kernel gives the bytes the plain one gives.
#ifndef TOOLBOX_NUMERIC_ARRAY_CONVERT_INTERNAL_H
#define TOOLBOX_NUMERIC_ARRAY_CONVERT_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "toolbox/numeric/array_convert.h"

namespace toolbox::numeric {

// ---- Conversion kernels -------------------------------------------------------------------
//
// A conversion kernel converts elements from the start of source into target and returns how
// many it converted. A plain kernel converts all n. A vector kernel works in steps of a few
// elements, each step loaded whole before any of it is stored, and stops before a last partial
// step or at the first step holding a value it leaves to the plain kernel: a double or float
// whose integer part does not fit 32 bits (or is NaN or infinite) bound for an integer type, a
// double beyond the float range bound for float. A kernel reads and writes nothing beyond the
// elements it converts, and is correct in place (target == source) when the target element is
// not larger than the source element.
using ConvertKernel = size_t (*)(const unsigned char *source, unsigned char *target, size_t n);

ConvertKernel Sse2ConvertKernel(int sourceType, int targetType);  // null for codes without a value
ConvertKernel Avx2ConvertKernel(int sourceType, int targetType);

// The kernel K<S, T>::Run for a pair of type codes, or null when either code is the pointer
// type or invalid. In an unnamed namespace so that each instruction set's file has its own
// copy: a copy shared through the linker could run AVX2 code on a processor without it.
namespace {

template <template <typename, typename> class K, typename S>
ConvertKernel KernelTo(int targetType) {
    switch (targetType) {
    case DATA_TYPE_CHAR: return K<S, int8_t>::Run;
    case DATA_TYPE_INT: return K<S, int32_t>::Run;
    case DATA_TYPE_SHORT: return K<S, int16_t>::Run;
    case DATA_TYPE_FLOAT: return K<S, float>::Run;
    case DATA_TYPE_DOUBLE: return K<S, double>::Run;
    case DATA_TYPE_USHORT: return K<S, uint16_t>::Run;
    case DATA_TYPE_UINT: return K<S, uint32_t>::Run;
    case DATA_TYPE_UCHAR: return K<S, uint8_t>::Run;
    default: return nullptr;
    }
}

template <template <typename, typename> class K>
ConvertKernel KernelFor(int sourceType, int targetType) {
    switch (sourceType) {
    case DATA_TYPE_CHAR: return KernelTo<K, int8_t>(targetType);
    case DATA_TYPE_INT: return KernelTo<K, int32_t>(targetType);
    case DATA_TYPE_SHORT: return KernelTo<K, int16_t>(targetType);
    case DATA_TYPE_FLOAT: return KernelTo<K, float>(targetType);
    case DATA_TYPE_DOUBLE: return KernelTo<K, double>(targetType);
    case DATA_TYPE_USHORT: return KernelTo<K, uint16_t>(targetType);
    case DATA_TYPE_UINT: return KernelTo<K, uint32_t>(targetType);
    case DATA_TYPE_UCHAR: return KernelTo<K, uint8_t>(targetType);
    default: return nullptr;
    }
}

// Pairs whose conversion keeps every bit: a type to itself, and integers to integers of the
// same size (the low bits of the two's-complement value are the bits themselves).
template <typename S, typename T>
constexpr bool kKeepsBits =
    std::is_same_v<S, T> || (std::is_integral_v<S> && std::is_integral_v<T> && sizeof(S) == sizeof(T));

// 8-bit to 16-bit integers and back, which a kernel converts directly rather than through 32.
template <typename S, typename T>
constexpr bool kBytesAndShorts = std::is_integral_v<S> && std::is_integral_v<T> && sizeof(S) + sizeof(T) == 3;

// The loop of a conversion kernel that works in steps of eight elements: Load fills a Step from
// eight source elements and says whether the vector path may convert them, Store writes it.
// Two steps an iteration, both loaded before either is stored.
template <typename S, typename T, typename Step, bool (*Load)(const unsigned char *, Step &),
          void (*Store)(unsigned char *, const Step &)>
size_t ConvertSteps(const unsigned char *s, unsigned char *t, size_t n) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16, s += 16 * sizeof(S), t += 16 * sizeof(T)) {
        Step a, b;
        const bool first = Load(s, a), second = Load(s + 8 * sizeof(S), b);
        if (!(first && second)) break;
        Store(t, a);
        Store(t + 8 * sizeof(T), b);
    }
    return i;
}

}  // namespace

// ---- Tile transposition -------------------------------------------------------------------
//
// A tile kernel moves `tiles` tiles, one below the other, of `rows` samples of `cols` channels
// each, from the interleaved array to the channel blocks: sample k of channel j, at
// in + k * inStride + j * size, goes to out[j] + k * size, for k below tiles * rows. A dense
// tile takes whole samples (inStride == cols * size), so it serves only arrays of exactly
// `cols` channels.
using TileKernel = void (*)(const unsigned char *in, size_t inStride, unsigned char *const *out, size_t tiles);

struct Tile {
    size_t rows;
    size_t cols;
    bool dense;
    TileKernel kernel;  // null ends a list of tiles
};

constexpr size_t kMaxTileCols = 8;

namespace {  // one copy per instruction set's file, as KernelFor above

// The Tile of a function that moves one tile: its kernel runs the function down the tiles.
template <void (*One)(const unsigned char *in, size_t inStride, unsigned char *const *out), size_t Rows,
          size_t Cols, size_t Size, bool Dense = false>
constexpr Tile MakeTile() {
    static_assert(Cols <= kMaxTileCols);
    return {Rows, Cols, Dense, [](const unsigned char *in, size_t inStride, unsigned char *const *out, size_t tiles) {
                unsigned char *o[Cols];
                for (size_t j = 0; j < Cols; ++j) o[j] = out[j];
                for (size_t t = 0; t < tiles; ++t, in += Rows * inStride) {
                    One(in, inStride, o);
                    for (size_t j = 0; j < Cols; ++j) o[j] += Rows * Size;
                }
            }};
}

constexpr Tile kEndOfTiles = {0, 0, false, nullptr};

}  // namespace

// The tiles of an instruction set for an element size, widest first, ended by a null kernel;
// null when there are none for the size.
const Tile *Sse2Tiles(size_t elementSize);
const Tile *Avx2Tiles(size_t elementSize);

}  // namespace toolbox::numeric

#endif
