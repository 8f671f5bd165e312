// rte/gfx/bitmap_store.cpp - the engine's table of bitmaps: display bitmaps are registered here from
// drawn surfaces and read back with GetBitmapInfo and GetBitmapData until DiscardBitmap.
//
// A bitmap holds 24-bit pixels, red, green, blue, rows of exactly 3 x width bytes, top row
// first. IDs count up from 1 and are never reused, so a stale ID never names a newer bitmap.
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
    int width = 0, height = 0, rowBytes = 0;
    unsigned char *bits = nullptr;  // rowBytes x height, from RteMalloc, owned
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

}  // namespace rte::internal

using namespace rte::internal;

extern "C" int GetBitmapInfo(int bitmapID, int *colorSize, int *bitsSize, int *maskSize) {
    BitmapTable &t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.bitmaps.find(bitmapID);
    if (it == t.bitmaps.end()) return UIE_BAD_BITMAP;
    if (colorSize) *colorSize = 0;
    if (bitsSize) *bitsSize = it->second.rowBytes * it->second.height;
    if (maskSize) *maskSize = 0;
    return 0;
}

extern "C" int GetBitmapData(int bitmapID, int *rowBytes, int *pixelDepth, int *width, int *height, int *colorTable,
                             unsigned char *bits, unsigned char *mask) {
    (void)colorTable;  // 24-bit bitmaps have no colour table and no mask
    (void)mask;
    BitmapTable &t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.bitmaps.find(bitmapID);
    if (it == t.bitmaps.end()) return UIE_BAD_BITMAP;
    const Bitmap &b = it->second;
    if (rowBytes) *rowBytes = b.rowBytes;
    if (pixelDepth) *pixelDepth = 24;
    if (width) *width = b.width;
    if (height) *height = b.height;
    if (bits) std::memcpy(bits, b.bits, static_cast<size_t>(b.rowBytes) * b.height);
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
