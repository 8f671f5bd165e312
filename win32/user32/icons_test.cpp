// Icons with several sizes: every image of the file is kept at its own size for the
// notification area, which picks what it shows.
#include <gtest/gtest.h>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win32/user32/icons_internal.h"
#include "win32/windows.h"

namespace {

// The bytes of a one-image icon file of a size and colour, written by gdk-pixbuf.
std::string OneImageIcon(int size, guint32 rgba) {
    std::string path = "/tmp/win32_sizes_" + std::to_string(getpid()) + ".ico";
    GdkPixbuf *pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, size, size);
    gdk_pixbuf_fill(pixbuf, rgba);
    gdk_pixbuf_save(pixbuf, path.c_str(), "ico", nullptr, nullptr);
    g_object_unref(pixbuf);
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    return bytes;
}

// One icon file of several one-image files (their directory entries, then their images), with
// a last entry that points past the file's end.
std::string SeveralSizes(const std::vector<std::string> &files) {
    std::string directory, images;
    size_t count = files.size() + 1, offset = 6 + 16 * count;
    for (const std::string &f : files) {
        std::string entry = f.substr(6, 16), image = f.substr(22);
        size_t at = offset + images.size();
        for (int i = 0; i < 4; ++i) entry[static_cast<size_t>(12 + i)] = static_cast<char>(at >> (8 * i));
        directory += entry;
        images += image;
    }
    directory += std::string("\x20\x20\0\0\1\0\x20\0\xff\0\0\0\xff\xff\0\0", 16);
    return std::string("\0\0\1\0", 4) + static_cast<char>(count) + '\0' + directory + images;
}

TEST(Icons, KeepEveryImageOfTheFileAtItsOwnSize) {
    std::string path = "/tmp/win32_sizes_" + std::to_string(getpid()) + "_all.ico";
    std::ofstream(path, std::ios::binary) << SeveralSizes({OneImageIcon(48, 0x0000FFFFu), OneImageIcon(16, 0xFF0000FFu)});
    HICON icon = static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    ASSERT_NE(icon, nullptr);
    std::vector<win32::user32::IconImage> images;
    ASSERT_TRUE(win32::user32::IconImages(icon, &images));
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].width, 16);
    EXPECT_EQ(images[0].argb[0], 0xFFFF0000u);
    EXPECT_EQ(images[1].width, 48);
    EXPECT_EQ(images[1].argb.size(), 48u * 48u);
    EXPECT_EQ(images[1].argb[0], 0xFF0000FFu);
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    ASSERT_TRUE(win32::user32::IconPixels(icon, &width, &height, &argb));
    EXPECT_EQ(width, 32);  // the size asked for
    ASSERT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(win32::user32::IconImages(icon, &images));
    std::remove(path.c_str());
}

}  // namespace
