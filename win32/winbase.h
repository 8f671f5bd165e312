/* win32/winbase.h - kernel32: the base services of the Windows API subset (plain C).
 *
 * Implemented in win32/kernel32/ on POSIX. Each function keeps its Windows name, types and
 * result convention; how it maps onto Linux is said beside it.
 */
#ifndef WIN32_WINBASE_H
#define WIN32_WINBASE_H

#include "win32/windef.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Synchronisation ---------------------------------------------------------------------- */

/* Stores value into *target and returns the value it held before, as one atomic step with full
 * memory ordering. target must be naturally aligned. */
LONG InterlockedExchange(LONG volatile *target, LONG value);

/* Suspends the calling thread for at least ms milliseconds. Sleep(0) gives up the rest of the
 * thread's time slice (the thread stays ready to run); Sleep(INFINITE) never returns.
 * Signals that interrupt the sleep do not shorten it. */
void Sleep(DWORD ms);

#ifdef __cplusplus
}
#endif

#endif
