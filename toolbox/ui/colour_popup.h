/* toolbox/ui/colour_popup.h - a modal popup in which the user edits a list of named colours.
 *
 * A list box shows each colour's name with a swatch of the colour; the colour control below it
 * edits the selected colour (a click, Space or Enter opens its colour choice); OK (Enter),
 * Cancel (Escape, or the window's close box) and, when allowed, Default end or reset the edit:
 *
 *     ColorListEntry scheme[] = {{"Background", 0xFFFFFF, 0xFFFFFF}, {"Text", 0x000000, 0x000080}};
 *     ListHandle colors = ListCreate(sizeof(ColorListEntry));
 *     ListInsertItems(colors, scheme, LIST_END, 2);
 *     if (ColorChangePopup("Colours", colors, 1, NULL, NULL) == 1) ...use the new colours...
 *
 * Changes are written into the caller's list as they happen and reported through the callback;
 * Cancel puts the colours back as they were when the popup opened. Runs on the caller's thread
 * and returns when the popup is closed.
 */
#ifndef TOOLBOX_UI_COLOUR_POPUP_H
#define TOOLBOX_UI_COLOUR_POPUP_H

#include "toolbox/containers/list.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The first fields of the items of the caller's list (the items may be larger, never smaller;
 * the popup uses and changes only these). Colours are 0x00RRGGBB. */
typedef struct ColorListEntry {
    char *colorName;   /* shown in the list (NULL shows as an empty name) */
    int defaultColor;  /* restored by Default */
    int color;         /* the current colour, edited in place */
} ColorListEntry;

/* Told of each change: position is the 1-based list position of the colour that was set, or -1
 * when any number of colours may have changed (Default, or Cancel putting them back). */
typedef void (*ColorChangeCallback)(ListHandle colorList, void *callbackData, int position);

/* Shows the popup titled title over colorList, with a Default button when allowDefault is set,
 * until the user closes it. 1 when the user ended with OK after a committed change or a Default,
 * 0 when nothing was committed or the user cancelled; UIE_OUT_OF_MEMORY (-12) when the copy of
 * the list, a line or the restoring of the colours could not be made, UIE_NULL_POINTER (-65) for
 * a NULL title or list, or the engine's code of a panel or control that could not be made (the
 * popup is gone in every case), UIE_BAD_VALUE (-90) for a list whose items are smaller than a
 * ColorListEntry. Names of any length work; an empty list shows an empty popup. */
int ColorChangePopup(const char *title, ListHandle colorList, int allowDefault, ColorChangeCallback callback,
                     void *callbackData);

#ifdef __cplusplus
}
#endif

#endif
