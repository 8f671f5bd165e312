/* toolbox/ui/tab_order.h - walking a panel's controls in tab order, forwards and backwards, with
 * wrap-around and skipping controls that cannot take the focus; lists of a panel's controls.
 *
 * A panel's control sequence is its tab order: the panel's first control (ATTR_PANEL_FIRST_CTRL)
 * and each control's next one (ATTR_NEXT_CTRL), ending at a value below 1. The walks do not
 * report the engine's errors: a panel or control that does not exist ends a walk at once (0),
 * and no walk takes more steps than the panel has controls. Everything works on the caller's
 * panel on the caller's thread; SortCtrlListByTabOrder keeps its panel in the calling thread's
 * own state, so threads may sort at the same time.
 */
#ifndef TOOLBOX_UI_TAB_ORDER_H
#define TOOLBOX_UI_TAB_ORDER_H

#include "toolbox/containers/list.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Walking the tab order ------------------------------------------------------------------- */

/* The control before control in the sequence; for the first control the last one with wrap
 * set, else 0. 0 when the control is not in the sequence. */
int PreviousCtrl(int panel, int control, int wrap);

/* The nearest control after (forward non-zero) or before control that can take the focus
 * (CtrlCanBeTabStop), wrapping round past the end with wrap set; 0 when the walk reaches the end
 * without wrap or comes back to control. */
int NextCtrlInTabOrder(int panel, int control, int forward, int wrap);

/* 1 when the operator can tab to the control: visible, not dimmed, and of a mode other than
 * VAL_INDICATOR. A control that has no mode at all (ATTR_CTRL_MODE does not apply to it) is a
 * tab stop when it is a command button (CTRL_COMMAND_BUTTON, CTRL_PICTURE_COMMAND_BUTTON), which
 * the operator presses, and never when it is a decoration (frames, boxes, pictures, timers).
 * 0 otherwise, also for a control that does not exist. */
int CtrlCanBeTabStop(int panel, int control);

/* Gives the focus (SetActiveCtrl) to the first control of the sequence that can take it; 1 if
 * one did, else 0. */
int ActivateFirstCtrl(int panel);

/* ---- Lists of controls -------------------------------------------------------------------------- */

/* A new list of the panel's control IDs (int items) in tab order, stored in *ctrlList; the
 * caller disposes of it (ListDispose). 0, UIE_OUT_OF_MEMORY (-12; *ctrlList untouched), or the
 * engine's UIE_BAD_PANEL. */
int GetCtrlList(int panel, ListHandle *ctrlList);

/* Sorts a list of the panel's control IDs into tab order. IDs that are no control of the panel
 * sort as if they were first. */
void SortCtrlListByTabOrder(int panel, ListHandle ctrlList);

#ifdef __cplusplus
}
#endif

#endif
