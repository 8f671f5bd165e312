// toolbox/files/stream_read.cpp - reading NUL-terminated strings and CR-LF lines from binary
// streams into heap strings.
#include <limits.h>
#include <string.h>

#include <cstdlib>

#include "rte/alloc.h"
#include "rte/mbs.h"
#include "toolbox/files/file_utils.h"

namespace {

constexpr size_t kChunk = 128;

// A heap string grown by whole chunks; `text` is NUL-terminated whenever it is not null.
struct HeapText {
    char *text = nullptr;
    size_t length = 0;
    size_t capacity = 0;

    bool Init() {
        text = static_cast<char *>(RteMalloc(kChunk + 1));
        if (text == nullptr) return false;
        text[0] = '\0';
        capacity = kChunk + 1;
        return true;
    }
    bool Append(const char *bytes, size_t n) {
        if (length + n + 1 > capacity) {
            size_t want = capacity * 2 > length + n + 1 ? capacity * 2 : length + n + 1;
            char *grown = static_cast<char *>(RteRealloc(text, want));
            if (grown == nullptr) return false;
            text = grown;
            capacity = want;
        }
        memcpy(text + length, bytes, n);
        length += n;
        text[length] = '\0';
        return true;
    }
};

// ReadStringFromBinaryFile with a 64-bit limit (negative: none). The string is collected whole
// and a cut double-byte character is removed only at its end: cutting at every chunk boundary
// would drop the lead byte of a character that the next chunk completes.
int ReadString(FILE *file, char **string, long maxBytes, int *endOfFile, int *maxReached) {
    if (endOfFile != nullptr) *endOfFile = 0;
    if (maxReached != nullptr) *maxReached = 0;
    *string = nullptr;
    HeapText result;
    if (!result.Init()) return -12;
    long start = ftell(file);
    if (start == -1) {
        std::free(result.text);
        return -93;
    }
    bool hadError = ferror(file) != 0;
    long allowed = maxBytes;
    long count = 0;  // bytes taken from the stream, the NUL included
    bool sawNul = false;
    for (;;) {
        size_t chunk = kChunk;
        if (maxBytes >= 0 && static_cast<unsigned long>(allowed) < chunk) chunk = static_cast<size_t>(allowed);
        if (chunk == 0) {
            if (maxReached != nullptr) *maxReached = 1;
            break;
        }
        char buffer[kChunk];
        size_t got = fread(buffer, 1, chunk, file);
        if (got == 0) {
            if (!hadError && ferror(file)) {
                std::free(result.text);
                return -93;
            }
            if (endOfFile != nullptr) *endOfFile = 1;
            break;
        }
        allowed -= static_cast<long>(got);
        const char *nul = static_cast<const char *>(memchr(buffer, '\0', got));
        size_t take = nul != nullptr ? static_cast<size_t>(nul - buffer) : got;
        if (!result.Append(buffer, take)) {
            std::free(result.text);
            return -12;
        }
        if (nul != nullptr) {
            count += static_cast<long>(take) + 1;
            sawNul = true;
            break;
        }
        count += static_cast<long>(got);
    }
    if (!sawNul && RteSystemCodePage != 0 && result.length > 0 &&
        Rte_mbsbtype(result.text, result.length - 1) == 1) {
        result.text[--result.length] = '\0';
        --count;
    }
    if (fseek(file, start + count, SEEK_SET) != 0) {
        std::free(result.text);
        return -93;
    }
    *string = result.text;
    return 0;
}

}  // namespace

extern "C" int ReadStringFromBinaryFile(FILE *file, char **string, int maxBytes, int *endOfFile,
                                        int *maxReached) {
    return ReadString(file, string, maxBytes, endOfFile, maxReached);
}

extern "C" int ReadLineFromBinaryFile(FILE *file, char **line, int maxBytes, int *endOfFile,
                                      int *maxReached) {
    *line = nullptr;
    long start = ftell(file);
    if (start == -1) return -93;
    long position = 0;
    int found = FindBytesInFile(file, "\r\n", 2, nullptr, &position);
    if (found < 0) return found;
    if (fseek(file, start, SEEK_SET) != 0) return -93;
    long limit = maxBytes;
    if (found == 1) {
        long length = position - start + 2;  // the line with its CR LF
        limit = maxBytes >= 0 && maxBytes < length ? maxBytes : length;
    }
    return ReadString(file, line, limit, endOfFile, maxReached);
}
