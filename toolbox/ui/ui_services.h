/* toolbox/ui/ui_services.h - small services for user-interface code: recessed frames,
 * metafont information, accelerator escapes in labels, and the closest colour of a table
 * (plain C).
 *
 * Results follow the engine's: 0 (or the value described) on success, a negative code on
 * failure (the engine's own codes are passed on unchanged).
 */
#ifndef TOOLBOX_UI_UI_SERVICES_H
#define TOOLBOX_UI_UI_SERVICES_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Recessed frames ----------------------------------------------------------------------
 * A frame control (CTRL_RAISED_FRAME 150, CTRL_FLAT_FRAME 170) looks recessed when a recessed
 * frame control (CTRL_RECESSED_FRAME 381) lies behind it, 1 pixel inside it on every side, and
 * its own frame line is transparent. The companion's ID is kept as the data of the frame's
 * "RecessedFrame" link (toolbox/ui/callback_chain.h); the companion stays when the frame goes. */

/* Gives the control a recessed companion. 0; -45 when the control has one already (no second
 * companion is left); the engine's code for a panel or control that does not exist. */
int RecessCtrlFrame(int panel, int control);

/* RecessCtrlFrame for every frame control of the panel (in tab order) and, in turn, of its
 * child panels. The first error ends the walk (what was done stays done); so recessing a panel
 * a second time gives -45 at its first frame. */
int RecessAllCtrlFrames(int panel);

/* ---- Metafonts --------------------------------------------------------------------------- */

/* What a font name stands for: its typeface (into a buffer of at least 256 bytes; a metafont
 * gives its underlying typeface), its style flags (0/1) and point size. Any out-pointer may be
 * NULL. Uses a hidden panel of the calling thread, made on the first call and discarded when
 * the thread ends, so threads may ask at once. 0; the engine's code for a name it refuses
 * (-65 NULL, -90 empty or too long); -12. */
int GetMetaFontInfo(const char *metaFontName, char *typeface, int *bold, int *underline,
                    int *strikeout, int *italic, int *pointSize);

/* 1 when the engine can draw text in the font (a metafont, or a typeface of this machine), 0
 * when the name is no font; another negative code (-65 for NULL) otherwise. Never prints the
 * engine's break-on-library-errors line. */
int IsMetaFont(const char *fontName);

/* ---- Accelerator escapes -----------------------------------------------------------------
 * In a label, two underscores followed by a character other than an underscore mark that
 * character as the keyboard accelerator ("__File"). A run of three or more underscores is no
 * escape and hides the character after it; "__" at the end is no escape. In a double-byte code
 * page the scan steps by whole characters, so an underscore that is a trail byte never counts;
 * the terminating null is never passed, also after a lone lead byte. */

/* Index of the escape's first underscore, or -1 (also for NULL). */
int AcceleratorEscapeCodeLocation(const char *text);

/* Removes the escape's two underscores from text in place; text without one (or NULL) stays. */
void RemoveAcceleratorEscapeCode(char *text);

/* ---- Colour matching ---------------------------------------------------------------------- */

/* Index of the table colour (0x00RRGGBB, bits above 23 ignored) closest to color by a distance
 * that weighs differences of hue above differences of brightness; of equally close ones the
 * first. -1 for a NULL table or numberOfColors below 1. */
int FindClosestColorInTable(int color, const int *colorTable, int numberOfColors);

#ifdef __cplusplus
}
#endif

#endif
