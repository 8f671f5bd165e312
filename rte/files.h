/* rte/files.h - the engine's file calls: existence and size, modification date and time,
 * renaming, splitting a path into its parts, and the calling thread's errno.
 *
 * Paths are in the platform's form: '/' separates directories and there is no drive name.
 * Sizes are `long`, 64 bits on this platform (the original engine had 32-bit sizes).
 * A "file" here is anything that is not a directory (after following symbolic links): regular
 * files, devices, fifos; a directory counts as no file. None of these calls changes errno's
 * meaning for the caller beyond what the underlying system call leaves in it.
 * All of them may run on any thread.
 */
#ifndef RTE_FILES_H
#define RTE_FILES_H

#ifdef __cplusplus
extern "C" {
#endif

/* Buffer sizes for SplitPath's parts, terminating NUL included. There is no drive name on this
 * platform, so the drive part is always the empty string; MAX_DIRNAME_LEN and MAX_PATHNAME_LEN
 * follow the platform's PATH_MAX (4096) and MAX_FILENAME_LEN its NAME_MAX (255) + 1. */
#define MAX_PATHNAME_LEN 4096
#define MAX_DRIVENAME_LEN 3
#define MAX_DIRNAME_LEN 4096
#define MAX_FILENAME_LEN 256

/* ---- Existence and size ---------------------------------------------------------------- */

/* 1 when path names a file (and stores its size in *size when size is not NULL), 0 when it
 * names no file (missing, a directory, or a path through a non-directory), -1 when the query
 * itself fails (name too long, too many symbolic links, access denied, I/O error). *size is
 * left alone unless 1 is returned. The size is a 64-bit long here. */
int GetFileInfo(const char *path, long *size);

/* 0 and the size in *size (when size is not NULL) when path names a file; -1 when it names no
 * file; -2 when access to it is denied; -3 on any other failure of the query (name too long,
 * symbolic-link loop, I/O error); -4 when the system runs out of memory for the query.
 * *size is left alone on failure. The size is a 64-bit long here. */
int RteGetFileSize(const char *path, long *size);

/* ---- Modification date and time -------------------------------------------------------- */

/* The file's last modification date in local time: month 1-12, day 1-31, four-digit year.
 * 0 on success; -1 when the path names no file; -2 when access is denied; -3 on any other
 * failure. Outputs are written only on success; any may be NULL. */
int GetFileDate(const char *path, int *month, int *day, int *year);

/* The file's last modification time of day in local time: hours 0-23, minutes and seconds
 * 0-59 (60 for a leap second where the system reports one). Results as GetFileDate. */
int RteGetFileTime(const char *path, int *hours, int *minutes, int *seconds);

/* ---- Renaming ---------------------------------------------------------------------------- */

/* Renames (moves) oldPath to newPath within one file system. Unlike the system's rename, an
 * existing newPath is never replaced: delete it first when that is wanted. Results:
 *    0  renamed
 *   -1  oldPath does not exist
 *   -2  access denied (permissions, read-only file system)
 *   -3  input/output error
 *   -4  out of memory
 *   -5  badly formed path (name too long, a component is not a directory, symbolic-link loop,
 *       newPath's directory missing, a directory moved into itself)
 *   -6  newPath is taken (an existing file or directory)
 *   -7  any other failure, among them old and new path on different file systems (no copy is
 *       made), or a file in use by the system
 *   -8  the disk is full
 */
int RenameFile(const char *oldPath, const char *newPath);

/* ---- Path parts -------------------------------------------------------------------------- */

/* Splits path into its drive (always "" on this platform), its directory (everything up to and
 * including the last '/', or "" when there is none) and its file name (the rest). Any output may
 * be NULL when that part is not wanted; the others must hold MAX_DRIVENAME_LEN, MAX_DIRNAME_LEN
 * and MAX_FILENAME_LEN bytes. Returns 0, or -100 (badly formed path name) when the directory or
 * the file name does not fit its buffer; every wanted output is then the empty string.
 * '/' is never the trail byte of a double-byte character in the supported code pages, so the
 * split is safe in multi-byte mode too. */
int SplitPath(const char *path, char *drive, char *directory, char *fileName);

/* ---- Errors ------------------------------------------------------------------------------ */

/* The calling thread's errno, for callers that cannot reach the C library's variable. */
int _GetErrno(void);

#ifdef __cplusplus
}
#endif

#endif
