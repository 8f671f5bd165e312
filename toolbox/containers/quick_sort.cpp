// ListQuickSort: an iterative quick sort with median-of-three pivots over a list's items.
//
// Pending ranges sit on a fixed stack of 100 element pointers (50 ranges) on the call stack,
// so nothing is allocated. The longer part of every partition is the one pushed and the
// shorter one is worked on next, so each range on the stack is at least twice as long as the
// work above it: at most about log2(n) ranges, 31 for any int count, are ever pending.
#include "toolbox/containers/sort.h"

#include <cstddef>
#include <cstdint>

#include "toolbox/containers/sort_internal.h"

using toolbox::sort::Comparer;
using toolbox::sort::SwapUnits;

namespace {

constexpr int kStackSlots = 100;
constexpr int kPushLimit = 98;  // a range is pushed only while fewer slots are in use

// Orders first, mid and last (mid at index (count - 1) / 2) by three compare-and-swaps and
// returns mid; afterwards first <= mid <= last.
template <class Unit, class Cmp>
char *MedianOfThree(char *first, char *last, size_t size, const Cmp &cmp) {
    size_t count = static_cast<size_t>(last - first) / size + 1;
    char *mid = first + (count - 1) / 2 * size;
    if (cmp(first, mid) > 0) SwapUnits<Unit>(first, mid, size);
    if (cmp(first, last) > 0) SwapUnits<Unit>(first, last, size);
    if (cmp(mid, last) > 0) SwapUnits<Unit>(mid, last, size);
    return mid;
}

// Partitions first..last (at least 4 elements) around the median of three, kept in the slot
// before last while the two scans run. Returns the pivot's final place: nothing in front of it
// compares greater, nothing behind it smaller. The scans stop at the ends by themselves: first
// is no greater than the pivot and last no smaller.
template <class Unit, class Cmp>
char *QuickSortPartition(char *first, char *last, size_t size, const Cmp &cmp) {
    char *pivot = MedianOfThree<Unit>(first, last, size, cmp);
    char *slot = last - size;
    if (pivot != slot) SwapUnits<Unit>(pivot, slot, size);
    char *i = first, *j = slot;
    do {
        do i += size;
        while (i < slot && cmp(i, slot) < 0);
        do j -= size;
        while (j > first && cmp(j, slot) > 0);
        if (i < j) SwapUnits<Unit>(i, j, size);
    } while (i < j);
    if (i != slot) SwapUnits<Unit>(i, slot, size);
    return i;
}

template <class Unit, class Cmp>
void QuickSortItems(char *base, size_t n, size_t size, const Cmp &cmp, const Comparer &general) {
    if (n < 2) return;
    char *stack[kStackSlots];
    int used = 0;
    char *first = base, *last = base + (n - 1) * size;
    // Pushes first..last when it holds more than one element. The stack cannot fill up (see
    // above); should it ever, the range is heap-sorted at once rather than dropped unsorted.
    auto push = [&](char *from, char *to) {
        if (from >= to) return;
        if (used < kPushLimit) {
            stack[used++] = from;
            stack[used++] = to;
        } else {
            toolbox::sort::HeapSortUnits<uint8_t>(from, static_cast<size_t>(to - from) / size + 1, size, general);
        }
    };
    for (;;) {
        size_t count = static_cast<size_t>(last - first) / size + 1;
        if (count >= 4) {
            char *p = QuickSortPartition<Unit>(first, last, size, cmp);
            if (p - first > last - p) {  // the front part is longer: push it, go on behind
                push(first, p - size);
                first = p;
            } else {
                push(p + size, last);
                last = p;
            }
            continue;
        }
        if (count == 3) {
            MedianOfThree<Unit>(first, last, size, cmp);
        } else if (count == 2 && cmp(first, last) > 0) {
            SwapUnits<Unit>(first, last, size);
        }
        if (used == 0) return;
        last = stack[--used];
        first = stack[--used];
    }
}

// The caller's function, called directly: the choice between it and memcmp is made once per
// sort instead of at every comparison.
struct CallCompare {
    CompareFunction fn;
    int operator()(const void *a, const void *b) const { return fn(a, b); }
};

template <class Unit>
void QuickSortWithUnit(char *base, size_t n, const Comparer &cmp) {
    if (cmp.fn != nullptr) QuickSortItems<Unit>(base, n, cmp.size, CallCompare{cmp.fn}, cmp);
    else QuickSortItems<Unit>(base, n, cmp.size, cmp, cmp);
}

}  // namespace

// The swap unit follows the item size: odd sizes go byte by byte, other even sizes in 16-bit
// units, multiples of 4 in 32-bit units (list items are 8-byte aligned in their block).
extern "C" void ListQuickSort(ListHandle list, CompareFunction compare) {
    int n = ListNumItems(list), size = ListGetItemSize(list);
    if (n < 2 || size <= 0) return;
    const Comparer cmp{compare, static_cast<size_t>(size)};
    char *base = static_cast<char *>(ListGetDataPtr(list));
    if (size % 2 != 0) QuickSortWithUnit<uint8_t>(base, n, cmp);
    else if (size % 4 != 0) QuickSortWithUnit<uint16_t>(base, n, cmp);
    else QuickSortWithUnit<uint32_t>(base, n, cmp);
}
