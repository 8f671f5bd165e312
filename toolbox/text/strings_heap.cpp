// Heap strings: copying, and growing a caller's malloc'd string at either end. Blocks come from
// RteMalloc/RteRealloc so every allocation failure can be forced in tests; callers free them.
#include "toolbox/text/strings.h"

#include "rte/alloc.h"
#include "rte/mbs.h"
#include "toolbox/core/check_internal.h"

#include <cstdint>
#include <cstring>

namespace {

// Bytes of `text` to add: all of it for a negative count, else at most `count`, stopping at a
// null byte within them.
size_t LengthToAdd(const char *text, int count) {
    return count < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(count));
}

// Whether the last byte of the string s of `length` bytes is a lead byte without its trail.
bool EndsInHalfCharacter(const char *s, size_t length) {
    if (RteSystemCodePage == 0 || length == 0)
        return false;
    const char *last = Rte_mbsdec(s, s + length);
    return last == s + length - 1 && Rte_ismbblead(static_cast<unsigned char>(*last));
}

// Gives the string s of `oldLength` bytes room for `extra` more bytes plus the null: the new
// block, or null with s untouched.
char *Grow(char *s, size_t oldLength, size_t extra) {
    if (s == nullptr)
        return static_cast<char *>(RteMalloc(extra + 1));
    return static_cast<char *>(RteRealloc(s, oldLength + extra + 1));
}

// Offset of `text` within the string s of `length` bytes (its null included), or -1 when it lies
// elsewhere. A text taken from the string being grown must be read from the new block, since
// realloc may free the old one.
long OffsetInside(const char *text, const char *s, size_t length) {
    if (s == nullptr)
        return -1;
    auto t = reinterpret_cast<std::uintptr_t>(text), b = reinterpret_cast<std::uintptr_t>(s);
    return (t >= b && t <= b + length) ? static_cast<long>(t - b) : -1;
}

}  // namespace

extern "C" char *StringEnd(const char *string) {
    return string == nullptr ? nullptr : const_cast<char *>(string + std::strlen(string));
}

extern "C" char *StrDup(const char *string) {
    if (string == nullptr)
        return nullptr;
    size_t size = std::strlen(string) + 1;
    char *copy = static_cast<char *>(RteMalloc(size));
    if (copy != nullptr)
        std::memcpy(copy, string, size);
    return copy;
}

extern "C" int AppendString(char **string, const char *text, int count) {
    TOOLBOX_CHECK(string != nullptr, "NULL passed to first parameter of AppendString()");
    if (text == nullptr)
        return 1;
    size_t length = LengthToAdd(text, count);
    if (length == 0)
        return 1;
    size_t oldLength = *string != nullptr ? std::strlen(*string) : 0;
    long inside = OffsetInside(text, *string, oldLength);
    char *block = Grow(*string, oldLength, length);
    if (block == nullptr)
        return 0;
    std::memmove(block + oldLength, inside >= 0 ? block + inside : text, length);
    block[oldLength + length] = '\0';
    // Never leave half a character at the end; the block keeps its size.
    if (EndsInHalfCharacter(block, oldLength + length))
        block[oldLength + length - 1] = '\0';
    *string = block;
    return 1;
}

// Unlike AppendString, the prefix is taken as given even if it ends in a lead byte: it then
// pairs with the old text's first byte, which is what a caller building a double-byte text from
// its two halves expects.
extern "C" int AddStringPrefix(char **string, const char *prefix, int count) {
    TOOLBOX_CHECK(string != nullptr, "NULL passed to first parameter of AddStringPrefix()");
    if (prefix == nullptr)
        return 1;
    size_t length = LengthToAdd(prefix, count);
    if (length == 0)
        return 1;
    size_t oldLength = *string != nullptr ? std::strlen(*string) : 0;
    long inside = OffsetInside(prefix, *string, oldLength);
    char *block = Grow(*string, oldLength, length);
    if (block == nullptr)
        return 0;
    if (oldLength > 0)
        std::memmove(block + length, block, oldLength + 1);
    else
        block[length] = '\0';
    std::memmove(block, inside >= 0 ? block + length + inside : prefix, length);
    *string = block;
    return 1;
}

extern "C" int AddStringQuotes(char **string) {
    if (!AppendString(string, "\"", -1))
        return 0;
    return AddStringPrefix(string, "\"", -1);
}
