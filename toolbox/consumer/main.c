/* A C program using the installed utility library: parses its arguments as integers and prints
 * the library's text for an error code. Exit status 0 when everything behaved. */
#include "toolbox/toolbox.h"

#include <stdio.h>
#include <string.h>

int main(void) {
    int value = 0;
    if (!StrToInt(" -42 ", &value) || value != -42) return 1;
    if (StrToInt("12abc", &value)) return 2;
    if (strcmp(GetGeneralErrorString(-5003), "Could Not Find Unused Temporary File Name") != 0) return 3;
    puts("c consumer ok");
    return 0;
}
