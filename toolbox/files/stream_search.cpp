// toolbox/files/stream_search.cpp - the size of a stream and searching a stream for bytes.
#include <string.h>

#include <cstdlib>

#include "rte/alloc.h"
#include "toolbox/core/errors.h"
#include "toolbox/files/file_utils.h"

extern "C" int BinaryFileSize(FILE *file, long *size) {
    // ftell reports failure by -1 alone. (The original engine also tested errno for a value of
    // its own; on this platform errno may hold any stale value, so it is not consulted.)
    long position = ftell(file);
    if (position == -1) return -93;
    if (fseek(file, 0, SEEK_END) != 0) return -93;
    long end = ftell(file);
    if (end == -1) return -93;
    *size = end;
    if (fseek(file, position, SEEK_SET) != 0) return -93;
    return 0;
}

namespace {

constexpr size_t kWindow = 16384;  // stack search window; patterns up to half of it use it

// Reads the stream from its position into `window` and searches it with memmem. Between reads
// the window keeps its last numBytes - 1 bytes, so a match that straddles two reads is found,
// and every byte is examined as a possible start of the match: the first occurrence is the one
// reported. 1 with the match's offset, or 0 with the number of bytes read.
int SearchStream(FILE *file, const unsigned char *pattern, size_t length, unsigned char *window,
                 size_t capacity, long *offset) {
    size_t have = 0;    // valid bytes in the window
    long windowAt = 0;  // offset of window[0] from the start position
    long consumed = 0;  // bytes read from the stream
    for (;;) {
        size_t got = fread(window + have, 1, capacity - have, file);
        if (got == 0) break;
        have += got;
        consumed += static_cast<long>(got);
        const void *hit = memmem(window, have, pattern, length);
        if (hit != nullptr) {
            *offset = windowAt + (static_cast<const unsigned char *>(hit) - window);
            return 1;
        }
        size_t keep = have < length - 1 ? have : length - 1;
        memmove(window, window + have - keep, keep);
        windowAt += static_cast<long>(have - keep);
        have = keep;
    }
    *offset = consumed;
    return 0;
}

}  // namespace

extern "C" int FindBytesInFile(FILE *file, const void *bytes, int numBytes, long *relativeOffset,
                               long *absolutePosition) {
    int oldBole = SetBOLE(0);
    long start = ftell(file);
    long offset = 0;
    int result;
    if (start == -1) {
        result = -93;
    } else if (numBytes <= 0) {
        result = 1;  // the empty pattern is found where the stream stands
    } else {
        size_t length = static_cast<size_t>(numBytes);
        unsigned char stackWindow[kWindow];
        unsigned char *window = stackWindow;
        size_t capacity = kWindow;
        if (length > kWindow / 2) {
            capacity = 2 * length;
            window = static_cast<unsigned char *>(RteMalloc(capacity));
        }
        if (window == nullptr) {
            result = -12;
        } else {
            bool hadError = ferror(file) != 0;
            result = SearchStream(file, static_cast<const unsigned char *>(bytes), length, window,
                                  capacity, &offset);
            if (result == 1) {
                if (fseek(file, start + offset + numBytes, SEEK_SET) != 0) result = -93;
            } else if (!hadError && ferror(file)) {
                result = -93;  // a read error is not "not found": the rest was never seen
            }
            if (window != stackWindow) std::free(window);
        }
    }
    if (result != -12 && start != -1) {
        if (relativeOffset != nullptr) *relativeOffset = offset;
        if (absolutePosition != nullptr) *absolutePosition = start + offset;
    }
    SetBOLE(oldBole);
    return result;
}
