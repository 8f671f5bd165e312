// Comparing, searching and walking lists: ListEqual, ListFindItem, the insert-before/after
// helpers built on it, ListRemoveDuplicates and ListApplyToEach.
#include <cstring>

#include "toolbox/containers/list.h"
#include "toolbox/containers/list_internal.h"

using toolbox::list::CompareItems;
using toolbox::list::Header;
using toolbox::list::ItemAt;
using toolbox::list::Items;
using toolbox::list::NormaliseRun;

// Two NULL lists are the same handle and so count as equal; one NULL list equals nothing.
extern "C" int ListEqual(ListHandle list1, ListHandle list2) {
    if (list1 == list2) return 1;
    if (list1 == nullptr || list2 == nullptr) return 0;
    const ListHeader *a = Header(list1), *b = Header(list2);
    if (a->itemSize != b->itemSize || a->numItems != b->numItems) return 0;
    return memcmp(Items(list1), Items(list2), static_cast<size_t>(a->numItems) * a->itemSize) == 0;
}

extern "C" int ListFindItem(ListHandle list, const void *ptrToItem, int startingPosition, CompareFunction compare) {
    if (list == nullptr || ptrToItem == nullptr) return 0;
    const ListHeader *h = Header(list);
    if (!NormaliseRun(h, &startingPosition, 1)) return 0;
    for (int i = startingPosition; i <= h->numItems; ++i) {
        if (CompareItems(compare, ptrToItem, ItemAt(list, i), h->itemSize) == 0) return i;
    }
    return 0;
}

extern "C" int ListInsertAfterItem(ListHandle list, const void *ptrToItemToInsert, const void *ptrToItemToFind,
                                   CompareFunction compare) {
    int found = ListFindItem(list, ptrToItemToFind, LIST_FRONT, compare);
    return ListInsertItem(list, ptrToItemToInsert, found > 0 ? found + 1 : LIST_END);
}

extern "C" int ListInsertBeforeItem(ListHandle list, const void *ptrToItemToInsert, const void *ptrToItemToFind,
                                    CompareFunction compare) {
    int found = ListFindItem(list, ptrToItemToFind, LIST_FRONT, compare);
    return ListInsertItem(list, ptrToItemToInsert, found > 0 ? found : LIST_FRONT);
}

// Item i stays where it is while later items are removed, so its address serves as the key.
extern "C" void ListRemoveDuplicates(ListHandle list, CompareFunction compare) {
    if (list == nullptr) return;
    for (int i = 1; i < Header(list)->numItems; ++i) {
        const void *key = ItemAt(list, i);
        int at = ListFindItem(list, key, i + 1, compare);
        while (at > 0) {
            ListRemoveItem(list, nullptr, at);
            at = ListFindItem(list, key, at, compare);  // 0 once `at` is past the end
        }
    }
}

extern "C" int ListApplyToEach(ListHandle list, int ascending, ListApplyFunction fn, void *callbackData) {
    if (list == nullptr || fn == nullptr) return 0;
    int result = 0;
    if (ascending) {
        // The count is read again before every call: the callback may add or remove items.
        for (int i = 1; i <= Header(list)->numItems; ++i) {
            result = fn(i, ItemAt(list, i), callbackData);
            if (result < 0) break;
        }
    } else {
        for (int i = Header(list)->numItems; i >= 1 && i <= Header(list)->numItems; --i) {
            result = fn(i, ItemAt(list, i), callbackData);
            if (result < 0) break;
        }
    }
    return result;
}
