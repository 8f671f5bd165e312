// toolbox/text/text_data_sse2.cpp - the six-bit text codec's group kernels on SSE2, the x86-64
// baseline: four groups per 16-byte register, each group in a 32-bit lane.
//
// In a lane a group is worked with 32-bit shifts and masks. Encoding, lane = b0 | b1 << 8 |
// b2 << 16: the low six bits of each byte move up one byte (characters 1 to 3), and the top two
// bits of b0, b1, b2 gather in byte 0 at 16, 4 and 1 (the header); then 48 is added to every
// byte, which cannot carry as each byte is below 64. Decoding, lane = c0 | c1 << 8 | c2 << 16 |
// c3 << 24: 48 is subtracted from every byte (modulo 256, as the format's arithmetic is), the
// lane moves down one byte (s1, s2, s3) and the header's bit pairs land on the top two bits of
// each data byte.
#if defined(__x86_64__)

#include <emmintrin.h>

#include <cstddef>

#include "toolbox/text/text_data_internal.h"

namespace toolbox::text {

namespace {

// The four groups at bytes 0, 3, 6 and 9 of x, one per 32-bit lane (byte 3 of a lane is junk).
inline __m128i SpreadGroups(__m128i x) {
    const __m128i g01 = _mm_unpacklo_epi32(x, _mm_srli_si128(x, 3));
    const __m128i g23 = _mm_unpacklo_epi32(_mm_srli_si128(x, 6), _mm_srli_si128(x, 9));
    return _mm_unpacklo_epi64(g01, g23);
}

// Four characters per lane from the group in its low three bytes.
inline __m128i EncodeLanes(__m128i x) {
    const __m128i low = _mm_and_si128(_mm_slli_epi32(x, 8), _mm_set1_epi32(0x3F3F3F00));
    const __m128i top = _mm_and_si128(x, _mm_set1_epi32(0x00C0C0C0));
    // top >> 2, >> 12 and >> 22 bring b0's, b1's and b2's pair to bits 4, 2 and 0; what the
    // shifts drop into bytes 1 and 2 is masked off.
    __m128i header = _mm_or_si128(_mm_srli_epi32(top, 2), _mm_srli_epi32(top, 12));
    header = _mm_and_si128(_mm_or_si128(header, _mm_srli_epi32(top, 22)), _mm_set1_epi32(0xFF));
    return _mm_add_epi8(_mm_or_si128(low, header), _mm_set1_epi8(48));
}

// Three data bytes per lane (byte 3 zero) from four characters.
inline __m128i DecodeLanes(__m128i chars) {
    const __m128i s = _mm_sub_epi8(chars, _mm_set1_epi8(48));
    __m128i r = _mm_srli_epi32(s, 8);
    r = _mm_or_si128(r, _mm_slli_epi32(_mm_and_si128(s, _mm_set1_epi32(0x30)), 2));
    r = _mm_or_si128(r, _mm_slli_epi32(_mm_and_si128(s, _mm_set1_epi32(0x0C)), 12));
    return _mm_or_si128(r, _mm_slli_epi32(_mm_and_si128(s, _mm_set1_epi32(0x03)), 22));
}

// The three data bytes of each lane, packed into bytes 0 to 11 (bytes 12 to 15 zero).
inline __m128i PackLanes(__m128i r) {
    // Per 64-bit half: lane 0's bytes and lane 1's moved down by one byte give six bytes.
    const __m128i q = _mm_or_si128(_mm_and_si128(r, _mm_set1_epi64x(0xFFFFFF)),
                                   _mm_and_si128(_mm_srli_epi64(r, 8), _mm_set1_epi64x(0xFFFFFF000000)));
    return _mm_or_si128(_mm_move_epi64(q), _mm_slli_si128(_mm_srli_si128(q, 8), 6));
}

}  // namespace

size_t EncodeGroupsSse2(const unsigned char *in, char *out, size_t groups) {
    size_t left = groups;
    // Sixteen groups from three loads of exactly their 48 bytes.
    for (; left >= 16; left -= 16, in += 48, out += 64) {
        const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
        const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 16));
        const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 32));
        const __m128i x1 = _mm_or_si128(_mm_srli_si128(v0, 12), _mm_slli_si128(v1, 4));  // bytes 12..
        const __m128i x2 = _mm_or_si128(_mm_srli_si128(v1, 8), _mm_slli_si128(v2, 8));   // bytes 24..
        const __m128i x3 = _mm_srli_si128(v2, 4);                                         // bytes 36..
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), EncodeLanes(SpreadGroups(v0)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16), EncodeLanes(SpreadGroups(x1)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 32), EncodeLanes(SpreadGroups(x2)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 48), EncodeLanes(SpreadGroups(x3)));
    }
    // Four groups from a 16-byte load, while six groups (18 bytes) remain to read from.
    for (; left >= 6; left -= 4, in += 12, out += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), EncodeLanes(SpreadGroups(v)));
    }
    return groups - left;
}

size_t DecodeGroupsSse2(const char *in, unsigned char *out, size_t groups) {
    size_t left = groups;
    // Four groups per step; the 16-byte store runs 4 bytes past their 12, which stays inside
    // the output while six groups (18 bytes) remain.
    for (; left >= 6; left -= 4, in += 16, out += 12) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), PackLanes(DecodeLanes(v)));
    }
    return groups - left;
}

}  // namespace toolbox::text

#endif
