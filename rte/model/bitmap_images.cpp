// rte/model/bitmap_images.cpp - images of picture controls: set, read back and drawn by the renderer.
//
// A control's images live in a table keyed by a token that the control carries in a private
// attribute slot, so an image goes with its control: a control made later under a reused ID has
// no token, and images whose control is gone are released at the next SetImageBits. Everything
// here runs under ModelLock().
#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>

#include "rte/alloc.h"
#include "rte/model/images.h"
#include "rte/graphics.h"

namespace rte::internal {
namespace {

constexpr int kImageTokenSlot = -7001;  // Control::attrs key the public attribute calls never reach

struct Image {
    int rowBytes = 0, depth = 0, width = 0, height = 0;
    int colorCount = 0;   // entries of the colour table (0 for 24 and 32 bits)
    int maskSize = 0;     // 0 when the image has no mask
    unsigned char *block = nullptr;  // colour table, then bits, then mask; from RteMalloc

    int ColorSize() const { return colorCount * 4; }
    int BitsSize() const { return rowBytes * height; }
    const int *Colors() const { return reinterpret_cast<const int *>(block); }
    const unsigned char *Bits() const { return block + ColorSize(); }
    const unsigned char *Mask() const { return maskSize ? block + ColorSize() + BitsSize() : nullptr; }
};

struct ImageSet {
    int panel = 0, control = 0;
    std::map<int, Image> images;  // by index
};

std::map<int, ImageSet> &Sets() {
    static auto *sets = new std::map<int, ImageSet>;  // guarded by ModelLock()
    return *sets;
}

int MaskRowBytes(int width) { return (width + 15) / 16 * 2; }

bool IsPictureStyle(int s) {
    return s == CTRL_PICTURE || s == CTRL_PICTURE_COMMAND_BUTTON || s == CTRL_PICTURE_TOGGLE_BUTTON ||
           s == CTRL_PICTURE_RING;
}

// Finds the control and checks the index; *index becomes the slot to use.
int Locate(int panel, int control, int *index, Panel **pOut, Control **cOut) {
    Panel *p = FindPanel(panel);
    if (p == nullptr) return UIE_BAD_PANEL;
    Control *c = FindControl(p, control);
    if (c == nullptr) return UIE_BAD_CONTROL;
    if (!IsPictureStyle(c->style)) return UIE_WRONG_ATTRIBUTE;
    if (c->style == CTRL_PICTURE_RING) {
        if (*index < 0 || *index >= static_cast<int>(c->items.size())) return UIE_INDEX_OUT_OF_RANGE;
    } else {
        *index = 0;
    }
    *pOut = p;
    *cOut = c;
    return 0;
}

const Image *FindImage(Control &c, int index) {
    auto slot = c.attrs.find(kImageTokenSlot);
    if (slot == c.attrs.end()) return nullptr;
    auto set = Sets().find(slot->second.i);
    if (set == Sets().end()) return nullptr;
    auto it = set->second.images.find(index);
    return it == set->second.images.end() ? nullptr : &it->second;
}

// Releases the images of controls that no longer exist.
void Sweep() {
    auto &sets = Sets();
    for (auto it = sets.begin(); it != sets.end();) {
        Control *c = FindControl(FindPanel(it->second.panel), it->second.control);
        auto slot = c ? c->attrs.find(kImageTokenSlot) : decltype(c->attrs.end()){};
        bool alive = c != nullptr && slot != c->attrs.end() && slot->second.i == it->first;
        if (alive) {
            ++it;
            continue;
        }
        for (auto &entry : it->second.images) std::free(entry.second.block);
        it = sets.erase(it);
    }
}

// The colour of pixel x of a row, 0x00RRGGBB.
uint32_t PixelColor(const Image &im, const unsigned char *row, int x) {
    switch (im.depth) {
    case 24: return (uint32_t{row[3 * x]} << 16) | (uint32_t{row[3 * x + 1]} << 8) | row[3 * x + 2];
    case 32: return (uint32_t{row[4 * x]} << 16) | (uint32_t{row[4 * x + 1]} << 8) | row[4 * x + 2];
    default: {
        int bit = x * im.depth;
        int index = (row[bit / 8] >> (8 - im.depth - bit % 8)) & ((1 << im.depth) - 1);
        return static_cast<uint32_t>(im.Colors()[index]) & 0xFFFFFF;
    }
    }
}

}  // namespace

cairo_surface_t *ImageSurfaceFor(Panel &, Control &c, int index) {
    const Image *im = FindImage(c, index);
    if (im == nullptr) return nullptr;
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, im->width, im->height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    unsigned char *data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    const unsigned char *mask = im->Mask();
    for (int y = 0; y < im->height; ++y) {
        const unsigned char *row = im->Bits() + static_cast<size_t>(y) * im->rowBytes;
        uint32_t *out = reinterpret_cast<uint32_t *>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < im->width; ++x) {
            bool shown = mask == nullptr ||
                         (mask[static_cast<size_t>(y) * MaskRowBytes(im->width) + x / 8] >> (7 - x % 8)) & 1;
            out[x] = shown ? 0xFF000000u | PixelColor(*im, row, x) : 0;  // premultiplied: hidden = 0
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" int GetImageInfo(int panel, int control, int imageIndex, int *colorSize, int *bitsSize, int *maskSize) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p;
    Control *c;
    int rc = Locate(panel, control, &imageIndex, &p, &c);
    if (rc < 0) return Fail("GetImageInfo", rc);
    const Image *im = FindImage(*c, imageIndex);
    if (im == nullptr) return Fail("GetImageInfo", UIE_NO_IMAGE);
    if (colorSize) *colorSize = im->ColorSize();
    if (bitsSize) *bitsSize = im->BitsSize();
    if (maskSize) *maskSize = im->maskSize;
    return 0;
}

extern "C" int GetImageBits(int panel, int control, int imageIndex, int *rowBytes, int *depth, int *width,
                            int *height, int *colorTable, unsigned char *bits, unsigned char *mask) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p;
    Control *c;
    int rc = Locate(panel, control, &imageIndex, &p, &c);
    if (rc < 0) return Fail("GetImageBits", rc);
    const Image *im = FindImage(*c, imageIndex);
    if (im == nullptr) return Fail("GetImageBits", UIE_NO_IMAGE);
    if (rowBytes) *rowBytes = im->rowBytes;
    if (depth) *depth = im->depth;
    if (width) *width = im->width;
    if (height) *height = im->height;
    if (colorTable && im->colorCount) std::memcpy(colorTable, im->Colors(), static_cast<size_t>(im->ColorSize()));
    if (bits) std::memcpy(bits, im->Bits(), static_cast<size_t>(im->BitsSize()));
    if (mask && im->maskSize) std::memcpy(mask, im->Mask(), static_cast<size_t>(im->maskSize));
    return 0;
}

extern "C" int SetImageBits(int panel, int control, int imageIndex, int rowBytes, int depth, int width, int height,
                            const int *colorTable, const unsigned char *bits, const unsigned char *mask) {
    NoteModelChange();
    static int nextToken = 1;  // guarded by ModelLock()
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p;
    Control *c;
    int rc = Locate(panel, control, &imageIndex, &p, &c);
    if (rc < 0) return Fail("SetImageBits", rc);
    if (bits == nullptr) return Fail("SetImageBits", UIE_NULL_POINTER);
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32) return Fail("SetImageBits", UIE_BAD_VALUE);
    if (depth < 24 && colorTable == nullptr) return Fail("SetImageBits", UIE_NULL_POINTER);
    if (width < 1 || height < 1 || width > 16384 || height > 16384) return Fail("SetImageBits", UIE_BAD_VALUE);
    long needRow = depth == 24 ? 3L * width : depth == 32 ? 4L * width : (static_cast<long>(width) * depth + 7) / 8;
    if (rowBytes < needRow || rowBytes > 4 * 16384 + 64) return Fail("SetImageBits", UIE_BAD_VALUE);

    Image im;
    im.rowBytes = rowBytes;
    im.depth = depth;
    im.width = width;
    im.height = height;
    im.colorCount = depth < 24 ? 1 << depth : 0;
    im.maskSize = mask ? MaskRowBytes(width) * height : 0;
    size_t total = static_cast<size_t>(im.ColorSize()) + static_cast<size_t>(im.BitsSize()) + im.maskSize;
    im.block = static_cast<unsigned char *>(RteMalloc(total));
    if (im.block == nullptr) return Fail("SetImageBits", UIE_OUT_OF_MEMORY);
    if (im.colorCount) std::memcpy(im.block, colorTable, static_cast<size_t>(im.ColorSize()));
    std::memcpy(im.block + im.ColorSize(), bits, static_cast<size_t>(im.BitsSize()));
    if (mask) std::memcpy(im.block + im.ColorSize() + im.BitsSize(), mask, static_cast<size_t>(im.maskSize));

    try {
        Sweep();
        auto slot = c->attrs.find(kImageTokenSlot);
        int token;
        if (slot != c->attrs.end() && Sets().count(slot->second.i)) {
            token = slot->second.i;
        } else {
            token = nextToken;
            ImageSet set;
            set.panel = panel;
            set.control = control;
            Sets().emplace(token, set);
            ++nextToken;
            c->attrs[kImageTokenSlot].i = token;
        }
        Image &old = Sets()[token].images[imageIndex];
        std::free(old.block);
        old = im;
    } catch (const std::bad_alloc &) {
        std::free(im.block);
        return Fail("SetImageBits", UIE_OUT_OF_MEMORY);
    }
    return 0;
}
