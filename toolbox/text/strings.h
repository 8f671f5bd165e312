/* toolbox/text/strings.h - string utilities: heap strings, white space, bounded copies,
 * case-insensitive comparison and the merging of comma-separated lists.
 *
 * Strings are null-terminated char arrays. A heap string is a block from malloc/realloc owned
 * by whoever holds its pointer; the functions that grow one take the address of the caller's
 * pointer and replace it, and the caller releases the final block with free(). A null pointer is
 * a valid empty heap string for AppendString, AddStringPrefix and AddStringQuotes.
 *
 * Multi-byte aware: in a double-byte system code page (RteSystemCodePage, rte/mbs.h) these
 * functions step over whole characters and, except AddStringPrefix, never leave half a
 * character at the end of a string they cut. White space is what isspace() says of a byte.
 *
 * A null pointer where a contract below says "must not be null" is a programming error: the
 * program stops through DoAssert (toolbox/core/assert.h) with the message quoted.
 * Nothing here keeps state; every function may run on any thread.
 */
#ifndef TOOLBOX_TEXT_STRINGS_H
#define TOOLBOX_TEXT_STRINGS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Heap strings ---------------------------------------------------------------------------- */

/* Pointer to the terminating null of `string`; null for a null string. */
char *StringEnd(const char *string);

/* New heap copy of `string` (free it with free()); null for a null string or when memory runs out. */
char *StrDup(const char *string);

/* Append the first `count` bytes of `text` (all of it when `count` is negative; stopping early at
 * a null byte in it) to the heap string *string, growing the block. In a double-byte code page a
 * lead byte left last, without its trail, is dropped. Returns 1 on success, also when there is
 * nothing to add (a null text or a length of 0: *string, even a null one, stays as it was);
 * 0 when memory runs out, with *string and its block unchanged.
 * `string` must not be null: "NULL passed to first parameter of AppendString()". */
int AppendString(char **string, const char *text, int count);

/* Put the first `count` bytes of `prefix` (all of it when negative) in front of the heap string
 * *string. Returns 1 on success, also when there is nothing to add; 0 when memory runs out, with
 * *string unchanged. The prefix is taken as given, even if it ends in half a character.
 * `string` must not be null: "NULL passed to first parameter of AddStringPrefix()". */
int AddStringPrefix(char **string, const char *prefix, int count);

/* Put the heap string *string between double quotes (a null string becomes ""). Returns 1, or 0
 * when memory runs out; a failure of the opening quote leaves the closing one appended.
 * `string` must not be null (asserted as in AppendString). */
int AddStringQuotes(char **string);

/* New heap copy of `string` without its leading and trailing white space; null when memory runs
 * out. `string` must not be null: "NULL passed to first parameter of StrDupWithoutSurrWhiteSpace()". */
char *StrDupWithoutSurrWhiteSpace(const char *string);

/* ---- White space ------------------------------------------------------------------------------- */

/* First byte of `string` that is not white space (its terminating null if none); null for null. */
char *SkipWhiteSpace(const char *string);

/* First white-space byte of `string` or its terminating null, stepping by whole characters;
 * null for a null string. */
char *SkipNonWhiteSpace(const char *string);

/* 1 if `string` holds a byte that is not white space, else 0 (also for a null string). */
int HasNonWhiteSpace(const char *string);

/* Trim the leading and trailing white space of `string` in place; a null string is ignored. */
void RemoveSurroundingWhiteSpace(char *string);

/* ---- Fixed buffers ------------------------------------------------------------------------------ */

/* Copy `source` into the buffer `destination` of `destBufferSize` bytes, cutting it to fit with a
 * null in the buffer's last byte (one byte earlier rather than splitting a double-byte
 * character). A null source or a size of 0 or less leaves the buffer untouched.
 * `destination` must not be null: "Null string passed to first parameter of StringCopyMax". */
void StringCopyMax(char *destination, const char *source, int destBufferSize);

/* Insert `stringToInsert` at the front of the string `destination`, whose buffer holds
 * `destBufferSize` bytes counted from `destination`; as much of the text as fits is inserted,
 * in whole characters. Returns the pointer just past the inserted text (`destination` when
 * nothing fits). Never writes or reads past the buffer: when the buffer holds no null within its
 * size (the string is already longer than the buffer allows), or the size is 0 or less, nothing
 * is inserted and `destination` is returned.
 * Must not be null: `stringToInsert` ("NULL string passed to second parameter of StringInsert"),
 * checked first, and `destination` ("NULL string passed to first parameter of StringInsert"). */
char *StringInsert(char *destination, const char *stringToInsert, int destBufferSize);

/* ---- Comparison --------------------------------------------------------------------------------- */

/* Compare ignoring case (Rte_mbsicmp): negative, 0 or positive. */
int StrICmp(const char *s1, const char *s2);

/* Compare ignoring case over at most `maxBytes` bytes (Rte_mbsnbicmp): negative, 0 or positive. */
int StrNICmp(const char *s1, const char *s2, size_t maxBytes);

/* Compare ignoring leading and trailing white space and the case of single-byte characters
 * (both taken to upper case with toupper; double-byte characters compare by lead x 256 + trail).
 * Returns exactly -1, 0 or 1. Both null: 0; only s1 null: -1; only s2 null: 1. Interior white
 * space compares like any other character. */
int StrICmpWithoutSurrWhiteSpace(const char *s1, const char *s2);

/* ---- Comma-separated lists ------------------------------------------------------------------------ */

/* Merge two comma-separated lists item by item into a new heap string stored in *result (free
 * it with free()): item i is list1's item i, or list2's when list1's is empty; the result has as
 * many items as the longer list. A null list has no items. Returns 0 on success (two lists
 * without text give ""), -12 when memory runs out, with *result set to null.
 * `result` must not be null: "NULL passed to third parameter of SpliceCommaSeparatedList()". */
int SpliceCommaSeparatedList(const char *list1, const char *list2, char **result);

#ifdef __cplusplus
}
#endif

#endif
