/* toolbox/ui/tool_tips.h - tool tips: a short text shown near the pointer while it rests on a
 * control (plain C).
 *
 *     SetCtrlToolTipAttribute(panel, PANEL_WRITE, ATTR_TOOLTIP_TEXT, "Writes both ports");
 *
 * The tip appears when the pointer has been over the control at two looks 0.4 s apart and has
 * moved less than 3 pixels each way between them; it is centred on the pointer, one tip height
 * below it, and kept inside the top-level panel. It goes when the pointer leaves the control,
 * when the control is clicked, typed into or changes its value, when a menu opens, when the
 * top-level panel is not the active one, or when the control or its panel is hidden or dimmed;
 * after a click or a key it comes back only once the pointer has left the control and rested
 * on it again. Events a program calls on the control from another thread leave the tip as it
 * is. All tips of one top-level panel share one small child panel drawn in the system's info
 * colours (COLOR_INFOBK, COLOR_INFOTEXT) and one timer, on the panel's own thread, whose event
 * loop must run. A tip lasts as long as its control; the shared panel as long as the top-level
 * panel.
 */
#ifndef TOOLBOX_UI_TOOL_TIPS_H
#define TOOLBOX_UI_TOOL_TIPS_H

#ifdef __cplusplus
extern "C" {
#endif

#define ATTR_TOOLTIP_TEXT 25000 /* value: const char *, the tip's text; "" shows no tip */

/* Sets an attribute of the control's tip, making the tip on first use. For ATTR_TOOLTIP_TEXT
 * the value is the text (copied); a tip shown now with a new empty text is hidden at once, one
 * shown with another new text shows it from its next appearance. Returns 0; -46 for any other
 * attribute and -65 for a NULL text (nothing changed, no tip made); -12 when out of memory; the
 * engine's code for a panel or control that does not exist. */
int SetCtrlToolTipAttribute(int panel, int control, int attribute, ...);

#ifdef __cplusplus
}
#endif

#endif
