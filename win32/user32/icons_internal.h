// win32/user32/icons_internal.h - the pixels of an icon loaded by LoadImageA, for the
// notification area of shell32 (internal).
#ifndef WIN32_USER32_ICONS_INTERNAL_H
#define WIN32_USER32_ICONS_INTERNAL_H

#include <cstdint>
#include <vector>

#include "win32/winuser.h"

namespace win32::user32 {

// An image: its size and pixels, rows top to bottom, each pixel 0xAARRGGBB (not premultiplied).
struct IconImage {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
};

// The icon as LoadImageA was asked for it (LR_DEFAULTSIZE: 32 x 32). False for a handle that
// names no icon.
bool IconPixels(HICON icon, int *width, int *height, std::vector<uint32_t> *argb);
// Every image the icon's file holds, each at its own size, smallest first (of two of one size,
// the one with more colours); the loaded image alone when none of them decodes. False for a
// handle that names no icon.
bool IconImages(HICON icon, std::vector<IconImage> *images);

}  // namespace win32::user32

#endif
