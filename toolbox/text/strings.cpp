// Bounded copies into fixed buffers, case-insensitive comparison and the merging of
// comma-separated lists. Cuts fall between whole characters in a double-byte code page.
#include "toolbox/text/strings.h"

#include "rte/alloc.h"
#include "rte/mbs.h"
#include "toolbox/core/check_internal.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Whether the byte at `index` of `s` begins a double-byte character (so a cut right after it
// would leave half a character). This asks for the byte's place in the string, not just its
// value: in code page 932 a trail byte may have a lead byte's value.
bool IsLeadAt(const char *s, size_t index) {
    return RteSystemCodePage != 0 && Rte_mbsbtype(s, index) == 1;
}

}  // namespace

extern "C" void StringCopyMax(char *destination, const char *source, int destBufferSize) {
    TOOLBOX_CHECK(destination != nullptr, "Null string passed to first parameter of StringCopyMax");
    if (source == nullptr || destBufferSize <= 0)
        return;
    size_t sourceSize = std::strlen(source) + 1;
    size_t copySize = sourceSize < static_cast<size_t>(destBufferSize) ? sourceSize : static_cast<size_t>(destBufferSize);
    std::memmove(destination, source, copySize);
    if (copySize < sourceSize) {
        size_t end = copySize - 1;
        if (copySize >= 2 && IsLeadAt(source, copySize - 2))
            end = copySize - 2;
        destination[end] = '\0';
    }
}

// When the buffer holds no null within destBufferSize bytes, the destination is already longer
// than its buffer allows: measuring it further would read past the buffer and any insertion
// would write past it, so nothing is inserted. The text to insert must not overlap the buffer.
extern "C" char *StringInsert(char *destination, const char *stringToInsert, int destBufferSize) {
    TOOLBOX_CHECK(stringToInsert != nullptr, "NULL string passed to second parameter of StringInsert");
    TOOLBOX_CHECK(destination != nullptr, "NULL string passed to first parameter of StringInsert");
    if (destBufferSize <= 0)
        return destination;
    size_t size = static_cast<size_t>(destBufferSize);
    size_t l1 = strnlen(destination, size);
    if (l1 >= size)
        return destination;
    size_t l2 = std::strlen(stringToInsert);
    if (l1 + l2 > size - 1) {
        l2 = size - 1 - l1;
        if (l2 > 0 && IsLeadAt(stringToInsert, l2 - 1))
            --l2;
    }
    if (l2 > 0) {
        std::memmove(destination + l2, destination, l1 + 1);
        std::memcpy(destination, stringToInsert, l2);
    }
    return destination + l2;
}

extern "C" int StrICmp(const char *s1, const char *s2) { return Rte_mbsicmp(s1, s2); }

extern "C" int StrNICmp(const char *s1, const char *s2, size_t maxBytes) { return Rte_mbsnbicmp(s1, s2, maxBytes); }

namespace {

// The character at p as a 16-bit value: lead x 256 + next byte for a lead byte in a double-byte
// code page, else the byte taken to upper case.
unsigned int UpperCharValue(const char *p) {
    unsigned int c = static_cast<unsigned char>(*p);
    if (RteSystemCodePage != 0 && Rte_ismbblead(c))
        return (c << 8) | static_cast<unsigned char>(p[1]);
    return static_cast<unsigned int>(std::toupper(static_cast<int>(c)));
}

inline const char *NextChar(const char *p) { return RteSystemCodePage != 0 ? Rte_mbsinc(p) : p + 1; }

}  // namespace

extern "C" int StrICmpWithoutSurrWhiteSpace(const char *s1, const char *s2) {
    if (s1 == nullptr || s2 == nullptr)
        return s1 == s2 ? 0 : (s1 == nullptr ? -1 : 1);
    const char *a = SkipWhiteSpace(s1);
    const char *b = SkipWhiteSpace(s2);
    for (;;) {
        unsigned int va = UpperCharValue(a);
        unsigned int vb = UpperCharValue(b);
        if (va == 0)
            return *SkipWhiteSpace(b) == '\0' ? 0 : -1;
        if (vb == 0)
            return *SkipWhiteSpace(a) == '\0' ? 0 : 1;
        if (va != vb)
            return va < vb ? -1 : 1;
        a = NextChar(a);
        b = NextChar(b);
    }
}

namespace {

// A cursor over the items of a comma-separated list; `at` is null when no items are left.
struct ListCursor {
    const char *at;
    const char *comma;  // the comma after the current item, or null
    size_t length;      // bytes of the current item

    void Take() {
        comma = at != nullptr ? Rte_mbschr(at, ',') : nullptr;
        length = at == nullptr ? 0 : (comma != nullptr ? static_cast<size_t>(comma - at) : std::strlen(at));
    }
    void Advance() { at = comma != nullptr ? comma + 1 : nullptr; }
};

// AppendString for a length that may exceed an int.
bool AppendBytes(char **s, const char *text, size_t length) {
    while (length > 0) {
        size_t part = length > static_cast<size_t>(INT_MAX) ? static_cast<size_t>(INT_MAX) : length;
        if (!AppendString(s, text, static_cast<int>(part)))
            return false;
        text += part;
        length -= part;
    }
    return true;
}

}  // namespace

extern "C" int SpliceCommaSeparatedList(const char *list1, const char *list2, char **result) {
    TOOLBOX_CHECK(result != nullptr, "NULL passed to third parameter of SpliceCommaSeparatedList()");
    *result = nullptr;
    char *out = nullptr;
    bool ok = true;
    ListCursor c1{list1, nullptr, 0}, c2{list2, nullptr, 0};
    while (ok && (c1.at != nullptr || c2.at != nullptr)) {
        c1.Take();
        c2.Take();
        if (c1.length > 0)
            ok = AppendBytes(&out, c1.at, c1.length);
        else if (c2.length > 0)
            ok = AppendBytes(&out, c2.at, c2.length);
        if (ok && (c1.comma != nullptr || c2.comma != nullptr))
            ok = AppendString(&out, ",", -1) != 0;
        c1.Advance();
        c2.Advance();
    }
    if (ok && out == nullptr) {
        out = static_cast<char *>(RteMalloc(1));
        if (out != nullptr)
            out[0] = '\0';
        ok = out != nullptr;
    }
    if (!ok) {
        std::free(out);
        return -12;
    }
    *result = out;
    return 0;
}
