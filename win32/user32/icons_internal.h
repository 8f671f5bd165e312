// win32/user32/icons_internal.h - the pixels of an icon loaded by LoadImageA, for the
// notification area of shell32 (internal).
#ifndef WIN32_USER32_ICONS_INTERNAL_H
#define WIN32_USER32_ICONS_INTERNAL_H

#include <cstdint>
#include <vector>

#include "win32/winuser.h"

namespace win32::user32 {

// An icon's size and pixels, rows top to bottom, each pixel 0xAARRGGBB (not premultiplied).
// False for a handle that names no icon.
bool IconPixels(HICON icon, int *width, int *height, std::vector<uint32_t> *argb);

}  // namespace win32::user32

#endif
