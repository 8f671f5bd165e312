/* toolbox/files/file_utils.h - small functions around files and stdio streams: existence,
 * writability, temporary files, deleting and renaming, stream size, searching a stream for
 * bytes, reading NUL-terminated strings and CR-LF lines from binary streams, writing repeated
 * bytes and text with CR-LF line ends.
 *
 * Results: 0 on success (1 for a yes answer), or a negative code: the engine's
 *   -12 out of memory, -91/-93 a failed file query or stream call, -94 file not found,
 *   -95 access denied or name taken, -97 a short write (disk full), -100 a badly formed path,
 * or the library's TOOLBOX_ERR_NO_UNUSED_TEMP_NAME (-5003) and TOOLBOX_ERR_CREATE_TEMP_FILE
 * (-5004). Texts come from GetGeneralErrorString.
 * Paths are the platform's: '/' separates directories, no drive names. Sizes and offsets are
 * `long`, 64 bits here (32 on the original platform). Streams belong to the caller and must not
 * be NULL; no function closes one. Functions that query the engine switch its
 * break-on-library-errors setting off for their duration and restore it on every path.
 * No state between calls; a stream must not be used by two threads at once.
 */
#ifndef TOOLBOX_FILES_FILE_UTILS_H
#define TOOLBOX_FILES_FILE_UTILS_H

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Files by name ------------------------------------------------------------------------- */

/* 1 when path names a file (a directory is no file), 0 when it does not, or -12 / -93 when the
 * query fails. When size is not NULL it receives the file's size, or -1 when there is none. */
int FileExists(const char *path, long *size);

/* Sets *isWritable to 1 when the file at path can be opened for writing or, when it does not
 * exist, created (the test file is removed again), else to 0. Returns 0 when the query worked,
 * whatever the answer, -91 when the file query fails, -93 on any other failure. An existing
 * file is opened for update only, never truncated, and a missing one is created exclusively,
 * so a file that appears meanwhile is never truncated either. */
int GetFileWritability(const char *path, int *isWritable);

/* Creates a new file named <directory of directoryPath><first 5 characters of prefix><n>.<extension>
 * for the first n from 0 to 999 whose name is free, and opens it as a stream with the stdio
 * `mode` ("w+b", "wb", ...). The file is created exclusively: an existing file or symbolic link
 * of that name is never opened or followed, the next number is tried. Only the directory part of
 * directoryPath is used (up to its last '/'; none means the current directory). On success
 * returns 0, stores the stream in *file and leaves the name in pathBuffer (MAX_PATHNAME_LEN
 * bytes suffice); the caller closes the stream and deletes the file. Failures:
 * TOOLBOX_ERR_NO_UNUSED_TEMP_NAME when all 1000 names are taken, TOOLBOX_ERR_CREATE_TEMP_FILE
 * when the file cannot be created or opened with mode (nothing is left behind), -91 when a name
 * cannot even be queried (too long, a directory that may not be searched), -93 another failure
 * of that query; *file is then unchanged. New files get permissions 0666 less the umask, as fopen gives them. */
int CreateAndOpenTemporaryFile(const char *directoryPath, const char *prefix, const char *extension,
                               const char *mode, char *pathBuffer, FILE **file);

/* Deletes the file at path if there is one; a directory is never removed. Reports nothing. */
void RemoveFileIfExists(const char *path);

/* Replaces newPath by the file oldPath: deletes newPath, then renames oldPath to it. Returns 0,
 * or -94 when oldPath does not exist (newPath is then left alone), -95 access denied or newPath
 * taken by a directory that cannot be removed, -100 a badly formed path (newPath's directory
 * missing, name too long), -93 another failure (for instance the paths lie on different file
 * systems), -97 the disk is full, -12 out of memory. Renaming a file onto itself returns 0 and
 * changes nothing. */
int DeleteAndRename(const char *oldPath, const char *newPath);

/* ---- Streams --------------------------------------------------------------------------------- */

/* The stream's size in bytes, in *size; its position is kept. 0, or -93 when the position
 * cannot be read or set (a pipe, for instance); when only the final seek back fails the size is
 * already stored. */
int BinaryFileSize(FILE *file, long *size);

/* Searches the stream from its position for the first occurrence of the numBytes bytes at
 * `bytes`. Returns 1 when found and leaves the stream just after the match; 0 when not found,
 * the stream then at its end; -93 when the position cannot be read or set or reading fails;
 * -12 when a pattern longer than 8192 bytes finds no memory for its search window.
 * relativeOffset (may be NULL) receives the match's offset from the start position, or the
 * number of bytes read when not found; absolutePosition (may be NULL) the start position plus
 * that. numBytes of 0 or less is an empty pattern, found at once without moving the stream. */
int FindBytesInFile(FILE *file, const void *bytes, int numBytes, long *relativeOffset,
                    long *absolutePosition);

/* Reads a NUL-terminated string from the stream into a new heap string in *string (free it
 * with free()), at most maxBytes bytes (negative: no limit; the NUL counts as a byte). The
 * stream ends up just after the NUL, or after the last byte taken. *endOfFile (may be NULL) is
 * set to 1 when the stream ended first, *maxReached (may be NULL) when the limit did; both are
 * reset to 0 first. Without a NUL, a double-byte character cut by the limit or the end of the
 * stream is left out in multi-byte mode (its lead byte is not taken). Returns 0; -12 when
 * memory runs out, -93 when the position cannot be read or set or reading fails; on failure
 * *string is NULL. */
int ReadStringFromBinaryFile(FILE *file, char **string, int maxBytes, int *endOfFile,
                             int *maxReached);

/* Reads one line ending in CR LF (included in the text, which then comes with *maxReached set,
 * as the read ends on the line's length), or up to maxBytes bytes, a NUL byte or the end of the
 * stream, whichever comes first, as ReadStringFromBinaryFile does. Returns 0 or its codes
 * (also those of FindBytesInFile); on failure *line is NULL. */
int ReadLineFromBinaryFile(FILE *file, char **line, int maxBytes, int *endOfFile, int *maxReached);

/* Writes `count` copies of the byte (its low 8 bits); 0 or less writes nothing. 0, or -97 when
 * a write falls short (what was written stays). */
int WriteByteToFile(FILE *file, int byte, int count);

/* Writes the string with every LF written as CR LF (so CR LF in the text becomes CR CR LF);
 * no NUL is written; NULL writes nothing. 0, or -97 when a write falls short. */
int WriteStringToFile(FILE *file, const char *string);

#ifdef __cplusplus
}
#endif

#endif
