/* toolbox/containers/sort.h - sorting and searching of arrays and lists.
 *
 * Every algorithm works on raw bytes (a base pointer, an element count, an element size in
 * bytes) and orders elements only through a CompareFunction (toolbox/containers/list.h); a NULL
 * comparison means memcmp over the element size (unsigned bytes, lowest address first, which is
 * not numeric order for little-endian integers). All sorts give ascending order; only insertion
 * sort is stable. No sort allocates memory. Array elements are numbered from 0, list items
 * from 1. A NULL array with elements, or a NULL item pointer, is a programming error
 * (assertion) in the array functions.
 */
#ifndef TOOLBOX_CONTAINERS_SORT_H
#define TOOLBOX_CONTAINERS_SORT_H

#include "toolbox/containers/list.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Arrays ------------------------------------------------------------------------------- */

/* The index of an element equal to *itemPtr in a sorted array (the first one the probes meet,
 * not necessarily the first of several equal ones), or -(insertion index) - 1 when none is,
 * the insertion index (0..numElements) being where the item would keep the array sorted. */
int BinSearch(const void *array, int numElements, int elementSize, const void *itemPtr, CompareFunction compare);
/* Sorts in place by heap sort: O(n log n), not stable. */
void HeapSort(void *array, int numElements, int elementSize, CompareFunction compare);
/* Sorts in place by insertion sort: stable, quadratic; for short or nearly sorted arrays. */
void InsertionSort(void *array, int numElements, int elementSize, CompareFunction compare);
/* Exchanges the contents of two non-overlapping blocks (in 32-bit words when both addresses
 * and the count are multiples of 4, else byte by byte). A count <= 0 exchanges nothing. */
void SwapBlock(void *block1, void *block2, int numBytes);

/* ---- Lists (a NULL or empty list is accepted and left alone) ------------------------------- */

/* Sorts the items by an iterative quick sort (median of three): O(n log n) on average. */
void ListQuickSort(ListHandle list, CompareFunction compare);
/* Sorts the items by heap sort. */
void ListHeapSort(ListHandle list, CompareFunction compare);
/* Sorts the items by insertion sort (stable). */
void ListInsertionSort(ListHandle list, CompareFunction compare);
/* The position of an item equal to *itemPtr in a sorted list, or 0 when none is (also for a
 * NULL list or item pointer). */
int ListBinSearch(ListHandle list, const void *itemPtr, CompareFunction compare);
/* 1 when no item compares greater than its successor (0 or 1 items count as sorted), else 0;
 * 0 for a NULL list. */
int ListIsSorted(ListHandle list, CompareFunction compare);
/* Inserts a copy of *itemPtr into a sorted list at its place (in front of an equal item found
 * by the search). 1 on success, 0 for a NULL list or item pointer or when memory runs out. */
int ListInsertInOrder(ListHandle list, const void *itemPtr, CompareFunction compare);

/* ---- Comparison functions (pointers to two elements; usable with qsort and bsearch too) ---- */

/* 16-bit signed integers: -1, 0 or 1. */
int ShortCompare(const void *a, const void *b);
/* 32-bit signed integers: -1, 0 or 1. */
int IntCompare(const void *a, const void *b);
/* floats: -1 when a < b, 0 when equal, else 1 (also when either is not a number). */
int FloatCompare(const void *a, const void *b);
/* doubles: as FloatCompare. */
int DoubleCompare(const void *a, const void *b);
/* Elements are `char *`: strcmp of the strings. A NULL string sorts before every string. */
int CStringCompare(const void *a, const void *b);
/* Elements are `char *`: as CStringCompare with the letters A-Z and a-z compared without case. */
int CStringNoCaseCompare(const void *a, const void *b);

#ifdef __cplusplus
}
#endif

#endif
