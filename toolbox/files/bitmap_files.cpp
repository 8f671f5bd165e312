// toolbox/files/bitmap_files.cpp - the engine's bitmaps written as BMP files (bitmap_files.h).
//
// The engine gives the rows top row first, each of its own length, 24- and 32-bit pixels red
// first; the file wants them bottom row first, padded to four bytes, blue first. Each row is
// converted into one padded buffer and written from there, last row first, so the image is
// never held twice.
//
// Everything that can run out of memory is allocated before the file is made, and a file that
// cannot be written whole is removed again, so a failure never leaves a partial file behind.
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "rte/alloc.h"
#include "rte/ui.h"
#include "toolbox/core/check_internal.h"
#include "toolbox/files/bitmap_files.h"

namespace {

constexpr uint32_t kHeadersSize = 14 + 40;
constexpr size_t kStreamBuffer = 1 << 16;  // fewer, larger writes than stdio's default

void Put16(unsigned char *at, uint32_t v) {
    at[0] = static_cast<unsigned char>(v);
    at[1] = static_cast<unsigned char>(v >> 8);
}

void Put32(unsigned char *at, uint32_t v) {
    Put16(at, v);
    Put16(at + 2, v >> 16);
}

// The code for a file that could not be made.
int OpenFailure(int err) {
    switch (err) {
    case EACCES: case EPERM: case EROFS: case EISDIR: return UIE_FILE_ACCESS_DENIED;
    case ENAMETOOLONG: return UIE_BAD_PATHNAME;
    case ENOSPC: case EDQUOT: return UIE_DISK_FULL;
    case ENOMEM: return UIE_OUT_OF_MEMORY;
    default: return UIE_FILE_OPEN_FAILED;
    }
}

// What SaveBitmapToFile holds while it works; freed by its destructor on every path.
struct Buffers {
    unsigned char *pixels = nullptr;  // the engine's rows
    int *colors = nullptr;            // the engine's colour table
    unsigned char *table = nullptr;   // the colour table as written (palette depths)
    unsigned char *row = nullptr;     // one padded row as written
    char *streamBuffer = nullptr;
    ~Buffers() {
        free(pixels);
        free(colors);
        free(table);
        free(row);
        free(streamBuffer);
    }
};

// The information about one bitmap that the file is made from.
struct Layout {
    int rowBytes = 0, depth = 0, width = 0, height = 0;
    int rowUsed = 0;         // bytes of an engine row that hold pixels
    uint32_t colors = 0;     // colour-table entries written
    uint32_t paddedRow = 0;  // row length in the file
    uint32_t imageSize = 0;
};

// Checks what the engine reported and works out the file's sizes; false for a bitmap whose
// layout no file can hold.
bool PlanFile(Layout *l, int bitsSize) {
    if (l->depth != 1 && l->depth != 4 && l->depth != 8 && l->depth != 24 && l->depth != 32) return false;
    if (l->width < 1 || l->height < 1 || l->rowBytes < 1) return false;
    uint64_t needRow = l->depth >= 24 ? static_cast<uint64_t>(l->width) * static_cast<unsigned>(l->depth / 8)
                                      : (static_cast<uint64_t>(l->width) * static_cast<unsigned>(l->depth) + 7) / 8;
    if (static_cast<uint64_t>(l->rowBytes) < needRow) return false;
    if (static_cast<uint64_t>(l->rowBytes) * static_cast<uint64_t>(l->height) > static_cast<uint64_t>(bitsSize)) return false;
    // The file's rows hold the pixels alone: a reader finds them by width and depth, so the
    // engine's own row length (which may hold unused bytes at its end) does not count.
    l->rowUsed = static_cast<int>(needRow);
    uint64_t padded = (needRow + 3) / 4 * 4;
    uint64_t image = padded * static_cast<uint64_t>(l->height);
    l->colors = l->depth < 24 ? 1u << l->depth : 0;
    if (kHeadersSize + 4ull * l->colors + image > UINT32_MAX) return false;
    l->paddedRow = static_cast<uint32_t>(padded);
    l->imageSize = static_cast<uint32_t>(image);
    return true;
}

void FillHeaders(unsigned char *h, const Layout &l) {
    memset(h, 0, kHeadersSize);
    uint32_t tableSize = 4 * l.colors;
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, kHeadersSize + tableSize + l.imageSize);  // file size
    Put32(h + 10, kHeadersSize + tableSize);               // pixel data offset
    Put32(h + 14, 40);                                     // information header size
    Put32(h + 18, static_cast<uint32_t>(l.width));
    Put32(h + 22, static_cast<uint32_t>(l.height));        // positive: rows bottom-up
    Put16(h + 26, 1);                                      // planes
    Put16(h + 28, static_cast<uint32_t>(l.depth));
    Put32(h + 34, l.imageSize);
    Put32(h + 46, l.colors);                               // colours used
}

// The engine's colour ints 0x00RRGGBB as the file's entries: blue, green, red, 0. Entries the
// engine did not give stay black.
void FillColorTable(unsigned char *table, const int *colors, int colorSize, uint32_t count) {
    memset(table, 0, 4 * static_cast<size_t>(count));
    uint32_t given = colorSize > 0 ? static_cast<uint32_t>(colorSize) / 4 : 0;
    for (uint32_t i = 0; i < count && i < given; ++i) {
        uint32_t c = static_cast<uint32_t>(colors[i]);
        table[4 * i] = static_cast<unsigned char>(c);
        table[4 * i + 1] = static_cast<unsigned char>(c >> 8);
        table[4 * i + 2] = static_cast<unsigned char>(c >> 16);
    }
}

// One engine row as the file holds it: red and blue exchanged in true-colour pixels, zero
// padding behind it (already in place: the buffer was zeroed and only the pixels are copied).
void ConvertRow(unsigned char *out, const unsigned char *in, const Layout &l) {
    memcpy(out, in, static_cast<size_t>(l.rowUsed));
    if (l.depth < 24) return;
    size_t step = static_cast<size_t>(l.depth / 8);
    unsigned char *end = out + static_cast<size_t>(l.width) * step;
    for (unsigned char *px = out; px < end; px += step) {
        unsigned char red = px[0];
        px[0] = px[2];
        px[2] = red;
    }
}

// Writes the whole file; false (errno set) when a write fails.
bool WriteFile(FILE *f, const Layout &l, const Buffers &b) {
    unsigned char headers[kHeadersSize];
    FillHeaders(headers, l);
    if (fwrite(headers, 1, kHeadersSize, f) != kHeadersSize) return false;
    if (l.colors && fwrite(b.table, 4, l.colors, f) != l.colors) return false;
    for (int y = l.height - 1; y >= 0; --y) {
        ConvertRow(b.row, b.pixels + static_cast<size_t>(y) * static_cast<size_t>(l.rowBytes), l);
        if (fwrite(b.row, 1, l.paddedRow, f) != l.paddedRow) return false;
    }
    return true;
}

}  // namespace

extern "C" int SaveBitmapToFile(const char *fileName, int bitmapID) {
    TOOLBOX_CHECK(fileName != nullptr, "Null file name passed to SaveBitmapToFile");
    int colorSize = 0, bitsSize = 0;
    int rc = GetBitmapInfo(bitmapID, &colorSize, &bitsSize, nullptr);
    if (rc < 0) return rc;
    if (bitsSize <= 0 || colorSize < 0) return UIE_BAD_VALUE;

    Buffers b;
    b.pixels = static_cast<unsigned char *>(RteMalloc(static_cast<size_t>(bitsSize)));
    if (b.pixels == nullptr) return UIE_OUT_OF_MEMORY;
    if (colorSize > 0) {
        b.colors = static_cast<int *>(RteMalloc(static_cast<size_t>(colorSize)));
        if (b.colors == nullptr) return UIE_OUT_OF_MEMORY;
    }
    Layout l;
    rc = GetBitmapData(bitmapID, &l.rowBytes, &l.depth, &l.width, &l.height, b.colors, b.pixels, nullptr);
    if (rc < 0) return rc;
    if (!PlanFile(&l, bitsSize)) return UIE_BAD_VALUE;
    if (l.colors) {
        b.table = static_cast<unsigned char *>(RteMalloc(4 * static_cast<size_t>(l.colors)));
        if (b.table == nullptr) return UIE_OUT_OF_MEMORY;
        FillColorTable(b.table, b.colors, colorSize, l.colors);
    }
    b.row = static_cast<unsigned char *>(RteCalloc(l.paddedRow, 1));
    b.streamBuffer = static_cast<char *>(RteMalloc(kStreamBuffer));
    if (b.row == nullptr || b.streamBuffer == nullptr) return UIE_OUT_OF_MEMORY;

    FILE *f = fopen(fileName, "wb");
    if (f == nullptr) return OpenFailure(errno);
    setvbuf(f, b.streamBuffer, _IOFBF, kStreamBuffer);
    bool written = WriteFile(f, l, b);
    int writeErr = errno;
    bool closed = fclose(f) == 0;
    if (written && closed) return 0;
    int err = written ? errno : writeErr;
    remove(fileName);
    return err == ENOSPC || err == EDQUOT ? UIE_DISK_FULL : UIE_FILE_IO_ERROR;
}

extern "C" int SaveCtrlDisplayToFile(int panel, int control, int includeLabel, int height, int width,
                                     const char *fileName) {
    TOOLBOX_CHECK(fileName != nullptr, "Null file name passed to SaveCtrlDisplayToFile");
    int bitmap = 0;
    int rc = GetScaledCtrlDisplayBitmap(panel, control, includeLabel, height, width, &bitmap);
    if (rc < 0) return rc;
    rc = SaveBitmapToFile(fileName, bitmap);
    DiscardBitmap(bitmap);
    return rc;
}

extern "C" int SavePanelDisplayToFile(int panel, int scope, Rect area, int height, int width, const char *fileName) {
    TOOLBOX_CHECK(fileName != nullptr, "Null file name passed to SavePanelDisplayToFile");
    int bitmap = 0;
    int rc = GetScaledPanelDisplayBitmap(panel, scope, area, height, width, &bitmap);
    if (rc < 0) return rc;
    rc = SaveBitmapToFile(fileName, bitmap);
    DiscardBitmap(bitmap);
    return rc;
}
