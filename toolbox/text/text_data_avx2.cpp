// toolbox/text/text_data_avx2.cpp - the six-bit text codec's group kernels on AVX2: eight
// groups per 32-byte register, each in a 32-bit lane, worked as in text_data_sse2.cpp (whose
// comment explains the lane arithmetic); byte shuffles place the groups in their lanes and pack
// the decoded bytes.
//
// This file alone is compiled with -mavx2 and runs only where the processor has AVX2. It must
// therefore define nothing that another file could share: no inline functions or templates
// outside the unnamed namespace, and none from the standard library, whose out-of-line copy
// the linker could pick for the whole program.
#if defined(__x86_64__)

#ifndef __AVX2__
#error "text_data_avx2.cpp must be compiled with -mavx2"
#endif

#include <immintrin.h>

#include <cstddef>

#include "toolbox/text/text_data_internal.h"

namespace toolbox::text {

namespace {

inline __m256i EncodeLanes(__m256i x) {
    const __m256i low = _mm256_and_si256(_mm256_slli_epi32(x, 8), _mm256_set1_epi32(0x3F3F3F00));
    const __m256i top = _mm256_and_si256(x, _mm256_set1_epi32(0x00C0C0C0));
    __m256i header = _mm256_or_si256(_mm256_srli_epi32(top, 2), _mm256_srli_epi32(top, 12));
    header = _mm256_and_si256(_mm256_or_si256(header, _mm256_srli_epi32(top, 22)), _mm256_set1_epi32(0xFF));
    return _mm256_add_epi8(_mm256_or_si256(low, header), _mm256_set1_epi8(48));
}

inline __m256i DecodeLanes(__m256i chars) {
    const __m256i s = _mm256_sub_epi8(chars, _mm256_set1_epi8(48));
    __m256i r = _mm256_srli_epi32(s, 8);
    r = _mm256_or_si256(r, _mm256_slli_epi32(_mm256_and_si256(s, _mm256_set1_epi32(0x30)), 2));
    r = _mm256_or_si256(r, _mm256_slli_epi32(_mm256_and_si256(s, _mm256_set1_epi32(0x0C)), 12));
    return _mm256_or_si256(r, _mm256_slli_epi32(_mm256_and_si256(s, _mm256_set1_epi32(0x03)), 22));
}

}  // namespace

size_t EncodeGroupsAvx2(const unsigned char *in, char *out, size_t groups) {
    // Each 128-bit half takes four groups (12 bytes) and spreads them over its lanes.
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,
                                            0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    size_t left = groups;
    // Eight groups per step; the second 16-byte load reads up to byte 28, inside the input
    // while ten groups (30 bytes) remain.
    for (; left >= 10; left -= 8, in += 24, out += 32) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 12));
        const __m256i v = _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out), EncodeLanes(_mm256_shuffle_epi8(v, spread)));
    }
    return groups - left;
}

size_t DecodeGroupsAvx2(const char *in, unsigned char *out, size_t groups) {
    // Per 128-bit half, the three data bytes of each lane to bytes 0 to 11; then the halves'
    // twelve bytes side by side.
    const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,
                                          0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    size_t left = groups;
    // Eight groups per step; the 32-byte store runs 8 bytes past their 24, which stays inside
    // the output while eleven groups (33 bytes) remain.
    for (; left >= 11; left -= 8, in += 32, out += 24) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(in));
        const __m256i r = _mm256_shuffle_epi8(DecodeLanes(v), pack);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out), _mm256_permutevar8x32_epi32(r, join));
    }
    return groups - left;
}

}  // namespace toolbox::text

#endif
