/* rte/mbs.h - multi-byte (double-byte code page) text functions of the engine.
 *
 * The engine runs in one system code page, chosen once at start-up and kept in
 * RteSystemCodePage:
 *   0    single-byte text (UTF-8 and every single-byte character set): every byte is a character;
 *   932  Shift-JIS    lead bytes 0x81-0x9F, 0xE0-0xFC; trail bytes 0x40-0x7E, 0x80-0xFC;
 *   936  GBK          lead bytes 0x81-0xFE;            trail bytes 0x40-0x7E, 0x80-0xFE;
 *   949  Unified Hangul lead bytes 0x81-0xFE;          trail bytes 0x41-0x5A, 0x61-0x7A, 0x81-0xFE;
 *   950  Big5         lead bytes 0x81-0xFE;            trail bytes 0x40-0x7E, 0xA1-0xFE.
 * In a double-byte code page a character is one byte, or a lead byte followed by a trail byte.
 *
 * The code page follows the character set of the environment's locale (the codeset of the
 * first set of LC_ALL, LC_CTYPE, LANG; the process locale itself is not changed):
 * Shift_JIS/SJIS/CP932 -> 932, GBK/GB2312/CP936 -> 936, EUC-KR/CP949/UHC -> 949,
 * Big5/CP950 -> 950, anything else -> 0. RTE_CODEPAGE=<0|932|936|949|950> overrides it; any other
 * value of RTE_CODEPAGE is reported with one line on standard error and ignored.
 *
 * Stepping rules, shared by every function here so they agree with each other:
 *   - a lead byte followed by a non-null byte is a double-byte character (even when the second
 *     byte is outside the trail range; Rte_mbsbtype reports such a byte as invalid, -1);
 *   - a lead byte followed by the terminating null is a character of its own (a half
 *     character); no function ever steps past the terminating null.
 * Outside a double-byte code page all functions behave as their single-byte counterparts.
 * All functions are safe on any thread (they only read RteSystemCodePage).
 */
#ifndef RTE_MBS_H
#define RTE_MBS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The system code page: 0, 932, 936, 949 or 950. Set before main runs; read-only afterwards
 * (tests change it through rte/mbs_testing.h). */
extern int RteSystemCodePage;

/* ---- Byte classification ------------------------------------------------------------------ */

/* 1 if the byte (its low 8 bits) is a lead byte of the system code page, else 0 (always 0 in
 * code page 0). */
int Rte_ismbblead(unsigned int byte);

/* Type of the byte at index `index` of `string`, found by stepping by characters from the
 * start: 0 a single-byte character, 1 a lead byte, 2 a valid trail byte, -1 invalid (a trail
 * byte outside the trail range, or `index` at or past the terminating null, or a null string).
 * A lead byte right before the terminating null is reported as 1. */
int Rte_mbsbtype(const char *string, size_t index);

/* ---- Stepping ------------------------------------------------------------------------------ */

/* Pointer to the character after the one at `current` (never past the terminating null: at
 * the null it returns `current`). Null for a null argument. */
char *Rte_mbsinc(const char *current);

/* Pointer to the first byte of the character before `current` in the string that begins at
 * `start`; `current` must be the start of a character or the terminating null. Null when
 * `current` is not past `start`, or either pointer is null. */
char *Rte_mbsdec(const char *start, const char *current);

/* Number of characters in the string (a half character at the end counts as one); 0 for null. */
size_t Rte_mbslen(const char *string);

/* ---- Searching ----------------------------------------------------------------------------- */

/* First character of `string` equal to `character` (a byte, or lead x 256 + trail for a
 * double-byte character), stepping by characters, so a trail byte never matches; `character` 0
 * finds the terminating null. Null when not found or for a null string. */
char *Rte_mbschr(const char *string, unsigned int character);

/* First occurrence of `sub` in `string` that begins on a character boundary; `string` itself
 * for an empty `sub`. Null when not found or for a null argument. */
char *Rte_mbsstr(const char *string, const char *sub);

/* ---- Comparing ----------------------------------------------------------------------------- */

/* Compare two strings character by character ignoring the case of ASCII letters (folded to
 * lower case); double-byte characters compare by their value lead x 256 + trail, after every
 * single byte. Returns -1, 0 or 1. A null string sorts before every string; two nulls are equal. */
int Rte_mbsicmp(const char *s1, const char *s2);

/* As Rte_mbsicmp over at most `count` bytes of each string. A double-byte character that does
 * not fit whole within `count` compares by its lead byte alone. */
int Rte_mbsnbicmp(const char *s1, const char *s2, size_t count);

#ifdef __cplusplus
}
#endif

#endif
