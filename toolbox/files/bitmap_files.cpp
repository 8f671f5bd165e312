// toolbox/files/bitmap_files.cpp - the engine's bitmaps written as BMP files (bitmap_files.h).
//
// The engine gives the rows top row first, each of its own length, 24- and 32-bit pixels red
// first; the file wants them bottom row first, padded to four bytes, blue first. Rows are
// converted, last row first, into a block of a few hundred kilobytes that is written whole when
// full, straight to the file (no stream buffer in between), so the image is never held twice and
// each byte is copied once on its way.
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
constexpr size_t kBlockBytes = 256 * 1024;  // rows converted before each write

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
    unsigned char *block = nullptr;   // padded rows as written, blockRows of them
    int blockRows = 0;
    ~Buffers() {
        free(pixels);
        free(colors);
        free(table);
        free(block);
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
    size_t n = static_cast<size_t>(l.width);
    if (l.depth == 24) {
        size_t i = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        // Four pixels (three words) at a time: R0 G0 B0 R1 | G1 B1 R2 G2 | B2 R3 G3 B3 become
        // B0 G0 R0 B1 | G1 R1 B2 G2 | R2 B3 G3 R3.
        for (; i + 12 <= 3 * n; i += 12) {
            uint32_t w0, w1, w2;
            memcpy(&w0, in + i, 4);
            memcpy(&w1, in + i + 4, 4);
            memcpy(&w2, in + i + 8, 4);
            uint32_t o0 = ((w0 >> 16) & 0xFF) | (w0 & 0xFF00) | ((w0 & 0xFF) << 16) | (((w1 >> 8) & 0xFF) << 24);
            uint32_t o1 = (w1 & 0xFF) | ((w0 >> 24) << 8) | ((w2 & 0xFF) << 16) | ((w1 >> 24) << 24);
            uint32_t o2 = ((w1 >> 16) & 0xFF) | ((w2 >> 24) << 8) | (w2 & 0xFF0000) | (((w2 >> 8) & 0xFF) << 24);
            memcpy(out + i, &o0, 4);
            memcpy(out + i + 4, &o1, 4);
            memcpy(out + i + 8, &o2, 4);
        }
#endif
        for (; i < 3 * n; i += 3) {  // copied and exchanged in one pass
            out[i] = in[i + 2];
            out[i + 1] = in[i + 1];
            out[i + 2] = in[i];
        }
    } else if (l.depth == 32) {
        for (size_t i = 0; i < 4 * n; i += 4) {
            out[i] = in[i + 2];
            out[i + 1] = in[i + 1];
            out[i + 2] = in[i];
            out[i + 3] = in[i + 3];
        }
    } else {
        memcpy(out, in, static_cast<size_t>(l.rowUsed));
    }
}

// Writes the whole file; false (errno set) when a write fails.
bool WriteFile(FILE *f, const Layout &l, const Buffers &b) {
    unsigned char headers[kHeadersSize];
    FillHeaders(headers, l);
    if (fwrite(headers, 1, kHeadersSize, f) != kHeadersSize) return false;
    if (l.colors && fwrite(b.table, 4, l.colors, f) != l.colors) return false;
    int inBlock = 0;
    for (int y = l.height - 1; y >= 0; --y) {
        unsigned char *row = b.block + static_cast<size_t>(inBlock) * l.paddedRow;
        ConvertRow(row, b.pixels + static_cast<size_t>(y) * static_cast<size_t>(l.rowBytes), l);
        if (++inBlock == b.blockRows || y == 0) {
            size_t bytes = static_cast<size_t>(inBlock) * l.paddedRow;
            if (fwrite(b.block, 1, bytes, f) != bytes) return false;
            inBlock = 0;
        }
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
    b.blockRows = static_cast<int>(kBlockBytes / l.paddedRow);
    if (b.blockRows < 1) b.blockRows = 1;
    if (b.blockRows > l.height) b.blockRows = l.height;
    // Zeroed once: the padding bytes of every row stay zero, as rows copy only their pixels.
    b.block = static_cast<unsigned char *>(RteCalloc(static_cast<size_t>(b.blockRows) * l.paddedRow, 1));
    if (b.block == nullptr) return UIE_OUT_OF_MEMORY;

    FILE *f = fopen(fileName, "wb");
    if (f == nullptr) return OpenFailure(errno);
    setvbuf(f, nullptr, _IONBF, 0);  // the blocks go to the file as they are
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
