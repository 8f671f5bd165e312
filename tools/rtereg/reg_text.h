// tools/rtereg/reg_text.h - the character encodings of .reg files, as conversions to and from
// the registry's own text, UTF-8.
//
// The registry keeps the bytes programs give it, which are UTF-8 text as a rule but need not be.
// So that a file written from any store reads back the same, bytes that are not UTF-8 travel in
// UTF-16 as the code points U+DC80..U+DCFF, one for each byte (an unpaired surrogate, which no
// text has and Windows keeps as it is), and come back from them as the same bytes.
#ifndef TOOLS_RTEREG_REG_TEXT_H
#define TOOLS_RTEREG_REG_TEXT_H

#include <cstddef>
#include <string>

namespace rtereg {

// UTF-8 (any bytes) as UTF-16LE bytes.
std::string Utf8ToUtf16(const std::string &text);

// UTF-16LE bytes (an even count) as UTF-8; U+DC80..U+DCFF become the bytes 0x80..0xFF. False
// for another unpaired surrogate, with *where the byte offset of the unit.
bool Utf16ToUtf8(const std::string &bytes, std::string *text, size_t *where);

// Windows-1252 bytes as UTF-8 (the five bytes it leaves undefined as the C1 controls U+0081,
// U+008D, U+008F, U+0090, U+009D, as Windows converts them).
std::string Windows1252ToUtf8(const std::string &bytes);

// Whether bytes are valid UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(const std::string &bytes);

// Whether text is ASCII alone.
bool IsAscii(const std::string &text);

// The number of UTF-16 code units text takes (a byte that is not UTF-8 takes one).
size_t Utf16Length(const std::string &text);

}  // namespace rtereg

#endif
