/* rte/threads.h - locks, thread-safe variables and thread-local variables of the engine.
 *
 * Three kinds of thread objects, each named by a positive int handle that is never reused
 * within a process run. Every function returns 0 (or a documented positive value) on success
 * and one of the negative codes below on failure; on failure the out-parameters are untouched.
 * Every function is safe on any thread. Handles are process-wide.
 *
 * Threads are identified by the engine's thread IDs (RteGetCurrentThreadID, rte/engine.h).
 */
#ifndef RTE_THREADS_H
#define RTE_THREADS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Error codes ------------------------------------------------------------------------- */

#define RTE_THREAD_ERR_OUT_OF_MEMORY (-12)     /* the object or its storage could not be made */
#define RTE_THREAD_ERR_NULL_POINTER (-65)      /* a required pointer argument was NULL */
#define RTE_THREAD_ERR_INVALID_VALUE (-90)     /* a size of 0 or less */
#define RTE_THREAD_ERR_INVALID_HANDLE (-120)   /* no such object, or it was discarded */
#define RTE_THREAD_ERR_NOT_OWNER (-121)        /* released by a thread that does not hold it */

/* ---- Locks ------------------------------------------------------------------------------- */
/* A lock is held by one thread at a time and is recursive for its holder: each RteGetLock
 * must be matched by one RteReleaseLock on the same thread. Waiting blocks; nothing spins. */

/* Makes a lock and stores its handle in *lock. name NULL or "" makes a private lock; a
 * non-empty name gives every caller in this process the same lock (kept until each of them
 * has discarded it). options is reserved and must be 0. */
int RteNewLock(const char *name, int options, int *lock);

/* Blocks until the calling thread holds the lock; a holder gets it again at once. Returns
 * RTE_THREAD_ERR_INVALID_HANDLE when the lock is discarded while the caller waits. */
int RteGetLock(int lock);

/* Takes the lock only if that needs no waiting: *obtained is 1 when taken, else 0. */
int RteTryToGetLock(int lock, int *obtained);

/* Gives up one level of holding. RTE_THREAD_ERR_NOT_OWNER when the caller does not hold it. */
int RteReleaseLock(int lock);

/* Discards the lock (for a named lock: this caller's share of it). Threads waiting for it
 * wake with RTE_THREAD_ERR_INVALID_HANDLE; discard a lock only when nobody else holds it. */
int RteDiscardLock(int lock);

/* ---- Thread-safe variables --------------------------------------------------------------- */
/* A block of `size` bytes, zero at creation, with its own recursive lock. Read or change it
 * only between RteGetTSVPtr and RteReleaseTSVPtr, or through RteSetTSV and RteGetTSV. */

/* Makes a zero-filled variable of size bytes (size > 0) and stores its handle in *tsv. */
int RteNewTSV(int size, int *tsv);

/* Waits until no other thread holds the variable, then frees it; threads still waiting in
 * RteGetTSVPtr, RteSetTSV or RteGetTSV wake with RTE_THREAD_ERR_INVALID_HANDLE. */
int RteDiscardTSV(int tsv);

/* Locks the variable for the calling thread (recursively) and stores a pointer to its value
 * in *valuePtr. Each successful call must be paired with RteReleaseTSVPtr on the same thread. */
int RteGetTSVPtr(int tsv, void **valuePtr);

/* Releases one RteGetTSVPtr. RTE_THREAD_ERR_NOT_OWNER when the caller holds no pointer. */
int RteReleaseTSVPtr(int tsv);

/* Copies size bytes from value into the variable, under its lock. */
int RteSetTSV(int tsv, const void *value);

/* Copies the variable's size bytes into value, under its lock. */
int RteGetTSV(int tsv, void *value);

/* ---- Thread-local variables -------------------------------------------------------------- */
/* Each thread that asks for a thread-local variable gets its own block of `size` bytes, made
 * on its first access as a copy of the initial image (zeroes when the image is NULL). The
 * discard callback, when given, runs once for each block just before the block is freed:
 *   - when the owning thread ends: on the owner, event RTE_TLV_EVENT_ON_OWNER_THREAD;
 *   - when the variable is discarded: for every remaining block, on the discarding thread,
 *     with RTE_TLV_EVENT_ON_OTHER_THREAD when that is not the block's owner and
 *     RTE_TLV_EVENT_ON_OWNER_THREAD when it is.
 * The block is freed when the callback returns, so it must not be kept past the callback.
 * No engine lock is held while it runs, so it may use any engine function. */

#define RTE_TLV_EVENT_ON_OWNER_THREAD 1
#define RTE_TLV_EVENT_ON_OTHER_THREAD 2

typedef void (*RteTLVDiscardCallbackPtr)(void *block, int event, void *callbackData,
                                         unsigned int ownerThreadId);

/* Makes a thread-local variable of size bytes (size > 0) and stores its handle in *tlv.
 * initialImage (size bytes, copied now) may be NULL; discardCallback may be NULL. */
int RteNewThreadLocalVar(int size, const void *initialImage,
                         RteTLVDiscardCallbackPtr discardCallback, void *callbackData, int *tlv);

/* Stores in *blockPtr the calling thread's block, making it on first access.
 * RTE_THREAD_ERR_OUT_OF_MEMORY when the block cannot be made (a later call tries again). */
int RteGetThreadLocalVar(int tlv, void **blockPtr);

/* Discards the variable: runs the discard callback for every thread's block (see above) and
 * frees them. A thread that asks for the variable afterwards gets RTE_THREAD_ERR_INVALID_HANDLE. */
int RteDiscardThreadLocalVar(int tlv);

#ifdef __cplusplus
}
#endif

#endif
