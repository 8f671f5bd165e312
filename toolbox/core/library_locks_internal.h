/* toolbox/core/library_locks_internal.h - the utility library's two process-wide locks
 * (library-internal, plain C).
 *
 * MOUSE_EVENTS_LOCK serialises the enabling and disabling of extended mouse events.
 * CALLBACK_CHAIN_LOCK is made beside it but taken by nothing: callback chaining serialises its
 * operations and dispatches with a mutex of its own (toolbox/ui/callback_chain.cpp), taken
 * around every callback dispatched, where an engine lock would cost several times as much. Both
 * are engine locks, recursive for their holder, made together on the first GetToolboxLock of
 * the process and discarded by a process-exit clean-up.
 *
 * Callers keep a lock-held flag: held = GetToolboxLock(i) after taking it, held =
 * ReleaseToolboxLock(i) when giving it up, and release at their one clean-up point only while
 * the flag is set.
 */
#ifndef TOOLBOX_CORE_LIBRARY_LOCKS_H
#define TOOLBOX_CORE_LIBRARY_LOCKS_H

#ifdef __cplusplus
extern "C" {
#endif

#define CALLBACK_CHAIN_LOCK 0
#define MOUSE_EVENTS_LOCK 1

/* Makes both locks if needed, then blocks until the calling thread holds lock lockIndex.
 * Returns 1 (the lock-held flag's new value). */
int GetToolboxLock(int lockIndex);

/* Gives up one holding of lock lockIndex. Returns 0 (the lock-held flag's new value). */
int ReleaseToolboxLock(int lockIndex);

/* The engine lock handle behind lockIndex; 0 before the locks are made. For diagnostics. */
int ToolboxLockHandle(int lockIndex);

#ifdef __cplusplus
}
#endif

#endif
