/* toolbox/containers/list_output.h - printing a list's items as text to a stream.
 *
 * OutputList writes an optional text before the list, before each item, between items and
 * after the list, and prints each item with a caller-supplied function. The decoration texts
 * are printf formats ("%%" writes a percent sign); the item prefix and separator may hold one
 * "%d" for the item's position, the list suffix one "%d" for the item count. The list prefix
 * gets no argument. A NULL decoration writes nothing.
 */
#ifndef TOOLBOX_CONTAINERS_LIST_OUTPUT_H
#define TOOLBOX_CONTAINERS_LIST_OUTPUT_H

#include <stdio.h>

#include "toolbox/containers/list.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Prints one item; returns the number of characters written, or a negative value on failure. */
typedef int (*ItemOutputFunction)(FILE *stream, const void *item);

/* ---- List output -------------------------------------------------------------------------- */

/* Writes the list to `stream` (standard output when NULL); returns the total number of
 * characters written, or the first negative result of a write or of `outputFunction` (what was
 * written stays written). A NULL outputFunction writes "Error, no output function specified\n"
 * and returns what that write returned. A NULL list prints as an empty one. */
int OutputList(ListHandle list, FILE *stream, const char *listPrefix, const char *listSuffix,
               const char *itemPrefix, const char *itemSeparator, ItemOutputFunction outputFunction);

/* Item printers: each returns what fprintf returned. */
int OutputIntegerItem(FILE *stream, const void *item); /* int, "%d" */
int OutputShortItem(FILE *stream, const void *item);   /* short, widened to int, "%d" */
int OutputDoubleItem(FILE *stream, const void *item);  /* double, "%f" */
int OutputStringItem(FILE *stream, const void *item);  /* char * (the item is the pointer), "%s"; NULL prints "(null)" */

#ifdef __cplusplus
}
#endif

#endif
