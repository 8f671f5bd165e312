/* toolbox/text/number_locale.h - number texts between the standard library's decimal point and
 * the user's decimal separator.
 *
 * The standard library formats and parses numbers with '.' as the decimal point (in the C
 * locale the program runs in); users type and read them with the separator of their regional
 * settings, which the engine reports as the system attribute ATTR_DECIMAL_SEPARATOR (the
 * environment's LC_ALL, LC_NUMERIC or LANG). Both functions change the text in place, replace
 * every occurrence (not only the first) and leave every other character alone, thousands
 * separators included. They step by whole characters in a double-byte code page, so the second
 * byte of a double-byte character is never changed. A NULL text is left alone.
 */
#ifndef TOOLBOX_TEXT_NUMBER_LOCALE_H
#define TOOLBOX_TEXT_NUMBER_LOCALE_H

#ifdef __cplusplus
extern "C" {
#endif

/* Replaces every '.' in text by the user's decimal separator ("3.14" -> "3,14" in a German
 * setting); nothing changes when the separator is '.'. */
void LocalizeNumberString(char *text);

/* Replaces every occurrence of the user's decimal separator in text by '.' ("3,14" -> "3.14"),
 * so that strtod and sscanf in the C locale read it; nothing changes when the separator is '.'. */
void DelocalizeNumberString(char *text);

#ifdef __cplusplus
}
#endif

#endif
