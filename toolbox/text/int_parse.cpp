// toolbox/text/int_parse.cpp - the strict integer parsers StrToInt and StrToUInt.
//
// Both rest on one scanner that reads the magnitude and the sign of a whole-string decimal.
#include "toolbox/text/int_parse.h"

#include <ctype.h>

namespace {

// Scans str as [blanks][sign]digits[blanks]. Sets *isNegative to 0 at the start and to 1 when a
// minus sign is met (kept on failure too); stores the magnitude in *magnitude only on success.
// Returns 1 on success, 0 when the text is not such a number or the magnitude passes
// 4294967295.
int StrToUIntAndSign(const char *str, unsigned int *magnitude, int *isNegative)
{
    unsigned int accumulated = 0;
    int digits = 0;
    int signSeen = 0;
    int inTrailingSpace = 0;

    *isNegative = 0;
    for (const char *p = str; *p != '\0'; p++) {
        unsigned char c = (unsigned char)*p;
        if (inTrailingSpace) {
            if (!isspace(c))
                return 0;
        } else if (isspace(c)) {
            // White space after a sign or digit ends the number: only more white space may follow.
            if (signSeen || digits > 0)
                inTrailingSpace = 1;
        } else if (c == '+' || c == '-') {
            if (signSeen || digits > 0)
                return 0;
            if (c == '-')
                *isNegative = 1;
            signSeen = 1;
        } else if (!isdigit(c)) {
            return 0;
        } else {
            unsigned int d = (unsigned int)(c - '0');
            // 429496729 * 10 + 5 == 4294967295, the largest magnitude that fits.
            if (accumulated > 429496729u || (accumulated == 429496729u && d > 5))
                return 0;
            accumulated = accumulated * 10 + d;
            digits++;
        }
    }
    if (digits == 0)
        return 0;
    *magnitude = accumulated;
    return 1;
}

}  // namespace

extern "C" int StrToInt(const char *str, int *value)
{
    unsigned int magnitude;
    int isNegative;

    if (!StrToUIntAndSign(str, &magnitude, &isNegative))
        return 0;
    if (isNegative) {
        if (magnitude > 2147483648u)
            return 0;
        // Negate in unsigned arithmetic so -2147483648 needs no signed overflow.
        *value = (int)(0u - magnitude);
    } else {
        if (magnitude > 2147483647u)
            return 0;
        *value = (int)magnitude;
    }
    return 1;
}

extern "C" int StrToUInt(const char *str, unsigned int *value)
{
    unsigned int magnitude;
    int isNegative;

    if (!StrToUIntAndSign(str, &magnitude, &isNegative) || isNegative)
        return 0;
    *value = magnitude;
    return 1;
}
