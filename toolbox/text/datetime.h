/* toolbox/text/datetime.h - the current time and date, and a file's modification time and
 * date, as text in the user's regional format, and a file's time as a time_t.
 *
 * The user's format is that of the environment's time locale (the first set of LC_ALL, LC_TIME,
 * LANG): "%X" for a time and "%x" for a date, as strftime knows them ("14:05:09" and
 * "18.03.2024" in a German setting, "14:05:09" and "03/18/24" in the C locale). The locale is
 * used for the formatting alone: the process's own locale is never changed, so the rest of the
 * program, and other threads, keep whatever locale they run with. When the environment names a
 * locale this machine lacks, the process's current time locale is used.
 *
 * Buffer sizes are in bytes, terminating null included. A text that does not fit gives 0, and
 * the buffer's content is then not to be relied on.
 * Every function may run on any thread (each formats with its own locale object).
 */
#ifndef TOOLBOX_TEXT_DATETIME_H
#define TOOLBOX_TEXT_DATETIME_H

#include <time.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- File times ------------------------------------------------------------------------------- */

/* Reads the modification date and time of fileName (local time, to the second) and stores them
 * as a calendar time in *time. Returns 1 when the time was stored and is valid; 0 when the date
 * and time form no valid calendar time (*time is then -1); on failure a negative engine code,
 * with *time untouched: -94 the file does not exist (or is a directory), -12 out of memory,
 * -93 any other failure (access denied, I/O error). time may be NULL to test the file only.
 * The engine's break-on-library-errors setting is off while the file is queried and back as it
 * was when the function returns. time_t is 64 bits here. */
int GetFileCLibTime(const char *fileName, time_t *time);

/* Writes the file's modification time of day, in the user's format, into buffer. Returns the
 * number of characters written; 0 when the text did not fit or the file's time is not a valid
 * calendar time; the negative code of GetFileCLibTime on failure (buffer untouched). */
int InternationalFileTime(const char *fileName, char *buffer, int bufferSize);

/* As InternationalFileTime, for the file's modification date. */
int InternationalFileDate(const char *fileName, char *buffer, int bufferSize);

/* ---- The current time -------------------------------------------------------------------------- */

/* Writes the current time of day in the user's format into buffer. Returns the number of
 * characters written, 0 when the text did not fit (or buffer is NULL or bufferSize < 1). */
int InternationalTime(char *buffer, int bufferSize);

/* As InternationalTime, for today's date. */
int InternationalDate(char *buffer, int bufferSize);

#ifdef __cplusplus
}
#endif

#endif
