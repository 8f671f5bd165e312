/* toolbox/files/paths.h - dissecting and rebuilding path names, as pure text.
 *
 * Paths are the platform's: '/' separates directories, there are no drive names (a ':' is an
 * ordinary character). The file name is the text after the last '/' (the whole path when there
 * is none); its extension is the text after its last dot, when that dot is not the name's first
 * character and lies within the last 255 bytes of the path. Results point into the caller's
 * string or are written into the caller's buffer; nothing touches the file system.
 * Multi-byte safe: the file name is scanned by whole characters (rte/mbs.h), so the trail byte
 * of a double-byte character is never taken for a dot. Every '/' byte separates, as it does for
 * the operating system ('/' is never a valid trail byte in the supported code pages).
 * A NULL where a function below forbids it stops the program through DoAssert with the message
 * quoted. No state; safe on any thread.
 */
#ifndef TOOLBOX_FILES_PATHS_H
#define TOOLBOX_FILES_PATHS_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Finding the parts --------------------------------------------------------------------- */

/* The path past its drive name: with no drive names on this platform, path itself (NULL for
 * NULL). */
char *SkipDriveName(const char *path);

/* 1 when path begins with '/', else 0 (also for NULL and ""). */
int IsAbsolutePath(const char *path);

/* Pointer to the file name: just after the last '/', or path itself when there is none; the
 * terminating NUL for a path ending in '/'. "Null pathString parameter passed to FindFileName" */
char *FindFileName(const char *path);

/* Pointer to the first character of the extension, or to the terminating NUL when there is none
 * ("a.b.c" -> "c"; ".profile" and "dir.x/file" -> "").
 * "Null pathString parameter passed to FindFileExtension" */
char *FindFileExtension(const char *path);

/* Pointer to the dot before the extension, or to the terminating NUL when there is none.
 * "Null pathString parameter passed to FindFileDotPosition" */
char *FindFileDotPosition(const char *path);

/* ---- Building paths ------------------------------------------------------------------------ */

/* Writes oldPath with its extension replaced by newExtension (given without its dot) into
 * newPath: "/x/report.txt" -> "/x/report.csv"; "readme" -> "readme.csv"; "name." -> "name.csv";
 * ".profile" -> ".profile.csv". newPath must hold the result; it may be oldPath itself.
 * "Null parameters passed to ChangeFileNameExtension" */
void ChangeFileNameExtension(const char *oldPath, char *newPath, const char *newExtension);

/* Writes oldPath with its whole file name (extension included) replaced by newFileName into
 * newPath: "/x/report.txt" with "new.dat" -> "/x/new.dat". newPath must hold the result; it may
 * be oldPath itself. "Null parameters passed to ChangeBaseFileName" */
void ChangeBaseFileName(const char *oldPath, char *newPath, const char *newFileName);

#ifdef __cplusplus
}
#endif

#endif
