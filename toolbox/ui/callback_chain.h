/* toolbox/ui/callback_chain.h - callbacks chained in front of a control's or panel's own
 * callback, and a registry of live object addresses (plain C).
 *
 * The engine gives each control and panel one callback and one callback-data pointer. Chaining
 * puts further callbacks in front of it, each under a type name ("CtrlToolTip", "MouseEvents",
 * "RecessedFrame", ...; compared with strcmp, at most one link of a type per object):
 *
 *     ChainCtrlCallback(panel, button, MyTipCallback, tip, "MyTip");
 *     ...every event now reaches MyTipCallback first, then the callback installed before...
 *     UnchainCtrlCallback(panel, button, "MyTip");
 *
 * An event reaches the newest link first, then the older ones, then the base callback (the one
 * installed before the first link). A chained callback that returns non-zero swallows the
 * event: the older links and the base callback do not see it, and the engine takes the result
 * as the callback's. EVENT_DISCARD always reaches every link, newest first, then the base
 * callback; the links then free themselves. While links exist, the object's callback attributes
 * (ATTR_CALLBACK_FUNCTION_POINTER, ATTR_CALLBACK_DATA) hold the library's dispatcher and the
 * newest link: install a new callback with InstallCtrlCallback only after unchaining.
 *
 * Results: 0 (or the count or flag described) on success, a negative code on failure: -65 for a
 * NULL type name, -45 for a type already chained (or, for a lookup, not chained), -12 when out
 * of memory, and the engine's own codes (-42 bad panel, -43 bad control, ...) unchanged. A failed
 * chain call leaves the object's callback, the list of panels with links and memory as they
 * were.
 *
 * Threads. Any thread may chain, unchain, look up and call (CallCtrlCallback runs the chain on
 * the calling thread). These are serialised process-wide, and no callback is called while that
 * is held, so a callback may chain and unchain. The engine delivers events on the panel's own
 * thread. A chained callback may unchain itself or any other link of its object while it runs:
 * the event goes on to the links still chained behind it, and to no one at all once the object
 * has been discarded, however that came about. A link taken out of its chain is not called for
 * an event that has not reached it yet; the library keeps the link itself valid while any thread
 * is dispatching through it, but its callback data is yours: free that only when no event can
 * be inside its callback, that is, after unchaining on the panel's own thread. Discard objects
 * with links on their panel's thread (or while no other thread changes their chains). Chaining
 * onto an object whose EVENT_DISCARD is under way is refused with the engine's code for an
 * object that does not exist, as the new link would never see the event. At process exit the
 * panels still carrying links are discarded, each on its own thread (waited for at most
 * 2000 ms; a panel whose thread has ended is discarded by the exiting thread).
 */
#ifndef TOOLBOX_UI_CALLBACK_CHAIN_H
#define TOOLBOX_UI_CALLBACK_CHAIN_H

#include "rte/ui.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Controls ---------------------------------------------------------------------------- */

/* Chains callback (may be NULL: a link that only carries callbackData) with callbackData under
 * typeName in front of the control's callbacks. 0; -65 NULL type; -45 type already chained;
 * -12; the engine's code for a panel or control that does not exist (or is being discarded). */
int ChainCtrlCallback(int panel, int control, CtrlCallbackPtr callback, void *callbackData,
                      const char *typeName);

/* Stores in *callbackData the data of the control's link of typeName, or for "" the data of the
 * base callback (also on a control without links). 0; -65 NULL type or out-pointer; -45 no link
 * of that type; the engine's code. *callbackData is untouched on failure. */
int GetChainedCallbackData(int panel, int control, const char *typeName, void **callbackData);

/* Removes the control's link of typeName without calling it. 1 when one was removed, 0 when the
 * control has none; -65 NULL type; the engine's code (reported quietly: the engine's
 * break-on-library-errors output stays off, so unchaining from a discarded control is silent). */
int UnchainCtrlCallback(int panel, int control, const char *typeName);

/* Calls the control's installed callback (its whole chain) as the engine would deliver the
 * event, and stores its result in *callbackResult (when not NULL). 1 when a callback was
 * called, 0 when the control has none (*callbackResult untouched); the engine's code. */
int CallCtrlCallback(int panel, int control, int event, int eventData1, int eventData2,
                     int *callbackResult);

/* ---- Panels (the same, with the panel's own callback) ---------------------------------------- */

int ChainPanelCallback(int panel, PanelCallbackPtr callback, void *callbackData,
                       const char *typeName);
int GetChainedPanelCallbackData(int panel, const char *typeName, void **callbackData);
int UnchainPanelCallback(int panel, const char *typeName);
int CallPanelCallback(int panel, int event, int eventData1, int eventData2, int *callbackResult);

/* ---- Registry of live objects ---------------------------------------------------------------
 * A process-wide multiset of addresses, for code that must tell whether an object it once knew
 * still exists. Safe on any thread. */

/* Records the address (again, if it is already recorded). Non-zero when recorded, 0 when
 * memory ran out. */
int RegisterExistence(void *object);

/* Removes one record of the address; an address not recorded (or NULL) is ignored. */
void DeRegisterExistence(void *object);

/* 1 when the address is recorded, else 0 (always 0 for NULL). */
int ObjectExists(void *object);

#ifdef __cplusplus
}
#endif

#endif
