// What the notification areas report to an icon's owner (on the engine's own area, no screen):
// the mouse messages of each gesture, a desktop's menu request before and after the program
// named a menu, its choice, and the refusals of Shell_NotifyIconMenu.
#include <gtest/gtest.h>

#include <vector>

#include "rte/rte.h"
#include "rte/testing.h"
#include "win32/shell32/notify_icon_internal.h"
#include "win32/windows.h"

namespace {

constexpr UINT kCallback = WM_APP + 7;
std::vector<LPARAM> g_mouse;  // lParam of each callback message, as the owner saw them
WNDPROC g_previous = nullptr;

LRESULT Owner(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallback && wParam == 3) g_mouse.push_back(lParam);
    return CallWindowProcA(g_previous, window, message, wParam, lParam);
}

std::vector<LPARAM> Seen() {
    for (int i = 0; i < 4; ++i) ProcessSystemEvents();
    std::vector<LPARAM> seen = g_mouse;
    g_mouse.clear();
    return seen;
}

TEST(NotifyIcons, GesturesBecomeTheOwnersMouseMessages) {
    using win32::shell32::Gesture;
    int panel = NewPanel(0, "Owner", 10, 10, 100, 100);
    HWND owner = nullptr;
    GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &owner);
    g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Owner)));
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = 3;
    data.uFlags = NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = kCallback;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));

    // Presses within the double-click time and distance pair; a third press starts afresh.
    rte::testing::UseManualClock();
    struct Press {
        int x;
        double later;
        UINT expected;
    } presses[] = {{100, 0, WM_LBUTTONDOWN}, {103, 0.2, WM_LBUTTONDBLCLK}, {103, 0.1, WM_LBUTTONDOWN},
                   {110, 0.1, WM_LBUTTONDOWN}, {110, 0.6, WM_LBUTTONDOWN}};
    for (const Press &p : presses) {
        rte::testing::AdvanceClock(p.later);
        win32::shell32::ReportButton(owner, 3, 0, true, p.x, 50);
        EXPECT_EQ(Seen(), std::vector<LPARAM>{static_cast<LPARAM>(p.expected)}) << "press at " << p.x;
    }
    rte::testing::UseRealClock();

    // A desktop's menu request is a right click until the owner names a menu; then it asks.
    win32::shell32::ReportGesture(owner, 3, Gesture::MenuWanted, -1, -1);
    EXPECT_EQ(Seen(), (std::vector<LPARAM>{WM_RBUTTONDOWN, WM_RBUTTONUP}));
    HMENU menu = CreatePopupMenu();
    EXPECT_TRUE(Shell_NotifyIconMenu(owner, 3, menu));
    win32::shell32::ReportGesture(owner, 3, Gesture::MenuWanted, -1, -1);
    win32::shell32::ReportMenuChoice(owner, 3, 4);
    EXPECT_EQ(Seen(), (std::vector<LPARAM>{WM_CONTEXTMENU, MAKELONG(WM_COMMAND, 4)}));

    // Refusals: no such icon, no such menu.
    EXPECT_FALSE(Shell_NotifyIconMenu(owner, 9, menu));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    DestroyMenu(menu);
    EXPECT_FALSE(Shell_NotifyIconMenu(owner, 3, menu));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
    EXPECT_TRUE(Shell_NotifyIconMenu(owner, 3, nullptr));
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    DiscardPanel(panel);
}

}  // namespace
