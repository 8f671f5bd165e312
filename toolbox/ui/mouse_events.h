/* toolbox/ui/mouse_events.h - pointer movement and button releases delivered to a control's
 * callback, and panel coordinates turned into control coordinates (plain C).
 *
 * The engine tells a control's callback about clicks only. After EnableExtendedMouseEvents the
 * control's callback also receives the three events below, found by polling the pointer at a
 * fixed interval on the calling thread's event loop (the thread must run one: RunUserInterface,
 * ProcessSystemEvents). Each comes with event data 1 = the pointer's y and event data 2 = its x,
 * in pixels of the control's panel, as the engine's click events do:
 *
 *     EnableExtendedMouseEvents(panel, PANEL_PLOT, 0.05);
 *     ...
 *     int PlotCallback(int panel, int control, int event, void *data, int y, int x)
 *     {
 *         if (event == EVENT_MOUSE_MOVE) ConvertMouseCoordinates(panel, control, 1, 1, &x, &y);
 *         ...
 *
 * Movement is reported for any position that differs from the previous poll, also outside the
 * control; a release is reported once for each press seen, by the control's click event on the
 * panel's own thread or by a poll, so a click pressed and released between two polls still
 * gives its release at the next poll. The events travel the control's whole callback chain (toolbox/ui/callback_chain.h).
 *
 * Threads. Enable a control's events on its panel's own thread: the polls, and so the events,
 * run on the enabling thread. Disable them from any thread; from another one the events stop at
 * once and the rest (taking out the link, freeing the record) is handed to the panel's thread,
 * waited for at most 2000 ms. No event is delivered once DisableExtendedMouseEvents has returned,
 * not even the rest of a poll that was under way. Polls still scheduled for a control that was
 * disabled or discarded do nothing. ConvertMouseCoordinates may be called on any thread.
 */
#ifndef TOOLBOX_UI_MOUSE_EVENTS_H
#define TOOLBOX_UI_MOUSE_EVENTS_H

#ifdef __cplusplus
extern "C" {
#endif

#define EVENT_MOUSE_MOVE     14000 /* the pointer is somewhere else than at the previous poll */
#define EVENT_RIGHT_MOUSE_UP 14001 /* the right button was down and is now up */
#define EVENT_LEFT_MOUSE_UP  14002 /* the left button was down and is now up */

/* Starts polling the pointer for the control every pollInterval seconds (0 polls on every pass
 * of the event loop), or changes the interval of a control already polled, from its next poll
 * on. Returns 0; -12 when out of memory (nothing is started); the engine's code for a panel or
 * control that does not exist. */
int EnableExtendedMouseEvents(int panel, int control, double pollInterval);

/* Stops the control's extended mouse events: no poll delivers an event after this returns (see
 * Threads). Returns 0, or -45 when the control has none (the engine's code when it does not
 * exist), or -12 when, called from another thread, the rest cannot be handed to the panel's
 * thread: the events are off all the same, and the record stays with the control until it is
 * discarded or the events are disabled on its own thread. */
int DisableExtendedMouseEvents(int panel, int control);

/* Turns the point (*x, *y) of the panel into the control's coordinates (relativeToControl
 * non-zero: the control's top-left corner becomes (0, 0)) and/or moves it into the control's
 * area (pinToControl non-zero: the nearest point of the control). NULL x or y count as 0 and
 * receive nothing. Returns 0, or the engine's code for a panel or control that does not exist
 * (nothing is written then). */
int ConvertMouseCoordinates(int panel, int control, int relativeToControl, int pinToControl, int *x,
                            int *y);

#ifdef __cplusplus
}
#endif

#endif
