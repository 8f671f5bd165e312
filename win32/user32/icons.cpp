// user32's icons: LoadImageA of an icon file, decoded with gdk-pixbuf, kept by handle as ARGB
// pixels until DestroyIcon, with every image the file holds at its own size (for the
// notification area, which picks the size it shows).
#include "win32/user32/icons_internal.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <new>
#include <string>

namespace {

using win32::user32::IconImage;

struct Icon {
    IconImage main;                  // as LoadImageA was asked for it
    std::vector<IconImage> sizes;    // the file's own images, smallest first
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

// The pixels of a decoded image as 0xAARRGGBB (throws std::bad_alloc).
IconImage TakePixels(GdkPixbuf *pixbuf) {
    GdkPixbuf *rgba = gdk_pixbuf_get_has_alpha(pixbuf) ? static_cast<GdkPixbuf *>(g_object_ref(pixbuf))
                                                      : gdk_pixbuf_add_alpha(pixbuf, FALSE, 0, 0, 0);
    if (rgba == nullptr) throw std::bad_alloc();
    IconImage image;
    image.width = gdk_pixbuf_get_width(rgba);
    image.height = gdk_pixbuf_get_height(rgba);
    int stride = gdk_pixbuf_get_rowstride(rgba);
    const guchar *pixels = gdk_pixbuf_read_pixels(rgba);
    try {
        image.argb.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    } catch (...) {
        g_object_unref(rgba);
        throw;
    }
    for (int y = 0; y < image.height; ++y) {
        const guchar *row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (int x = 0; x < image.width; ++x) {
            const guchar *p = row + 4 * x;
            image.argb[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)] =
                (uint32_t{p[3]} << 24) | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
        }
    }
    g_object_unref(rgba);
    return image;
}

uint32_t Le(const std::string &b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
    return v;
}

// Decodes one image of an icon file: PNG data as it is, a bitmap wrapped in an icon file of its
// own. Null when gdk-pixbuf refuses it.
GdkPixbuf *DecodeEntry(const std::string &entry, const std::string &data) {
    bool png = data.compare(0, 4, "\x89PNG") == 0;
    std::string file;
    if (!png) {
        file.assign("\0\0\1\0\1\0", 6);
        file += entry.substr(0, 12);
        file += std::string("\x16\0\0\0", 4);  // the image follows the one entry, at 22
        file += data;
    }
    const std::string &bytes = png ? data : file;
    GdkPixbufLoader *loader = gdk_pixbuf_loader_new_with_type(png ? "png" : "ico", nullptr);
    if (loader == nullptr) return nullptr;
    bool ok = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar *>(bytes.data()), bytes.size(), nullptr) &&
              gdk_pixbuf_loader_close(loader, nullptr);
    GdkPixbuf *pixbuf = ok ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    if (pixbuf != nullptr) g_object_ref(pixbuf);
    if (!ok) gdk_pixbuf_loader_close(loader, nullptr);
    g_object_unref(loader);
    return pixbuf;
}

// Every image of an icon file at its own size, smallest first; of two images of one size the
// one with more colours. Entries that do not decode are left out (throws std::bad_alloc).
std::vector<IconImage> FileSizes(const char *path) {
    std::ifstream in(path, std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<IconImage> sizes;
    std::vector<uint32_t> depths;
    if (b.size() < 6 || Le(b, 0, 2) != 0 || Le(b, 2, 2) != 1) return sizes;
    size_t count = Le(b, 4, 2);
    for (size_t i = 0; i < count && 6 + 16 * (i + 1) <= b.size(); ++i) {
        std::string entry = b.substr(6 + 16 * i, 16);
        uint32_t size = Le(entry, 8, 4), offset = Le(entry, 12, 4), depth = Le(entry, 6, 2);
        if (offset > b.size() || size > b.size() - offset) continue;
        GdkPixbuf *pixbuf = DecodeEntry(entry, b.substr(offset, size));
        if (pixbuf == nullptr) continue;
        IconImage image;
        try {
            image = TakePixels(pixbuf);
        } catch (...) {
            g_object_unref(pixbuf);
            throw;
        }
        g_object_unref(pixbuf);
        auto same = std::find_if(sizes.begin(), sizes.end(), [&](const IconImage &s) { return s.width == image.width; });
        if (same == sizes.end()) {
            sizes.push_back(std::move(image));
            depths.push_back(depth);
        } else if (depth > depths[static_cast<size_t>(same - sizes.begin())]) {
            depths[static_cast<size_t>(same - sizes.begin())] = depth;
            *same = std::move(image);
        }
    }
    std::sort(sizes.begin(), sizes.end(), [](const IconImage &a, const IconImage &c) { return a.width < c.width; });
    return sizes;
}

}  // namespace

namespace win32::user32 {

bool IconPixels(HICON icon, int *width, int *height, std::vector<uint32_t> *argb) {
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_icons.find(reinterpret_cast<uintptr_t>(icon));
    if (it == g_icons.end()) return false;
    *width = it->second.main.width;
    *height = it->second.main.height;
    *argb = it->second.main.argb;
    return true;
}

bool IconImages(HICON icon, std::vector<IconImage> *images) {
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_icons.find(reinterpret_cast<uintptr_t>(icon));
    if (it == g_icons.end()) return false;
    *images = it->second.sizes.empty() ? std::vector<IconImage>{it->second.main} : it->second.sizes;
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
    try {
        Icon icon;
        icon.main = TakePixels(loaded);
        g_object_unref(loaded);
        loaded = nullptr;
        icon.sizes = FileSizes(name);
        std::lock_guard<std::mutex> hold(g_lock);
        uintptr_t handle = g_nextIcon;
        g_icons.emplace(handle, std::move(icon));
        ++g_nextIcon;
        return reinterpret_cast<HANDLE>(handle);
    } catch (const std::bad_alloc &) {
        if (loaded != nullptr) g_object_unref(loaded);
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
