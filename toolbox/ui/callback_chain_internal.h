/* toolbox/ui/callback_chain_internal.h - what callback chaining tells the rest of the library
 * (library-internal, C++).
 */
#ifndef TOOLBOX_UI_CALLBACK_CHAIN_INTERNAL_H
#define TOOLBOX_UI_CALLBACK_CHAIN_INTERNAL_H

#include "rte/ui.h"

/* The panel's base callback: the one installed before its first link (or installed now when it
 * has none), null when there is none. 0, or the engine's code when the panel's attributes cannot
 * be read. Takes the chain lock. */
int GetBasePanelCallback(int panel, PanelCallbackPtr *callback);

/* Frees the chained links that their object no longer holds: it has gone without passing them
 * EVENT_DISCARD (they were chained from another thread just as it was discarded), or its
 * callback was installed over the chain. For the exit clean-up. */
void FreeStrayLinks(void);

#endif
