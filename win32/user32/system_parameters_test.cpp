// Tests of user32's system colours, keyboard and desktop settings: the registry model without a
// desktop, GSettings for the wallpaper (on GIO's in-memory store), and the X server's keyboard
// repeat and screen saver on a virtual screen (Xvfb).
#include "win32/winuser.h"

#include "rte/graphics.h"
#include "win32/registry_scratch_testing.h"
#include "win32/user32/desktop_testing.h"
#include "win32/winbase.h"
#include "win32/winreg.h"

#include <gtest/gtest.h>
#include <gio/gio.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Tests never touch the desktop of the person running them: GSettings keeps its settings in
// memory, and only the virtual screen's test sets DISPLAY.
struct QuietDesktop {
    QuietDesktop() {
        setenv("GSETTINGS_BACKEND", "memory", 1);
        unsetenv("DISPLAY");
    }
} g_quiet;

std::string Setting(const char *key, const char *name) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return "<no key>";
    char text[300] = {};
    DWORD size = sizeof text - 1;
    LONG e = RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size);
    RegCloseKey(k);
    return e == ERROR_SUCCESS ? text : "<no value>";
}

}  // namespace

TEST(SystemColors, ComeFromTheEnginesTableInWindowsOrder) {
    for (int item = 0; item <= 30; ++item) {
        DWORD windows = GetSysColor(item);
        int rgb = RteGetSysColor(item);
        EXPECT_EQ(windows & 0xFF, static_cast<DWORD>(rgb >> 16) & 0xFF) << item;
        EXPECT_EQ((windows >> 16) & 0xFF, static_cast<DWORD>(rgb) & 0xFF) << item;
        EXPECT_EQ(windows & 0xFF00, static_cast<DWORD>(rgb) & 0xFF00) << item;
    }
    EXPECT_EQ(GetSysColor(31), 0u);
    EXPECT_EQ(GetSysColor(-1), 0u);
}

TEST(Keyboard, ReportsAnEnhancedPcKeyboard) {
    EXPECT_EQ(GetKeyboardType(0), 4);
    EXPECT_EQ(GetKeyboardType(1), 0);
    EXPECT_EQ(GetKeyboardType(2), 12);
    EXPECT_EQ(GetKeyboardType(3), 0);
}

TEST(SystemParameters, WithoutADesktopTheRegistryModelKeepsEverySetting) {
    win32::testing::ScratchRegistry store;
    win32::desktop::testing::IgnoreDesktop(true);
    int delay = -1, timeout = -1;
    DWORD speed = 99;
    BOOL active = TRUE;
    // Defaults before anything was set.
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &delay, 0));
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &speed, 0));
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0));
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0));
    EXPECT_EQ(delay, 1);
    EXPECT_EQ(speed, 31u);
    EXPECT_FALSE(active);
    EXPECT_EQ(timeout, 600);
    // Every setter succeeds and its getter reads it back; the registry shows Windows' values.
    EXPECT_TRUE(SystemParametersInfoA(SPI_SETKEYBOARDDELAY, 3, nullptr, 0));
    EXPECT_TRUE(SystemParametersInfoA(SPI_SETKEYBOARDSPEED, 7, nullptr, 0));
    EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_SENDWININICHANGE));
    EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, 90, nullptr, 0));
    EXPECT_TRUE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char *>("/tmp/w.bmp"), 0));
    SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
    SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
    char wallpaper[MAX_PATH];
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof wallpaper, wallpaper, 0));
    EXPECT_EQ(delay, 3);
    EXPECT_EQ(speed, 7u);
    EXPECT_TRUE(active);
    EXPECT_EQ(timeout, 90);
    EXPECT_STREQ(wallpaper, "/tmp/w.bmp");
    EXPECT_EQ(Setting("Control Panel\\Keyboard", "KeyboardDelay"), "3");
    EXPECT_EQ(Setting("Control Panel\\Keyboard", "KeyboardSpeed"), "7");
    EXPECT_EQ(Setting("Control Panel\\Desktop", "ScreenSaveActive"), "1");
    EXPECT_EQ(Setting("Control Panel\\Desktop", "ScreenSaveTimeOut"), "90");
    // Out of range, unknown actions and missing outputs are refused and change nothing.
    struct Case {
        UINT action, value;
        void *out;
    } refused[] = {{SPI_SETKEYBOARDDELAY, 4, nullptr}, {SPI_SETKEYBOARDSPEED, 32, nullptr},
                   {SPI_SETSCREENSAVETIMEOUT, 0, nullptr}, {SPI_SETSCREENSAVETIMEOUT, 40000, nullptr},
                   {SPI_GETKEYBOARDDELAY, 0, nullptr}, {SPI_SETDESKWALLPAPER, 0, nullptr},
                   {SPI_GETDESKWALLPAPER, 3, wallpaper}, {12345, 0, &delay}};
    for (const auto &c : refused) {
        SetLastError(0);
        EXPECT_FALSE(SystemParametersInfoA(c.action, c.value, c.out, 0)) << c.action;
        EXPECT_NE(GetLastError(), 0u) << c.action;
    }
    SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
    EXPECT_EQ(delay, 3);
    win32::desktop::testing::IgnoreDesktop(false);
}

TEST(SystemParameters, TheWallpaperGoesToGSettingsWhereTheSchemaIsInstalled) {
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    GSettingsSchema *schema = source ? g_settings_schema_source_lookup(source, "org.gnome.desktop.background", TRUE) : nullptr;
    if (schema == nullptr) GTEST_SKIP() << "the desktop's background schema is not installed";
    win32::testing::ScratchRegistry store;
    HKEY desktop = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &desktop, nullptr), ERROR_SUCCESS);
    RegSetValueExA(desktop, "TileWallpaper", 0, REG_SZ, reinterpret_cast<const BYTE *>("1"), 2);
    RegCloseKey(desktop);
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char *>("/usr/share/pics/tile.bmp"), 0));
    GSettings *settings = g_settings_new_full(schema, nullptr, nullptr);
    gchar *uri = g_settings_get_string(settings, "picture-uri");
    EXPECT_STREQ(uri, "file:///usr/share/pics/tile.bmp");
    g_free(uri);
    gchar *options = g_settings_get_string(settings, "picture-options");
    EXPECT_STREQ(options, "wallpaper") << "tiled, as \"TileWallpaper\" says";
    g_free(options);
    char path[MAX_PATH];
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof path, path, 0));
    EXPECT_STREQ(path, "/usr/share/pics/tile.bmp");
    g_object_unref(settings);
    g_settings_schema_unref(schema);
}

namespace {

// A virtual X screen for the length of a test; DISPLAY names it. -noreset keeps the server's
// settings when its last client disconnects, as a desktop session (with its window manager
// connected) does.
class VirtualScreen {
public:
    VirtualScreen() {
        if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) return;
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp", "-noreset", nullptr);
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes the number and then the line end: read both before closing the pipe, or
        // its second write fails and it stops.
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (number.empty()) return;
        display_ = ":" + number;
        setenv("DISPLAY", display_.c_str(), 1);
    }
    ~VirtualScreen() {
        unsetenv("DISPLAY");
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool ready() const { return !display_.empty(); }
    const std::string &display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace

TEST(SystemParameters, KeyboardRepeatAndScreenSaverGoToTheXServer) {
    VirtualScreen screen;
    if (!screen.ready()) GTEST_SKIP() << "Xvfb is not installed";
    win32::testing::ScratchRegistry store;
    // Every step of delay and speed goes to XKB and reads back the same.
    for (UINT delay = 0; delay <= 3; ++delay) {
        ASSERT_TRUE(SystemParametersInfoA(SPI_SETKEYBOARDDELAY, delay, nullptr, 0));
        int back = -1;
        ASSERT_TRUE(SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &back, 0));
        EXPECT_EQ(back, static_cast<int>(delay));
    }
    for (UINT speed = 0; speed <= 31; ++speed) {
        ASSERT_TRUE(SystemParametersInfoA(SPI_SETKEYBOARDSPEED, speed, nullptr, 0));
        DWORD back = 99;
        ASSERT_TRUE(SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &back, 0));
        EXPECT_EQ(back, speed);
    }
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETKEYBOARDDELAY, 2, nullptr, 0));
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETKEYBOARDSPEED, 31, nullptr, 0));
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, 120, nullptr, 0));
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0));

    // What the X server itself now says.
    Display *x = XOpenDisplay(screen.display().c_str());
    ASSERT_NE(x, nullptr);
    unsigned int repeatDelay = 0, repeatInterval = 0;
    ASSERT_TRUE(XkbGetAutoRepeatRate(x, XkbUseCoreKbd, &repeatDelay, &repeatInterval));
    EXPECT_EQ(repeatDelay, 750u);
    EXPECT_EQ(repeatInterval, 33u) << "30 repeats a second";
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(x, &timeout, &interval, &blanking, &exposures);
    EXPECT_EQ(timeout, 120);

    // Switched off, the server's time-out is 0; the time-out is kept for switching on again.
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0));
    XGetScreenSaver(x, &timeout, &interval, &blanking, &exposures);
    EXPECT_EQ(timeout, 0);
    BOOL active = TRUE;
    int seconds = 0;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    EXPECT_FALSE(active);
    EXPECT_EQ(seconds, 120);
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0));
    XGetScreenSaver(x, &timeout, &interval, &blanking, &exposures);
    EXPECT_EQ(timeout, 120);
    XCloseDisplay(x);
}
