// Multi-byte text functions of the engine (rte/mbs.h): the lead/trail byte tables of the
// double-byte code pages, stepping, searching and case-insensitive comparison by characters,
// and the choice of the system code page at start-up.
#include "rte/mbs.h"
#include "rte/mbs_testing.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

int RteSystemCodePage = 0;

namespace {

enum : unsigned char { kLead = 1, kTrail = 2 };

struct ByteClasses {
    unsigned char of[256];
};

constexpr bool In(int c, int lo, int hi) { return c >= lo && c <= hi; }

// Lead and trail ranges of each code page; code page 0 has neither.
constexpr ByteClasses MakeClasses(int codePage) {
    ByteClasses t{};
    for (int c = 0; c < 256; ++c) {
        bool lead = false, trail = false;
        switch (codePage) {
        case 932:
            lead = In(c, 0x81, 0x9F) || In(c, 0xE0, 0xFC);
            trail = In(c, 0x40, 0x7E) || In(c, 0x80, 0xFC);
            break;
        case 936:
            lead = In(c, 0x81, 0xFE);
            trail = In(c, 0x40, 0x7E) || In(c, 0x80, 0xFE);
            break;
        case 949:
            lead = In(c, 0x81, 0xFE);
            trail = In(c, 0x41, 0x5A) || In(c, 0x61, 0x7A) || In(c, 0x81, 0xFE);
            break;
        case 950:
            lead = In(c, 0x81, 0xFE);
            trail = In(c, 0x40, 0x7E) || In(c, 0xA1, 0xFE);
            break;
        default:
            break;
        }
        t.of[c] = static_cast<unsigned char>((lead ? kLead : 0) | (trail ? kTrail : 0));
    }
    return t;
}

constexpr ByteClasses k932 = MakeClasses(932);
constexpr ByteClasses k936 = MakeClasses(936);
constexpr ByteClasses k949 = MakeClasses(949);
constexpr ByteClasses k950 = MakeClasses(950);

// The classes of the current code page, or null in single-byte mode.
const unsigned char *Classes() {
    switch (RteSystemCodePage) {
    case 932: return k932.of;
    case 936: return k936.of;
    case 949: return k949.of;
    case 950: return k950.of;
    default: return nullptr;
    }
}

inline unsigned char Byte(const char *p) { return static_cast<unsigned char>(*p); }

// Length in bytes of the character at p (p not at the terminating null): 2 for a lead byte
// followed by a non-null byte, else 1.
inline size_t CharLength(const unsigned char *cls, const char *p) {
    return (cls != nullptr && (cls[Byte(p)] & kLead) && p[1] != '\0') ? 2 : 1;
}

// The character at p as a value for case-insensitive comparison, and its length, within at
// most `room` bytes: ASCII letters fold to lower case; a double-byte character is
// lead x 256 + trail, or its lead byte alone when only one byte of it is in room.
inline unsigned int FoldedChar(const unsigned char *cls, const char *p, size_t room, size_t *length) {
    *length = CharLength(cls, p);
    if (*length == 2) {
        if (room >= 2)
            return (static_cast<unsigned int>(Byte(p)) << 8) | Byte(p + 1);
        *length = 1;
        return Byte(p);
    }
    unsigned int c = Byte(p);
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

int CompareFolded(const char *s1, const char *s2, size_t count) {
    if (s1 == nullptr || s2 == nullptr)
        return (s1 == s2) ? 0 : (s1 == nullptr ? -1 : 1);
    const unsigned char *cls = Classes();
    size_t done = 0;
    while (done < count) {
        size_t n1, n2;
        unsigned int c1 = FoldedChar(cls, s1 + done, count - done, &n1);
        unsigned int c2 = FoldedChar(cls, s2 + done, count - done, &n2);
        if (c1 != c2)
            return c1 < c2 ? -1 : 1;
        if (c1 == 0)
            return 0;
        done += n1;  // equal values have equal lengths, so n1 == n2
    }
    return 0;
}

// Case-insensitive names of the character sets that select a double-byte code page, with '-'
// and '_' removed.
struct CodesetName {
    const char *name;
    int codePage;
};
constexpr CodesetName kCodesets[] = {
    {"sjis", 932},   {"shiftjis", 932}, {"cp932", 932},   {"ms932", 932},     {"windows31j", 932},
    {"mskanji", 932}, {"windows932", 932},
    {"gbk", 936},    {"cp936", 936},    {"ms936", 936},   {"windows936", 936}, {"gb2312", 936},
    {"euccn", 936},
    {"euckr", 949},  {"cp949", 949},    {"ms949", 949},   {"windows949", 949}, {"uhc", 949},
    {"big5", 950},   {"cp950", 950},    {"ms950", 950},   {"windows950", 950}, {"big5hkscs", 950},
};

// Code page of a locale name "language[_territory][.codeset][@modifier]": that of its codeset,
// 0 when it has none or it is not a double-byte one.
int CodePageOfLocale(const char *locale) {
    const char *dot = std::strchr(locale, '.');
    if (dot == nullptr)
        return 0;
    char name[32];
    size_t n = 0;
    for (const char *p = dot + 1; *p != '\0' && *p != '@'; ++p) {
        char c = *p;
        if (c == '-' || c == '_')
            continue;
        if (n + 1 >= sizeof name)
            return 0;  // longer than any name we know
        name[n++] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
    }
    name[n] = '\0';
    for (const CodesetName &cs : kCodesets)
        if (std::strcmp(name, cs.name) == 0)
            return cs.codePage;
    return 0;
}

bool IsSupportedCodePage(long cp) { return cp == 0 || cp == 932 || cp == 936 || cp == 949 || cp == 950; }

// Picks the code page before main runs, so every reader sees the final value.
__attribute__((constructor)) void InitSystemCodePage() {
    RteSystemCodePage = rte::testing::DetectCodePage(std::getenv("RTE_CODEPAGE"), std::getenv("LC_ALL"),
                                                     std::getenv("LC_CTYPE"), std::getenv("LANG"));
}

}  // namespace

namespace rte::testing {

int SetSystemCodePage(int codePage) {
    int old = RteSystemCodePage;
    if (IsSupportedCodePage(codePage))
        RteSystemCodePage = codePage;
    return old;
}

int DetectCodePage(const char *rteCodePage, const char *lcAll, const char *lcCtype, const char *lang) {
    if (rteCodePage != nullptr && *rteCodePage != '\0') {
        char *end = nullptr;
        long cp = std::strtol(rteCodePage, &end, 10);
        if (*end == '\0' && IsSupportedCodePage(cp))
            return static_cast<int>(cp);
        std::fprintf(stderr, "RTE_CODEPAGE=%s ignored: use 0, 932, 936, 949 or 950\n", rteCodePage);
    }
    // POSIX precedence: LC_ALL, then LC_CTYPE, then LANG; an empty variable counts as unset.
    for (const char *locale : {lcAll, lcCtype, lang})
        if (locale != nullptr && *locale != '\0')
            return CodePageOfLocale(locale);
    return 0;
}

}  // namespace rte::testing

extern "C" int Rte_ismbblead(unsigned int byte) {
    const unsigned char *cls = Classes();
    return (cls != nullptr && (cls[byte & 0xFFu] & kLead)) ? 1 : 0;
}

extern "C" int Rte_mbsbtype(const char *string, size_t index) {
    if (string == nullptr)
        return -1;
    const unsigned char *cls = Classes();
    size_t pos = 0;
    for (;;) {
        if (string[pos] == '\0')
            return -1;
        size_t n = CharLength(cls, string + pos);
        if (pos == index)
            return (cls != nullptr && (cls[Byte(string + pos)] & kLead)) ? 1 : 0;
        if (n == 2 && pos + 1 == index)
            return (cls[Byte(string + pos + 1)] & kTrail) ? 2 : -1;
        pos += n;
    }
}

extern "C" char *Rte_mbsinc(const char *current) {
    if (current == nullptr)
        return nullptr;
    if (*current == '\0')
        return const_cast<char *>(current);
    return const_cast<char *>(current + CharLength(Classes(), current));
}

extern "C" char *Rte_mbsdec(const char *start, const char *current) {
    if (start == nullptr || current == nullptr || current <= start)
        return nullptr;
    const unsigned char *cls = Classes();
    if (cls == nullptr)
        return const_cast<char *>(current - 1);
    // A byte that cannot be a lead byte always ends a character, so the characters before
    // current - 1 start right after the last such byte. From there the k lead-capable bytes
    // pair up; when k is odd, current - 1 is the trail of the pair that begins at current - 2.
    const char *p = current - 1;
    size_t k = 0;
    while (p > start && (cls[Byte(p - 1)] & kLead)) {
        --p;
        ++k;
    }
    return const_cast<char *>((k % 2 == 1) ? current - 2 : current - 1);
}

extern "C" size_t Rte_mbslen(const char *string) {
    if (string == nullptr)
        return 0;
    const unsigned char *cls = Classes();
    if (cls == nullptr)
        return std::strlen(string);
    size_t count = 0;
    for (const char *p = string; *p != '\0'; p += CharLength(cls, p))
        ++count;
    return count;
}

extern "C" char *Rte_mbschr(const char *string, unsigned int character) {
    if (string == nullptr)
        return nullptr;
    const unsigned char *cls = Classes();
    if (cls == nullptr)
        return character > 0xFF ? nullptr : const_cast<char *>(std::strchr(string, static_cast<int>(character)));
    for (const char *p = string;; ) {
        size_t n = (*p == '\0') ? 1 : CharLength(cls, p);
        unsigned int value = (n == 2) ? ((static_cast<unsigned int>(Byte(p)) << 8) | Byte(p + 1)) : Byte(p);
        if (value == character)
            return const_cast<char *>(p);
        if (*p == '\0')
            return nullptr;
        p += n;
    }
}

extern "C" char *Rte_mbsstr(const char *string, const char *sub) {
    if (string == nullptr || sub == nullptr)
        return nullptr;
    const unsigned char *cls = Classes();
    if (cls == nullptr)
        return const_cast<char *>(std::strstr(string, sub));
    size_t length = std::strlen(sub);
    for (const char *p = string;; p += CharLength(cls, p)) {
        if (std::strncmp(p, sub, length) == 0)
            return const_cast<char *>(p);
        if (*p == '\0')
            return nullptr;
    }
}

extern "C" int Rte_mbsicmp(const char *s1, const char *s2) { return CompareFolded(s1, s2, static_cast<size_t>(-1)); }

extern "C" int Rte_mbsnbicmp(const char *s1, const char *s2, size_t count) { return CompareFolded(s1, s2, count); }
