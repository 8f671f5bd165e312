// Accelerator escapes in labels: finding and removing the two underscores that mark the next
// character as the label's keyboard accelerator.
#include "toolbox/ui/ui_services.h"

#include "rte/mbs.h"

#include <cstring>

namespace {

// The index of the character after the one at index i of text (length length): one byte, or a
// whole double-byte character in a double-byte code page; never past the terminating null.
size_t NextChar(const char *text, size_t i, size_t length) {
    if (i >= length) return length;
    if (RteSystemCodePage == 0) return i + 1;
    size_t next = static_cast<size_t>(Rte_mbsinc(text + i) - text);
    return next > i && next <= length ? next : i + 1;
}

}  // namespace

extern "C" int AcceleratorEscapeCodeLocation(const char *text) {
    if (!text) return -1;
    size_t length = std::strlen(text);
    size_t i = 0;
    // At least three bytes remain from i wherever text[i + 2] is read.
    while (i + 3 <= length) {
        if (text[i] == '_' && text[i + 1] == '_') {
            if (text[i + 2] != '_') return static_cast<int>(i);
            while (i + 3 <= length && text[i] == '_') ++i;  // a run of three or more
            i = NextChar(text, i, length);                 // and the character it hides
        } else {
            i = NextChar(text, i, length);
        }
    }
    return -1;
}

extern "C" void RemoveAcceleratorEscapeCode(char *text) {
    int at = AcceleratorEscapeCodeLocation(text);
    if (at < 0) return;
    size_t i = static_cast<size_t>(at);
    std::memmove(text + i, text + i + 2, std::strlen(text + i + 2) + 1);
}
