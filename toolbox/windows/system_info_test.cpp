// Tests of the system information functions: each against the same fact read directly from
// Linux, and the desktop settings' round trips in the registry model (no desktop).
#include "toolbox/windows/system_info.h"

#include "rte/graphics.h"
#include "toolbox/core/errors.h"
#include "toolbox/windows/registry.h"
#include "win32/registry_scratch_testing.h"
#include "win32/user32/desktop_testing.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

constexpr const char kDesktop[] = "Control Panel\\Desktop";

// The settings go to the registry model: no desktop is reached by these tests.
class DesktopSettings : public ::testing::Test {
protected:
    void SetUp() override { win32::desktop::testing::IgnoreDesktop(true); }
    void TearDown() override { win32::desktop::testing::IgnoreDesktop(false); }
    win32::testing::ScratchRegistry store_;
};

}  // namespace

TEST(SystemInfo, WindowsColorsAreTheEnginesWithRedOnTop) {
    int color = 0;
    EXPECT_EQ(GetWindowsColor(5, nullptr), -65);
    EXPECT_EQ(GetWindowsColor(21, &color), TOOLBOX_ERR_INVALID_DISPLAY_ITEM);
    EXPECT_EQ(GetWindowsColor(-1, &color), TOOLBOX_ERR_INVALID_DISPLAY_ITEM);
    for (int item = 0; item <= 20; ++item) {
        ASSERT_EQ(GetWindowsColor(item, &color), 0);
        EXPECT_EQ(color, RteGetSysColor(item)) << item;
    }
}

TEST(SystemInfo, NamesAndDirectoriesAreLinuxs) {
    EXPECT_EQ(GetCompName(nullptr), -65);
    char host[HOST_NAME_MAX + 1] = {};
    gethostname(host, sizeof host - 1);
    std::string expected(host, std::strcspn(host, "."));
    if (expected.size() > 15) expected.resize(15);
    char name[16];
    ASSERT_EQ(GetCompName(name), 0);
    EXPECT_EQ(name, expected);

    char windows[260], system[260];
    EXPECT_EQ(GetWindowsDirs(windows, system), 0);
    EXPECT_STREQ(windows, "/usr");
    EXPECT_STREQ(system, "/usr/lib");
    EXPECT_EQ(GetWindowsDirs(nullptr, nullptr), 0);

    struct passwd *user = getpwuid(geteuid());
    ASSERT_NE(user, nullptr);
    std::string login = user->pw_name;
    char buffer[64];
    int length = -1;
    EXPECT_EQ(GetCurrentUser(buffer, sizeof buffer, nullptr), -65);
    ASSERT_EQ(GetCurrentUser(buffer, sizeof buffer, &length), 0);
    EXPECT_EQ(buffer, login);
    EXPECT_EQ(length, static_cast<int>(login.size() + 1));
    length = -1;
    EXPECT_EQ(GetCurrentUser(nullptr, 0, &length), 0);
    EXPECT_EQ(length, static_cast<int>(login.size() + 1)) << "the size a buffer needs";
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetCurrentUser(buffer, static_cast<int>(login.size()), &length), -57);
    EXPECT_EQ(buffer[0], 'x');
    for (int size : {0, -5}) {
        EXPECT_EQ(GetCurrentUser(buffer, size, &length), -57) << size;
        EXPECT_EQ(buffer[0], 'x') << "nothing written for a size of " << size;
    }
}

TEST(SystemInfo, VersionMemoryAndDisk) {
    int major = -1, minor = -1, build = -1, platform = -1;
    ASSERT_EQ(GetWinOSVersion(&major, &minor, &build, &platform), 0);
    struct utsname names;
    uname(&names);
    int kernelMajor = 0, kernelMinor = 0;
    std::sscanf(names.release, "%d.%d", &kernelMajor, &kernelMinor);
    EXPECT_EQ(major, kernelMajor);
    EXPECT_EQ(minor, kernelMinor);
    EXPECT_GE(build, 0);
    EXPECT_LE(build, 0xFFFF);
    EXPECT_EQ(platform, 2);
    EXPECT_EQ(GetWinOSVersion(nullptr, nullptr, nullptr, nullptr), 0);

    int load = -1;
    unsigned totalPhysical = 0, availablePhysical = 0;
    EXPECT_EQ(GetMemoryInfo(&load, &totalPhysical, nullptr, nullptr, &availablePhysical, nullptr, nullptr), 0);
    EXPECT_GE(load, 0);
    EXPECT_LE(load, 100);
    EXPECT_GT(totalPhysical, 0u);
    EXPECT_LE(availablePhysical, totalPhysical);

    UInt64Type total = {9, 9}, free = {9, 9};
    EXPECT_EQ(GetDiskSpace(nullptr, &total, &free), -65);
    EXPECT_EQ(GetDiskSpace("/", &total, nullptr), -65);
    EXPECT_EQ(GetDiskSpace("/", nullptr, &free), -65);
    EXPECT_EQ(total.lo, 9u) << "outputs untouched by a refused call";
    ASSERT_EQ(GetDiskSpace("/", &total, &free), 0);
    struct statvfs fs;
    ASSERT_EQ(statvfs("/", &fs), 0);
    uint64_t expectedTotal = static_cast<uint64_t>(fs.f_blocks) * fs.f_frsize;
    EXPECT_EQ((static_cast<uint64_t>(total.hi) << 32) | total.lo, expectedTotal);
    uint64_t freeBytes = (static_cast<uint64_t>(free.hi) << 32) | free.lo;
    EXPECT_LE(freeBytes, static_cast<uint64_t>(fs.f_bfree) * fs.f_frsize) << "the caller's share";
    EXPECT_EQ(GetDiskSpace("/no/such/folder", &total, &free), TOOLBOX_ERR_SYSTEM);
    EXPECT_EQ(total.lo, 0u) << "set to 0 first";
}

TEST(SystemInfo, UInt64Comparison) {
    struct Case {
        UInt64Type value;
        unsigned number;
        int expected;
    } cases[] = {{{5, 1}, 7, 1}, {{5, 0}, 5, 0}, {{5, 0}, 7, -1}, {{0xFFFFFFFF, 0}, 0, 1}, {{0, 0}, 0xFFFFFFFF, -1}};
    for (const auto &c : cases) EXPECT_EQ(UInt64TypeCompareUInt(c.value, c.number), c.expected);
}

TEST_F(DesktopSettings, KeyboardPreferencesRoundTrip) {
    int type = 0, keys = 0, delay = -1, speed = -1;
    ASSERT_EQ(GetKeyboardPreferences(&type, &keys, &delay, &speed), 0);
    EXPECT_EQ(type, 4);
    EXPECT_EQ(keys, 12);
    EXPECT_EQ(SetKeyboardPreferences(2, 17), 0);
    ASSERT_EQ(GetKeyboardPreferences(nullptr, nullptr, &delay, &speed), 0);
    EXPECT_EQ(delay, 2);
    EXPECT_EQ(speed, 17);
    // A speed out of range fails and the old delay is put back.
    EXPECT_EQ(SetKeyboardPreferences(0, 40), TOOLBOX_ERR_SYSTEM);
    GetKeyboardPreferences(nullptr, nullptr, &delay, &speed);
    EXPECT_EQ(delay, 2);
    EXPECT_EQ(speed, 17);
    EXPECT_EQ(SetKeyboardPreferences(9, 1), TOOLBOX_ERR_SYSTEM);
    EXPECT_EQ(SetKeyboardPreferences(-1, 1), TOOLBOX_ERR_SYSTEM);
}

TEST_F(DesktopSettings, ScreenSaverRoundTrip) {
    EXPECT_EQ(SetScreenSaver(1, 300, nullptr), -65);
    EXPECT_EQ(SetScreenSaver(0, 600, nullptr), 0) << "switching off needs no path";
    unsigned size = 0;
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE", nullptr, 0, &size), TOOLBOX_ERR_REG_NO_VALUE)
        << "and does not touch the registry's path";
    int active = -1, timeout = -1;
    ASSERT_EQ(GetScreenSaver(&active, &timeout), 0);
    EXPECT_EQ(active, 0);
    EXPECT_EQ(timeout, 600);
    ASSERT_EQ(SetScreenSaver(1, 300, "/usr/bin/saver"), 0);
    ASSERT_EQ(GetScreenSaver(&active, &timeout), 0);
    EXPECT_EQ(active, 1);
    EXPECT_EQ(timeout, 300);
    char path[32];
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE", path, sizeof path, &size), 0);
    EXPECT_STREQ(path, "/usr/bin/saver");
    EXPECT_EQ(SetScreenSaver(1, 0, "/usr/bin/saver"), TOOLBOX_ERR_SYSTEM) << "no time-out of 0 s";
    // A store that cannot be opened makes the first query fail.
    setenv("WIN32_REGISTRY", store_.folder().c_str(), 1);
    EXPECT_EQ(GetScreenSaver(&active, &timeout), TOOLBOX_ERR_SYSTEM);
    setenv("WIN32_REGISTRY", store_.path().c_str(), 1);
}

TEST_F(DesktopSettings, WallpaperRoundTripAndValuesThatDoNotFit) {
    int tile = -1;
    char path[260];
    EXPECT_EQ(SetWallpaper(1, nullptr), -65);
    EXPECT_EQ(GetWallpaper(nullptr, path), -65);
    EXPECT_EQ(GetWallpaper(&tile, nullptr), -65);
    EXPECT_EQ(GetWallpaper(&tile, path), TOOLBOX_ERR_SYSTEM) << "nothing stored yet";
    ASSERT_EQ(SetWallpaper(1, "/home/me/tiles.bmp"), 0);
    char text[4];
    unsigned size = 0;
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kDesktop, "TileWallpaper", text, sizeof text, &size), 0);
    EXPECT_STREQ(text, "1");
    ASSERT_EQ(GetWallpaper(&tile, path), 0);
    EXPECT_EQ(tile, 1);
    EXPECT_STREQ(path, "/home/me/tiles.bmp");
    ASSERT_EQ(SetWallpaper(0, ""), 0);
    ASSERT_EQ(GetWallpaper(&tile, path), 0);
    EXPECT_EQ(tile, 0);
    EXPECT_STREQ(path, "");

    // Values that do not fit the buffers, also as a writer that keeps no zero stores them: the
    // call fails, the buffer holds a terminated text, and nothing is written past 260 bytes.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kDesktop, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    auto set = [key](const char *name, const std::string &data) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data.data()), static_cast<DWORD>(data.size()));
    };
    struct Case {
        const char *what;
        std::string tile, wallpaper;
        int expected;
    } cases[] = {
        {"two-character tile flag", "10", "/a.bmp", TOOLBOX_ERR_SYSTEM},
        {"tile flag with zero, path of 259", "1", std::string(259, 'p'), 0},
        {"path of 260 without zero", "1", std::string(260, 'p'), TOOLBOX_ERR_SYSTEM},
        {"path of 259 with zero", "1", std::string(259, 'p') + '\0', 0},
        {"path of 260 with zero", "1", std::string(260, 'p') + '\0', TOOLBOX_ERR_SYSTEM},
        {"tile flag without zero", std::string("1"), "/b.bmp", 0},
    };
    for (const auto &c : cases) {
        set("TileWallpaper", c.tile);
        set("Wallpaper", c.wallpaper);
        char guarded[270];
        std::memset(guarded, 'G', sizeof guarded);
        tile = -1;
        EXPECT_EQ(GetWallpaper(&tile, guarded), c.expected) << c.what;
        EXPECT_NE(std::memchr(guarded, '\0', 260), nullptr) << c.what << ": unterminated";
        EXPECT_EQ(guarded[260], 'G') << c.what << ": written past 260 bytes";
        if (c.expected == 0) {
            EXPECT_EQ(std::string(guarded), c.wallpaper.c_str()) << c.what;
        }
    }
    RegCloseKey(key);
}
