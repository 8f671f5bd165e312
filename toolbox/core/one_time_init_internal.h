/* toolbox/core/one_time_init_internal.h - the library's pattern for lazily created process-wide
 * objects (library-internal, plain C).
 *
 * Each place keeps two flags, both 0 at start and never reset: `created` and `claimed`. The
 * first thread to exchange `claimed` from 0 to 1 creates the objects, registers their
 * process-exit clean-up and then marks them created; any other thread that arrives meanwhile
 * sleeps in steps of 10 ms until `created` is set. Typical use:
 *
 *     if (OneTimeInitBegin(&g_created, &g_claimed)) {
 *         ...create the objects...
 *         RegisterExitCleanup(DiscardTheObjects);
 *         OneTimeInitDone(&g_created);
 *     }
 */
#ifndef TOOLBOX_CORE_ONE_TIME_INIT_H
#define TOOLBOX_CORE_ONE_TIME_INIT_H

#include "win32/winbase.h"

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when the caller has claimed the creation and must create, then call OneTimeInitDone;
 * 0 when the objects exist (after waiting for another creating thread when needed). */
int OneTimeInitBegin(LONG volatile *created, LONG volatile *claimed);

/* Marks the objects created; every waiting and later thread then goes on with them. */
void OneTimeInitDone(LONG volatile *created);

#ifdef __cplusplus
}
#endif

#endif
