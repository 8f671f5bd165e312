// toolbox/text/mbstrings.cpp - double-byte-safe character helpers (see mbstrings.h).
#include "toolbox/text/mbstrings.h"

#include <cstring>

#include "rte/mbs.h"
#include "toolbox/core/check_internal.h"

namespace {

bool MultiByte() { return RteSystemCodePage != 0; }

// Next character of a string: a whole double-byte character in multi-byte mode.
char *NextChar(char *p) { return MultiByte() ? Rte_mbsinc(p) : p + 1; }

// Adds `delta` to the first byte of each character that lies in [from, to].
char *ShiftAsciiLetters(char *string, unsigned char from, unsigned char to, int delta) {
    if (string == nullptr) return nullptr;
    for (char *p = string; *p != '\0'; p = NextChar(p)) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= from && c <= to) *p = static_cast<char>(c + delta);
    }
    return string;
}

}  // namespace

int CmbFirstByteOfChar(int character) {
    int lead = (character >> 8) & 0xFF;
    return lead != 0 ? lead : character & 0xFF;
}

int CmbNumChars(const char *string) { return static_cast<int>(Rte_mbslen(string)); }

int CmbStrEq(const char *string1, const char *string2) {
    if (string1 == nullptr || string2 == nullptr) return string1 == string2 ? 1 : 0;
    return strcmp(string1, string2) == 0 ? 1 : 0;
}

int CmbStrEqI(const char *string1, const char *string2) {
    return Rte_mbsicmp(string1, string2) == 0 ? 1 : 0;
}

int CmbStrEqN(const char *string1, const char *string2, size_t maxBytes) {
    if (string1 == nullptr || string2 == nullptr) return string1 == string2 ? 1 : 0;
    return strncmp(string1, string2, maxBytes) == 0 ? 1 : 0;
}

int CmbStrEqNI(const char *string1, const char *string2, size_t maxBytes) {
    return Rte_mbsnbicmp(string1, string2, maxBytes) == 0 ? 1 : 0;
}

char *CmbStrUpr(char *string) { return ShiftAsciiLetters(string, 'a', 'z', 'A' - 'a'); }

char *CmbStrLwr(char *string) { return ShiftAsciiLetters(string, 'A', 'Z', 'a' - 'A'); }

int CmbStrByteIs(const char *string, int byteIndex, int byte) {
    if (string == nullptr || byteIndex < 0) return 0;
    // The index may lie at the terminating null but not beyond it: the string's own length is
    // the only bound we know, so nothing past it is read.
    const size_t index = static_cast<size_t>(byteIndex);
    if (strnlen(string, index) < index) return 0;
    if (static_cast<unsigned char>(string[index]) != byte) return 0;
    if (MultiByte() && Rte_mbsbtype(string, index) == 2) return 0;  // second half of a character
    return 1;
}

char *CmbStrLastChar(const char *string) {
    TOOLBOX_CHECK(string != nullptr, "Programming error detected.");
    char *last = Rte_mbsdec(string, string + strlen(string));
    return last != nullptr ? last : const_cast<char *>(string);
}
