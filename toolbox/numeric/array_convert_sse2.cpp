// toolbox/numeric/array_convert_sse2.cpp - ConvertArrayType and TransposeData kernels on SSE2,
// the x86-64 baseline.
//
// Conversion goes eight elements a step through one of three forms: int32 lanes, floats or
// doubles, whichever the target needs. The int32 lanes hold the low 32 bits of each value's
// integer part, which is all an integer target keeps (the plain path's rule: truncate toward
// zero, keep the low bits). Integers widen into them exactly; floats and doubles truncate into
// them with cvtt, which gives 0x80000000 for anything beyond the int32 range, NaN and the
// infinities: a step with that value in a lane is left to the plain kernel (a true -2^31 goes
// there too, harmlessly). Narrowing keeps the low bits: the packs saturate, so lanes are first
// sign-extended from 16 bits or masked to 8. Floats come from int32 lanes with one rounding,
// as through a double (an int32 is exact in a double); an unsigned 32-bit value is split into
// 16-bit halves whose float sum rounds once. Doubles are exact from every integer and float.
// A double beyond the float range is left to the plain kernel, which rounds it to FLT_MAX or
// infinity as IEEE arithmetic does; within the range cvtpd2ps rounds as a cast does.
#if defined(__x86_64__)

#include <emmintrin.h>

#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "toolbox/numeric/array_convert_internal.h"

namespace toolbox::numeric {

namespace {

// ---- Conversion ---------------------------------------------------------------------------

struct Int32x8 {
    __m128i a, b;
};
struct Float32x8 {
    __m128 a, b;
};
struct Float64x8 {
    __m128d a, b, c, d;
};

inline __m128i Load(const unsigned char *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }
inline void Store(unsigned char *p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v); }

// Whether no lane holds cvtt's out-of-range answer 0x80000000.
inline bool Truncated(const Int32x8 &v) {
    const __m128i bad = _mm_set1_epi32(INT32_MIN);
    const __m128i hit = _mm_or_si128(_mm_cmpeq_epi32(v.a, bad), _mm_cmpeq_epi32(v.b, bad));
    return _mm_movemask_epi8(hit) == 0;
}

// Eight 16-bit lanes sign-extended into two sets of int32 lanes.
inline Int32x8 Widen16(__m128i x) {
    return {_mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16), _mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16)};
}

template <typename S>
inline bool ToInt32(const unsigned char *p, Int32x8 &v) {
    if constexpr (std::is_same_v<S, int8_t>) {
        const __m128i x = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
        v = Widen16(_mm_srai_epi16(_mm_unpacklo_epi8(x, x), 8));
    } else if constexpr (std::is_same_v<S, uint8_t>) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i x = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), zero);
        v = {_mm_unpacklo_epi16(x, zero), _mm_unpackhi_epi16(x, zero)};
    } else if constexpr (std::is_same_v<S, int16_t>) {
        v = Widen16(Load(p));
    } else if constexpr (std::is_same_v<S, uint16_t>) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i x = Load(p);
        v = {_mm_unpacklo_epi16(x, zero), _mm_unpackhi_epi16(x, zero)};
    } else if constexpr (std::is_same_v<S, int32_t> || std::is_same_v<S, uint32_t>) {
        v = {Load(p), Load(p + 16)};
    } else if constexpr (std::is_same_v<S, float>) {
        const float *f = reinterpret_cast<const float *>(p);
        v = {_mm_cvttps_epi32(_mm_loadu_ps(f)), _mm_cvttps_epi32(_mm_loadu_ps(f + 4))};
        return Truncated(v);
    } else {
        const double *d = reinterpret_cast<const double *>(p);
        const __m128i a =
            _mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_loadu_pd(d)), _mm_cvttpd_epi32(_mm_loadu_pd(d + 2)));
        const __m128i b =
            _mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_loadu_pd(d + 4)), _mm_cvttpd_epi32(_mm_loadu_pd(d + 6)));
        v = {a, b};
        return Truncated(v);
    }
    return true;
}

// Unsigned 32-bit lanes to float, rounded once: the high half times 65536 and the low half
// are both exact floats, so only their sum rounds.
inline __m128 UnsignedToFloat(__m128i x) {
    const __m128 high = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(x, 16)), _mm_set1_ps(65536.0f));
    return _mm_add_ps(high, _mm_cvtepi32_ps(_mm_and_si128(x, _mm_set1_epi32(0xFFFF))));
}

// Whether no lane is at or beyond the float's largest finite magnitude (NaN is not). Checked
// on the converted floats: a double beyond the float range converts to FLT_MAX or infinity.
inline bool BelowFloatMax(__m128 a, __m128 b) {
    const __m128 sign = _mm_set1_ps(-0.0f), limit = _mm_set1_ps(FLT_MAX);
    const __m128 highA = _mm_cmpge_ps(_mm_andnot_ps(sign, a), limit);
    const __m128 highB = _mm_cmpge_ps(_mm_andnot_ps(sign, b), limit);
    return _mm_movemask_ps(_mm_or_ps(highA, highB)) == 0;
}

template <typename S>
inline bool ToFloat32(const unsigned char *p, Float32x8 &v) {
    if constexpr (std::is_same_v<S, float>) {
        const float *f = reinterpret_cast<const float *>(p);
        v = {_mm_loadu_ps(f), _mm_loadu_ps(f + 4)};
    } else if constexpr (std::is_same_v<S, double>) {
        const double *d = reinterpret_cast<const double *>(p);
        const __m128d d0 = _mm_loadu_pd(d), d1 = _mm_loadu_pd(d + 2), d2 = _mm_loadu_pd(d + 4),
                      d3 = _mm_loadu_pd(d + 6);
        v = {_mm_movelh_ps(_mm_cvtpd_ps(d0), _mm_cvtpd_ps(d1)), _mm_movelh_ps(_mm_cvtpd_ps(d2), _mm_cvtpd_ps(d3))};
        return BelowFloatMax(v.a, v.b);
    } else if constexpr (std::is_same_v<S, uint32_t>) {
        v = {UnsignedToFloat(Load(p)), UnsignedToFloat(Load(p + 16))};
    } else {
        Int32x8 x;
        ToInt32<S>(p, x);  // exact for the integer types below 32 bits and int32
        v = {_mm_cvtepi32_ps(x.a), _mm_cvtepi32_ps(x.b)};
    }
    return true;
}

// Four int32 lanes to doubles, exactly.
inline void Int32ToFloat64(__m128i x, __m128d &lo, __m128d &hi) {
    lo = _mm_cvtepi32_pd(x);
    hi = _mm_cvtepi32_pd(_mm_srli_si128(x, 8));
}

// Four unsigned 32-bit lanes to doubles, exactly: flipping the top bit makes them signed
// values 2^31 lower.
inline void UnsignedToFloat64(__m128i x, __m128d &lo, __m128d &hi) {
    Int32ToFloat64(_mm_xor_si128(x, _mm_set1_epi32(INT32_MIN)), lo, hi);
    const __m128d offset = _mm_set1_pd(2147483648.0);
    lo = _mm_add_pd(lo, offset);
    hi = _mm_add_pd(hi, offset);
}

template <typename S>
inline void ToFloat64(const unsigned char *p, Float64x8 &v) {
    if constexpr (std::is_same_v<S, double>) {
        const double *d = reinterpret_cast<const double *>(p);
        v = {_mm_loadu_pd(d), _mm_loadu_pd(d + 2), _mm_loadu_pd(d + 4), _mm_loadu_pd(d + 6)};
    } else if constexpr (std::is_same_v<S, float>) {
        const float *f = reinterpret_cast<const float *>(p);
        const __m128 lo = _mm_loadu_ps(f), hi = _mm_loadu_ps(f + 4);
        v = {_mm_cvtps_pd(lo), _mm_cvtps_pd(_mm_movehl_ps(lo, lo)), _mm_cvtps_pd(hi),
             _mm_cvtps_pd(_mm_movehl_ps(hi, hi))};
    } else if constexpr (std::is_same_v<S, uint32_t>) {
        const __m128i lo = Load(p), hi = Load(p + 16);  // both loaded before any store
        UnsignedToFloat64(lo, v.a, v.b);
        UnsignedToFloat64(hi, v.c, v.d);
    } else {
        Int32x8 x;
        ToInt32<S>(p, x);
        Int32ToFloat64(x.a, v.a, v.b);
        Int32ToFloat64(x.b, v.c, v.d);
    }
}

// The low 8, 16 or 32 bits of each int32 lane.
template <typename T>
inline void StoreInt(unsigned char *p, const Int32x8 &v) {
    if constexpr (sizeof(T) == 4) {
        Store(p, v.a);
        Store(p + 16, v.b);
    } else if constexpr (sizeof(T) == 2) {
        const __m128i a = _mm_srai_epi32(_mm_slli_epi32(v.a, 16), 16),
                      b = _mm_srai_epi32(_mm_slli_epi32(v.b, 16), 16);
        Store(p, _mm_packs_epi32(a, b));
    } else {
        const __m128i byte = _mm_set1_epi32(0xFF);
        const __m128i words = _mm_packs_epi32(_mm_and_si128(v.a, byte), _mm_and_si128(v.b, byte));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(words, words));
    }
}

// Eight elements in the form the target needs; false when the plain kernel must take them.
template <typename T>
using Form = std::conditional_t<std::is_same_v<T, float>, Float32x8,
                                std::conditional_t<std::is_same_v<T, double>, Float64x8, Int32x8>>;

template <typename S, typename T>
inline bool LoadStep(const unsigned char *p, Form<T> &v) {
    if constexpr (std::is_same_v<T, float>) {
        return ToFloat32<S>(p, v);
    } else if constexpr (std::is_same_v<T, double>) {
        ToFloat64<S>(p, v);
        return true;
    } else {
        return ToInt32<S>(p, v);
    }
}

template <typename T>
inline void StoreStep(unsigned char *p, const Form<T> &v) {
    if constexpr (std::is_same_v<T, float>) {
        _mm_storeu_ps(reinterpret_cast<float *>(p), v.a);
        _mm_storeu_ps(reinterpret_cast<float *>(p) + 4, v.b);
    } else if constexpr (std::is_same_v<T, double>) {
        double *d = reinterpret_cast<double *>(p);
        _mm_storeu_pd(d, v.a);
        _mm_storeu_pd(d + 2, v.b);
        _mm_storeu_pd(d + 4, v.c);
        _mm_storeu_pd(d + 6, v.d);
    } else {
        StoreInt<T>(p, v);
    }
}

// 8-bit to 16-bit integers and back, sixteen a step.
template <typename S, typename T>
size_t BytesAndShorts(const unsigned char *s, unsigned char *t, size_t n) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16, s += 16 * sizeof(S), t += 16 * sizeof(T)) {
        if constexpr (sizeof(S) == 1) {
            const __m128i x = Load(s);
            if constexpr (std::is_signed_v<S>) {
                Store(t, _mm_srai_epi16(_mm_unpacklo_epi8(x, x), 8));
                Store(t + 16, _mm_srai_epi16(_mm_unpackhi_epi8(x, x), 8));
            } else {
                Store(t, _mm_unpacklo_epi8(x, _mm_setzero_si128()));
                Store(t + 16, _mm_unpackhi_epi8(x, _mm_setzero_si128()));
            }
        } else {
            const __m128i low = _mm_set1_epi16(0xFF);
            Store(t, _mm_packus_epi16(_mm_and_si128(Load(s), low), _mm_and_si128(Load(s + 16), low)));
        }
    }
    return i;
}

// Copies whole 64-byte chunks, each loaded before it is stored; returns the bytes copied.
size_t CopyChunks(const unsigned char *s, unsigned char *t, size_t bytes) {
    size_t i = 0;
    for (; i + 64 <= bytes; i += 64) {
        const __m128i a = Load(s + i), b = Load(s + i + 16), c = Load(s + i + 32), d = Load(s + i + 48);
        Store(t + i, a);
        Store(t + i + 16, b);
        Store(t + i + 32, c);
        Store(t + i + 48, d);
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
//
// Square tiles are transposed in registers by unpacking pairs of rows at doubling widths;
// two-channel tiles split even elements from odd ones.

inline __m128i LoadRow8(const unsigned char *p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)); }
inline void StoreLow8(unsigned char *p, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i *>(p), v); }
inline void StoreHigh8(unsigned char *p, __m128i v) { StoreLow8(p, _mm_srli_si128(v, 8)); }

// 8 x 8 one-byte elements.
inline void Tile8x8BytesOne(const unsigned char *in, size_t stride, unsigned char *const *out) {
    __m128i r[8];
    for (int k = 0; k < 8; ++k) r[k] = LoadRow8(in + k * stride);
    const __m128i a0 = _mm_unpacklo_epi8(r[0], r[1]), a1 = _mm_unpacklo_epi8(r[2], r[3]);
    const __m128i a2 = _mm_unpacklo_epi8(r[4], r[5]), a3 = _mm_unpacklo_epi8(r[6], r[7]);
    const __m128i b0 = _mm_unpacklo_epi16(a0, a1), b1 = _mm_unpackhi_epi16(a0, a1);  // rows 0-3
    const __m128i b2 = _mm_unpacklo_epi16(a2, a3), b3 = _mm_unpackhi_epi16(a2, a3);  // rows 4-7
    const __m128i c[4] = {_mm_unpacklo_epi32(b0, b2), _mm_unpackhi_epi32(b0, b2), _mm_unpacklo_epi32(b1, b3),
                          _mm_unpackhi_epi32(b1, b3)};  // two channels each
    for (int j = 0; j < 4; ++j) {
        StoreLow8(out[2 * j], c[j]);
        StoreHigh8(out[2 * j + 1], c[j]);
    }
}

// 8 x 8 two-byte elements.
inline void Tile8x8ShortsOne(const unsigned char *in, size_t stride, unsigned char *const *out) {
    __m128i r[8];
    for (int k = 0; k < 8; ++k) r[k] = Load(in + k * stride);
    __m128i a[8], b[8];
    for (int k = 0; k < 4; ++k) {
        a[2 * k] = _mm_unpacklo_epi16(r[2 * k], r[2 * k + 1]);      // channels 0-3 of rows 2k, 2k+1
        a[2 * k + 1] = _mm_unpackhi_epi16(r[2 * k], r[2 * k + 1]);  // channels 4-7
    }
    for (int h = 0; h < 2; ++h) {  // rows 0-3, rows 4-7
        const __m128i *x = a + 4 * h;
        b[4 * h + 0] = _mm_unpacklo_epi32(x[0], x[2]);  // channels 0, 1
        b[4 * h + 1] = _mm_unpackhi_epi32(x[0], x[2]);  // channels 2, 3
        b[4 * h + 2] = _mm_unpacklo_epi32(x[1], x[3]);  // channels 4, 5
        b[4 * h + 3] = _mm_unpackhi_epi32(x[1], x[3]);  // channels 6, 7
    }
    for (int j = 0; j < 4; ++j) {
        Store(out[2 * j], _mm_unpacklo_epi64(b[j], b[4 + j]));
        Store(out[2 * j + 1], _mm_unpackhi_epi64(b[j], b[4 + j]));
    }
}

// 4 x 4 four-byte elements.
inline void Tile4x4WordsOne(const unsigned char *in, size_t stride, unsigned char *const *out) {
    const __m128i r0 = Load(in), r1 = Load(in + stride), r2 = Load(in + 2 * stride), r3 = Load(in + 3 * stride);
    const __m128i t0 = _mm_unpacklo_epi32(r0, r1), t1 = _mm_unpacklo_epi32(r2, r3);
    const __m128i t2 = _mm_unpackhi_epi32(r0, r1), t3 = _mm_unpackhi_epi32(r2, r3);
    Store(out[0], _mm_unpacklo_epi64(t0, t1));
    Store(out[1], _mm_unpackhi_epi64(t0, t1));
    Store(out[2], _mm_unpacklo_epi64(t2, t3));
    Store(out[3], _mm_unpackhi_epi64(t2, t3));
}

// 4 x 4 eight-byte elements, as 2 x 2 blocks of 2 x 2.
inline void Tile4x4QuadsOne(const unsigned char *in, size_t stride, unsigned char *const *out) {
    for (int half = 0; half < 2; ++half) {  // channels 0-1, then 2-3
        __m128i r[4];
        for (int k = 0; k < 4; ++k) r[k] = Load(in + k * stride + 16 * half);
        for (int j = 0; j < 2; ++j) {
            unsigned char *o = out[2 * half + j];
            Store(o, j == 0 ? _mm_unpacklo_epi64(r[0], r[1]) : _mm_unpackhi_epi64(r[0], r[1]));
            Store(o + 16, j == 0 ? _mm_unpacklo_epi64(r[2], r[3]) : _mm_unpackhi_epi64(r[2], r[3]));
        }
    }
}

// Two channels, dense: 16 samples of one-byte elements.
inline void Split16BytesOne(const unsigned char *in, size_t, unsigned char *const *out) {
    const __m128i x0 = Load(in), x1 = Load(in + 16), low = _mm_set1_epi16(0xFF);
    Store(out[0], _mm_packus_epi16(_mm_and_si128(x0, low), _mm_and_si128(x1, low)));
    Store(out[1], _mm_packus_epi16(_mm_srli_epi16(x0, 8), _mm_srli_epi16(x1, 8)));
}

// Two channels, dense: 8 samples of two-byte elements (sign-extended so the pack is exact).
inline void Split8ShortsOne(const unsigned char *in, size_t, unsigned char *const *out) {
    const __m128i x0 = Load(in), x1 = Load(in + 16);
    const __m128i e0 = _mm_srai_epi32(_mm_slli_epi32(x0, 16), 16), e1 = _mm_srai_epi32(_mm_slli_epi32(x1, 16), 16);
    Store(out[0], _mm_packs_epi32(e0, e1));
    Store(out[1], _mm_packs_epi32(_mm_srai_epi32(x0, 16), _mm_srai_epi32(x1, 16)));
}

// Two channels, dense: 8 samples of four-byte elements.
inline void Split8WordsOne(const unsigned char *in, size_t, unsigned char *const *out) {
    for (int h = 0; h < 2; ++h) {
        const __m128 x0 = _mm_castsi128_ps(Load(in + 32 * h)), x1 = _mm_castsi128_ps(Load(in + 32 * h + 16));
        Store(out[0] + 16 * h, _mm_castps_si128(_mm_shuffle_ps(x0, x1, _MM_SHUFFLE(2, 0, 2, 0))));
        Store(out[1] + 16 * h, _mm_castps_si128(_mm_shuffle_ps(x0, x1, _MM_SHUFFLE(3, 1, 3, 1))));
    }
}

// Two channels, dense: 4 samples of eight-byte elements.
inline void Split4QuadsOne(const unsigned char *in, size_t, unsigned char *const *out) {
    const __m128i x0 = Load(in), x1 = Load(in + 16), x2 = Load(in + 32), x3 = Load(in + 48);
    Store(out[0], _mm_unpacklo_epi64(x0, x1));
    Store(out[0] + 16, _mm_unpacklo_epi64(x2, x3));
    Store(out[1], _mm_unpackhi_epi64(x0, x1));
    Store(out[1] + 16, _mm_unpackhi_epi64(x2, x3));
}

constexpr Tile kTiles1[] = {MakeTile<Tile8x8BytesOne, 8, 8, 1>(), MakeTile<Split16BytesOne, 16, 2, 1, true>(),
                            kEndOfTiles};
constexpr Tile kTiles2[] = {MakeTile<Tile8x8ShortsOne, 8, 8, 2>(), MakeTile<Split8ShortsOne, 8, 2, 2, true>(),
                            kEndOfTiles};
constexpr Tile kTiles4[] = {MakeTile<Tile4x4WordsOne, 4, 4, 4>(), MakeTile<Split8WordsOne, 8, 2, 4, true>(),
                            kEndOfTiles};
constexpr Tile kTiles8[] = {MakeTile<Tile4x4QuadsOne, 4, 4, 8>(), MakeTile<Split4QuadsOne, 4, 2, 8, true>(),
                            kEndOfTiles};

}  // namespace

ConvertKernel Sse2ConvertKernel(int sourceType, int targetType) { return KernelFor<Convert>(sourceType, targetType); }

const Tile *Sse2Tiles(size_t elementSize) {
    switch (elementSize) {
    case 1: return kTiles1;
    case 2: return kTiles2;
    case 4: return kTiles4;
    case 8: return kTiles8;
    default: return nullptr;
    }
}

}  // namespace toolbox::numeric

#endif
