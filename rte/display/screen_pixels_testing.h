// rte/display/screen_pixels_testing.h - what the X server shows, for the screen tests (test-only;
// the test program links Xlib): where a window's client area lies on the screen, found by its
// title, and the pixels of a region of the screen, as the operator sees them.
#ifndef RTE_DISPLAY_SCREEN_PIXELS_TESTING_H
#define RTE_DISPLAY_SCREEN_PIXELS_TESTING_H

#include <string>
#include <vector>

// Last: Xlib's macros (None, Status, ...) would clash with names included after it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace rte::testing {

struct ScreenPixels {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<int> rgb;  // 0x00RRGGBB, row by row
    // The pixel at a point of the screen inside the region.
    int At(int x, int y) const { return rgb[static_cast<size_t>((y - top) * width + (x - left))]; }
};

// The brightness of a colour, 0 (black) to 255 (white).
inline int Luma(int rgb) { return (299 * ((rgb >> 16) & 0xFF) + 587 * ((rgb >> 8) & 0xFF) + 114 * (rgb & 0xFF)) / 1000; }

namespace screen_detail {

// X errors while a window is looked at: a window may go (the display re-creates it, the window
// manager reparents it) between being listed and being asked, and Xlib's own handler would end
// the whole test program. Counted instead, and the lookup tried again.
inline int &XErrors() {
    static int errors = 0;
    return errors;
}
inline int CountXError(Display *, XErrorEvent *) {
    ++XErrors();
    return 0;
}

// The window with this title at or below `window`, or 0.
inline Window FindTitled(Display *display, Window window, const std::string &title) {
    char *name = nullptr;
    if (XFetchName(display, window, &name) && name != nullptr) {
        bool match = title == name;
        XFree(name);
        if (match) return window;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && found == 0; ++i) found = FindTitled(display, children[i], title);
        if (children) XFree(children);
    }
    return found;
}

}  // namespace screen_detail

// The top-left corner, on the screen ($DISPLAY), of the client area of the window with this
// title; false when there is none (or windows changed while it looked: ask again).
inline bool FindWindowOrigin(const std::string &title, int *x, int *y) {
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    XErrorHandler previous = XSetErrorHandler(screen_detail::CountXError);
    screen_detail::XErrors() = 0;
    Window root = DefaultRootWindow(display), child;
    Window window = screen_detail::FindTitled(display, root, title);
    bool found = window != 0 && XTranslateCoordinates(display, window, root, 0, 0, x, y, &child);
    XSync(display, False);
    found = found && screen_detail::XErrors() == 0;
    XCloseDisplay(display);
    XSetErrorHandler(previous);
    return found;
}

// Reads a region of the screen ($DISPLAY, 24-bit true colour); false when it cannot be read or
// does not lie on the screen.
inline bool ReadScreen(int left, int top, int width, int height, ScreenPixels *out) {
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    int screenWidth = DisplayWidth(display, DefaultScreen(display));
    int screenHeight = DisplayHeight(display, DefaultScreen(display));
    if (left < 0 || top < 0 || width <= 0 || height <= 0 || left + width > screenWidth || top + height > screenHeight) {
        XCloseDisplay(display);
        return false;
    }
    XImage *image = XGetImage(display, DefaultRootWindow(display), left, top, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    bool read = image != nullptr && image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
    if (read) {
        *out = ScreenPixels{left, top, width, height, {}};
        out->rgb.reserve(static_cast<size_t>(width * height));
        for (int row = 0; row < height; ++row) {
            for (int column = 0; column < width; ++column) {
                out->rgb.push_back(static_cast<int>(XGetPixel(image, column, row) & 0xFFFFFF));
            }
        }
    }
    if (image) XDestroyImage(image);
    XCloseDisplay(display);
    return read;
}

}  // namespace rte::testing

#endif
