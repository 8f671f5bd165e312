// Tests of notification-area icons on the headless display's own notification area: handles,
// the hidden panel's life, tooltips of 64 characters and more, icon files, clicks and the
// popup menu, and the menu functions' checks.
#include <gtest/gtest.h>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <cstring>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "rte/events/notification_area.h"
#include "rte/rte.h"
#include "rte/testing.h"
#include "toolbox/toolbox.h"

namespace {

std::vector<std::pair<int, int>> g_events;  // (event, data)
int g_rightClickAnswer = 0;

int IconEvents(int, int event, int data) {
    g_events.push_back({event, data});
    return event == EVENT_RIGHT_CLICK ? g_rightClickAnswer : 0;
}

std::string IconFile() {
    std::string path = "/tmp/toolbox_tray_" + std::to_string(getpid()) + ".ico";
    GdkPixbuf *pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 16, 16);
    gdk_pixbuf_fill(pixbuf, 0x00FF00FFu);
    gdk_pixbuf_save(pixbuf, path.c_str(), "ico", nullptr, nullptr);
    g_object_unref(pixbuf);
    return path;
}

int PanelCount() { return static_cast<int>(rte::testing::AllPanels().size()); }

// Clicks the icon in the engine's notification area and runs what follows.
void Click(int icon, int click) {
    ASSERT_TRUE(rte::internal::ClickTrayIcon(std::to_string(icon), click));
    for (int i = 0; i < 4; ++i) ProcessSystemEvents();
}

class TrayIcons : public ::testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        g_rightClickAnswer = 0;
        ico = IconFile();
    }
    void TearDown() override {
        std::remove(ico.c_str());
        rte::testing::SetMenuAnswer(nullptr, nullptr);
    }
    std::string ico;
};

TEST_F(TrayIcons, HandlesAreReusedSmallestFirstAndTheLastTakesThePanel) {
    int panels = PanelCount();
    int a = 0, b = 0, c = 0, again = 0;
    ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), "A", IconEvents, &a), 0);
    ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), "B", IconEvents, &b), 0);
    ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), "C", IconEvents, &c), 0);
    EXPECT_EQ(std::vector<int>({a, b, c}), std::vector<int>({1, 2, 3}));
    EXPECT_EQ(PanelCount(), panels + 1);
    EXPECT_EQ(RteTrayIconCount(), 3);
    ASSERT_EQ(RemoveSysTrayIcon(2), 0);
    EXPECT_EQ(RemoveSysTrayIcon(2), TOOLBOX_ERR_INVALID_TRAY_ICON);
    ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), "again", IconEvents, &again), 0);
    EXPECT_EQ(again, 2);
    for (int icon : {1, 2, 3}) ASSERT_EQ(RemoveSysTrayIcon(icon), 0);
    EXPECT_EQ(PanelCount(), panels);
    EXPECT_EQ(RteTrayIconCount(), 0);
    // And made again by the next install.
    ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), "A", IconEvents, &a), 0);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(PanelCount(), panels + 1);
    ASSERT_EQ(RemoveSysTrayIcon(a), 0);
}

TEST_F(TrayIcons, TooltipsAreBoundedBy64AndIconFilesAreChecked) {
    std::string exact(64, 'x'), longer(80, 'y');
    int icon = 0;
    ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), exact.c_str(), IconEvents, &icon), 0);
    int length = 0;
    ASSERT_EQ(GetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_LENGTH, &length), 0);
    EXPECT_EQ(length, 64);
    char tip[80];
    std::memset(tip, '#', sizeof tip);
    ASSERT_EQ(GetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_TEXT, tip), 0);
    EXPECT_EQ(std::string(tip, 64), exact);
    EXPECT_EQ(tip[64], '#');  // no terminating zero past the 64 bytes
    EXPECT_EQ(std::string(RteTrayIconTip(0)), exact);
    ASSERT_EQ(SetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_TEXT, longer.c_str()), 0);
    ASSERT_EQ(GetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_LENGTH, &length), 0);
    EXPECT_EQ(length, 64);
    ASSERT_EQ(SetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_TEXT, "short"), 0);
    ASSERT_EQ(GetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_TEXT, tip), 0);
    EXPECT_STREQ(tip, "short");

    // A file that is no icon: -5090, the old image stays.
    EXPECT_EQ(SetTrayIconAttr(icon, ATTR_TRAY_ICON_FILE, "/etc/hostname"), TOOLBOX_ERR_LOAD_ICON);
    EXPECT_EQ(SetTrayIconAttr(icon, ATTR_TRAY_ICON_FILE, ico.c_str()), 0);
    EXPECT_EQ(GetTrayIconAttr(icon, ATTR_TRAY_ICON_FILE, tip), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(SetTrayIconAttr(icon, 9999, "x"), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(SetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_TEXT, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(GetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_TEXT, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(SetTrayIconAttr(99, ATTR_TRAY_TOOLTIP_TEXT, "x"), TOOLBOX_ERR_INVALID_TRAY_ICON);
    EXPECT_EQ(GetTrayIconAttr(99, ATTR_TRAY_TOOLTIP_LENGTH, &length), TOOLBOX_ERR_INVALID_TRAY_ICON);
    ASSERT_EQ(RemoveSysTrayIcon(icon), 0);
}

int ChooseChecked(void *) {
    std::vector<rte::testing::MenuLineView> lines = rte::testing::OpenMenuLines();
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].isDefault);
    EXPECT_TRUE(lines[1].separator);
    EXPECT_TRUE(lines[2].checked);
    return lines[2].command;
}

TEST_F(TrayIcons, ClicksReachTheCallbackAndTheMenuPopsUp) {
    int icon = 0, item = 0;
    ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), "Clicks", IconEvents, &icon), 0);
    Click(icon, RTE_TRAY_LEFT);
    EXPECT_EQ(g_events, (std::vector<std::pair<int, int>>{{EVENT_LEFT_CLICK, 0}, {EVENT_LEFT_MOUSE_UP, 0}}));
    g_events.clear();
    Click(icon, RTE_TRAY_DOUBLE);
    EXPECT_EQ(g_events[2], std::make_pair(EVENT_LEFT_DOUBLE_CLICK, 0));

    // A menu: right click shows it unless the callback says no.
    EXPECT_EQ(InsertTrayIconMenuItem(icon, "Open", &item), TOOLBOX_ERR_NO_TRAY_MENU);
    ASSERT_EQ(AttachTrayIconMenu(icon), 0);
    ASSERT_EQ(AttachTrayIconMenu(icon), 0);  // replaces the first
    ASSERT_EQ(InsertTrayIconMenuItem(icon, "Open", &item), 0);
    EXPECT_EQ(item, 1);
    ASSERT_EQ(InsertTrayIconMenuItem(icon, nullptr, &item), 0);
    ASSERT_EQ(InsertTrayIconMenuItem(icon, "Beep", &item), 0);
    EXPECT_EQ(item, 3);
    ASSERT_EQ(SetTrayIconMenuItemAttr(icon, 3, ATTR_CHECKED, 1), 0);
    ASSERT_EQ(SetTrayIconMenuAttr(icon, ATTR_TRAY_MENU_DEFAULT_ITEM, 1), 0);
    rte::testing::SetMenuAnswer(ChooseChecked, nullptr);
    g_events.clear();
    Click(icon, RTE_TRAY_RIGHT);
    EXPECT_EQ(g_events, (std::vector<std::pair<int, int>>{
                            {EVENT_RIGHT_CLICK, 0}, {EVENT_TRAY_MENU_ITEM, 3}, {EVENT_RIGHT_MOUSE_UP, 0}}));
    g_events.clear();
    g_rightClickAnswer = 1;
    Click(icon, RTE_TRAY_RIGHT);
    EXPECT_EQ(g_events, (std::vector<std::pair<int, int>>{{EVENT_RIGHT_CLICK, 0}, {EVENT_RIGHT_MOUSE_UP, 0}}));
    // Not visible: no menu either; dismissed: item 0.
    g_rightClickAnswer = 0;
    ASSERT_EQ(SetTrayIconMenuAttr(icon, ATTR_VISIBLE, 0), 0);
    g_events.clear();
    Click(icon, RTE_TRAY_RIGHT);
    EXPECT_EQ(g_events.size(), 2u);
    ASSERT_EQ(SetTrayIconMenuAttr(icon, ATTR_VISIBLE, 1), 0);
    rte::testing::SetMenuAnswer([](void *) { return 0; }, nullptr);
    g_events.clear();
    Click(icon, RTE_TRAY_RIGHT);
    EXPECT_EQ(g_events[1], std::make_pair(EVENT_TRAY_MENU_ITEM, 0));
    ASSERT_EQ(RemoveSysTrayIcon(icon), 0);
}

// The program removes the icon while its menu is open (from a timer, say; here from the menu's
// answer): the choice reaches no callback, also not one of a new icon with the same handle.
std::vector<std::pair<int, int>> g_laterEvents;
int LaterIconEvents(int, int event, int data) {
    g_laterEvents.push_back({event, data});
    return 0;
}
std::string *g_icoPath = nullptr;
int RemoveWhileOpen(void *) {
    RemoveSysTrayIcon(1);
    return 1;
}
int ReplaceWhileOpen(void *) {
    RemoveSysTrayIcon(1);
    int again = 0;
    EXPECT_EQ(InstallSysTrayIcon(g_icoPath->c_str(), "Later", LaterIconEvents, &again), 0);
    EXPECT_EQ(again, 1);
    return 1;
}

TEST_F(TrayIcons, AnIconRemovedWhileItsMenuIsOpenGetsNoChoice) {
    g_icoPath = &ico;
    for (int (*answer)(void *) : {RemoveWhileOpen, ReplaceWhileOpen}) {
        int icon = 0, item = 0;
        ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), "Going", IconEvents, &icon), 0);
        ASSERT_EQ(icon, 1);
        ASSERT_EQ(AttachTrayIconMenu(icon), 0);
        ASSERT_EQ(InsertTrayIconMenuItem(icon, "Open", &item), 0);
        rte::testing::SetMenuAnswer(answer, nullptr);
        g_events.clear();
        g_laterEvents.clear();
        Click(icon, RTE_TRAY_RIGHT);
        EXPECT_EQ(g_events, (std::vector<std::pair<int, int>>{{EVENT_RIGHT_CLICK, 0}}));
        EXPECT_EQ(g_laterEvents, (std::vector<std::pair<int, int>>{}));
        RemoveSysTrayIcon(1);
    }
}

TEST_F(TrayIcons, MenuFunctionsCheckIconsItemsAndValues) {
    int icon = 0, item = 0, value = -1;
    ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), "Menu", IconEvents, &icon), 0);
    EXPECT_EQ(SetTrayIconMenuAttr(icon, ATTR_VISIBLE, 1), TOOLBOX_ERR_NO_TRAY_MENU);
    EXPECT_EQ(DetachTrayIconMenu(icon), TOOLBOX_ERR_NO_TRAY_MENU);
    EXPECT_EQ(AttachTrayIconMenu(42), TOOLBOX_ERR_INVALID_TRAY_ICON);
    ASSERT_EQ(AttachTrayIconMenu(icon), 0);
    ASSERT_EQ(GetTrayIconMenuAttr(icon, ATTR_VISIBLE, &value), 0);
    EXPECT_EQ(value, 1);
    // A menu of 0 items.
    EXPECT_EQ(SetTrayIconMenuAttr(icon, ATTR_TRAY_MENU_DEFAULT_ITEM, 1), UIE_BAD_VALUE);
    EXPECT_EQ(SetTrayIconMenuItemAttr(icon, 1, ATTR_CHECKED, 1), TOOLBOX_ERR_INVALID_TRAY_MENU_ITEM);
    ASSERT_EQ(InsertTrayIconMenuItem(icon, "One", &item), 0);
    ASSERT_EQ(InsertTrayIconMenuItem(icon, "Two", &item), 0);
    EXPECT_EQ(SetTrayIconMenuAttr(icon, ATTR_TRAY_MENU_DEFAULT_ITEM, 3), UIE_BAD_VALUE);
    ASSERT_EQ(SetTrayIconMenuAttr(icon, ATTR_TRAY_MENU_DEFAULT_ITEM, 2), 0);
    ASSERT_EQ(GetTrayIconMenuAttr(icon, ATTR_TRAY_MENU_DEFAULT_ITEM, &value), 0);
    EXPECT_EQ(value, 2);
    ASSERT_EQ(SetTrayIconMenuAttr(icon, ATTR_TRAY_MENU_DEFAULT_ITEM, 0), 0);
    ASSERT_EQ(GetTrayIconMenuAttr(icon, ATTR_TRAY_MENU_DEFAULT_ITEM, &value), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(SetTrayIconMenuItemAttr(icon, 0, ATTR_CHECKED, 1), TOOLBOX_ERR_INVALID_TRAY_MENU_ITEM);
    EXPECT_EQ(GetTrayIconMenuItemAttr(icon, 3, ATTR_CHECKED, &value), TOOLBOX_ERR_INVALID_TRAY_MENU_ITEM);
    ASSERT_EQ(SetTrayIconMenuItemAttr(icon, 2, ATTR_DIMMED, 1), 0);
    ASSERT_EQ(GetTrayIconMenuItemAttr(icon, 2, ATTR_DIMMED, &value), 0);
    EXPECT_EQ(value, 1);
    ASSERT_EQ(GetTrayIconMenuItemAttr(icon, 2, ATTR_CHECKED, &value), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(SetTrayIconMenuItemAttr(icon, 2, 9999, 1), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(GetTrayIconMenuItemAttr(icon, 2, 9999, &value), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(GetTrayIconMenuItemAttr(icon, 2, ATTR_DIMMED, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(GetTrayIconMenuAttr(icon, 9999, &value), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(InsertTrayIconMenuItem(icon, "x", nullptr), UIE_NULL_POINTER);
    ASSERT_EQ(DetachTrayIconMenu(icon), 0);
    EXPECT_EQ(GetTrayIconMenuAttr(icon, ATTR_VISIBLE, &value), TOOLBOX_ERR_NO_TRAY_MENU);
    ASSERT_EQ(RemoveSysTrayIcon(icon), 0);
}

}  // namespace
