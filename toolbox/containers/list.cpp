// The list container: creation, growth, insertion, removal and access of a ListHandle.
//
// Invariants kept here: the handle's block is always sizeof(ListHeader) + capacity * itemSize
// bytes; 0 <= numItems <= capacity; items 1..numItems are contiguous from the start of the
// item storage. Every size computation is made in 64 bits and refused when the block would not
// fit the handle's 32-bit size, so a huge count fails cleanly instead of wrapping around.
#include "toolbox/containers/list.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "toolbox/containers/list_internal.h"
#include "toolbox/core/check_internal.h"

using toolbox::list::Header;
using toolbox::list::ItemAt;
using toolbox::list::Items;
using toolbox::list::NormaliseRun;

namespace {

// Bytes of a block holding `capacity` items, or 0 when that does not fit a handle (or an int
// capacity). 0 is never a valid answer otherwise, because the header alone takes 24 bytes.
uint32_t BlockSize(long long capacity, int itemSize) {
    if (capacity < 0 || capacity > INT32_MAX) return 0;
    unsigned long long bytes = sizeof(ListHeader) + static_cast<unsigned long long>(capacity) * itemSize;
    return bytes > UINT32_MAX ? 0 : static_cast<uint32_t>(bytes);
}

// Resizes the block to hold exactly `capacity` items and records the new capacity; 1/0, the
// list unchanged on failure.
int ResizeTo(ListHandle list, long long capacity) {
    uint32_t bytes = BlockSize(capacity, Header(list)->itemSize);
    if (bytes == 0 || !SetHandleSize(list, bytes)) return 0;
    Header(list)->capacity = static_cast<int32_t>(capacity);
    return 1;
}

// Enlarges the capacity. A positive count adds exactly that many slots; a negative count -k
// adds k slots plus the policy's growth G = max(capacity * (growthPercent + 100) / 100,
// minGrowth). The policy values are not checked when set, so G is taken as at least 0 here:
// a negative policy then adds only what was asked for, never fewer slots than needed.
int ListGrow(ListHandle list, int count) {
    const ListHeader *h = Header(list);
    long long added = count;
    if (count < 0) {
        long long grown = static_cast<long long>(h->capacity) * (h->growthPercent + 100LL) / 100;
        long long g = grown > h->minGrowth ? grown : h->minGrowth;
        added = -static_cast<long long>(count) + (g > 0 ? g : 0);
        // Past the 32-bit limit, settle for the slots needed rather than fail outright.
        if (BlockSize(h->capacity + added, h->itemSize) == 0) added = -static_cast<long long>(count);
    }
    return ResizeTo(list, h->capacity + added);
}

// Copies `bytes` bytes to `dest` from offset `offset` of the list's block as it was before an
// insertion of `shift` bytes at block offset `boundary`: bytes of the old block at or past the
// boundary have since moved up by `shift`. `block` is the block now.
void CopyFromOwnBlock(char *dest, size_t offset, size_t bytes, char *block, size_t boundary, size_t shift) {
    if (offset < boundary) {  // the part in front of the insertion point did not move
        size_t front = boundary - offset < bytes ? boundary - offset : bytes;
        memmove(dest, block + offset, front);
        dest += front;
        offset += front;
        bytes -= front;
    }
    if (bytes > 0) memmove(dest, block + offset + shift, bytes);
}

}  // namespace

extern "C" ListHandle ListCreate(int itemSize) {
    if (itemSize < 0) return nullptr;
    ListHandle list = NewHandle(sizeof(ListHeader));
    if (list == nullptr) return nullptr;
    ListHeader *h = Header(list);
    h->signature = LIST_SIGNATURE;
    h->growthPercent = 10;
    h->minGrowth = 4;
    h->capacity = 0;
    h->itemSize = itemSize;
    h->numItems = 0;
    return list;
}

extern "C" void ListDispose(ListHandle list) { DisposeHandle(list); }

// Porting: the items hold pointers, 8 bytes here; a list of any other item size cannot hold
// pointers, and freeing parts of its bytes as pointers would corrupt the heap.
extern "C" void ListDisposePtrList(ListHandle list) {
    if (list == nullptr) return;
    const int itemSize = Header(list)->itemSize, kPointerSize = static_cast<int>(sizeof(void *));
    TOOLBOX_CHECK(itemSize == kPointerSize, "Parameter 1 to ListDisposePtrList is not a list of pointers.");
    for (int i = 1; i <= Header(list)->numItems; ++i) {
        void *p;
        memcpy(&p, ItemAt(list, i), sizeof p);
        free(p);
    }
    ListDispose(list);
}

extern "C" ListHandle ListCopy(ListHandle list) {
    if (list == nullptr) return nullptr;
    const ListHeader *src = Header(list);
    ListHandle copy = ListCreate(src->itemSize);
    if (copy == nullptr) return nullptr;
    if (!ResizeTo(copy, src->numItems)) {
        ListDispose(copy);
        return nullptr;
    }
    ListHeader *h = Header(copy);
    h->growthPercent = src->growthPercent;
    h->minGrowth = src->minGrowth;
    h->numItems = src->numItems;
    memcpy(Items(copy), Items(list), static_cast<size_t>(src->numItems) * src->itemSize);
    return copy;
}

extern "C" void ListSetAllocationPolicy(ListHandle list, int minItemsPerAlloc, int percentIncrease) {
    if (list == nullptr) return;
    Header(list)->minGrowth = minItemsPerAlloc;
    Header(list)->growthPercent = percentIncrease;
}

extern "C" int ListPreAllocate(ListHandle list, int numItems) {
    if (list == nullptr) return 0;
    const ListHeader *h = Header(list);
    int spare = h->capacity - h->numItems;
    if (spare >= numItems) return 1;
    return ListGrow(list, numItems - spare);
}

extern "C" void ListCompact(ListHandle list) {
    if (list != nullptr) ResizeTo(list, Header(list)->numItems);
}

extern "C" void ListClear(ListHandle list) {
    if (list != nullptr) Header(list)->numItems = 0;
}


// Kept out of line so that the short path of ListInsertItem stays small when inlining is eager.
[[gnu::noinline]] static int InsertItems(ListHandle list, const void *ptrToItems, int position, int numItemsToInsert) {
    if (list == nullptr || numItemsToInsert <= 0) return 0;
    const int k = numItemsToInsert;
    int n = Header(list)->numItems;
    // Positions below LIST_FRONT are refused rather than taken as some other place.
    if (position < LIST_FRONT || position > n + 1) return 0;
    if (position == n + 1) position = LIST_END;
    if (static_cast<long long>(n) + k > INT32_MAX) return 0;

    // The items to insert may be some of the list's own, which growing can move: remember
    // where they stood in the block rather than their address.
    const auto src = reinterpret_cast<uintptr_t>(ptrToItems);
    const auto oldBlock = reinterpret_cast<uintptr_t>(list->data);
    const bool ownItems = ptrToItems != nullptr && src >= oldBlock && src < oldBlock + list->size;
    if (Header(list)->capacity - n < k && !ListGrow(list, -k)) return 0;

    if (position == LIST_FRONT) position = n == 0 ? LIST_END : 1;
    const size_t itemSize = static_cast<size_t>(Header(list)->itemSize);
    const size_t bytes = k * itemSize;
    char *block = static_cast<char *>(list->data);
    char *dest;
    size_t boundary = list->size, shift = 0;  // nothing moves when appending
    if (position == LIST_END) {
        dest = ItemAt(list, n + 1);
    } else {
        dest = ItemAt(list, position);
        memmove(dest + bytes, dest, (n - position + 1) * itemSize);
        boundary = static_cast<size_t>(dest - block);
        shift = bytes;
    }
    if (ptrToItems == nullptr) memset(dest, 0, bytes);
    else if (!ownItems) memcpy(dest, ptrToItems, bytes);
    else CopyFromOwnBlock(dest, src - oldBlock, bytes, block, boundary, shift);
    Header(list)->numItems = n + k;
    return 1;
}

extern "C" int ListInsertItems(ListHandle list, const void *ptrToItems, int position, int numItemsToInsert) {
    return InsertItems(list, ptrToItems, position, numItemsToInsert);
}

// Appending one int- or pointer-sized item where a slot is free is by far the most common
// insertion; it takes a short path with a fixed-size move. Nothing else moves, so the item may
// be one of the list's own.
extern "C" int ListInsertItem(ListHandle list, const void *ptrToItem, int position) {
    if (list != nullptr && ptrToItem != nullptr) {
        ListHeader *h = Header(list);
        const int n = h->numItems, size = h->itemSize;
        if ((position == LIST_END || position == n + 1) && n < h->capacity && (size == 4 || size == 8)) {
            char *dest = Items(list) + static_cast<size_t>(n) * size;
            if (size == 4) memmove(dest, ptrToItem, 4);
            else memmove(dest, ptrToItem, 8);
            h->numItems = n + 1;
            return 1;
        }
    }
    return InsertItems(list, ptrToItem, position, 1);
}

extern "C" int ListAppend(ListHandle list, ListHandle listToAppend) {
    if (listToAppend == nullptr) return 1;
    if (list == nullptr) return 0;
    if (Header(list)->itemSize != Header(listToAppend)->itemSize) return 0;
    const int m = Header(listToAppend)->numItems;
    if (m == 0) return 1;
    const int n = Header(list)->numItems;
    // Resized to exactly n + m items, which also drops surplus capacity.
    if (!ResizeTo(list, static_cast<long long>(n) + m)) return 0;
    Header(list)->numItems = n + m;
    // Read the source after the resize: appending a list to itself reads the moved block.
    memcpy(ItemAt(list, n + 1), Items(listToAppend), static_cast<size_t>(m) * Header(list)->itemSize);
    return 1;
}

extern "C" void ListReplaceItems(ListHandle list, const void *ptrToItems, int firstPosition, int numItems) {
    if (list == nullptr || ptrToItems == nullptr) return;
    if (!NormaliseRun(Header(list), &firstPosition, numItems)) return;
    memmove(ItemAt(list, firstPosition), ptrToItems, static_cast<size_t>(numItems) * Header(list)->itemSize);
}

extern "C" void ListReplaceItem(ListHandle list, const void *ptrToItem, int position) {
    ListReplaceItems(list, ptrToItem, position, 1);
}

extern "C" void ListRemoveItems(ListHandle list, void *itemDestination, int firstPosition, int numItems) {
    if (list == nullptr) return;
    ListHeader *h = Header(list);
    if (!NormaliseRun(h, &firstPosition, numItems)) return;
    const size_t itemSize = static_cast<size_t>(h->itemSize);
    char *run = ItemAt(list, firstPosition);
    if (itemDestination != nullptr) memmove(itemDestination, run, numItems * itemSize);
    memmove(run, run + numItems * itemSize, (h->numItems - (firstPosition + numItems - 1)) * itemSize);
    h->numItems -= numItems;
}

extern "C" void ListRemoveItem(ListHandle list, void *itemDestination, int position) {
    ListRemoveItems(list, itemDestination, position, 1);
}

extern "C" void ListGetItems(ListHandle list, void *itemDestination, int firstPosition, int numItems) {
    if (list == nullptr || itemDestination == nullptr) return;
    if (!NormaliseRun(Header(list), &firstPosition, numItems)) return;
    memmove(itemDestination, ItemAt(list, firstPosition), static_cast<size_t>(numItems) * Header(list)->itemSize);
}

extern "C" void ListGetItem(ListHandle list, void *itemDestination, int position) {
    ListGetItems(list, itemDestination, position, 1);
}

extern "C" void *ListGetPtrToItem(ListHandle list, int position) {
    if (list == nullptr || !NormaliseRun(Header(list), &position, 1)) return nullptr;
    return ItemAt(list, position);
}

extern "C" void *ListGetDataPtr(ListHandle list) { return list != nullptr ? Items(list) : nullptr; }

extern "C" int ListNumItems(ListHandle list) { return list != nullptr ? Header(list)->numItems : 0; }

extern "C" int ListGetItemSize(ListHandle list) { return list != nullptr ? Header(list)->itemSize : 0; }
