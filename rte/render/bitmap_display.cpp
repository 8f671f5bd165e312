// rte/render/bitmap_display.cpp - display bitmaps: pictures of a control or of a panel area as the
// renderer draws them, at their natural size or scaled.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "rte/gfx/bitmaps.h"
#include "rte/graphics.h"
#include "rte/render/render.h"

namespace rte::internal {
namespace {

constexpr int kMaxSide = 16384;  // larger pictures are refused rather than half-made

// The output size for a natural size and the requested one (VAL_KEEP_SIZE keeps a side; one side
// kept and one given keeps the proportions). False when a request is not valid.
bool ScaledSize(int naturalH, int naturalW, int height, int width, int *outH, int *outW) {
    if ((height != VAL_KEEP_SIZE && height < 1) || (width != VAL_KEEP_SIZE && width < 1)) return false;
    if (height > kMaxSide || width > kMaxSide) return false;
    *outH = height == VAL_KEEP_SIZE ? naturalH : height;
    *outW = width == VAL_KEEP_SIZE ? naturalW : width;
    if (height == VAL_KEEP_SIZE && width != VAL_KEEP_SIZE && naturalW > 0) {
        *outH = std::max(1, static_cast<int>(std::lround(static_cast<double>(naturalH) * width / naturalW)));
    } else if (width == VAL_KEEP_SIZE && height != VAL_KEEP_SIZE && naturalH > 0) {
        *outW = std::max(1, static_cast<int>(std::lround(static_cast<double>(naturalW) * height / naturalH)));
    }
    return *outH >= 1 && *outW >= 1 && *outH <= kMaxSide && *outW <= kMaxSide;
}

// Draws the panel region (top, left, h, w) scaled into an outH x outW surface with draw(), then
// registers it. Returns the bitmap ID or a code.
template <typename Draw>
int DrawToBitmap(int top, int left, int h, int w, int outH, int outW, Draw draw) {
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, outW, outH);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return UIE_OUT_OF_MEMORY;
    }
    cairo_t *cr = cairo_create(surface);
    cairo_scale(cr, static_cast<double>(outW) / w, static_cast<double>(outH) / h);
    cairo_translate(cr, -left, -top);
    draw(cr);
    cairo_destroy(cr);
    int id = RegisterSurfaceBitmap(surface);
    cairo_surface_destroy(surface);
    return id;
}

int CtrlBitmap(int panel, int control, int includeLabel, int height, int width, int *bitmapID) {
    if (bitmapID == nullptr) return UIE_NULL_POINTER;
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return UIE_BAD_PANEL;
    Control *c = FindControl(p, control);
    if (c == nullptr) return UIE_BAD_CONTROL;
    if (includeLabel != 0 && includeLabel != 1) return UIE_BAD_VALUE;
    int top = c->top, left = c->left, h = c->height, w = c->width;
    if (includeLabel) BoundingRect(*c, &top, &left, &h, &w);
    if (h < 1 || w < 1) return UIE_BAD_VALUE;  // a control of no pixels (a timer) has no picture
    int outH, outW;
    if (!ScaledSize(h, w, height, width, &outH, &outW)) return UIE_BAD_VALUE;
    int back = VAL_PANEL_GRAY;
    GetAttr(p, nullptr, ATTR_BACKCOLOR, &back);
    int id = DrawToBitmap(top, left, h, w, outH, outW, [&](cairo_t *cr) {
        SetSourceColor(cr, back);
        cairo_paint(cr);
        RenderControl(cr, *p, *c, nullptr, includeLabel != 0);
    });
    if (id < 0) return id;
    *bitmapID = id;
    return 0;
}

int PanelBitmap(int panel, int scope, Rect area, int height, int width, int *bitmapID) {
    if (bitmapID == nullptr) return UIE_NULL_POINTER;
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return UIE_BAD_PANEL;
    if (scope != VAL_VISIBLE_AREA && scope != VAL_FULL_PANEL) return UIE_BAD_VALUE;
    int h = area.height == VAL_TO_EDGE ? p->height - area.top : area.height;
    int w = area.width == VAL_TO_EDGE ? p->width - area.left : area.width;
    if (h < 1 || w < 1 || h > kMaxSide || w > kMaxSide) return UIE_BAD_VALUE;
    int outH, outW;
    if (!ScaledSize(h, w, height, width, &outH, &outW)) return UIE_BAD_VALUE;
    int id = DrawToBitmap(area.top, area.left, h, w, outH, outW, [&](cairo_t *cr) { RenderPanel(cr, *p, nullptr); });
    if (id < 0) return id;
    *bitmapID = id;
    return 0;
}

}  // namespace

int PanelViewBitmap(int panel, const ViewState *view, int *bitmapID) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return UIE_BAD_PANEL;
    if (p->height < 1 || p->width < 1 || p->height > kMaxSide || p->width > kMaxSide) return UIE_BAD_VALUE;
    int id = DrawToBitmap(0, 0, p->height, p->width, p->height, p->width,
                          [&](cairo_t *cr) { RenderPanel(cr, *p, view); });
    if (id < 0) return id;
    *bitmapID = id;
    return 0;
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" int GetCtrlDisplayBitmap(int panel, int control, int includeLabel, int *bitmapID) {
    return Check("GetCtrlDisplayBitmap", CtrlBitmap(panel, control, includeLabel, VAL_KEEP_SIZE, VAL_KEEP_SIZE, bitmapID));
}

extern "C" int GetScaledCtrlDisplayBitmap(int panel, int control, int includeLabel, int height, int width,
                                          int *bitmapID) {
    return Check("GetScaledCtrlDisplayBitmap", CtrlBitmap(panel, control, includeLabel, height, width, bitmapID));
}

extern "C" int GetPanelDisplayBitmap(int panel, int scope, Rect area, int *bitmapID) {
    return Check("GetPanelDisplayBitmap", PanelBitmap(panel, scope, area, VAL_KEEP_SIZE, VAL_KEEP_SIZE, bitmapID));
}

extern "C" int GetScaledPanelDisplayBitmap(int panel, int scope, Rect area, int height, int width, int *bitmapID) {
    return Check("GetScaledPanelDisplayBitmap", PanelBitmap(panel, scope, area, height, width, bitmapID));
}
