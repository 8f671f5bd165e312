/* toolbox/containers/list.h - the list container.
 *
 * A ListHandle is an ordered, growable array of fixed-size items stored by value, addressed by
 * positions from 1. LIST_FRONT (-1) stands for the first item and LIST_END (0) for the last;
 * for insertion they mean in front of the first item and behind the last. The list lives in one
 * Handle whose block holds a ListHeader followed by the items, so the ListHandle value stays
 * valid while the storage grows and moves; every item pointer obtained earlier is invalidated
 * by any operation that changes the capacity.
 *
 * Every operation accepts a NULL list: results are 0 (NULL for pointers), the others do nothing.
 * Functions returning int report 1 for success and 0 for failure unless said otherwise; on
 * failure the list is left as it was. A list owns its item bytes, never what they point to.
 * Lists take no locks; their owner serialises access.
 */
#ifndef TOOLBOX_CONTAINERS_LIST_H
#define TOOLBOX_CONTAINERS_LIST_H

#include <stdarg.h>
#include <stdint.h>

#include "toolbox/containers/handles.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef Handle ListHandle;

#define LIST_FRONT (-1)
#define LIST_END 0
#define LIST_SIGNATURE 0x4C495354 /* "LIST", written at creation, read by nothing */

/* The header at the start of a list's block; the items follow it directly. */
typedef struct ListHeader {
    int32_t signature;     /* LIST_SIGNATURE */
    int32_t growthPercent; /* growth policy: percent part (10 at creation) */
    int32_t minGrowth;     /* growth policy: least slots added by policy (4 at creation) */
    int32_t capacity;      /* item slots the block has room for */
    int32_t itemSize;      /* bytes per item, fixed at creation */
    int32_t numItems;      /* items in use, 0..capacity */
} ListHeader;

/* Compares two items: negative / 0 / positive as item1 sorts before / with / after item2.
 * Wherever one is taken, NULL means a byte comparison (memcmp) of the item size. */
typedef int (*CompareFunction)(const void *item1, const void *item2);

/* Called for one item by ListApplyToEach; a negative result stops the walk. */
typedef int (*ListApplyFunction)(int position, void *item, void *callbackData);

/* ---- Creation and disposal ---------------------------------------------------------------- */

/* A new empty list of items of `itemSize` bytes; NULL when memory runs out or itemSize < 0. */
ListHandle ListCreate(int itemSize);
/* Frees the list (not what its items point to). */
void ListDispose(ListHandle list);
/* For a list of heap pointers (item size = pointer size, 8 here): free()s every item, first to
 * last, then disposes of the list. A list of another item size is a programming error. */
void ListDisposePtrList(ListHandle list);
/* A new list with the same item size, policy and items, with capacity = item count; NULL for
 * a NULL source or when memory runs out. */
ListHandle ListCopy(ListHandle list);
/* Sets the growth policy: growth by policy adds max(capacity * (100 + percentIncrease) / 100,
 * minItemsPerAlloc) slots beyond those needed. Values below 0 count as 0. */
void ListSetAllocationPolicy(ListHandle list, int minItemsPerAlloc, int percentIncrease);
/* Makes sure at least `numItems` free slots exist (growing by exactly the shortfall); 1/0. */
int ListPreAllocate(ListHandle list, int numItems);
/* Shrinks the block to hold exactly the items in use; on failure the list stays as it was. */
void ListCompact(ListHandle list);
/* Removes every item; the storage is kept. */
void ListClear(ListHandle list);

/* ---- Insertion, replacement, removal ------------------------------------------------------ */

/* Inserts `numItemsToInsert` items copied from `ptrToItems` (zero-filled when it is NULL) in
 * front of `position` (1..n), or behind the last item for LIST_END or n + 1; LIST_FRONT inserts
 * in front of item 1. 1 on success; 0 for a count <= 0, a position above n + 1 or below -1, or
 * when memory runs out. The items may lie in the list itself. */
int ListInsertItems(ListHandle list, const void *ptrToItems, int position, int numItemsToInsert);
/* ListInsertItems with a count of 1. */
int ListInsertItem(ListHandle list, const void *ptrToItem, int position);
/* Copies all items of `listToAppend` behind those of `list`, leaving capacity = item count.
 * 1 when done or when `listToAppend` is NULL or empty; 0 for a NULL `list`, different item
 * sizes, or when memory runs out. A list may be appended to itself. */
int ListAppend(ListHandle list, ListHandle listToAppend);
/* Overwrites items firstPosition..firstPosition+numItems-1 from `ptrToItems`; nothing happens
 * when the run is out of range or the source is NULL. */
void ListReplaceItems(ListHandle list, const void *ptrToItems, int firstPosition, int numItems);
/* ListReplaceItems with a count of 1. */
void ListReplaceItem(ListHandle list, const void *ptrToItem, int position);
/* Removes a run of items, copying them to `itemDestination` first when it is not NULL; nothing
 * happens when the run is out of range. The storage is never shrunk. */
void ListRemoveItems(ListHandle list, void *itemDestination, int firstPosition, int numItems);
/* ListRemoveItems with a count of 1. */
void ListRemoveItem(ListHandle list, void *itemDestination, int position);
/* Inserts behind the first item equal to *ptrToItemToFind, or at the end when none is. 1/0. */
int ListInsertAfterItem(ListHandle list, const void *ptrToItemToInsert, const void *ptrToItemToFind,
                        CompareFunction compare);
/* Inserts in front of the first item equal to *ptrToItemToFind, or at the front when none is. */
int ListInsertBeforeItem(ListHandle list, const void *ptrToItemToInsert, const void *ptrToItemToFind,
                         CompareFunction compare);
/* Keeps the first occurrence of each value, removes every later equal item; order is kept.
 * Quadratic in the number of items. */
void ListRemoveDuplicates(ListHandle list, CompareFunction compare);

/* ---- Access ------------------------------------------------------------------------------- */

/* Copies items firstPosition..firstPosition+numItems-1 to `itemDestination`; nothing happens
 * when the run is out of range or the destination is NULL. */
void ListGetItems(ListHandle list, void *itemDestination, int firstPosition, int numItems);
/* ListGetItems with a count of 1. */
void ListGetItem(ListHandle list, void *itemDestination, int position);
/* The item's address in the list's storage, or NULL for an empty list or a bad position. */
void *ListGetPtrToItem(ListHandle list, int position);
/* The address of item 1's slot (also for an empty list); NULL for a NULL list. */
void *ListGetDataPtr(ListHandle list);
/* The number of items (0 for NULL). */
int ListNumItems(ListHandle list);
/* The item size in bytes (0 for NULL). */
int ListGetItemSize(ListHandle list);
/* 1 when both lists have the same item size and identical item bytes, or are the same handle
 * (two NULLs included); 0 otherwise, also when just one of them is NULL. */
int ListEqual(ListHandle list1, ListHandle list2);
/* The position of the first item at or after `startingPosition` for which compare(key, item)
 * gives 0; 0 when none does, for a NULL key or a bad starting position. */
int ListFindItem(ListHandle list, const void *ptrToItem, int startingPosition, CompareFunction compare);
/* Calls fn(position, item, callbackData) for each item, first to last when `ascending` is
 * non-zero, else last to first, stopping at the first negative result. Returns the last
 * result, 0 when fn was never called (also for a NULL fn). fn may change the list; the item
 * pointer it gets is valid only during its call. */
int ListApplyToEach(ListHandle list, int ascending, ListApplyFunction fn, void *callbackData);

/* ---- Integer lists (item size 4, items are int) ------------------------------------------- */

/* Reads ints from `args` into a new list stored in *list, stopping at the first value <= 1
 * (not stored) or, when numIntegers > 0, after numIntegers values. 0 on success; -12 when
 * memory runs out (*list is then NULL). A NULL `list` is a programming error (assertion). */
int GetIntListFromParmInfo(va_list args, int numIntegers, ListHandle *list);
/* A new list of the ints that follow, read as GetIntListFromParmInfo does; NULL on failure. */
ListHandle BuildIntegerList(int numIntegers, ...);
/* Appends the ints that follow, read as GetIntListFromParmInfo does; 1/0. */
int AppendToIntegerList(ListHandle list, int numIntegers, ...);

#ifdef __cplusplus
}
#endif

#endif
