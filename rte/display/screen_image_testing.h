// rte/display/screen_image_testing.h - what an X screen shows, for the display's tests
// (test-only): windows found by name, their place, their pixels, and images found in others.
#ifndef RTE_DISPLAY_SCREEN_IMAGE_TESTING_H
#define RTE_DISPLAY_SCREEN_IMAGE_TESTING_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace rte::testing {

// Pixels as 0xRRGGBB, row by row.
struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool Empty() const { return pixels.empty(); }
    bool operator==(const Image &other) const = default;
};

// While one lives, an X error (a window gone or unmapped between two requests, as windows come
// and go under the test) makes the request fail instead of ending the test program with Xlib's
// default handler, which would leave the session's screen and programs running.
struct IgnoringXErrors {
    static int Ignore(::Display *, XErrorEvent *) { return 0; }
    XErrorHandler previous = XSetErrorHandler(Ignore);
    ~IgnoringXErrors() { XSetErrorHandler(previous); }
};

// The window named `name` at or below `w`, 0 when none.
inline ::Window FindNamedWindow(::Display *d, ::Window w, const char *name) {
    IgnoringXErrors ignoring;
    char *title = nullptr;
    if (XFetchName(d, w, &title) && title != nullptr) {
        bool match = std::strcmp(title, name) == 0;
        XFree(title);
        if (match) return w;
    }
    ::Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) return 0;
    ::Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) found = FindNamedWindow(d, children[i], name);
    if (children) XFree(children);
    return found;
}

// Where a window's top-left corner is on the screen.
inline void WindowOrigin(::Display *d, ::Window w, int *x, int *y) {
    IgnoringXErrors ignoring;
    ::Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, x, y, &child);
}

// The pixels of a rectangle of a window (the root window: the screen); empty when it cannot be
// read (a window just unmapped).
inline Image Capture(::Display *d, ::Window w, int x, int y, int width, int height) {
    IgnoringXErrors ignoring;
    Image image;
    XImage *shot = XGetImage(d, w, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (shot == nullptr) return image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            image.pixels[static_cast<size_t>(row) * width + col] = XGetPixel(shot, col, row) & 0xFFFFFF;
        }
    }
    XDestroyImage(shot);
    return image;
}

inline Image CaptureScreen(::Display *d) {
    XWindowAttributes a;
    XGetWindowAttributes(d, DefaultRootWindow(d), &a);
    return Capture(d, DefaultRootWindow(d), 0, 0, a.width, a.height);
}

// Finds `part` in `whole`, pixel for pixel; its top-left corner in *x, *y.
inline bool FindImage(const Image &whole, const Image &part, int *x, int *y) {
    if (part.Empty()) return false;
    for (int top = 0; top + part.height <= whole.height; ++top) {
        for (int left = 0; left + part.width <= whole.width; ++left) {
            bool same = true;
            for (int row = 0; row < part.height && same; ++row) {
                same = std::memcmp(&whole.pixels[static_cast<size_t>(top + row) * whole.width + left],
                                   &part.pixels[static_cast<size_t>(row) * part.width],
                                   sizeof(uint32_t) * static_cast<size_t>(part.width)) == 0;
            }
            if (same) {
                *x = left;
                *y = top;
                return true;
            }
        }
    }
    return false;
}

// The first pixel of a colour, row by row.
inline bool FindColour(const Image &image, uint32_t colour, int *x, int *y) {
    for (int row = 0; row < image.height; ++row) {
        for (int col = 0; col < image.width; ++col) {
            if (image.At(col, row) == colour) {
                *x = col;
                *y = row;
                return true;
            }
        }
    }
    return false;
}

// Writes the image as a PNG file, for a person looking into a failure.
inline void SavePng(const Image &image, const std::string &path) {
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height);
    unsigned char *data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int row = 0; row < image.height; ++row) {
        std::memcpy(data + static_cast<size_t>(row) * stride, &image.pixels[static_cast<size_t>(row) * image.width],
                    sizeof(uint32_t) * static_cast<size_t>(image.width));
    }
    cairo_surface_mark_dirty(s);
    cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
}

}  // namespace rte::testing

#endif
