/* toolbox/ui/callback_base_internal.h - the base callback of a chain, set in place
 * (library-internal, plain C).
 *
 * The base callback is the one at the end of an object's chain, installed before its first link
 * (toolbox/ui/callback_chain.h). Replacing it leaves the chained links as they are: code that
 * must keep an event from the application's own callback, but not from the links that free
 * themselves on EVENT_DISCARD, clears it here.
 */
#ifndef TOOLBOX_UI_CALLBACK_BASE_INTERNAL_H
#define TOOLBOX_UI_CALLBACK_BASE_INTERNAL_H

#include "rte/ui.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Makes callback the base callback of the control (of the panel), keeping its base callback
 * data; on an object without links that is its installed callback. 0 or the engine's code. */
int SetBaseCtrlCallback(int panel, int control, CtrlCallbackPtr callback);
int SetBasePanelCallback(int panel, PanelCallbackPtr callback);

#ifdef __cplusplus
}
#endif

#endif
