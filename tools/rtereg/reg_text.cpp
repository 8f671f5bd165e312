// The character encodings of .reg files (see reg_text.h).
#include "tools/rtereg/reg_text.h"

#include <cstdint>

namespace rtereg {

namespace {

// The character of valid UTF-8 at text[i] and its length; false when the bytes there are not
// one (a stray or missing continuation byte, an overlong form, a surrogate, past U+10FFFF).
bool DecodeUtf8(const std::string &text, size_t i, uint32_t *c, size_t *length) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    size_t size = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (size == 0 || i + size > text.size()) return false;
    static const unsigned char kLeadBits[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static const uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    uint32_t code = lead & kLeadBits[size];
    for (size_t k = 1; k < size; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return false;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < kSmallest[size] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    *c = code;
    *length = size;
    return true;
}

void AppendUnit(std::string *out, uint32_t unit) {
    *out += static_cast<char>(unit & 0xFF);
    *out += static_cast<char>(unit >> 8);
}

void AppendUtf8(std::string *out, uint32_t c) {
    if (c < 0x80) {
        *out += static_cast<char>(c);
    } else if (c < 0x800) {
        *out += static_cast<char>(0xC0 | (c >> 6));
        *out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out += static_cast<char>(0xE0 | (c >> 12));
        *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | (c >> 18));
        *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Windows-1252's bytes 0x80..0x9F (0 where it defines none).
const uint16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

std::string Utf8ToUtf16(const std::string &text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size();) {
        uint32_t c = 0;
        size_t length = 0;
        if (!DecodeUtf8(text, i, &c, &length)) {
            AppendUnit(&out, 0xDC00 | static_cast<unsigned char>(text[i]));
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            AppendUnit(&out, 0xD800 + ((c - 0x10000) >> 10));
            AppendUnit(&out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            AppendUnit(&out, c);
        }
        i += length;
    }
    return out;
}

bool Utf16ToUtf8(const std::string &bytes, std::string *text, size_t *where) {
    text->clear();
    auto unit = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
            AppendUtf8(text, 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00));
            i += 2;
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            *text += static_cast<char>(c & 0xFF);  // a byte that was not UTF-8
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            *where = i;
            return false;
        } else {
            AppendUtf8(text, c);
        }
    }
    return true;
}

std::string Windows1252ToUtf8(const std::string &bytes) {
    std::string out;
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        uint32_t c = b >= 0x80 && b <= 0x9F && kWindows1252High[b - 0x80] != 0 ? kWindows1252High[b - 0x80] : b;
        AppendUtf8(&out, c);
    }
    return out;
}

bool IsUtf8(const std::string &bytes) {
    for (size_t i = 0; i < bytes.size();) {
        uint32_t c = 0;
        size_t length = 0;
        if (!DecodeUtf8(bytes, i, &c, &length)) return false;
        i += length;
    }
    return true;
}

bool IsAscii(const std::string &text) {
    for (char ch : text) {
        if (static_cast<unsigned char>(ch) >= 0x80) return false;
    }
    return true;
}

size_t Utf16Length(const std::string &text) {
    size_t units = 0;
    for (size_t i = 0; i < text.size();) {
        uint32_t c = 0;
        size_t length = 1;
        if (!DecodeUtf8(text, i, &c, &length)) c = 0;  // one unit for the byte
        units += c >= 0x10000 ? 2 : 1;
        i += length;
    }
    return units;
}

}  // namespace rtereg
