// Sorting and searching on lists: the list forms of heap and insertion sort, binary search,
// the sortedness test and ordered insertion. They run the array algorithms on the item storage.
#include "toolbox/containers/sort.h"

#include <cstddef>

#include "toolbox/containers/sort_internal.h"

extern "C" void ListHeapSort(ListHandle list, CompareFunction compare) {
    if (ListNumItems(list) >= 2) HeapSort(ListGetDataPtr(list), ListNumItems(list), ListGetItemSize(list), compare);
}

extern "C" void ListInsertionSort(ListHandle list, CompareFunction compare) {
    if (ListNumItems(list) >= 2)
        InsertionSort(ListGetDataPtr(list), ListNumItems(list), ListGetItemSize(list), compare);
}

extern "C" int ListBinSearch(ListHandle list, const void *itemPtr, CompareFunction compare) {
    if (list == nullptr || itemPtr == nullptr) return 0;
    int index = BinSearch(ListGetDataPtr(list), ListNumItems(list), ListGetItemSize(list), itemPtr, compare);
    return index >= 0 ? index + 1 : 0;
}

extern "C" int ListIsSorted(ListHandle list, CompareFunction compare) {
    if (list == nullptr) return 0;
    const toolbox::sort::Comparer cmp{compare, static_cast<size_t>(ListGetItemSize(list))};
    const char *item = static_cast<const char *>(ListGetDataPtr(list));
    for (int i = 1; i < ListNumItems(list); ++i, item += cmp.size) {
        if (cmp(item, item + cmp.size) > 0) return 0;
    }
    return 1;
}

// An item equal to one already present goes in front of the equal item the search found.
extern "C" int ListInsertInOrder(ListHandle list, const void *itemPtr, CompareFunction compare) {
    if (list == nullptr || itemPtr == nullptr) return 0;
    int n = ListNumItems(list);
    if (n == 0) return ListInsertItem(list, itemPtr, LIST_FRONT);
    int index = BinSearch(ListGetDataPtr(list), n, ListGetItemSize(list), itemPtr, compare);
    int position = index >= 0 ? index + 1 : -index - 1 + 1;
    return ListInsertItem(list, itemPtr, position > n ? LIST_END : position);
}
