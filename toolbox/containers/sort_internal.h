// toolbox/containers/sort_internal.h - the pieces the sorts share: the comparison of two
// elements (a caller's function or memcmp) and element swaps in fixed units, inlined so that
// each sort picks its swap once per call instead of testing sizes on every exchange.
#ifndef TOOLBOX_CONTAINERS_SORT_INTERNAL_H
#define TOOLBOX_CONTAINERS_SORT_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "toolbox/containers/list.h"

namespace toolbox::sort {

// compare(a, b), or memcmp over the element size when no function was given.
struct Comparer {
    CompareFunction fn;
    size_t size;
    int operator()(const void *a, const void *b) const { return fn != nullptr ? fn(a, b) : memcmp(a, b, size); }
};

// Exchanges two elements of `size` bytes (a multiple of sizeof(Unit)) unit by unit. The units
// are read and written through memcpy, which compiles to plain loads and stores.
template <class Unit>
inline void SwapUnits(char *a, char *b, size_t size) {
    for (size_t i = 0; i < size; i += sizeof(Unit)) {
        Unit x, y;
        memcpy(&x, a + i, sizeof(Unit));
        memcpy(&y, b + i, sizeof(Unit));
        memcpy(a + i, &y, sizeof(Unit));
        memcpy(b + i, &x, sizeof(Unit));
    }
}

// True when every element of the array starts 4-aligned and is a whole number of words, so
// that SwapBlock would exchange any two of them word by word.
inline bool WordSwappable(const void *base, size_t size) {
    return reinterpret_cast<uintptr_t>(base) % 4 == 0 && size % 4 == 0;
}

// Sorts by heap sort with swaps of the given unit; the public sorts pick the unit.
template <class Unit>
void HeapSortUnits(char *base, size_t n, size_t size, const Comparer &cmp);

}  // namespace toolbox::sort

#endif
