// Ready-made comparison functions for the common element types, for the sorts and searches
// (and, having the standard signature, for qsort and bsearch as well).
#include "toolbox/containers/sort.h"

#include <cstring>

namespace {

// Floating point: anything not less and not equal, a NaN included, counts as greater.
template <class T>
int CompareValues(const void *a, const void *b) {
    T x, y;
    memcpy(&x, a, sizeof x);  // elements need not be aligned for their type
    memcpy(&y, b, sizeof y);
    if (x < y) return -1;
    if (x == y) return 0;
    return 1;  // greater, or a NaN on either side
}

// Elements are char pointers. A NULL pointer is taken as a string that sorts before every real
// string (strcmp would crash on it); two NULLs are equal.
bool NullStrings(const void *a, const void *b, const char **x, const char **y, int *result) {
    memcpy(x, a, sizeof *x);
    memcpy(y, b, sizeof *y);
    if (*x != nullptr && *y != nullptr) return false;
    *result = (*x != nullptr) - (*y != nullptr);
    return true;
}

int FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

// Integers compare without branches: the sorts call these with unpredictable outcomes.
template <class T>
int CompareIntegers(const void *a, const void *b) {
    T x, y;
    memcpy(&x, a, sizeof x);
    memcpy(&y, b, sizeof y);
    return (x > y) - (x < y);
}

}  // namespace

extern "C" int ShortCompare(const void *a, const void *b) { return CompareIntegers<short>(a, b); }

extern "C" int IntCompare(const void *a, const void *b) { return CompareIntegers<int>(a, b); }

extern "C" int FloatCompare(const void *a, const void *b) { return CompareValues<float>(a, b); }

extern "C" int DoubleCompare(const void *a, const void *b) { return CompareValues<double>(a, b); }

extern "C" int CStringCompare(const void *a, const void *b) {
    const char *x, *y;
    int result;
    if (NullStrings(a, b, &x, &y, &result)) return result;
    return strcmp(x, y);
}

// Letters fold to lower case in the ASCII range only, so the order does not depend on the
// process's locale; other bytes compare as unsigned values.
extern "C" int CStringNoCaseCompare(const void *a, const void *b) {
    const char *x, *y;
    int result;
    if (NullStrings(a, b, &x, &y, &result)) return result;
    const auto *p = reinterpret_cast<const unsigned char *>(x);
    const auto *q = reinterpret_cast<const unsigned char *>(y);
    while (*p != 0 && FoldAscii(*p) == FoldAscii(*q)) ++p, ++q;
    return FoldAscii(*p) - FoldAscii(*q);
}
