// rte/gfx/bitmap_store.cpp - the engine's table of bitmaps: display bitmaps are registered here from
// drawn surfaces, NewBitmap makes them from a program's pixels, and they are read back with
// GetBitmapInfo and GetBitmapData until DiscardBitmap.
//
// A display bitmap holds 24-bit pixels, red, green, blue, rows of exactly 3 x width bytes, top
// row first; NewBitmap keeps the depth, row length and colour table it was given. IDs count up
// from 1 and are never reused, so a stale ID never names a newer bitmap.
#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>

#include "rte/alloc.h"
#include "rte/gfx/bitmaps.h"
#include "rte/graphics.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

struct Bitmap {
    int width = 0, height = 0, rowBytes = 0, depth = 24;
    int colorCount = 0;             // colour-table entries: 2^depth below 24 bits, else 0
    unsigned char *bits = nullptr;  // colour table (colorCount ints), then rowBytes x height
                                    // bytes of pixels; from RteMalloc, owned

    size_t ColorSize() const { return static_cast<size_t>(colorCount) * sizeof(int); }
    size_t BitsSize() const { return static_cast<size_t>(rowBytes) * static_cast<size_t>(height); }
    const unsigned char *Pixels() const { return bits + ColorSize(); }
};

struct BitmapTable {
    std::mutex lock;
    std::map<int, Bitmap> bitmaps;
    int nextId = 1;
};

BitmapTable &Table() {
    static auto *table = new BitmapTable;  // never destroyed: bitmaps may be discarded at exit
    return *table;
}

// Enters a bitmap in the table (it then owns b.bits): the new ID, or UIE_OUT_OF_MEMORY with
// b.bits freed.
int Register(const Bitmap &b) {
    BitmapTable &t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    try {
        int id = t.nextId;
        t.bitmaps.emplace(id, b);
        ++t.nextId;
        return id;
    } catch (const std::bad_alloc &) {
        std::free(b.bits);
        return UIE_OUT_OF_MEMORY;
    }
}

}  // namespace

int RegisterSurfaceBitmap(cairo_surface_t *surface) {
    cairo_surface_flush(surface);
    int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    const unsigned char *data = cairo_image_surface_get_data(surface);
    Bitmap b;
    b.width = width;
    b.height = height;
    b.rowBytes = 3 * width;
    b.bits = static_cast<unsigned char *>(RteMalloc(static_cast<size_t>(b.rowBytes) * height + 1));
    if (b.bits == nullptr) return UIE_OUT_OF_MEMORY;
    for (int y = 0; y < height; ++y) {
        const uint32_t *src = reinterpret_cast<const uint32_t *>(data + static_cast<size_t>(y) * stride);
        unsigned char *dst = b.bits + static_cast<size_t>(y) * b.rowBytes;
        for (int x = 0; x < width; ++x) {
            uint32_t px = src[x];  // opaque ARGB32 in native order
            dst[3 * x] = static_cast<unsigned char>(px >> 16);
            dst[3 * x + 1] = static_cast<unsigned char>(px >> 8);
            dst[3 * x + 2] = static_cast<unsigned char>(px);
        }
    }
    return Register(b);
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" int GetBitmapInfo(int bitmapID, int *colorSize, int *bitsSize, int *maskSize) {
    BitmapTable &t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.bitmaps.find(bitmapID);
    if (it == t.bitmaps.end()) return UIE_BAD_BITMAP;
    if (colorSize) *colorSize = static_cast<int>(it->second.ColorSize());
    if (bitsSize) *bitsSize = static_cast<int>(it->second.BitsSize());
    if (maskSize) *maskSize = 0;
    return 0;
}

extern "C" int GetBitmapData(int bitmapID, int *rowBytes, int *pixelDepth, int *width, int *height, int *colorTable,
                             unsigned char *bits, unsigned char *mask) {
    (void)mask;  // bitmaps keep no mask
    BitmapTable &t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.bitmaps.find(bitmapID);
    if (it == t.bitmaps.end()) return UIE_BAD_BITMAP;
    const Bitmap &b = it->second;
    if (rowBytes) *rowBytes = b.rowBytes;
    if (pixelDepth) *pixelDepth = b.depth;
    if (width) *width = b.width;
    if (height) *height = b.height;
    if (colorTable && b.colorCount) std::memcpy(colorTable, b.bits, b.ColorSize());
    if (bits) std::memcpy(bits, b.Pixels(), b.BitsSize());
    return 0;
}

extern "C" int NewBitmap(int bytesPerRow, int pixelDepth, int width, int height, const int *colorTable,
                         const unsigned char *bits, const unsigned char *mask, int *bitmapID) {
    (void)mask;  // accepted for the call's shape; bitmaps keep no mask
    if (bits == nullptr || bitmapID == nullptr) return UIE_NULL_POINTER;
    if (pixelDepth != 1 && pixelDepth != 4 && pixelDepth != 8 && pixelDepth != 24 && pixelDepth != 32) {
        return UIE_BAD_VALUE;
    }
    if (pixelDepth < 24 && colorTable == nullptr) return UIE_NULL_POINTER;
    if (width < 1 || height < 1 || width > 16384 || height > 16384) return UIE_BAD_VALUE;
    int needRow = pixelDepth >= 24 ? width * (pixelDepth / 8) : (width * pixelDepth + 7) / 8;
    if (bytesPerRow == -1) bytesPerRow = needRow;
    if (bytesPerRow < needRow || bytesPerRow > needRow + 64) return UIE_BAD_VALUE;
    Bitmap b;
    b.width = width;
    b.height = height;
    b.rowBytes = bytesPerRow;
    b.depth = pixelDepth;
    b.colorCount = pixelDepth < 24 ? 1 << pixelDepth : 0;
    b.bits = static_cast<unsigned char *>(RteMalloc(b.ColorSize() + b.BitsSize()));
    if (b.bits == nullptr) return UIE_OUT_OF_MEMORY;
    if (b.colorCount) std::memcpy(b.bits, colorTable, b.ColorSize());
    std::memcpy(b.bits + b.ColorSize(), bits, b.BitsSize());
    int id = Register(b);
    if (id < 0) return id;
    *bitmapID = id;
    return 0;
}

extern "C" int DiscardBitmap(int bitmapID) {
    BitmapTable &t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.bitmaps.find(bitmapID);
    if (it == t.bitmaps.end()) return UIE_BAD_BITMAP;
    std::free(it->second.bits);
    t.bitmaps.erase(it);
    return 0;
}
