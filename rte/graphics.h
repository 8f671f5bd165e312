/* rte/graphics.h - what the engine draws and measures: rectangles and points, colours, fonts and
 * metafonts, text measurement, display bitmaps of controls and panels, and the images of picture
 * controls.
 *
 * Everything here is drawn by the one renderer that also draws the panels' windows, so a display
 * bitmap shows what the operator sees, and a text measured here is the size it takes on screen.
 *
 * Results follow rte/ui.h: 0 (or a value) on success, a negative UIE_... code on failure.
 */
#ifndef RTE_GRAPHICS_H
#define RTE_GRAPHICS_H

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes of this family (GetUILErrorString knows them). */
#define UIE_BAD_BITMAP   -58   /* the bitmap ID is not valid (never made, or discarded) */
#define UIE_NO_IMAGE     -59   /* the picture control, or that item of a picture ring, has no image */
#define UIE_BAD_FONT     -89   /* the name is neither a metafont nor a typeface of this machine */

/* ---- Rectangles and points ------------------------------------------------------------------
 * A Rect covers the pixels with left <= x < left + width and top <= y < top + height. RectRight
 * and RectBottom give the first column and row past it, so a rectangle placed at
 * RectRight(bounds) - width ends exactly at the edge of bounds. */
typedef struct {
    int top;
    int left;
    int height;
    int width;
} Rect;

typedef struct {
    int x;
    int y;
} Point;

Rect MakeRect(int top, int left, int height, int width);
Point MakePoint(int x, int y);
int RectRight(Rect rect);                         /* left + width */
int RectBottom(Rect rect);                        /* top + height */
/* 1 when the point lies inside the rectangle, else 0 (an empty rectangle contains nothing). */
int RectContainsPoint(Rect rect, Point point);
/* Grows the rectangle by dx on the left and on the right and by dy at the top and the bottom;
 * negative values shrink it. A width or height that would fall below 0 becomes 0. */
void RectGrow(Rect *rect, int dx, int dy);
/* The point moved the least distance to lie inside the rectangle (the point itself when it
 * does); an empty rectangle pins to its top-left corner. Null pinnedPoint does nothing. */
void PointPinnedToRect(Point point, Rect rect, Point *pinnedPoint);

/* ---- Colours ---------------------------------------------------------------------------------
 * Colours are ints 0x00RRGGBB (rte/ui.h: VAL_BLACK, VAL_WHITE, VAL_TRANSPARENT, ...). */

/* The colour of the three parts, each clamped into 0..255. */
int MakeColor(int red, int green, int blue);

/* The four colours of a 3-D border drawn around a face of baseColor, as the renderer draws
 * them: highlight (top-left outer line), light (top-left inner), shadow (bottom-right inner),
 * dark (bottom-right outer). Null out-pointers are skipped. 0, or UIE_BAD_VALUE for a base
 * colour outside 0..0xFFFFFF. */
int Get3dBorderColors(int baseColor, int *highlightColor, int *lightColor, int *shadowColor,
                      int *darkColor);

/* System colours, numbered as the desktop's display items (0..30). */
#define RTE_SYSCOLOR_SCROLLBAR      0
#define RTE_SYSCOLOR_DESKTOP        1
#define RTE_SYSCOLOR_ACTIVECAPTION  2
#define RTE_SYSCOLOR_WINDOW         5
#define RTE_SYSCOLOR_WINDOWTEXT     8
#define RTE_SYSCOLOR_CAPTIONTEXT    9
#define RTE_SYSCOLOR_HIGHLIGHT      13
#define RTE_SYSCOLOR_HIGHLIGHTTEXT  14
#define RTE_SYSCOLOR_BTNFACE        15
#define RTE_SYSCOLOR_BTNSHADOW      16
#define RTE_SYSCOLOR_GRAYTEXT       17
#define RTE_SYSCOLOR_BTNTEXT        18
#define RTE_SYSCOLOR_BTNHIGHLIGHT   20
#define RTE_SYSCOLOR_INFOTEXT       23
#define RTE_SYSCOLOR_INFOBK         24
#define RTE_SYSCOLOR_LAST           30
/* The colour the renderer uses for a display item, 0x00RRGGBB; UIE_BAD_VALUE outside 0..30. */
int RteGetSysColor(int displayItem);

/* ---- Fonts and text --------------------------------------------------------------------------
 * A font name is a metafont (a name standing for a typeface with a size and style flags) or a
 * typeface installed on this machine (fontconfig family names, matched without regard to case,
 * and the generic "sans", "serif" and "monospace"). Point sizes are pixel heights of the em.
 * The standard metafonts exist from the start; "Dialog" is every control's default font. */
#define VAL_DIALOG_FONT       "Dialog"               /* sans, 13 */
#define VAL_DIALOG_META_FONT  "DialogMetaFont"       /* sans, 13 */
#define VAL_MENU_META_FONT    "MenuMetaFont"         /* sans, 13 */
#define VAL_APP_META_FONT     "AppMetaFont"          /* sans, 13 */
#define VAL_MESSAGE_BOX_META_FONT "MessageBoxMetaFont" /* sans, 13 */
#define VAL_EDITOR_META_FONT  "EditorMetaFont"       /* monospace, 13 */
#define VAL_7SEG_META_FONT    "7SegMetaFont"         /* monospace bold, 16 */

/* Defines (or redefines) the metafont newName as the typeface of existingFont (a typeface, or a
 * metafont whose typeface is taken) with the given point size (1..512) and flags (0/1). A
 * typeface this machine lacks is accepted and drawn with the closest installed one, as
 * fontconfig substitutes it. 0, UIE_NULL_POINTER, UIE_BAD_VALUE (empty or over 255 characters
 * long name, size or flag out of range), UIE_OUT_OF_MEMORY. Safe on any thread. */
int CreateMetaFont(const char *newName, const char *existingFont, int pointSize, int bold,
                   int italic, int underline, int strikeout);

/* The size in pixels that text takes in a font (a metafont, or a typeface at 13 points without
 * style flags), lines split at '\n'. Null out-pointers are skipped. 0, UIE_NULL_POINTER,
 * UIE_BAD_FONT. Safe on any thread. */
int GetTextDisplaySize(const char *text, const char *fontName, int *height, int *width);

/* ---- Display bitmaps ---------------------------------------------------------------------------
 * A picture of what a control or a panel shows now, held by the engine under a bitmap ID until
 * DiscardBitmap. Pixels of a display bitmap are 24 bits, three bytes red, green, blue per pixel,
 * rows from the top down, each row exactly 3 x width bytes; no colour table and no mask. A
 * bitmap made by NewBitmap keeps the depth and layout it was given. */
#define VAL_VISIBLE_AREA  0   /* scope: the panel's client area as shown */
#define VAL_FULL_PANEL    1   /* scope: the same, with child panels drawn in full */
#define VAL_TO_EDGE      -1   /* area height or width: up to the panel's edge */
#define VAL_KEEP_SIZE    -1   /* scaled height or width: the natural size */

/* The control as drawn (with its label when includeLabel is 1: the bounding rectangle of
 * GetCtrlBoundingRect). 0, UIE_BAD_PANEL, UIE_BAD_CONTROL, UIE_NULL_POINTER,
 * UIE_OUT_OF_MEMORY. */
int GetCtrlDisplayBitmap(int panel, int control, int includeLabel, int *bitmapID);
/* The same drawn to height x width pixels (VAL_KEEP_SIZE keeps that side; one side kept and the
 * other given keeps the proportions). Also UIE_BAD_VALUE for a size of 0 or below -1. */
int GetScaledCtrlDisplayBitmap(int panel, int control, int includeLabel, int height, int width,
                               int *bitmapID);
/* An area of a panel's client area (top, left, height, width in panel coordinates; VAL_TO_EDGE
 * for a height or width reaching the edge), with its controls and child panels. 0,
 * UIE_BAD_PANEL, UIE_BAD_VALUE (scope, an area of no pixels), UIE_NULL_POINTER,
 * UIE_OUT_OF_MEMORY. */
int GetPanelDisplayBitmap(int panel, int scope, Rect area, int *bitmapID);
int GetScaledPanelDisplayBitmap(int panel, int scope, Rect area, int height, int width,
                                int *bitmapID);

/* A bitmap made from a program's pixels, laid out as the images of picture controls below
 * (depth 1, 4 or 8 with a colour table of 2^depth ints 0x00RRGGBB; 24: red, green, blue; 32:
 * red, green, blue and a byte kept as it is), rows from the top down, each bytesPerRow bytes
 * (-1: the least a row needs; at most 64 bytes more). The arguments are copied; the mask is
 * not kept. 0 and the new ID in *bitmapID, UIE_NULL_POINTER (bits, bitmapID, or the colour
 * table of a depth below 24), UIE_BAD_VALUE (depth, a size outside 1..16384, bytesPerRow),
 * UIE_OUT_OF_MEMORY. */
int NewBitmap(int bytesPerRow, int pixelDepth, int width, int height, const int *colorTable,
              const unsigned char *bits, const unsigned char *mask, int *bitmapID);

/* The byte sizes of a bitmap's colour table (4 x 2^depth below 24 bits, else 0), its pixel data
 * and its mask (0: bitmaps keep none). Null out-pointers are skipped. 0 or UIE_BAD_BITMAP. */
int GetBitmapInfo(int bitmapID, int *colorSize, int *bitsSize, int *maskSize);
/* Copies out row length in bytes, bits per pixel, size, colour table, pixels and mask, each into
 * a buffer of the size GetBitmapInfo gave; null pointers are skipped. 0 or UIE_BAD_BITMAP. */
int GetBitmapData(int bitmapID, int *rowBytes, int *pixelDepth, int *width, int *height,
                  int *colorTable, unsigned char *bits, unsigned char *mask);
/* Releases a bitmap. 0 or UIE_BAD_BITMAP. */
int DiscardBitmap(int bitmapID);

/* ---- Images of picture controls ----------------------------------------------------------------
 * Picture controls (CTRL_PICTURE, CTRL_PICTURE_COMMAND_BUTTON, CTRL_PICTURE_TOGGLE_BUTTON) hold
 * one image (index 0; other indexes are taken as 0); a picture ring (CTRL_PICTURE_RING) holds
 * one per item (index = item index). An image is:
 *   depth 1, 4 or 8: one palette index per pixel, packed from the high bits of each byte, and a
 *     colour table of 2^depth ints 0x00RRGGBB;
 *   depth 24: three bytes red, green, blue per pixel;  depth 32: red, green, blue and a byte
 *     that is ignored;  no colour table.
 * rowBytes is at least the bytes one row needs. The mask is optional (null): one bit a pixel,
 * high bit first, 1 = drawn, rows of ((width + 15) / 16) * 2 bytes. The image is drawn scaled
 * to the control's face. */

/* The byte sizes of the image's colour table, pixel data (rowBytes x height) and mask (0 when
 * it has none). Null out-pointers are skipped. 0, UIE_BAD_PANEL, UIE_BAD_CONTROL,
 * UIE_WRONG_ATTRIBUTE (not a picture control), UIE_INDEX_OUT_OF_RANGE (picture ring),
 * UIE_NO_IMAGE. */
int GetImageInfo(int panel, int control, int imageIndex, int *colorSize, int *bitsSize,
                 int *maskSize);
/* Copies the image out into buffers sized as GetImageInfo gave; null pointers are skipped.
 * Errors as GetImageInfo. */
int GetImageBits(int panel, int control, int imageIndex, int *rowBytes, int *depth, int *width,
                 int *height, int *colorTable, unsigned char *bits, unsigned char *mask);
/* Gives the control (or the ring item) this image, replacing its previous one; the arguments are
 * copied. colorTable may be null only for depths 24 and 32; mask may be null. Errors as
 * GetImageInfo but UIE_NO_IMAGE, and UIE_BAD_VALUE (a depth other than 1, 4, 8, 24, 32, a
 * size below 1, a rowBytes too short), UIE_NULL_POINTER, UIE_OUT_OF_MEMORY. */
int SetImageBits(int panel, int control, int imageIndex, int rowBytes, int depth, int width,
                 int height, const int *colorTable, const unsigned char *bits,
                 const unsigned char *mask);

#ifdef __cplusplus
}
#endif

#endif
