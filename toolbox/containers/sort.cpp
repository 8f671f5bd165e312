// Array sorting and searching: BinSearch, HeapSort, InsertionSort and SwapBlock.
//
// The sorts exchange elements exactly as SwapBlock would (word by word when addresses and size
// are multiples of 4, else byte by byte), with the choice made once per call.
#include "toolbox/containers/sort.h"

#include "toolbox/containers/sort_internal.h"
#include "toolbox/core/check_internal.h"

using toolbox::sort::Comparer;
using toolbox::sort::SwapUnits;
using toolbox::sort::WordSwappable;

namespace toolbox::sort {

// Heap of elements numbered from 1: element i lives at base + (i - 1) * size, its children are
// 2i and 2i + 1. First a max-heap is built by sifting each element up; then the largest is
// swapped behind the shrinking heap and the new root sifted down.
template <class Unit>
void HeapSortUnits(char *base, size_t n, size_t size, const Comparer &cmp) {
    auto at = [&](size_t i) { return base + (i - 1) * size; };
    for (size_t c = 2; c <= n; ++c) {
        for (size_t k = c; k / 2 >= 1 && cmp(at(k), at(k / 2)) > 0; k /= 2) SwapUnits<Unit>(at(k), at(k / 2), size);
    }
    for (size_t end = n; end >= 2; --end) {
        SwapUnits<Unit>(at(1), at(end), size);
        size_t heap = end - 1;
        for (size_t k = 1;;) {
            size_t left = 2 * k, right = left + 1;
            if (left > heap) break;
            size_t child = right > heap || cmp(at(left), at(right)) >= 0 ? left : right;
            if (cmp(at(k), at(child)) >= 0) break;
            SwapUnits<Unit>(at(k), at(child), size);
            k = child;
        }
    }
}

template void HeapSortUnits<uint8_t>(char *, size_t, size_t, const Comparer &);
template void HeapSortUnits<uint32_t>(char *, size_t, size_t, const Comparer &);

}  // namespace toolbox::sort

namespace {

// Moves each element towards the front past every predecessor that compares greater; equal
// elements are never exchanged, which keeps the sort stable.
template <class Unit>
void InsertionSortUnits(char *base, size_t n, size_t size, const Comparer &cmp) {
    for (size_t i = 1; i < n; ++i) {
        for (char *e = base + i * size; e > base && cmp(e - size, e) > 0; e -= size) SwapUnits<Unit>(e - size, e, size);
    }
}

}  // namespace

// Index arithmetic: mid = lo + (hi - lo) / 2 equals (lo + hi) / 2 for the non-negative bounds
// here without the sum overflowing for arrays of more than 2^30 elements.
extern "C" int BinSearch(const void *array, int numElements, int elementSize, const void *itemPtr,
                         CompareFunction compare) {
    TOOLBOX_CHECK(array != nullptr || numElements <= 0, "Parameter 1 to BinSearch was NULL.");
    TOOLBOX_CHECK_ARG(itemPtr, "Parameter 4 to BinSearch was NULL.");
    const Comparer cmp{compare, static_cast<size_t>(elementSize > 0 ? elementSize : 0)};
    const char *base = static_cast<const char *>(array);
    int lo = 0, hi = numElements - 1, mid = 0, last = -1;
    while (lo <= hi) {
        mid = lo + (hi - lo) / 2;
        last = cmp(itemPtr, base + static_cast<size_t>(mid) * cmp.size);
        if (last == 0) return mid;
        if (last < 0) hi = mid - 1;
        else lo = mid + 1;
    }
    int insertion = last > 0 ? mid + 1 : mid;
    return -insertion - 1;
}

extern "C" void HeapSort(void *array, int numElements, int elementSize, CompareFunction compare) {
    if (numElements < 2 || elementSize <= 0) return;
    TOOLBOX_CHECK_ARG(array, "Parameter 1 to HeapSort was NULL.");
    const Comparer cmp{compare, static_cast<size_t>(elementSize)};
    char *base = static_cast<char *>(array);
    if (WordSwappable(base, cmp.size)) toolbox::sort::HeapSortUnits<uint32_t>(base, numElements, cmp.size, cmp);
    else toolbox::sort::HeapSortUnits<uint8_t>(base, numElements, cmp.size, cmp);
}

extern "C" void InsertionSort(void *array, int numElements, int elementSize, CompareFunction compare) {
    if (numElements < 2 || elementSize <= 0) return;
    TOOLBOX_CHECK_ARG(array, "Parameter 1 to InsertionSort was NULL.");
    const Comparer cmp{compare, static_cast<size_t>(elementSize)};
    char *base = static_cast<char *>(array);
    if (WordSwappable(base, cmp.size)) InsertionSortUnits<uint32_t>(base, numElements, cmp.size, cmp);
    else InsertionSortUnits<uint8_t>(base, numElements, cmp.size, cmp);
}

extern "C" void SwapBlock(void *block1, void *block2, int numBytes) {
    if (numBytes <= 0) return;
    TOOLBOX_CHECK_ARG(block1, "Parameter to SwapBlock was NULL.");
    TOOLBOX_CHECK_ARG(block2, "Parameter to SwapBlock was NULL.");
    char *a = static_cast<char *>(block1), *b = static_cast<char *>(block2);
    if (WordSwappable(a, numBytes) && WordSwappable(b, numBytes)) SwapUnits<uint32_t>(a, b, numBytes);
    else SwapUnits<uint8_t>(a, b, numBytes);
}
