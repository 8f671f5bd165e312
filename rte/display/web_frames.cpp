// rte/display/web_frames.cpp - the pictures the web display sends: each panel drawn by the
// engine's one renderer into an image, the rectangles in which it differs from the image sent
// before, and each such rectangle as a PNG image in a frame message.
//
// Finding what changed by comparing images, rather than by asking the model, keeps the rule
// simple and exact: whatever the renderer drew differently is sent, and nothing else, so an
// idle program, or a timer that changes nothing visible, sends no byte.
#include <cairo.h>

#include <algorithm>
#include <cstring>

#include "rte/core/thread_queue.h"
#include "rte/display/web_display.h"
#include "rte/model/popup_menu.h"
#include "rte/model/ui_model.h"
#include "rte/render/render.h"

namespace rte::internal::web {
namespace {

constexpr int kTile = 16;         // changes are first found in tiles of this size
constexpr size_t kMaxRects = 24;  // more rectangles than this are sent as one around them all

// Draws into out with draw(cr), out being width x height pixels, all opaque.
template <typename Draw>
bool DrawInto(Picture *out, int width, int height, Draw draw) {
    if (width <= 0 || height <= 0) return false;
    out->width = width;
    out->height = height;
    out->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    cairo_surface_t *surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char *>(out->pixels.data()), CAIRO_FORMAT_RGB24, width, height, width * 4);
    bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        cairo_t *cr = cairo_create(surface);
        draw(cr);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
    }
    cairo_surface_destroy(surface);
    // The unused top byte of RGB24 is left as it was by some paths: set, so equal pictures
    // compare equal and the page gets opaque pixels.
    for (uint32_t &pixel : out->pixels) pixel |= 0xFF000000u;
    return ok;
}

// The rectangle r shrunk to the pixels that differ inside it.
Rect Tighten(const Picture &a, const Picture &b, Rect r) {
    int left = r.x + r.width, right = r.x - 1, top = r.y + r.height, bottom = r.y - 1;
    for (int y = r.y; y < r.y + r.height; ++y) {
        const uint32_t *pa = &a.pixels[static_cast<size_t>(y) * a.width], *pb = &b.pixels[static_cast<size_t>(y) * b.width];
        for (int x = r.x; x < r.x + r.width; ++x) {
            if (pa[x] != pb[x]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return {left, top, right - left + 1, bottom - top + 1};
}

void AppendNumber(std::string *out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

cairo_status_t AppendPng(void *closure, const unsigned char *data, unsigned int length) {
    static_cast<std::string *>(closure)->append(reinterpret_cast<const char *>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::vector<Rect> ChangedRects(const Picture &before, const Picture &after) {
    const int w = after.width, h = after.height;
    const int columns = (w + kTile - 1) / kTile, rows = (h + kTile - 1) / kTile;
    // Tile rows are walked top to bottom; a run of changed tiles in a row either extends the
    // rectangle that ended just above with the same columns, or starts a new one.
    std::vector<Rect> tiles;  // in tile units
    std::vector<char> dirty(static_cast<size_t>(columns));
    for (int ty = 0; ty < rows; ++ty) {
        std::fill(dirty.begin(), dirty.end(), 0);
        for (int y = ty * kTile; y < std::min(h, (ty + 1) * kTile); ++y) {
            const uint32_t *pa = &before.pixels[static_cast<size_t>(y) * w], *pb = &after.pixels[static_cast<size_t>(y) * w];
            for (int tx = 0; tx < columns; ++tx) {
                int x = tx * kTile, n = std::min(kTile, w - x);
                if (!dirty[tx] && std::memcmp(pa + x, pb + x, static_cast<size_t>(n) * 4) != 0) dirty[tx] = 1;
            }
        }
        for (int tx = 0; tx < columns;) {
            if (!dirty[tx]) {
                ++tx;
                continue;
            }
            int start = tx;
            while (tx < columns && dirty[tx]) ++tx;
            auto above = std::find_if(tiles.begin(), tiles.end(), [&](const Rect &r) {
                return r.y + r.height == ty && r.x == start && r.width == tx - start;
            });
            if (above != tiles.end()) ++above->height;
            else tiles.push_back({start, ty, tx - start, 1});
        }
    }
    std::vector<Rect> out;
    for (const Rect &t : tiles) {
        Rect r{t.x * kTile, t.y * kTile, std::min(t.width * kTile, w - t.x * kTile), std::min(t.height * kTile, h - t.y * kTile)};
        out.push_back(Tighten(before, after, r));
    }
    if (out.size() > kMaxRects) {
        int left = w, top = h, right = 0, bottom = 0;
        for (const Rect &r : out) {
            left = std::min(left, r.x);
            top = std::min(top, r.y);
            right = std::max(right, r.x + r.width);
            bottom = std::max(bottom, r.y + r.height);
        }
        out.assign(1, Rect{left, top, right - left, bottom - top});
    }
    return out;
}

std::string FrameMessage(int surface, const Picture &picture, const Rect &r) {
    std::string message = "F";
    AppendNumber(&message, static_cast<uint32_t>(surface));
    AppendNumber(&message, static_cast<uint32_t>(r.x));
    AppendNumber(&message, static_cast<uint32_t>(r.y));
    cairo_surface_t *image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, r.width, r.height);
    bool ok = cairo_surface_status(image) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        cairo_surface_flush(image);
        unsigned char *data = cairo_image_surface_get_data(image);
        int stride = cairo_image_surface_get_stride(image);
        for (int y = 0; y < r.height; ++y) {
            std::memcpy(data + static_cast<size_t>(y) * stride,
                        &picture.pixels[static_cast<size_t>(r.y + y) * picture.width + r.x], static_cast<size_t>(r.width) * 4);
        }
        cairo_surface_mark_dirty(image);
        ok = cairo_surface_write_to_png_stream(image, AppendPng, &message) == CAIRO_STATUS_SUCCESS;
    }
    cairo_surface_destroy(image);
    return ok ? message : std::string();
}

bool DrawPanel(int panel, Picture *out) {
    Panel *p = FindPanel(panel);
    if (p == nullptr) return false;
    // The panel with what the operator sees of it, as on the screen: caret, selection, typed
    // numbers, held buttons, scrolled lists, the open list of a ring, child panels and tips.
    return DrawInto(out, p->width, p->height, [p](cairo_t *cr) { RenderPanel(cr, *p, &p->view); });
}

bool DrawMenu(Picture *out) {
    const PopupMenu &m = TheMenu();
    if (!m.open || m.answered || m.thread != MainThreadId()) return false;
    return DrawInto(out, m.width, m.height, [&m](cairo_t *cr) { RenderPopupMenu(cr, m); });
}

}  // namespace rte::internal::web
