/* toolbox/text/int_parse.h - strict whole-string integer parsers.
 *
 * Unlike strtol and friends these accept a text only when the entire text is one decimal
 * number: optional white space, at most one sign placed directly before the first digit, one or
 * more decimal digits (leading zeros allowed), optional white space, and nothing else. There is
 * no hexadecimal, octal, exponent, fraction or digit-grouping form. Overflow is detected exactly.
 * White space and digits are what isspace and isdigit say in the current C locale, byte by byte.
 *
 * Both functions return 1 and store the value on success, and return 0 leaving the target
 * untouched on any rejection. The text must not be NULL (it is not checked).
 */
#ifndef TOOLBOX_TEXT_INT_PARSE_H
#define TOOLBOX_TEXT_INT_PARSE_H

#ifdef __cplusplus
extern "C" {
#endif

/* Parses a signed decimal from -2147483648 to 2147483647 into *value. 1 on success, 0 otherwise. */
int StrToInt(const char *str, int *value);

/* Parses an unsigned decimal from 0 to 4294967295 into *value. A plus sign is accepted; any
 * minus sign (even "-0") is rejected. 1 on success, 0 otherwise. */
int StrToUInt(const char *str, unsigned int *value);

#ifdef __cplusplus
}
#endif

#endif
