/* toolbox/ui/bitmap_colours.h - recolouring the images of picture controls, so that the colours
 * drawn for one panel colour scheme become those of the panel they now sit on.
 *
 * Four colours are replaced: the old background by the new, the old background's 3-D highlight
 * and shadow (Get3dBorderColors) by the new background's, and one further colour (the scheme's
 * extra colour) by its new value. A colour matches when the sum of the absolute differences of
 * its red, green and blue parts is below 16; when a colour matches several, the later
 * replacement in that order wins. Palette images (depths 1, 4, 8) have their colour table
 * changed and keep their pixel indexes; 24- and 32-bit images have their pixels changed (a
 * 32-bit pixel's fourth byte is kept). Runs on the caller's thread; images changed before an
 * error stay changed.
 */
#ifndef TOOLBOX_UI_BITMAP_COLOURS_H
#define TOOLBOX_UI_BITMAP_COLOURS_H

#ifdef __cplusplus
extern "C" {
#endif

/* Recolours the image of a picture control (CTRL_PICTURE, CTRL_PICTURE_COMMAND_BUTTON,
 * CTRL_PICTURE_TOGGLE_BUTTON) or of the item imageIndex of a picture ring (CTRL_PICTURE_RING;
 * -1: every item). control -1 recolours every picture control of the panel that holds an image
 * and passes over the others. newBackColor -1 takes the panel's ATTR_BACKCOLOR, newExtraColor
 * -1 its ATTR_EXTRA_COLOR. Colours are 0x00RRGGBB. 0, UIE_WRONG_ATTRIBUTE (-45) for a named
 * control of another style, UIE_NO_IMAGE (-59) for a named image that does not exist,
 * UIE_OUT_OF_MEMORY (-12), TOOLBOX_ERR_UNRECOGNIZED_VALUE (-5027) for an image depth other than
 * 1, 4, 8, 24 or 32, UIE_BAD_VALUE (-90) for an old background that is no colour, or the
 * engine's code. */
int ConformCtrlBitmapToPanel(int panel, int control, int imageIndex, int oldBackColor,
                             int newBackColor, int oldExtraColor, int newExtraColor);

#ifdef __cplusplus
}
#endif

#endif
