/* toolbox/ui/bitmap_colours_internal.h - the recolouring of one image's data, shared with its
 * tests (library-internal, plain C).
 */
#ifndef TOOLBOX_UI_BITMAP_COLOURS_INTERNAL_H
#define TOOLBOX_UI_BITMAP_COLOURS_INTERNAL_H

#ifdef __cplusplus
extern "C" {
#endif

/* The replacements of a recolouring: each old colour becomes its new one. */
typedef struct ColorReplacements {
    int oldBack, newBack, oldHighlight, newHighlight, oldShadow, newShadow, oldExtra, newExtra;
} ColorReplacements;

/* Fills the replacements from the old and new background and extra colours. 0, or the code of
 * Get3dBorderColors for a background that is no colour. */
int MakeColorReplacements(int oldBack, int newBack, int oldExtra, int newExtra, ColorReplacements *r);

/* Recolours an image of the engine's layout (rte/graphics.h): the colour table of depths 1, 4
 * and 8, the pixels of depths 24 and 32. 0, or TOOLBOX_ERR_UNRECOGNIZED_VALUE for another depth. */
int RecolorImageBits(int rowBytes, int depth, int width, int height, int *colorTable,
                     unsigned char *bits, const ColorReplacements *r);

#ifdef __cplusplus
}
#endif

#endif
