// user32's icons: LoadImageA of an icon file, decoded with gdk-pixbuf, kept by handle as ARGB
// pixels until DestroyIcon.
#include "win32/user32/icons_internal.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <mutex>
#include <new>

namespace {

struct Icon {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
};

std::mutex g_lock;
std::map<uintptr_t, Icon> g_icons;  // by handle; under g_lock
uintptr_t g_nextIcon = 1;

constexpr int kSystemIconSize = 32;  // SM_CXICON / SM_CYICON

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}

// Whether gdk-pixbuf takes the file for a Windows icon.
bool IsIconFile(const char *path) {
    GdkPixbufFormat *format = gdk_pixbuf_get_file_info(path, nullptr, nullptr);
    if (format == nullptr) return false;
    gchar *name = gdk_pixbuf_format_get_name(format);
    bool ico = name != nullptr && std::strcmp(name, "ico") == 0;
    g_free(name);
    return ico;
}

}  // namespace

namespace win32::user32 {

bool IconPixels(HICON icon, int *width, int *height, std::vector<uint32_t> *argb) {
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_icons.find(reinterpret_cast<uintptr_t>(icon));
    if (it == g_icons.end()) return false;
    *width = it->second.width;
    *height = it->second.height;
    *argb = it->second.argb;
    return true;
}

}  // namespace win32::user32

extern "C" HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int width, int height, UINT flags) {
    if (name == nullptr || type != IMAGE_ICON || !(flags & LR_LOADFROMFILE) || width < 0 || height < 0) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    struct stat info;
    if (stat(name, &info) != 0 || !S_ISREG(info.st_mode)) return Fail(ERROR_FILE_NOT_FOUND);
    if (!IsIconFile(name)) return Fail(ERROR_INVALID_PARAMETER);
    if (width == 0 && (flags & LR_DEFAULTSIZE)) width = kSystemIconSize;
    if (height == 0 && (flags & LR_DEFAULTSIZE)) height = kSystemIconSize;
    GError *error = nullptr;
    GdkPixbuf *loaded = width > 0 && height > 0 ? gdk_pixbuf_new_from_file_at_scale(name, width, height, FALSE, &error)
                                                : gdk_pixbuf_new_from_file(name, &error);
    if (loaded == nullptr) {
        g_clear_error(&error);
        return Fail(ERROR_INVALID_PARAMETER);
    }
    GdkPixbuf *rgba = gdk_pixbuf_get_has_alpha(loaded) ? static_cast<GdkPixbuf *>(g_object_ref(loaded))
                                                      : gdk_pixbuf_add_alpha(loaded, FALSE, 0, 0, 0);
    g_object_unref(loaded);
    if (rgba == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    try {
        Icon icon;
        icon.width = gdk_pixbuf_get_width(rgba);
        icon.height = gdk_pixbuf_get_height(rgba);
        int stride = gdk_pixbuf_get_rowstride(rgba);
        const guchar *pixels = gdk_pixbuf_read_pixels(rgba);
        icon.argb.resize(static_cast<size_t>(icon.width) * static_cast<size_t>(icon.height));
        for (int y = 0; y < icon.height; ++y) {
            const guchar *row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
            for (int x = 0; x < icon.width; ++x) {
                const guchar *p = row + 4 * x;
                icon.argb[static_cast<size_t>(y) * static_cast<size_t>(icon.width) + static_cast<size_t>(x)] =
                    (uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
            }
        }
        g_object_unref(rgba);
        std::lock_guard<std::mutex> hold(g_lock);
        uintptr_t handle = g_nextIcon;
        g_icons.emplace(handle, std::move(icon));
        ++g_nextIcon;
        return reinterpret_cast<HANDLE>(handle);
    } catch (const std::bad_alloc &) {
        g_object_unref(rgba);
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

extern "C" BOOL DestroyIcon(HICON icon) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_icons.erase(reinterpret_cast<uintptr_t>(icon)) == 0) {
        SetLastError(ERROR_INVALID_ICON_HANDLE);
        return FALSE;
    }
    return TRUE;
}
