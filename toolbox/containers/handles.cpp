// Relocatable memory handles: a fixed record pointing at a movable, resizable heap block.
#include "toolbox/containers/handles.h"

#include <cstdlib>
#include <cstring>

#include "rte/alloc.h"
#include "toolbox/core/check_internal.h"

extern "C" Handle NewHandle(unsigned int size) {
    void *bytes = size != 0 ? RteCalloc(size, 1) : nullptr;
    auto *record = static_cast<HandleRecord *>(RteCalloc(1, sizeof(HandleRecord)));
    if (record == nullptr || (bytes == nullptr && size != 0)) {
        free(bytes);
        free(record);
        return nullptr;
    }
    record->data = bytes;
    record->size = size;
    return record;
}

extern "C" void DisposeHandle(Handle h) {
    if (h == nullptr) return;
    free(h->data);
    free(h);
}

extern "C" unsigned int GetHandleSize(Handle h) {
    TOOLBOX_CHECK_ARG(h, "Parameter 1 to GetHandleSize was NULL.");
    return h->size;
}

extern "C" int SetHandleSize(Handle h, unsigned int newSize) {
    TOOLBOX_CHECK_ARG(h, "Parameter 1 to SetHandleSize was NULL.");
    void *old = h->data;
    unsigned int oldSize = h->size;
    if (oldSize == newSize) return 1;

    // A size of 0 releases the block outright instead of asking realloc for 0 bytes: whether
    // realloc(p, 0) frees p and returns NULL or hands back a minimal block is the C library's
    // choice, and a NULL that did not free p would leak it once the record forgets it.
    if (newSize == 0) {
        free(old);
        h->data = nullptr;
        h->size = 0;
        return 1;
    }

    void *bytes = old == nullptr ? RteMalloc(newSize) : RteRealloc(old, newSize);
    if (bytes == nullptr) return 0;  // the old block and size stay as they were
    h->data = bytes;
    h->size = newSize;
    if (newSize > oldSize) memset(static_cast<char *>(bytes) + oldSize, 0, newSize - oldSize);
    return 1;
}
