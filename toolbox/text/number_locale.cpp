// toolbox/text/number_locale.cpp - decimal point <-> user's decimal separator (see
// number_locale.h).
#include "toolbox/text/number_locale.h"

#include "rte/mbs.h"
#include "rte/system.h"

namespace {

// The user's decimal separator; '.' if the engine cannot tell.
char UserSeparator() {
    int separator = '.';
    if (GetSystemAttribute(ATTR_DECIMAL_SEPARATOR, &separator) != 0) return '.';
    return static_cast<char>(separator & 0xFF);
}

// Replaces every character `from` of text by `to`, stepping by whole characters in a double-byte
// code page so that a trail byte is never taken for `from`.
void ReplaceChar(char *text, char from, char to) {
    if (text == nullptr || from == to) return;
    const bool multiByte = RteSystemCodePage != 0;
    for (char *p = text; *p != '\0'; p = multiByte ? Rte_mbsinc(p) : p + 1) {
        if (*p == from) *p = to;
    }
}

}  // namespace

void LocalizeNumberString(char *text) {
    if (text == nullptr) return;
    ReplaceChar(text, '.', UserSeparator());
}

void DelocalizeNumberString(char *text) {
    if (text == nullptr) return;
    ReplaceChar(text, UserSeparator(), '.');
}
