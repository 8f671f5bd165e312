// toolbox/text/text_data.cpp - the six-bit text form of binary data (see text_data.h).
//
// The bulk of the groups goes through the vector kernels of the active instruction set
// (text_data_sse2.cpp, text_data_avx2.cpp); the plain loops here finish what they leave, the
// partial last group, and everything on other processors. The plain loops work a whole group at
// a time with 32-bit stores and are the reference the kernels are tested against.
#include "toolbox/text/text_data.h"

#include <bit>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "rte/alloc.h"
#include "toolbox/numeric/simd_path_internal.h"
#include "toolbox/text/text_data_internal.h"

static_assert(std::endian::native == std::endian::little, "the group stores assume little-endian order");

namespace {

constexpr unsigned char kFirstChar = '0';  // the character for six-bit value 0

// Text length for n bytes: 4 per full group, 2 or 3 for a partial last group.
size_t TextLength(size_t n) {
    size_t rem = n % 3;
    return n / 3 * 4 + (rem == 0 ? 0 : rem + 1);
}

// Header character value for up to three bytes: the top two bits of b0, b1, b2 at 16, 4, 1.
inline unsigned Header(unsigned b0, unsigned b1, unsigned b2) {
    return ((b0 >> 6) << 4) | ((b1 >> 6) << 2) | (b2 >> 6);
}

// Six-bit value of a text character, modulo 256 as the format's arithmetic is.
inline unsigned Six(char c) { return static_cast<unsigned char>(static_cast<unsigned char>(c) - kFirstChar); }

// Full groups, the plain way. Adding 0x30 to every byte of the word cannot carry because each
// byte holds a value below 64.
void EncodeGroupsPlain(const unsigned char *in, char *out, size_t groups) {
    for (size_t g = 0; g < groups; ++g, in += 3, out += 4) {
        unsigned b0 = in[0], b1 = in[1], b2 = in[2];
        uint32_t word = Header(b0, b1, b2) | (b0 & 63) << 8 | (b1 & 63) << 16 | (b2 & 63) << 24;
        word += 0x30303030u;
        memcpy(out, &word, 4);  // little-endian byte order puts the header first
    }
}

void DecodeGroupsPlain(const char *in, unsigned char *out, size_t groups) {
    for (size_t g = 0; g < groups; ++g, in += 4, out += 3) {
        unsigned s0 = Six(in[0]);
        out[0] = static_cast<unsigned char>(((s0 & 48) << 2) | Six(in[1]));
        out[1] = static_cast<unsigned char>(((s0 & 12) << 4) | Six(in[2]));
        out[2] = static_cast<unsigned char>(((s0 & 3) << 6) | Six(in[3]));
    }
}

void EncodeGroups(const unsigned char *in, char *out, size_t groups) {
    size_t done = 0;
#if defined(__x86_64__)
    switch (toolbox::simd::ActivePath()) {
    case toolbox::simd::Path::kAvx2: done = toolbox::text::EncodeGroupsAvx2(in, out, groups); break;
    case toolbox::simd::Path::kSse2: done = toolbox::text::EncodeGroupsSse2(in, out, groups); break;
    case toolbox::simd::Path::kPlain: break;
    }
#endif
    EncodeGroupsPlain(in + done * 3, out + done * 4, groups - done);
}

void DecodeGroups(const char *in, unsigned char *out, size_t groups) {
    size_t done = 0;
#if defined(__x86_64__)
    switch (toolbox::simd::ActivePath()) {
    case toolbox::simd::Path::kAvx2: done = toolbox::text::DecodeGroupsAvx2(in, out, groups); break;
    case toolbox::simd::Path::kSse2: done = toolbox::text::DecodeGroupsSse2(in, out, groups); break;
    case toolbox::simd::Path::kPlain: break;
    }
#endif
    DecodeGroupsPlain(in + done * 4, out + done * 3, groups - done);
}

}  // namespace

int ConvertDataToText(const void *data, int numBytes, char **text) {
    if (text == nullptr) return 0;
    *text = nullptr;
    if (numBytes < 0 || (data == nullptr && numBytes > 0)) return 0;

    const size_t n = static_cast<size_t>(numBytes);
    const size_t length = TextLength(n);
    char *out = static_cast<char *>(RteMalloc(length + 1));
    if (out == nullptr) return 0;

    const unsigned char *in = static_cast<const unsigned char *>(data);
    EncodeGroups(in, out, n / 3);
    in += n / 3 * 3;
    char *o = out + n / 3 * 4;
    switch (n % 3) {
        case 1:
            o[0] = static_cast<char>(kFirstChar + Header(in[0], 0, 0));
            o[1] = static_cast<char>(kFirstChar + (in[0] & 63));
            o += 2;
            break;
        case 2:
            o[0] = static_cast<char>(kFirstChar + Header(in[0], in[1], 0));
            o[1] = static_cast<char>(kFirstChar + (in[0] & 63));
            o[2] = static_cast<char>(kFirstChar + (in[1] & 63));
            o += 3;
            break;
        default:
            break;
    }
    *o = '\0';
    *text = out;
    return 1;
}

int ConvertTextToData(const char *text, int *numBytes, unsigned char **data) {
    if (data == nullptr) return 0;
    const size_t length = text != nullptr ? strlen(text) : 0;
    const size_t groups = length / 4;
    const size_t rem = length % 4;
    // A stray single character (length 4k + 1) decodes to nothing and is ignored.
    const size_t count = groups * 3 + (rem == 0 ? 0 : rem - 1);

    if (count > static_cast<size_t>(INT_MAX)) {
        if (numBytes != nullptr) *numBytes = 0;
        *data = nullptr;
        return 0;
    }
    if (numBytes != nullptr) *numBytes = static_cast<int>(count);
    // Nothing to decode: nothing is allocated, and the caller gets NULL rather than whatever its
    // pointer held, so that freeing the result is always safe.
    *data = nullptr;
    if (count == 0) return 1;

    unsigned char *out = static_cast<unsigned char *>(RteMalloc(count));
    if (out == nullptr) return 0;

    DecodeGroups(text, out, groups);
    const char *in = text + groups * 4;
    unsigned char *o = out + groups * 3;
    if (rem >= 2) {
        unsigned s0 = Six(in[0]);
        o[0] = static_cast<unsigned char>(((s0 & 48) << 2) | Six(in[1]));
        if (rem == 3) o[1] = static_cast<unsigned char>(((s0 & 12) << 4) | Six(in[2]));
    }
    *data = out;
    return 1;
}
