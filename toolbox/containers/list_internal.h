// toolbox/containers/list_internal.h - private helpers shared by the list container's sources:
// reaching the header and the items of a list's block, position rules, item comparison.
#ifndef TOOLBOX_CONTAINERS_LIST_INTERNAL_H
#define TOOLBOX_CONTAINERS_LIST_INTERNAL_H

#include <cstddef>
#include <cstring>

#include "toolbox/containers/list.h"

namespace toolbox::list {

// The block of a list always exists (it holds at least the header), so data is never null.
inline ListHeader *Header(ListHandle list) { return static_cast<ListHeader *>(list->data); }

// Items start right after the 24-byte header, so they are 8-byte aligned in the block.
inline char *Items(ListHandle list) { return static_cast<char *>(list->data) + sizeof(ListHeader); }

// Address of the item at 1-based `position` (the slot, whether in use or not).
inline char *ItemAt(ListHandle list, int position) {
    return Items(list) + static_cast<size_t>(position - 1) * static_cast<size_t>(Header(list)->itemSize);
}

// Maps LIST_FRONT to 1 and LIST_END to the last item, then checks that the run of `count`
// items from there lies within 1..numItems. True when it does; *position is then normalised.
inline bool NormaliseRun(const ListHeader *header, int *position, int count) {
    int p = *position;
    if (p == LIST_FRONT) p = 1;
    else if (p == LIST_END) p = header->numItems;
    if (p < 1 || count < 1) return false;
    if (static_cast<long long>(p) + count - 1 > header->numItems) return false;
    *position = p;
    return true;
}

// compare(a, b), or a byte comparison of `size` bytes when compare is null.
inline int CompareItems(CompareFunction compare, const void *a, const void *b, size_t size) {
    return compare != nullptr ? compare(a, b) : memcmp(a, b, size);
}

}  // namespace toolbox::list

#endif
