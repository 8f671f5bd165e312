// rte/gfx/geometry.cpp - rectangles and points, colours, the 3-D border shades and system colours
// used by the renderer and by callers that draw to match it.
#include <algorithm>

#include "rte/graphics.h"
#include "rte/ui.h"

extern "C" Rect MakeRect(int top, int left, int height, int width) { return Rect{top, left, height, width}; }

extern "C" Point MakePoint(int x, int y) { return Point{x, y}; }

extern "C" int RectRight(Rect rect) { return rect.left + rect.width; }

extern "C" int RectBottom(Rect rect) { return rect.top + rect.height; }

extern "C" int RectContainsPoint(Rect rect, Point point) {
    return point.x >= rect.left && point.x < RectRight(rect) && point.y >= rect.top && point.y < RectBottom(rect);
}

extern "C" void RectGrow(Rect *rect, int dx, int dy) {
    if (rect == nullptr) return;
    rect->left -= dx;
    rect->top -= dy;
    rect->width = std::max(0, rect->width + 2 * dx);
    rect->height = std::max(0, rect->height + 2 * dy);
}

extern "C" void PointPinnedToRect(Point point, Rect rect, Point *pinnedPoint) {
    if (pinnedPoint == nullptr) return;
    // The last pixel inside is right - 1; an empty side pins to its start.
    int maxX = std::max(rect.left, RectRight(rect) - 1);
    int maxY = std::max(rect.top, RectBottom(rect) - 1);
    pinnedPoint->x = std::clamp(point.x, rect.left, maxX);
    pinnedPoint->y = std::clamp(point.y, rect.top, maxY);
}

extern "C" int MakeColor(int red, int green, int blue) {
    return (std::clamp(red, 0, 255) << 16) | (std::clamp(green, 0, 255) << 8) | std::clamp(blue, 0, 255);
}

namespace {

// Moves each channel the given fraction of the way towards white (amount > 0) or black (< 0).
int Shade(int color, double amount) {
    auto channel = [&](int shift) {
        double v = (color >> shift) & 0xFF;
        v = amount >= 0 ? v + (255 - v) * amount : v * (1 + amount);
        return static_cast<int>(v + 0.5);
    };
    return MakeColor(channel(16), channel(8), channel(0));
}

}  // namespace

extern "C" int Get3dBorderColors(int baseColor, int *highlightColor, int *lightColor, int *shadowColor,
                                 int *darkColor) {
    if (baseColor < 0 || baseColor > 0xFFFFFF) return UIE_BAD_VALUE;
    if (highlightColor) *highlightColor = Shade(baseColor, 0.75);
    if (lightColor) *lightColor = Shade(baseColor, 0.35);
    if (shadowColor) *shadowColor = Shade(baseColor, -0.33);
    if (darkColor) *darkColor = Shade(baseColor, -0.66);
    return 0;
}

extern "C" int RteGetSysColor(int displayItem) {
    // One light scheme, matching the engine's panel grey and the renderer's highlight.
    static const int kColors[RTE_SYSCOLOR_LAST + 1] = {
        0xC8C8C8,  //  0 scroll bar
        0x3A6EA5,  //  1 desktop
        0x2A5699,  //  2 active caption
        0x8C9FB7,  //  3 inactive caption
        0xF0F0F0,  //  4 menu
        0xFFFFFF,  //  5 window
        0x646464,  //  6 window frame
        0x000000,  //  7 menu text
        0x000000,  //  8 window text
        0xFFFFFF,  //  9 caption text
        0xB4B4B4,  // 10 active border
        0xF4F7FC,  // 11 inactive border
        0xABABAB,  // 12 application workspace
        0x3875D7,  // 13 highlight
        0xFFFFFF,  // 14 highlight text
        0xCCCCCC,  // 15 button face (the engine's panel grey)
        0x888888,  // 16 button shadow
        0x6D6D6D,  // 17 grey text
        0x000000,  // 18 button text
        0x434E54,  // 19 inactive caption text
        0xFFFFFF,  // 20 button highlight
        0x444444,  // 21 3-D dark shadow
        0xE3E3E3,  // 22 3-D light
        0x000000,  // 23 info text
        0xFFFFE1,  // 24 info background
        0xB5B5B5,  // 25 (unused item)
        0x0066CC,  // 26 hot-tracked item
        0x99B4D1,  // 27 gradient active caption
        0xBFCDDB,  // 28 gradient inactive caption
        0x3399FF,  // 29 menu highlight
        0xF0F0F0,  // 30 menu bar
    };
    if (displayItem < 0 || displayItem > RTE_SYSCOLOR_LAST) return UIE_BAD_VALUE;
    return kColors[displayItem];
}
