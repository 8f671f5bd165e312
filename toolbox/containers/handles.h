/* toolbox/containers/handles.h - relocatable memory handles.
 *
 * A handle is a fixed reference to a record that holds a pointer to a heap block and the block's
 * size. The block may move whenever the size changes; the handle value never does, so a holder
 * keeps the handle and reaches the bytes through it (one indirection: `h->data`). Any pointer
 * taken into the bytes is invalidated by a change of size. Bytes a handle gains are always zero.
 * Handles take no locks; their holder serialises access.
 */
#ifndef TOOLBOX_CONTAINERS_HANDLES_H
#define TOOLBOX_CONTAINERS_HANDLES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The record behind a handle. `data` comes first so that `*(void **)h` is the block.
 * `data` is NULL only while the size is 0. Both the record and the block belong to the handle. */
typedef struct HandleRecord {
    void *data;    /* the bytes; moves on resizing */
    uint32_t size; /* number of bytes in the block (a 32-bit count on every platform) */
} HandleRecord;

typedef HandleRecord *Handle;

/* ---- Handles ---------------------------------------------------------------------------- */

/* A new handle of `size` zero bytes (no block at all for 0), or NULL when memory runs out. */
Handle NewHandle(unsigned int size);

/* Frees the block and the record. NULL is accepted and ignored. */
void DisposeHandle(Handle h);

/* The size in bytes. A NULL handle is a programming error (assertion). */
unsigned int GetHandleSize(Handle h);

/* Resizes the block to `newSize` bytes, zero-filling any new tail; 1 on success, 0 when memory
 * runs out (the handle then keeps its old block and size). A size of 0 frees the block.
 * A NULL handle is a programming error (assertion). */
int SetHandleSize(Handle h, unsigned int newSize);

#ifdef __cplusplus
}
#endif

#endif
