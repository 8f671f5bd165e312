// toolbox/numeric/array_convert_avx2.cpp - ConvertArrayType and TransposeData kernels on
// AVX2: the conversions of array_convert_sse2.cpp (whose comment gives the rules each step
// keeps) eight elements to a 256-bit register; a 4 x 4 tile of eight-byte elements and
// two-channel tiles of four- and eight-byte elements. The other tiles are SSE2's: tiles of
// eight channels gain nothing over four where channels are many, and lose where the blocks lie
// a power of two apart (eight output streams then fight over the same cache sets).
//
// This file alone is compiled with -mavx2 and runs only where the processor has AVX2. It must
// therefore define nothing that another file could share: no inline functions or templates
// outside an unnamed namespace, and none from the standard library, whose out-of-line copy the
// linker could pick for the whole program.
#if defined(__x86_64__)

#ifndef __AVX2__
#error "array_convert_avx2.cpp must be compiled with -mavx2"
#endif

#include <immintrin.h>

#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "toolbox/numeric/array_convert_internal.h"

namespace toolbox::numeric {

namespace {

// ---- Conversion ---------------------------------------------------------------------------

struct Float64x8 {
    __m256d a, b;
};

inline __m128i Load16(const unsigned char *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }
inline __m128i Load8(const unsigned char *p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)); }
inline __m256i Load32(const unsigned char *p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)); }
inline void Store32(unsigned char *p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), v); }

inline bool Truncated(__m256i v) {
    return _mm256_movemask_epi8(_mm256_cmpeq_epi32(v, _mm256_set1_epi32(INT32_MIN))) == 0;
}

template <typename S>
inline bool ToInt32(const unsigned char *p, __m256i &v) {
    if constexpr (std::is_same_v<S, int8_t>) {
        v = _mm256_cvtepi8_epi32(Load8(p));
    } else if constexpr (std::is_same_v<S, uint8_t>) {
        v = _mm256_cvtepu8_epi32(Load8(p));
    } else if constexpr (std::is_same_v<S, int16_t>) {
        v = _mm256_cvtepi16_epi32(Load16(p));
    } else if constexpr (std::is_same_v<S, uint16_t>) {
        v = _mm256_cvtepu16_epi32(Load16(p));
    } else if constexpr (std::is_same_v<S, int32_t> || std::is_same_v<S, uint32_t>) {
        v = Load32(p);
    } else if constexpr (std::is_same_v<S, float>) {
        v = _mm256_cvttps_epi32(_mm256_loadu_ps(reinterpret_cast<const float *>(p)));
        return Truncated(v);
    } else {
        const double *d = reinterpret_cast<const double *>(p);
        const __m128i lo = _mm256_cvttpd_epi32(_mm256_loadu_pd(d)), hi = _mm256_cvttpd_epi32(_mm256_loadu_pd(d + 4));
        v = _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
        return Truncated(v);
    }
    return true;
}

// Whether no lane is at or beyond the float's largest finite magnitude (NaN is not). Checked
// on the converted floats: a double beyond the float range converts to FLT_MAX or infinity.
inline bool BelowFloatMax(__m256 f) {
    const __m256 magnitude = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), f);
    return _mm256_movemask_ps(_mm256_cmp_ps(magnitude, _mm256_set1_ps(FLT_MAX), _CMP_GE_OQ)) == 0;
}

template <typename S>
inline bool ToFloat32(const unsigned char *p, __m256 &v) {
    if constexpr (std::is_same_v<S, float>) {
        v = _mm256_loadu_ps(reinterpret_cast<const float *>(p));
    } else if constexpr (std::is_same_v<S, double>) {
        const double *d = reinterpret_cast<const double *>(p);
        const __m256d a = _mm256_loadu_pd(d), b = _mm256_loadu_pd(d + 4);
        v = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(a)), _mm256_cvtpd_ps(b), 1);
        return BelowFloatMax(v);
    } else if constexpr (std::is_same_v<S, uint32_t>) {
        const __m256i x = Load32(p);
        const __m256 high = _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_srli_epi32(x, 16)), _mm256_set1_ps(65536.0f));
        v = _mm256_add_ps(high, _mm256_cvtepi32_ps(_mm256_and_si256(x, _mm256_set1_epi32(0xFFFF))));
    } else {
        __m256i x;
        ToInt32<S>(p, x);
        v = _mm256_cvtepi32_ps(x);
    }
    return true;
}

template <typename S>
inline void ToFloat64(const unsigned char *p, Float64x8 &v) {
    if constexpr (std::is_same_v<S, double>) {
        const double *d = reinterpret_cast<const double *>(p);
        v = {_mm256_loadu_pd(d), _mm256_loadu_pd(d + 4)};
    } else if constexpr (std::is_same_v<S, float>) {
        const __m256 f = _mm256_loadu_ps(reinterpret_cast<const float *>(p));
        v = {_mm256_cvtps_pd(_mm256_castps256_ps128(f)), _mm256_cvtps_pd(_mm256_extractf128_ps(f, 1))};
    } else if constexpr (std::is_same_v<S, uint32_t>) {
        const __m256i x = _mm256_xor_si256(Load32(p), _mm256_set1_epi32(INT32_MIN));  // 2^31 lower, signed
        const __m256d offset = _mm256_set1_pd(2147483648.0);
        v = {_mm256_add_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(x)), offset),
             _mm256_add_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(x, 1)), offset)};
    } else {
        __m256i x;
        ToInt32<S>(p, x);
        v = {_mm256_cvtepi32_pd(_mm256_castsi256_si128(x)), _mm256_cvtepi32_pd(_mm256_extracti128_si256(x, 1))};
    }
}

template <typename T>
inline void StoreInt(unsigned char *p, __m256i v) {
    if constexpr (sizeof(T) == 4) {
        Store32(p, v);
    } else if constexpr (sizeof(T) == 2) {
        const __m256i low = _mm256_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1,
                                             0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_shuffle_epi8(v, low), _MM_SHUFFLE(3, 1, 2, 0));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm256_castsi256_si128(packed));
    } else {
        const __m256i low = _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                             0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
        const __m256i packed = _mm256_shuffle_epi8(v, low);
        const __m128i bytes = _mm_unpacklo_epi32(_mm256_castsi256_si128(packed), _mm256_extracti128_si256(packed, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p), bytes);
    }
}

// Eight elements in the form the target needs: int32 lanes, floats or doubles.
template <typename T>
struct Form {
    __m256i v;
};
template <>
struct Form<float> {
    __m256 v;
};
template <>
struct Form<double> {
    Float64x8 v;
};

// False when the plain kernel must take the eight elements.
template <typename S, typename T>
inline bool LoadStep(const unsigned char *p, Form<T> &f) {
    if constexpr (std::is_same_v<T, float>) {
        return ToFloat32<S>(p, f.v);
    } else if constexpr (std::is_same_v<T, double>) {
        ToFloat64<S>(p, f.v);
        return true;
    } else {
        return ToInt32<S>(p, f.v);
    }
}

template <typename T>
inline void StoreStep(unsigned char *p, const Form<T> &f) {
    if constexpr (std::is_same_v<T, float>) {
        _mm256_storeu_ps(reinterpret_cast<float *>(p), f.v);
    } else if constexpr (std::is_same_v<T, double>) {
        _mm256_storeu_pd(reinterpret_cast<double *>(p), f.v.a);
        _mm256_storeu_pd(reinterpret_cast<double *>(p) + 4, f.v.b);
    } else {
        StoreInt<T>(p, f.v);
    }
}

// 8-bit to 16-bit integers and back, sixteen a step.
template <typename S, typename T>
size_t BytesAndShorts(const unsigned char *s, unsigned char *t, size_t n) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16, s += 16 * sizeof(S), t += 16 * sizeof(T)) {
        if constexpr (sizeof(S) == 1) {
            if constexpr (std::is_signed_v<S>)
                Store32(t, _mm256_cvtepi8_epi16(Load16(s)));
            else
                Store32(t, _mm256_cvtepu8_epi16(Load16(s)));
        } else {
            const __m256i x = _mm256_and_si256(Load32(s), _mm256_set1_epi16(0xFF));
            const __m128i bytes = _mm_packus_epi16(_mm256_castsi256_si128(x), _mm256_extracti128_si256(x, 1));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(t), bytes);
        }
    }
    return i;
}

// Copies whole 128-byte chunks, each loaded before it is stored; returns the bytes copied.
size_t CopyChunks(const unsigned char *s, unsigned char *t, size_t bytes) {
    size_t i = 0;
    for (; i + 128 <= bytes; i += 128) {
        const __m256i a = Load32(s + i), b = Load32(s + i + 32), c = Load32(s + i + 64), d = Load32(s + i + 96);
        Store32(t + i, a);
        Store32(t + i + 32, b);
        Store32(t + i + 64, c);
        Store32(t + i + 96, d);
    }
    return i;
}

template <typename S, typename T>
struct Convert {
    static size_t Run(const unsigned char *s, unsigned char *t, size_t n) {
        if constexpr (kKeepsBits<S, T>) {
            return CopyChunks(s, t, n * sizeof(S)) / sizeof(S);
        } else if constexpr (kBytesAndShorts<S, T>) {
            return BytesAndShorts<S, T>(s, t, n);
        } else {
            return ConvertSteps<S, T, Form<T>, LoadStep<S, T>, StoreStep<T>>(s, t, n);
        }
    }
};

// ---- Tiles --------------------------------------------------------------------------------

// 4 x 4 eight-byte elements.
inline void Tile4x4QuadsOne(const unsigned char *in, size_t stride, unsigned char *const *out) {
    const __m256i r0 = Load32(in), r1 = Load32(in + stride), r2 = Load32(in + 2 * stride),
                  r3 = Load32(in + 3 * stride);
    const __m256i t0 = _mm256_unpacklo_epi64(r0, r1), t1 = _mm256_unpackhi_epi64(r0, r1);  // 0 | 2, 1 | 3
    const __m256i t2 = _mm256_unpacklo_epi64(r2, r3), t3 = _mm256_unpackhi_epi64(r2, r3);
    Store32(out[0], _mm256_permute2x128_si256(t0, t2, 0x20));
    Store32(out[1], _mm256_permute2x128_si256(t1, t3, 0x20));
    Store32(out[2], _mm256_permute2x128_si256(t0, t2, 0x31));
    Store32(out[3], _mm256_permute2x128_si256(t1, t3, 0x31));
}

// Two channels, dense: 16 samples of four-byte elements. The in-half shuffle leaves the
// samples in the order 0 1 4 5 | 2 3 6 7 (pairs), which one 64-bit permutation puts right.
inline void Split16WordsOne(const unsigned char *in, size_t, unsigned char *const *out) {
    for (int h = 0; h < 2; ++h) {
        const __m256 x0 = _mm256_castsi256_ps(Load32(in + 64 * h)),
                     x1 = _mm256_castsi256_ps(Load32(in + 64 * h + 32));
        const __m256i even = _mm256_castps_si256(_mm256_shuffle_ps(x0, x1, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m256i odd = _mm256_castps_si256(_mm256_shuffle_ps(x0, x1, _MM_SHUFFLE(3, 1, 3, 1)));
        Store32(out[0] + 32 * h, _mm256_permute4x64_epi64(even, _MM_SHUFFLE(3, 1, 2, 0)));
        Store32(out[1] + 32 * h, _mm256_permute4x64_epi64(odd, _MM_SHUFFLE(3, 1, 2, 0)));
    }
}

// Two channels, dense: 8 samples of eight-byte elements.
inline void Split8QuadsOne(const unsigned char *in, size_t, unsigned char *const *out) {
    for (int h = 0; h < 2; ++h) {
        const __m256i x0 = Load32(in + 64 * h), x1 = Load32(in + 64 * h + 32);
        Store32(out[0] + 32 * h, _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(x0, x1), _MM_SHUFFLE(3, 1, 2, 0)));
        Store32(out[1] + 32 * h, _mm256_permute4x64_epi64(_mm256_unpackhi_epi64(x0, x1), _MM_SHUFFLE(3, 1, 2, 0)));
    }
}

constexpr Tile kTiles4[] = {MakeTile<Split16WordsOne, 16, 2, 4, true>(), kEndOfTiles};
constexpr Tile kTiles8[] = {MakeTile<Tile4x4QuadsOne, 4, 4, 8>(), MakeTile<Split8QuadsOne, 8, 2, 8, true>(),
                            kEndOfTiles};

}  // namespace

ConvertKernel Avx2ConvertKernel(int sourceType, int targetType) { return KernelFor<Convert>(sourceType, targetType); }

const Tile *Avx2Tiles(size_t elementSize) {
    switch (elementSize) {
    case 4: return kTiles4;
    case 8: return kTiles8;
    default: return nullptr;
    }
}

}  // namespace toolbox::numeric

#endif
