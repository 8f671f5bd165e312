// toolbox/files/stream_write.cpp - writing repeated bytes, and text with CR-LF line ends.
#include <string.h>

#include "rte/mbs.h"
#include "toolbox/files/file_utils.h"

extern "C" int WriteByteToFile(FILE *file, int byte, int count) {
    unsigned char block[64];
    memset(block, byte & 0xFF, sizeof block);
    long remaining = count;
    while (remaining > 0) {
        size_t n = remaining < 64 ? static_cast<size_t>(remaining) : 64;
        size_t written = fwrite(block, 1, n, file);
        if (written != n) return -97;
        remaining -= static_cast<long>(n);
    }
    return 0;
}

extern "C" int WriteStringToFile(FILE *file, const char *string) {
    if (string == nullptr) return 0;
    const char *rest = string;
    while (*rest != '\0') {
        // Rte_mbschr steps by characters, so the byte of a LF is never taken from the middle of
        // a double-byte character.
        const char *lf = Rte_mbschr(rest, '\n');
        size_t n = lf != nullptr ? static_cast<size_t>(lf - rest) : strlen(rest);
        if (n > 0 && fwrite(rest, 1, n, file) != n) return -97;
        if (lf == nullptr) break;
        if (fwrite("\r\n", 1, 2, file) != 2) return -97;
        rest = lf + 1;
    }
    return 0;
}
