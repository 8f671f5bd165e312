// White space: skipping it, testing for text, and trimming it from both ends of a string,
// in place or into a new heap string. Steps over whole characters in a double-byte code page.
#include "toolbox/text/strings.h"

#include "rte/alloc.h"
#include "rte/mbs.h"
#include "toolbox/core/check_internal.h"

#include <cctype>
#include <cstring>

namespace {

inline bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The character after p, by whole characters in a double-byte code page.
inline const char *Next(const char *p) { return RteSystemCodePage != 0 ? Rte_mbsinc(p) : p + 1; }

}  // namespace

extern "C" char *SkipWhiteSpace(const char *string) {
    if (string == nullptr)
        return nullptr;
    while (*string != '\0' && IsSpace(*string))
        ++string;
    return const_cast<char *>(string);
}

extern "C" char *SkipNonWhiteSpace(const char *string) {
    if (string == nullptr)
        return nullptr;
    while (*string != '\0' && !IsSpace(*string))
        string = Next(string);
    return const_cast<char *>(string);
}

extern "C" int HasNonWhiteSpace(const char *string) {
    return string != nullptr && *SkipWhiteSpace(string) != '\0';
}

extern "C" char *StrDupWithoutSurrWhiteSpace(const char *string) {
    TOOLBOX_CHECK(string != nullptr, "NULL passed to first parameter of StrDupWithoutSurrWhiteSpace()");
    const char *start = SkipWhiteSpace(string);
    const char *end = StringEnd(start);
    size_t kept = 0;
    if (end > start) {
        // Step back to the last character that is not white space; start is one, so the walk
        // stops there at the latest. Its length (1, or 2 for a double-byte character) ends the copy.
        end = Rte_mbsdec(start, end);
        while (IsSpace(*end))
            end = Rte_mbsdec(start, end);
        kept = static_cast<size_t>(Rte_mbsinc(end) - start);
    }
    char *copy = static_cast<char *>(RteMalloc(kept + 1));
    if (copy == nullptr)
        return nullptr;
    std::memcpy(copy, start, kept);
    copy[kept] = '\0';
    return copy;
}

extern "C" void RemoveSurroundingWhiteSpace(char *string) {
    if (string == nullptr)
        return;
    const char *start = SkipWhiteSpace(string);
    size_t n = std::strlen(start);
    std::memmove(string, start, n + 1);
    // Walk by characters, remembering where the last non-white character ends.
    char *cut = string;
    for (char *p = string; *p != '\0';) {
        char *next = const_cast<char *>(Next(p));
        if (!IsSpace(*p))
            cut = next;
        p = next;
    }
    *cut = '\0';
}
