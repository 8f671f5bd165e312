// List output: OutputList and the ready-made item printers.
#include "toolbox/containers/list_output.h"

#include <cstring>

namespace {

// Writes a decoration with `number` as the argument of its "%d", if it has one. A format with
// no conversion simply ignores the extra argument, so one call serves both cases.
//
// Searching for "%d" byte by byte is safe in double-byte text too: '%' (0x25) is below every
// lead and trail byte, so a '%' found always starts a character and the 'd' after it is the
// next character, exactly as a multi-byte aware search would find them.
int WriteDecoration(FILE *stream, const char *format, int number) {
    if (strstr(format, "%d") != nullptr) return fprintf(stream, format, number);
    return fprintf(stream, format, 0);
}

}  // namespace

extern "C" int OutputList(ListHandle list, FILE *stream, const char *listPrefix, const char *listSuffix,
                          const char *itemPrefix, const char *itemSeparator, ItemOutputFunction outputFunction) {
    if (stream == nullptr) stream = stdout;
    if (outputFunction == nullptr) return fprintf(stream, "Error, no output function specified\n");
    int total = 0;
    // Adds a write's count to the total; false (stop) when it failed.
    auto add = [&total](int written) {
        if (written < 0) {
            total = written;
            return false;
        }
        total += written;
        return true;
    };
    if (listPrefix != nullptr && !add(WriteDecoration(stream, listPrefix, 0))) return total;
    const int n = ListNumItems(list);
    for (int i = 1; i <= n; ++i) {
        if (itemPrefix != nullptr && !add(WriteDecoration(stream, itemPrefix, i))) return total;
        // The item function may not change the list, but its address is taken afresh anyway.
        if (!add(outputFunction(stream, ListGetPtrToItem(list, i)))) return total;
        if (i < n && itemSeparator != nullptr && !add(WriteDecoration(stream, itemSeparator, i))) return total;
    }
    if (listSuffix != nullptr && !add(WriteDecoration(stream, listSuffix, n))) return total;
    return total;
}

extern "C" int OutputIntegerItem(FILE *stream, const void *item) {
    int value;
    memcpy(&value, item, sizeof value);
    return fprintf(stream, "%d", value);
}

extern "C" int OutputShortItem(FILE *stream, const void *item) {
    short value;
    memcpy(&value, item, sizeof value);
    return fprintf(stream, "%d", static_cast<int>(value));
}

extern "C" int OutputDoubleItem(FILE *stream, const void *item) {
    double value;
    memcpy(&value, item, sizeof value);
    return fprintf(stream, "%f", value);
}

// A NULL string prints as "(null)" instead of being handed to "%s", which it is not valid for.
extern "C" int OutputStringItem(FILE *stream, const void *item) {
    const char *text;
    memcpy(&text, item, sizeof text);
    return fprintf(stream, "%s", text != nullptr ? text : "(null)");
}
