// Tests of user32's windows: procedures and their tokens, the operator's input as messages,
// sending and posting on the window's own thread, window ends, menus, icons and the pointer.
#include <gtest/gtest.h>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "rte/alloc_new_testing.h"
#include "rte/alloc_testing.h"
#include "rte/rte.h"
#include "rte/testing.h"
#include "win32/user32/icons_internal.h"
#include "win32/windows.h"

namespace {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Message> g_seen;
WNDPROC g_previous = nullptr;
UINT g_swallow = 0xFFFFFFFF;  // the message the subclass keeps from the panel's procedure
std::vector<std::string> g_events;

// What the subclass saw, as (message, wParam) pairs.
using Messages = std::vector<std::pair<UINT, WPARAM>>;
Messages Seen() {
    Messages seen;
    for (const Message &m : g_seen) seen.emplace_back(m.message, m.wParam);
    return seen;
}

LRESULT Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_seen.push_back({message, wParam, lParam});
    if (message == g_swallow) return 42;
    return CallWindowProcA(g_previous, window, message, wParam, lParam);
}

int ButtonEvents(int, int, int event, void *, int, int) {
    g_events.push_back("ctrl:" + std::to_string(event));
    return 0;
}
int PanelEvents(int, int event, void *, int, int) {
    g_events.push_back("panel:" + std::to_string(event));
    return 0;
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        g_events.clear();
        g_swallow = 0xFFFFFFFF;
        panel = NewPanel(0, "Window", 10, 10, 200, 300);
        button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Go", 20, 20);
        InstallCtrlCallback(panel, button, ButtonEvents, nullptr);
        InstallPanelCallback(panel, PanelEvents, nullptr);
        DisplayPanel(panel);
        GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &window);
    }
    void TearDown() override {
        rte::testing::DiscardAllPanels();
        rte::testing::SetMenuAnswer(nullptr, nullptr);
    }
    void Subclassed() {
        g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
        ASSERT_NE(g_previous, nullptr);
    }
    int panel = 0, button = 0;
    HWND window = nullptr;
};

TEST_F(Windows, ProceduresAreExchangedAsTokensInTheirLongForm) {
    LONG own = GetWindowLongA(window, GWL_WNDPROC);
    ASSERT_NE(own, 0);
    EXPECT_EQ(static_cast<uint32_t>(own) & 0xFFFF0000u, 0xFFFF0000u);
    auto ownPointer = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    ASSERT_NE(ownPointer, nullptr);
    Subclassed();
    EXPECT_EQ(g_previous, ownPointer);
    LONG mine = GetWindowLongA(window, GWL_WNDPROC);
    EXPECT_NE(mine, own);
    // The token calls what the pointer calls, and setting it back restores the procedure.
    g_swallow = WM_USER;
    EXPECT_EQ(CallWindowProcA(reinterpret_cast<WNDPROC>(static_cast<uintptr_t>(static_cast<uint32_t>(mine))), window,
                              WM_USER, 0, 0),
              42);
    EXPECT_EQ(SetWindowLongA(window, GWL_WNDPROC, own), mine);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ownPointer));

    // Values that are no tokens, other indexes, bad windows.
    SetLastError(0);
    EXPECT_EQ(SetWindowLongA(window, GWL_WNDPROC, 12345), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_WNDPROC, 0), 0);
    EXPECT_EQ(GetWindowLongA(window, GWL_WNDPROC), own);
    EXPECT_EQ(GetWindowLongA(window, -16), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 0x123456789), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0x123456789);
    EXPECT_EQ(GetWindowLongA(window, GWL_USERDATA), 0x23456789);
    HWND bad = reinterpret_cast<HWND>(uintptr_t{0x7FFFFFF0});
    EXPECT_EQ(GetWindowLongA(bad, GWL_WNDPROC), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(IsWindow(bad));
    EXPECT_EQ(SendMessageA(bad, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessageA(bad, WM_USER, 0, 0));
    EXPECT_EQ(CallWindowProcA(reinterpret_cast<WNDPROC>(uintptr_t{0xFFFFFFF0}), window, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), CurrThreadId());
}

TEST_F(Windows, TheOperatorsInputArrivesAsMessagesAndMayBeKept) {
    Subclassed();
    ASSERT_EQ(rte::testing::Press(panel, button), 0);
    ASSERT_GE(g_seen.size(), 2u);
    int width = 0, height = 0;
    GetCtrlAttribute(panel, button, ATTR_WIDTH, &width);
    GetCtrlAttribute(panel, button, ATTR_HEIGHT, &height);
    EXPECT_EQ(g_seen[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(g_seen[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(g_seen[0].lParam, MAKELPARAM(20 + width / 2, 20 + height / 2));
    EXPECT_EQ(g_seen[1].message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(g_events.back(), "ctrl:" + std::to_string(EVENT_COMMIT));

    g_events.clear();
    g_swallow = WM_LBUTTONDOWN;
    ASSERT_EQ(rte::testing::Press(panel, button), 0);
    EXPECT_TRUE(g_events.empty());

    // Keys: WM_KEYDOWN with the virtual key, WM_CHAR with the typed byte.
    g_seen.clear();
    int entry = NewCtrl(panel, CTRL_STRING, "Entry", 60, 20);
    ASSERT_EQ(rte::testing::Focus(panel, entry), 0);
    ASSERT_EQ(rte::testing::KeyPress(panel, entry, VAL_ENTER_VKEY), 0);
    ASSERT_EQ(rte::testing::KeyPress(panel, entry, 'q'), 0);
    EXPECT_EQ(Seen(), (Messages{{WM_KEYDOWN, VK_RETURN}, {WM_KEYDOWN, 'Q'}, {WM_CHAR, 'q'}}));
    EXPECT_EQ(rte::testing::ValueText(panel, entry), "q");

    // Closing, a new size and dropped files on a window that accepts them.
    g_seen.clear();
    g_events.clear();
    g_swallow = WM_CLOSE;
    ASSERT_EQ(rte::testing::ClosePanel(panel), 0);
    EXPECT_EQ(g_seen.back().message, static_cast<UINT>(WM_CLOSE));
    EXPECT_TRUE(g_events.empty());
    SetPanelAttribute(panel, ATTR_HEIGHT, 150);
    EXPECT_EQ(g_seen.back().message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(g_seen.back().lParam, MAKELPARAM(300, 150));
    ASSERT_EQ(RteSetWindowAcceptsFiles(window, 1), 0);
    g_swallow = WM_DROPFILES;
    ASSERT_EQ(rte::testing::DropFiles(panel, {"/tmp/x"}), 0);
    EXPECT_EQ(g_seen.back().message, static_cast<UINT>(WM_DROPFILES));
    int drop = static_cast<int>(g_seen.back().wParam);
    EXPECT_EQ(RteDropFileCount(drop), 1);
    RteFinishDrop(drop);
    EXPECT_TRUE(g_events.empty());
}

TEST_F(Windows, SentAndPostedMessagesAndTheEndOfAWindow) {
    Subclassed();
    g_swallow = WM_APP;
    EXPECT_EQ(SendMessageA(window, WM_APP, 1, 2), 42);
    EXPECT_EQ(SendMessageA(window, WM_APP + 1, 1, 2), 0);  // the panel's own: DefWindowProcA
    g_seen.clear();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(PostMessageA(window, WM_USER + i, static_cast<WPARAM>(i), 0));
    EXPECT_TRUE(g_seen.empty());
    ProcessSystemEvents();
    EXPECT_EQ(Seen(), (Messages{{WM_USER, 0}, {WM_USER + 1, 1}, {WM_USER + 2, 2}}));

    UINT named = RegisterWindowMessageA("Tray Restart");
    EXPECT_GE(named, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageA("tray restart"), named);
    EXPECT_NE(RegisterWindowMessageA("Other"), named);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
    EXPECT_EQ(RegisterWindowMessageA(nullptr), 0u);

    // Re-creating the window: WM_DESTROY to the old one, which names no window any more; the
    // new one starts with the panel's own procedure. A message posted to the old is dropped.
    g_seen.clear();
    EXPECT_TRUE(PostMessageA(window, WM_USER, 0, 0));
    ASSERT_EQ(rte::testing::RecreateWindow(panel), 0);
    EXPECT_EQ(Seen(), (Messages{{WM_DESTROY, 0}}));
    EXPECT_FALSE(IsWindow(window));
    HWND fresh = nullptr;
    GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &fresh);
    EXPECT_TRUE(IsWindow(fresh));
    EXPECT_EQ(GetWindowLongPtrA(fresh, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(g_previous));

    // Discarding the panel: WM_DESTROY after EVENT_DISCARD.
    g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(fresh, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
    g_seen.clear();
    g_events.clear();
    DiscardPanel(panel);
    EXPECT_EQ(Seen(), (Messages{{WM_DESTROY, 0}}));
    EXPECT_EQ(g_events.back(), "panel:" + std::to_string(EVENT_DISCARD));
    EXPECT_FALSE(IsWindow(fresh));
}

// A post that runs out of memory, at whichever allocation, is refused with
// ERROR_NOT_ENOUGH_MEMORY and leaves nothing half-queued: the next post is delivered, alone and
// in order. (The queue is warmed first, so that each try makes the same allocations.)
TEST_F(Windows, APostThatRunsOutOfMemoryLeavesLaterPostsArriving) {
    Subclassed();
    ASSERT_TRUE(PostMessageA(window, WM_USER, 0, 0));
    ProcessSystemEvents();
    rte::testing::ClearAllocationFault();
    {
        rte::testing::ScopedNewFaults faults;
        ASSERT_TRUE(PostMessageA(window, WM_USER, 0, 0));
    }
    long allocations = rte::testing::AllocationCount();
    ProcessSystemEvents();
    ASSERT_GT(allocations, 0);
    for (long n = 1; n <= allocations; ++n) {
        g_seen.clear();
        rte::testing::FailNthAllocation(n);
        BOOL posted;
        {
            rte::testing::ScopedNewFaults faults;
            posted = PostMessageA(window, WM_USER, 1, 0);
        }
        DWORD error = GetLastError();
        bool failed = rte::testing::AllocationFaultFired();
        rte::testing::ClearAllocationFault();
        EXPECT_EQ(posted, failed ? FALSE : TRUE) << "allocation " << n;
        if (!posted) {
            EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY)) << "allocation " << n;
        }
        EXPECT_TRUE(PostMessageA(window, WM_USER, 2, 0));
        ProcessSystemEvents();
        EXPECT_EQ(Seen(), posted ? (Messages{{WM_USER, 1}, {WM_USER, 2}}) : (Messages{{WM_USER, 2}})) << "allocation " << n;
    }
}

MENUITEMINFOA Item(UINT mask, UINT type, UINT id, const char *text) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.fType = type;
    info.wID = id;
    info.dwTypeData = const_cast<char *>(text);
    return info;
}

int ChooseSecond(void *) {
    std::vector<rte::testing::MenuLineView> lines = rte::testing::OpenMenuLines();
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].checked);
    EXPECT_TRUE(lines[1].separator);
    EXPECT_TRUE(lines[2].isDefault);
    return lines[2].command;
}

TEST_F(Windows, MenusKeepTheirItemsAndTheEngineShowsThem) {
    HMENU menu = CreatePopupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 0);
    MENUITEMINFOA first = Item(MIIM_ID | MIIM_TYPE, MFT_STRING, 1, "Beep");
    MENUITEMINFOA separator = Item(MIIM_ID | MIIM_TYPE, MFT_SEPARATOR, 2, nullptr);
    MENUITEMINFOA last = Item(MIIM_ID | MIIM_TYPE, MFT_STRING, 3, "Quit");
    ASSERT_TRUE(InsertMenuItemA(menu, 0, TRUE, &first));
    ASSERT_TRUE(InsertMenuItemA(menu, 5, TRUE, &last));            // past the end: appended
    ASSERT_TRUE(InsertMenuItemA(menu, 3, FALSE, &separator));      // before the item of command 3
    EXPECT_EQ(GetMenuItemCount(menu), 3);

    char text[3];
    MENUITEMINFOA read = Item(MIIM_TYPE | MIIM_ID, 0, 0, text);
    read.cch = sizeof text;
    ASSERT_TRUE(GetMenuItemInfoA(menu, 2, TRUE, &read));
    EXPECT_EQ(read.wID, 3u);
    EXPECT_STREQ(text, "Qu");
    EXPECT_EQ(read.cch, 4u);
    MENUITEMINFOA state = Item(MIIM_STATE, 0, 0, nullptr);
    state.fState = MFS_CHECKED;
    ASSERT_TRUE(SetMenuItemInfoA(menu, 1, FALSE, &state));
    ASSERT_TRUE(SetMenuDefaultItem(menu, 3, FALSE));
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), 3u);
    EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), 2u);

    rte::testing::SetMenuAnswer(ChooseSecond, nullptr);
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, 10, 10, 0, window, nullptr), 3);
    // Without TPM_RETURNCMD the choice comes as WM_COMMAND.
    Subclassed();
    g_seen.clear();
    EXPECT_EQ(TrackPopupMenu(menu, 0, 10, 10, 0, window, nullptr), TRUE);
    ProcessSystemEvents();
    EXPECT_EQ(Seen(), (Messages{{WM_COMMAND, 3}}));

    // A disabled default item counts only with GMDI_USEDISABLED; none after (UINT)-1.
    state.fState = MFS_GRAYED | MFS_DEFAULT;
    ASSERT_TRUE(SetMenuItemInfoA(menu, 3, FALSE, &state));
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, GMDI_USEDISABLED), 3u);
    ASSERT_TRUE(SetMenuDefaultItem(menu, static_cast<UINT>(-1), FALSE));
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, GMDI_USEDISABLED), static_cast<UINT>(-1));

    // Missing items, bad descriptions and bad menus.
    EXPECT_FALSE(GetMenuItemInfoA(menu, 9, FALSE, &read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MENU_ITEM_NOT_FOUND));
    EXPECT_FALSE(SetMenuDefaultItem(menu, 9, FALSE));
    MENUITEMINFOA wrong = first;
    wrong.cbSize = 12;
    EXPECT_FALSE(InsertMenuItemA(menu, 0, TRUE, &wrong));
    EXPECT_FALSE(InsertMenuItemA(menu, 0, TRUE, nullptr));
    ASSERT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(DestroyMenu(menu));
    EXPECT_EQ(GetMenuItemCount(menu), -1);
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, window, nullptr), 0);
}

// Writes a 48 x 48 icon file of one colour with gdk-pixbuf's icon writer.
std::string WriteIcon(const char *name, guint32 rgba) {
    std::string path = std::string("/tmp/win32_icon_") + std::to_string(getpid()) + name;
    GdkPixbuf *pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 48, 48);
    gdk_pixbuf_fill(pixbuf, rgba);
    EXPECT_TRUE(gdk_pixbuf_save(pixbuf, path.c_str(), "ico", nullptr, nullptr));
    g_object_unref(pixbuf);
    return path;
}

TEST(Icons, LoadFromIconFilesOnly) {
    std::string ico = WriteIcon(".ico", 0xFF000080u);
    HICON icon = static_cast<HICON>(LoadImageA(nullptr, ico.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    ASSERT_NE(icon, nullptr);
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    ASSERT_TRUE(win32::user32::IconPixels(icon, &width, &height, &argb));
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 32);
    EXPECT_EQ(argb[0], 0x80FF0000u);
    HICON natural = static_cast<HICON>(LoadImageA(nullptr, ico.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    ASSERT_TRUE(win32::user32::IconPixels(natural, &width, &height, &argb));
    EXPECT_EQ(width, 48);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_TRUE(DestroyIcon(natural));
    EXPECT_FALSE(DestroyIcon(icon));
    EXPECT_FALSE(win32::user32::IconPixels(icon, &width, &height, &argb));

    // A file that is no icon, a missing file, the wrong type.
    std::string text = std::string("/tmp/win32_icon_") + std::to_string(getpid()) + ".txt";
    std::FILE *f = std::fopen(text.c_str(), "w");
    std::fputs("not an icon\n", f);
    std::fclose(f);
    EXPECT_EQ(LoadImageA(nullptr, text.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(LoadImageA(nullptr, "/nonexistent/x.ico", IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(LoadImageA(nullptr, ico.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    std::remove(ico.c_str());
    std::remove(text.c_str());
}

TEST(Pointer, IsWhereTheEngineSawItLast) {
    RteSetPointerScreenPos(123, 45);
    POINT p{};
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 123);
    EXPECT_EQ(p.y, 45);
    EXPECT_FALSE(GetCursorPos(nullptr));
}

}  // namespace
