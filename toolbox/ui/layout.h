/* toolbox/ui/layout.h - arranging controls on a panel in code: one attribute across a group of
 * controls, labels on the left, even spacing, placing one control relative to another,
 * centring, right edges, z-plane and tab order.
 *
 * Most operations come in two forms: one takes the control IDs as variable arguments after
 * their count (numCtrls; with a count of 0 the IDs are read up to the first value of 1 or less),
 * the other (name ending in ForList or InList) a ListHandle of int control IDs
 * (toolbox/containers/list.h; a NULL list is an empty one). Coordinates are panel pixels.
 *
 * A control has its own rectangle (ATTR_LEFT, ATTR_TOP, ATTR_WIDTH, ATTR_HEIGHT) and a bounding
 * rectangle that also covers its label (GetCtrlBoundingRect); the four ATTR_BOUND_ values name
 * the sides of the bounding rectangle wherever an attribute is taken.
 *
 * Results: 0, or the first negative code. Engine codes (a panel or control that does not exist,
 * an attribute the control lacks) end an operation at the first failing call; controls handled
 * before stay changed. UIE_OUT_OF_MEMORY (-12) when the temporary list of a variable-argument
 * form cannot be made; UIE_NULL_POINTER (-65) for a NULL position of DistributeCtrls;
 * UIE_OPERATION_NOT_VALID (-63) for setting a bounding width or height. An attribute outside
 * the bounding set given to the ...CtrlBoundRectAttribute functions is a programming error
 * (DoAssert). Everything works on the caller's panel on the caller's thread.
 */
#ifndef TOOLBOX_UI_LAYOUT_H
#define TOOLBOX_UI_LAYOUT_H

#include "toolbox/containers/list.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Pseudo-attributes: the sides of a control's bounding rectangle. */
#define ATTR_BOUND_TOP    6000
#define ATTR_BOUND_LEFT   6001
#define ATTR_BOUND_HEIGHT 6002
#define ATTR_BOUND_WIDTH  6003

/* Directions of DistributeCtrls. */
#define VAL_TB_DIRECTION  1   /* top to bottom (ATTR_TOP, ATTR_HEIGHT); any other value: left to right */
/* Modes of DistributeCtrls. */
#define VAL_FIXED_GAP     1   /* value is the gap between controls; any other: the span of the group */

/* ---- One attribute across controls ------------------------------------------------------------ */

/* The largest and smallest value of an int attribute (ATTR_BOUND_... read the bounding rectangle)
 * over the controls, and the first control holding each (ties keep the earlier control). Each out
 * pointer may be NULL. No controls: 0 for both values and both controls. */
int AttributeMaxAndMin(int panel, int attribute, int numCtrls, int *maxValue, int *maxCtrl,
                       int *minValue, int *minCtrl, ...);
int AttrMaxAndMinForList(int panel, ListHandle ctrlList, int attribute, int *maxValue,
                         int *maxCtrl, int *minValue, int *minCtrl);

/* Sets an int attribute to the same value on each control in order (ATTR_BOUND_TOP and
 * ATTR_BOUND_LEFT move controls by their bounding rectangle). */
int SetAttributeForCtrls(int panel, int attribute, int value, int numCtrls, ...);
int SetAttributeForList(int panel, ListHandle ctrlList, int attribute, int value);

/* Gives every control the group's smallest value of the attribute (useMinimum non-zero) or its
 * largest, e.g. the widest width to a row of buttons. */
int SetCtrlsToAttributeExtreme(int panel, int attribute, int useMinimum, int numCtrls, ...);
int SetAttributeToExtremeForList(int panel, ListHandle ctrlList, int attribute, int useMinimum);

/* ---- Labels -------------------------------------------------------------------------------------- */

/* Puts the control's label on its left, gap pixels from it, centred vertically beside it. */
int PutLabelOnLeft(int panel, int control, int gap);
int PutLabelsOnLeft(int panel, int gap, int numCtrls, ...);
int PutLabelsOnLeftForList(int panel, ListHandle ctrlList, int gap);

/* ---- The bounding rectangle ------------------------------------------------------------------------ */

/* One side of the bounding rectangle: attribute ATTR_BOUND_TOP or ATTR_TOP gives its top,
 * ATTR_BOUND_LEFT or ATTR_LEFT its left, ATTR_BOUND_HEIGHT or ATTR_HEIGHT its height,
 * ATTR_BOUND_WIDTH or ATTR_WIDTH its width. "Bad attribute passed to GetCtrlBoundRectAttribute()" */
int GetCtrlBoundRectAttribute(int panel, int control, int attribute, int *value);

/* Moves the control so that its bounding top (ATTR_TOP or ATTR_BOUND_TOP) or left (ATTR_LEFT or
 * ATTR_BOUND_LEFT) lies at value. A width or height gives UIE_OPERATION_NOT_VALID.
 * "Bad attribute passed to SetCtrlBoundRectAttribute()" */
int SetCtrlBoundRectAttribute(int panel, int control, int attribute, int value);

/* ---- Spacing and placing ------------------------------------------------------------------------- */

/* Lines the controls up in list order from *position (a bounding top with VAL_TB_DIRECTION, else
 * a bounding left), each after the one before: with VAL_FIXED_GAP value pixels apart, otherwise
 * spread so that the group spans value pixels (fewer than two controls: 2 pixels apart). *position
 * ends at the far edge of the last control, so a further call can go on from there. */
int DistributeCtrls(int panel, int direction, int mode, int *position, int value, int numCtrls, ...);
int DistributeCtrlsInList(int panel, ListHandle ctrlList, int direction, int mode, int *position,
                          int value);

/* Places control relative to reference (each by its bounding rectangle when its flag is set,
 * else by its own), gap pixels apart. position, as on a keypad seen from the reference:
 *     0 1 2      0 above-left   1 above    2 above-right
 *     3 4 5      3 left         4 over it  5 right
 *     6 7 8      6 below-left   7 below    8 below-right
 * alignment on the axis where the control lines up with the reference (columns 1, 4, 7 and rows
 * 3, 4, 5): 0 left (top) edges equal, 1 centred, 2 right (bottom) edges equal. A position
 * outside 0..8 or an alignment outside 0..2 leaves the control where it is on the axis it would
 * decide, and the result is still 0. */
int PositionCtrlRelativeToCtrl(int panel, int referenceCtrl, int referenceBounding, int control,
                               int controlBounding, int gap, int position, int alignment);

/* Sets the control's left so that its right edge (left + width) is at right. */
int SetCtrlRightPosition(int panel, int control, int right);

/* Centres the control with its label (its bounding rectangle) in the area. */
int CenterCtrl(int panel, int control, int areaTop, int areaLeft, int areaHeight, int areaWidth);

/* ---- Order and dialog keys --------------------------------------------------------------------------- */

/* Moves control directly behind (MoveBehind) or in front of (MoveInFront) reference in the
 * z-plane, or directly after (PlaceAfter) or before (PlaceBefore) it in the tab order. */
int MoveBehind(int panel, int referenceCtrl, int control);
int MoveInFront(int panel, int referenceCtrl, int control);
int PlaceAfter(int panel, int referenceCtrl, int control);
int PlaceBefore(int panel, int referenceCtrl, int control);

/* Gives a dialog its keys: Enter (0x500) presses confirmCtrl, Escape (0x300) presses cancelCtrl,
 * and closing the panel's window presses closeCtrl (ATTR_CLOSE_CTRL). A control of 0 or less is
 * left out. */
int SetCommonDialogShortcutKeys(int panel, int confirmCtrl, int cancelCtrl, int closeCtrl);

#ifdef __cplusplus
}
#endif

#endif
