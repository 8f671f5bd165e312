/* toolbox/windows/deferred_calls_internal.h - what the library's own users of deferred calls
 * share (library-internal, plain C).
 */
#ifndef TOOLBOX_WINDOWS_DEFERRED_CALLS_INTERNAL_H
#define TOOLBOX_WINDOWS_DEFERRED_CALLS_INTERNAL_H

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when the thread can no longer run deferred calls (it has ended, or never had an event
 * queue): whatever was posted to it is dropped and will never run. Asked quietly. */
int ThreadHasEnded(unsigned int threadId);

#ifdef __cplusplus
}
#endif

#endif
