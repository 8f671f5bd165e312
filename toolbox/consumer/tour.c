/* A tour of the installed utility library from a plain C program: a list of words sorted and
 * searched, a heap string built from them, an integer parsed, an error text looked up. It is
 * built outside the tree the way a user's program is, through the CMake package (this folder's
 * C-only CMakeLists.txt) and with one line:
 *     cc tour.c $(pkg-config --cflags --libs toolbox)
 * Prints what it did and exits with 0 when every answer was right. */
#include "toolbox/toolbox.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(void) {
    const char *words[] = {"pear", "apple", "fig", "cherry"};
    ListHandle list = ListCreate((int)sizeof(char *));
    if (list == NULL) return 1;
    for (int i = 0; i < 4; ++i) ListInsertItem(list, &words[i], LIST_END);
    ListQuickSort(list, CStringCompare);

    char *joined = NULL;
    for (int i = 1; i <= ListNumItems(list); ++i) {
        const char *word;
        ListGetItem(list, &word, i);
        if (i > 1 && !AppendString(&joined, ", ", -1)) return 2;
        if (!AppendString(&joined, word, -1)) return 2;
    }
    const char *fig = "fig";
    int found = ListBinSearch(list, &fig, CStringCompare);
    ListDispose(list);
    printf("sorted: %s; fig at %d\n", joined, found);
    if (strcmp(joined, "apple, cherry, fig, pear") != 0 || found != 3) return 3;
    free(joined);

    int value = 0;
    if (!StrToInt(" -42 ", &value) || value != -42 || StrToInt("12abc", &value)) return 4;
    if (strcmp(GetGeneralErrorString(-5003), "Could Not Find Unused Temporary File Name") != 0) return 5;
    puts("tour ok");
    return 0;
}
