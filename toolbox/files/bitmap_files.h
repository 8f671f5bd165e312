/* toolbox/files/bitmap_files.h - writing the engine's bitmaps, and pictures of controls and panels,
 * to Windows bitmap (BMP) files.
 *
 * The file has the 14-byte file header and the 40-byte information header (little-endian, no
 * compression, a positive height: rows stored bottom-up), a colour table for depths 1, 4 and 8
 * (2^depth entries, blue, green, red and a zero byte each), then the pixel rows, each padded
 * with zero bytes to a multiple of four. Pixels of 24 and 32 bits are written blue, green, red
 * (and the fourth byte of a 32-bit pixel as the engine holds it); palette depths keep their
 * indexes. A file that already exists is replaced.
 *
 * Failures: the engine's code when the bitmap cannot be read (nothing is created);
 * UIE_OUT_OF_MEMORY (-12) when a buffer cannot be allocated (nothing is created); when the
 * file cannot be made UIE_FILE_ACCESS_DENIED (-95), UIE_BAD_PATHNAME (-100) or
 * UIE_FILE_OPEN_FAILED (-91); when it cannot be written or closed UIE_DISK_FULL (-97) or
 * UIE_FILE_IO_ERROR (-93), and the partial file is removed. A null file name stops the program
 * through DoAssert. The functions run on the caller's thread and keep no state.
 *
 * Porting: the header fields keep their 32-bit widths, as the file format wants them.
 */
#ifndef TOOLBOX_FILES_BITMAP_FILES_H
#define TOOLBOX_FILES_BITMAP_FILES_H

#include "rte/graphics.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Bitmap files ---------------------------------------------------------------------------- */

/* Writes the engine's bitmap bitmapID (rte/graphics.h) to fileName. 0 or a negative code (above).
 * "Null file name passed to SaveBitmapToFile" */
int SaveBitmapToFile(const char *fileName, int bitmapID);

/* Takes a picture of the control as drawn now, height x width pixels (VAL_KEEP_SIZE, -1, keeps
 * a side; includeLabel 1 takes its label too), with GetScaledCtrlDisplayBitmap, saves it with
 * SaveBitmapToFile and discards the picture. 0, the engine's code of the picture, or the code of
 * the save. */
int SaveCtrlDisplayToFile(int panel, int control, int includeLabel, int height, int width,
                          const char *fileName);

/* The same for an area of a panel (scope VAL_VISIBLE_AREA or VAL_FULL_PANEL; the area in panel
 * coordinates, VAL_TO_EDGE for a side that reaches the edge), with GetScaledPanelDisplayBitmap. */
int SavePanelDisplayToFile(int panel, int scope, Rect area, int height, int width,
                           const char *fileName);

#ifdef __cplusplus
}
#endif

#endif
