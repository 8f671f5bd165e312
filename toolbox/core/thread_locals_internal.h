/* toolbox/core/thread_locals_internal.h - the library's per-thread state (library-internal,
 * plain C).
 *
 * Each thread gets its own ToolboxThreadLocals block on its first GetThreadLocalBlock, as a copy
 * of a fixed initial image: randomSeed 945329041, randomReseed 1, everything else zero. Only the
 * owning thread touches its block, so it takes no lock. The block's user-interface objects
 * (delayed-call panel, metafont panel) belong to the thread and are discarded on it: when the
 * thread ends, or, when the block is discarded from another thread at process exit, through a
 * call handed to the owner's event loop (waiting at most 2000 ms).
 *
 * The modules that keep user-interface objects in the block sit above this one, so they hand
 * their clean-up down: each registers it, with the call that runs a function on another thread
 * and waits for it, on its first use (RegisterThreadBlockCleanup). The block's clean-up runs
 * every registered clean-up; until something is registered there is nothing to clean up.
 */
#ifndef TOOLBOX_CORE_THREAD_LOCALS_H
#define TOOLBOX_CORE_THREAD_LOCALS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct DelayedCallState;  /* toolbox/windows/deferred_calls.h */

#define TOOLBOX_INITIAL_RANDOM_SEED 945329041 /* 0x38589391 */

typedef struct ToolboxThreadLocals {
    int32_t randomSeed;                    /* random generator's seed (SetRandomSeed) */
    int32_t randomReseed;                  /* non-zero: derive the states from randomSeed next draw */
    double randomScale[3];                 /* reciprocals of the generator's moduli */
    int32_t randomState[3];                /* the generator's states x, y, z */
    char eventNameBuffer[128];             /* "Event %d" text of UILEventString */
    struct DelayedCallState *delayedCalls; /* made by the thread's first PostDelayedCall */
    int metaFontPanel;                     /* hidden "Metafont info panel"; 0 = none */
    int metaFontSampleCtrl;                /* its "Sample" text control; 0 = none */
    int tabOrderSortPanel;                 /* panel being sorted by SortCtrlListByTabOrder */
} ToolboxThreadLocals;

/* Discards the user-interface objects one module keeps in the block and clears their fields.
 * Runs on the block's owning thread. */
typedef void (*ThreadBlockCleanup)(ToolboxThreadLocals *block);

/* Runs function(data) on thread owner's event loop and waits at most timeoutMs for it; a
 * negative result means the call never ran and never will. */
typedef int (*OwnerThreadCall)(void (*function)(void *), void *data, unsigned int owner,
                               int timeoutMs);

/* Adds cleanup to the clean-ups every block gets (a clean-up already registered is not added
 * twice) and makes ownerCall the way a block's clean-up reaches its owner thread. Safe from any
 * thread. Returns 1, or 0 when the table of TOOLBOX_MAX_THREAD_BLOCK_CLEANUPS is full. */
#define TOOLBOX_MAX_THREAD_BLOCK_CLEANUPS 4
int RegisterThreadBlockCleanup(ThreadBlockCleanup cleanup, OwnerThreadCall ownerCall);

/* Makes the thread-local variable and the panels-with-linked-callbacks variable if needed. */
void InitializePerThreadState(void);

/* The calling thread's block, made on first use; never NULL. When the engine cannot make the
 * thread's block (out of memory), the thread gets a stand-in block of its own, initialised from
 * the same image, kept for the rest of the thread's life and cleaned up when the thread ends. */
ToolboxThreadLocals *GetThreadLocalBlock(void);

/* Discards the block's user-interface objects (the registered clean-ups: the delayed calls'
 * state, the metafont panel) and clears the fields. Must run on the block's owning thread. */
void CleanupThreadLocalBlock(void *block);

#ifdef __cplusplus
}
#endif

#endif
