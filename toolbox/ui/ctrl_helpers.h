/* toolbox/ui/ctrl_helpers.h - small operations on a panel's controls that the engine does not
 * offer directly: discarding without the engine's error break, groups of controls used as radio
 * buttons, string values of any length, numeric attributes in a chosen data type, event names.
 *
 * Everything works on the caller's panel on the caller's thread. Results are 0 or a negative
 * code unless said otherwise; engine codes are passed through.
 */
#ifndef TOOLBOX_UI_CTRL_HELPERS_H
#define TOOLBOX_UI_CTRL_HELPERS_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Discarding ---------------------------------------------------------------------------- */

/* Discards the control (the panel) with break-on-library-errors off, so a handle or ID that is
 * already gone, or 0 or less, does nothing and says nothing. With clearCallback set, the
 * application's callback does not receive EVENT_DISCARD; callbacks chained onto the control
 * (toolbox/ui/callback_chain.h) still do, so that they release what they hold. */
void DiscardCtrlNoBOLE(int panel, int control, int clearCallback);
void DiscardPanelNoBOLE(int panel, int clearCallback);

/* ---- Radio buttons ---------------------------------------------------------------------------- */

/* Sets the value of each listed control (numCtrls IDs follow; with 0 they run up to the first
 * value of 1 or less) to 1 for selectedCtrl and 0 for the others, stopping at the first error.
 * A count larger than the IDs given is bounded by the IDs read. UIE_OUT_OF_MEMORY (-12) when the
 * list of IDs cannot be made. */
int SetSelectedRadioButtons(int panel, int selectedCtrl, int numCtrls, ...);

/* Stores in *selectedCtrl the first listed control whose int value is not 0, or 0 when none is
 * (or an error stopped the search). */
int GetSelectedRadioButtons(int panel, int *selectedCtrl, int numCtrls, ...);

/* ---- String values ------------------------------------------------------------------------------ */

/* The length of the control's string value (without its terminating null): a string or text
 * control's text, a list control's selected item value. UIE_WRONG_DATA_TYPE (-10) when the value
 * is no string, UIE_NO_CURRENT_ITEM (-56) for a list control with no item. */
int GetCtrlValStringLength(int panel, int control, int *length);

/* *string = a new block (malloc) holding the control's string value; the caller frees it. On
 * failure *string is NULL, except when reading the value into the block failed: the block is
 * then still stored, so free *string whenever it is not NULL. UIE_OUT_OF_MEMORY (-12). */
int AllocateCtrlValString(int panel, int control, char **string);

/* ---- Numeric attributes -------------------------------------------------------------------------- */

/* Reads an attribute that travels in the control's data type (ATTR_MAX_VALUE, ATTR_MIN_VALUE)
 * and stores it in wantedType (VAL_CHAR..VAL_UNSIGNED_CHAR but VAL_STRING) at *value: float and
 * double as they are; integer types by truncation toward zero, keeping the low bits that fit
 * (3000000200 as int is -1294967096, as char -56; -1.7 as unsigned char is 255). Values that no
 * integer holds (NaN, infinities) store 0. 0 or the engine's code. A control whose value is not
 * numeric: "The type of the control passed to GetNumericAttributeAsType\nwas not a numeric
 * type."; a wanted type that is not numeric: "Parameter 4 passed to GetNumericAttributeAsType\n
 * was not a numeric data type." (DoAssert). */
int GetNumericAttributeAsType(int panel, int control, int attribute, int wantedType, void *value);

/* ---- Event names --------------------------------------------------------------------------------- */

/* "EVENT_COMMIT" .. "EVENT_DISCARD" for the engine's events 1 to 16; any other code as
 * "Event <code>" in a buffer of the calling thread, valid until its next call for an unnamed
 * code on that thread. Never NULL; do not free. */
const char *UILEventString(int event);

#ifdef __cplusplus
}
#endif

#endif
