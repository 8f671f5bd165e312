/* toolbox/core/thread_state.h - library start-up entry and the process-wide list of panels that
 * carry chained callbacks (plain C).
 *
 * The list lives in an engine thread-safe variable holding one ListHandle, NULL until the first
 * callback is chained; callback chaining keeps its items. Read or change it only between
 * GetPointerToTsvPanelsWithLinkedCallbacksList and ReleasePointerTo... (or through the Set and
 * Get accessors, which lock for the copy). Lock order: callback chaining's lock may be held
 * while taking this variable, never the other way round.
 *
 * The variable is made together with the per-thread state on first use (any library function
 * that needs per-thread state, or callback chaining), and discarded by a process-exit clean-up.
 * Status results are the engine's (0, or a negative RTE_THREAD_ERR_ code of rte/threads.h).
 */
#ifndef TOOLBOX_CORE_THREAD_STATE_H
#define TOOLBOX_CORE_THREAD_STATE_H

#include "toolbox/containers/list.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Library entry ----------------------------------------------------------------------- */

/* Returns 0, however often it is called; everything else is made on first use. */
int ToolboxInit(void);

/* ---- Panels with linked callbacks -------------------------------------------------------- */

/* Makes the variable (one ListHandle, NULL). Normally done on first use; returns the status. */
int InitializeTsvPanelsWithLinkedCallbacksList(void);

/* Discards the variable; a list still held in it is disposed of first. Returns the status. */
int UninitializeTsvPanelsWithLinkedCallbacksList(void);

/* Locks the variable for the calling thread and returns a pointer to the ListHandle it holds;
 * NULL when the engine yields none (not made, or discarded). Pair every non-NULL result with
 * ReleasePointerToTsvPanelsWithLinkedCallbacksList. */
ListHandle *GetPointerToTsvPanelsWithLinkedCallbacksList(void);

/* Unlocks the variable after GetPointerTo...; returns the status. */
int ReleasePointerToTsvPanelsWithLinkedCallbacksList(void);

/* Stores list in the variable (under its lock). The previous list is not disposed of. */
int SetTsvPanelsWithLinkedCallbacksList(ListHandle list);

/* The list held in the variable (read under its lock); NULL when none. */
ListHandle GetTsvPanelsWithLinkedCallbacksList(void);

#ifdef __cplusplus
}
#endif

#endif
