// Tests of user32's system colours, keyboard and desktop settings: the registry model without a
// desktop, GSettings for the wallpaper (on GIO's in-memory store), and the X server's keyboard
// repeat and screen saver on a virtual screen (Xvfb).
#include "win32/winuser.h"

#include "rte/display/virtual_screen_testing.h"
#include "rte/graphics.h"
#include "win32/registry_scratch_testing.h"
#include "win32/user32/desktop_testing.h"
#include "win32/winbase.h"
#include "win32/winreg.h"

#include <gtest/gtest.h>
#include <gio/gio.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

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
    // Each setting: its default before anything was set, then a value set and read back, and
    // the registry's text for it as Windows keeps it.
    const struct {
        UINT get, set, byDefault, value;
        const char *key, *name, *text;
    } settings[] = {
        {SPI_GETKEYBOARDDELAY, SPI_SETKEYBOARDDELAY, 1, 3, "Control Panel\\Keyboard", "KeyboardDelay", "3"},
        {SPI_GETKEYBOARDSPEED, SPI_SETKEYBOARDSPEED, 31, 7, "Control Panel\\Keyboard", "KeyboardSpeed", "7"},
        {SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE, FALSE, TRUE, "Control Panel\\Desktop", "ScreenSaveActive", "1"},
        {SPI_GETSCREENSAVETIMEOUT, SPI_SETSCREENSAVETIMEOUT, 600, 90, "Control Panel\\Desktop", "ScreenSaveTimeOut", "90"},
    };
    for (const auto &s : settings) {
        UINT got = 99;  // each getter writes a 32-bit number (int, DWORD or BOOL)
        ASSERT_TRUE(SystemParametersInfoA(s.get, 0, &got, 0)) << s.name;
        EXPECT_EQ(got, s.byDefault) << s.name;
        EXPECT_TRUE(SystemParametersInfoA(s.set, s.value, nullptr, SPIF_SENDWININICHANGE)) << s.name;
        ASSERT_TRUE(SystemParametersInfoA(s.get, 0, &got, 0)) << s.name;
        EXPECT_EQ(got, s.value) << s.name;
        EXPECT_EQ(Setting(s.key, s.name), s.text);
    }
    EXPECT_TRUE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char *>("/tmp/w.bmp"), 0));
    char wallpaper[MAX_PATH];
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof wallpaper, wallpaper, 0));
    EXPECT_STREQ(wallpaper, "/tmp/w.bmp");
    int delay = -1;
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

// On a virtual screen (Xvfb, kept from resetting between connections by its window manager).
TEST(SystemParameters, KeyboardRepeatAndScreenSaverGoToTheXServer) {
    if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox"})) GTEST_SKIP() << tool << " is not installed";
    rte::testing::VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << screen.problem();
    setenv("DISPLAY", screen.display().c_str(), 1);
    struct Unset {
        ~Unset() { unsetenv("DISPLAY"); }
    } unset;
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
