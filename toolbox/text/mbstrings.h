/* toolbox/text/mbstrings.h - small helpers that keep code safe in double-byte code pages.
 *
 * In a double-byte system code page (RteSystemCodePage non-zero, rte/mbs.h) a character is a
 * single byte or a lead byte followed by a trail byte; outside one every byte is a character.
 * A character value is an int holding a single byte in its low 8 bits, or a double-byte
 * character as lead byte * 256 + trail byte.
 * Case changes and case-insensitive comparisons touch only the ASCII letters A-Z and a-z; the
 * trail byte of a double-byte character is never taken for a character of its own.
 * Nothing here keeps state; every function may run on any thread.
 */
#ifndef TOOLBOX_TEXT_MBSTRINGS_H
#define TOOLBOX_TEXT_MBSTRINGS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Characters ------------------------------------------------------------------------------ */

/* The first byte of a character value: its lead byte (bits 8-15) when that is not 0, otherwise
 * its low byte. CmbFirstByteOfChar(0x8140) is 0x81; CmbFirstByteOfChar('A') is 'A'. */
int CmbFirstByteOfChar(int character);

/* Number of characters in string (a double-byte character counts once); 0 for NULL. */
int CmbNumChars(const char *string);

/* ---- Comparisons (1 when equal, else 0) ----------------------------------------------------- */
/* A NULL string equals only another NULL string. */

/* Byte-for-byte equality, case-sensitive. */
int CmbStrEq(const char *string1, const char *string2);

/* Equality ignoring the case of ASCII letters, stepping by characters. */
int CmbStrEqI(const char *string1, const char *string2);

/* Byte-for-byte equality of at most maxBytes bytes (as strncmp). */
int CmbStrEqN(const char *string1, const char *string2, size_t maxBytes);

/* Equality of at most maxBytes bytes ignoring the case of ASCII letters; a double-byte character
 * cut by the limit compares by its lead byte. */
int CmbStrEqNI(const char *string1, const char *string2, size_t maxBytes);

/* ---- Case ------------------------------------------------------------------------------------- */

/* Turn the ASCII letters a-z of string into A-Z in place; every other byte, and every byte of a
 * double-byte character, stays. Returns string (NULL for NULL). */
char *CmbStrUpr(char *string);

/* Turn the ASCII letters A-Z of string into a-z in place, as CmbStrUpr. Returns string. */
char *CmbStrLwr(char *string);

/* ---- Positions -------------------------------------------------------------------------------- */

/* 1 when the byte at byteIndex of string is the single-byte character (or lead byte) `byte`,
 * 0 when it differs, when it is the trail byte of a double-byte character, when byteIndex is
 * negative or past the terminating null, or when string is NULL. Use it to find a separator
 * such as '\\' or '/' that must not be half of a double-byte character. */
int CmbStrByteIs(const char *string, int byteIndex, int byte);

/* Pointer to the first byte of the last character of string, or string itself when it is empty.
 * string must not be NULL: "Programming error detected." */
char *CmbStrLastChar(const char *string);

#ifdef __cplusplus
}
#endif

#endif
