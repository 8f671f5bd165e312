/* rte/alloc.h - heap allocation with fault injection.
 *
 * Every heap block that the engine and the utility library allocate for their callers, or that
 * may fail in a way a caller can observe, comes from these functions. They behave exactly like
 * malloc, calloc, realloc and strdup (and blocks are released with free), except that a test can
 * make the n-th call from a chosen point fail (see rte/alloc_testing.h), so every failure path
 * of an allocating function can be run. Safe on any thread.
 */
#ifndef RTE_ALLOC_H
#define RTE_ALLOC_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

void *RteMalloc(size_t size);                /* malloc, or NULL when a fault is injected */
void *RteCalloc(size_t count, size_t size);  /* calloc, or NULL when a fault is injected */
void *RteRealloc(void *block, size_t size);  /* realloc; on an injected fault the block stays as it was and NULL is returned */
char *RteStrdup(const char *text);           /* strdup, or NULL when a fault is injected */

#ifdef __cplusplus
}
#endif

#endif
