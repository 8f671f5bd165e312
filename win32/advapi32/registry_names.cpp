// Names of keys and values: the folded form they are compared in, and their length in the
// characters Windows counts.
//
// Windows compares registry names one character at a time without regard to case, each
// character mapped to one other: Unicode's simple case folding, not the full folding that turns
// "ß" into "ss". glib (already used by this library) gives the simple case mappings of letters,
// and a character's lower case of its upper case is its simple folding for all but a few code
// points, corrected below; with them the result is the simple folding of Unicode's CaseFolding
// table code point for code point.
#include "win32/advapi32/registry_names_internal.h"

#include <glib.h>

namespace win32::registry {

namespace {

gunichar SimpleFold(gunichar c) {
    // Capital I with dot and small dotless i fold only in Turkic languages (no simple folding).
    if (c == 0x130 || c == 0x131) return c;
    // Not letters, so glib maps no case for them: the combining ypogegrammeni, the Roman
    // numerals and the circled Latin capitals.
    if (c == 0x345) return 0x3B9;
    if (c >= 0x2160 && c <= 0x216F) return c + 0x10;
    if (c >= 0x24B6 && c <= 0x24CF) return c + 0x1A;
    gunichar folded = g_unichar_tolower(g_unichar_toupper(c));
    // Cherokee folds to its capitals, the older letters.
    if (folded >= 0xAB70 && folded <= 0xABBF) return folded - 0xAB70 + 0x13A0;
    if (folded >= 0x13F8 && folded <= 0x13FD) return folded - 8;
    return folded;
}

// The character at text[0..available) and its length in bytes; false for bytes that are not
// valid UTF-8 (overlong forms and surrogates included).
bool DecodeUtf8(const char *text, size_t available, gunichar *c, size_t *length) {
    *length = static_cast<size_t>(g_utf8_skip[static_cast<unsigned char>(text[0])]);
    if (*length > available) return false;
    *c = g_utf8_get_char_validated(text, static_cast<gssize>(*length));
    return *c < 0x110000;
}

}  // namespace

std::string FoldName(const char *name, size_t length, bool unicode) {
    std::string folded;
    folded.reserve(length);
    for (size_t i = 0; i < length;) {
        unsigned char byte = static_cast<unsigned char>(name[i]);
        gunichar c = 0;
        size_t size = 0;
        if (byte < 0x80 || !unicode || !DecodeUtf8(name + i, length - i, &c, &size)) {
            folded += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
            ++i;
            continue;
        }
        char utf8[6];
        folded.append(utf8, static_cast<size_t>(g_unichar_to_utf8(SimpleFold(c), utf8)));
        i += size;
    }
    return folded;
}

size_t NameLength(const char *name, size_t length) {
    size_t count = 0;
    for (size_t i = 0; i < length;) {
        gunichar c = 0;
        size_t size = 0;
        if (static_cast<unsigned char>(name[i]) >= 0x80 && DecodeUtf8(name + i, length - i, &c, &size)) {
            count += c >= 0x10000 ? 2 : 1;
            i += size;
        } else {
            count += 1;
            i += 1;
        }
    }
    return count;
}

}  // namespace win32::registry
