// Tests of the engine's side of a window layer (rte/system_windows.h): window handles and their
// ends, input handed to the window first, drops kept for a window that accepts files, popup
// menus, the headless notification area and the script commands that reach them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "rte/events/operator_script.h"
#include "rte/events/popup_menu.h"
#include "rte/system_windows.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

using namespace rte::testing;

struct Seen {
    void *window;
    RteWindowInput input;
};
std::vector<Seen> g_input;
std::vector<std::pair<void *, int>> g_gone;
int g_take = 0;  // the input kind the hook takes (0: none)
std::vector<std::string> g_events;

int InputHook(void *window, const RteWindowInput *input) {
    g_input.push_back({window, *input});
    return input->kind == g_take ? 0 : 1;
}
void GoneHook(void *window, int panel) { g_gone.push_back({window, panel}); }
int PanelEvents(int, int event, void *, int data1, int) {
    g_events.push_back(std::to_string(event) + ":" + std::to_string(data1));
    return 0;
}
int CtrlEvents(int, int, int event, void *, int, int) {
    g_events.push_back("ctrl:" + std::to_string(event));
    return 0;
}

void *WindowOf(int panel) {
    void *window = nullptr;
    GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &window);
    return window;
}

class WindowLayer : public ::testing::Test {
protected:
    void SetUp() override {
        g_input.clear();
        g_gone.clear();
        g_events.clear();
        g_take = 0;
        RteSetWindowHooks(InputHook, GoneHook);
        panel = NewPanel(0, "Windowed", 10, 10, 200, 300);
        button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Go", 20, 20);
        InstallPanelCallback(panel, PanelEvents, nullptr);
        InstallCtrlCallback(panel, button, CtrlEvents, nullptr);
        DisplayPanel(panel);
    }
    void TearDown() override {
        DiscardAllPanels();
        RteSetWindowHooks(nullptr, nullptr);
        SetMenuAnswer(nullptr, nullptr);
    }
    int panel = 0, button = 0;
};

TEST_F(WindowLayer, HandlesAreSmallAndEachEndIsTold) {
    void *first = WindowOf(panel);
    auto value = reinterpret_cast<uintptr_t>(first);
    EXPECT_GT(value, 0u);
    EXPECT_LT(value, 0x7FFFFFFFu);
    EXPECT_EQ(RtePanelOfWindow(first), panel);
    EXPECT_EQ(RtePanelOfWindow(nullptr), 0);
    int child = NewPanel(panel, "Child", 0, 0, 10, 10);
    EXPECT_EQ(WindowOf(child), nullptr);

    ASSERT_EQ(RecreateWindow(panel), 0);
    void *second = WindowOf(panel);
    EXPECT_GT(reinterpret_cast<uintptr_t>(second), value);
    EXPECT_EQ(RtePanelOfWindow(first), 0);
    ASSERT_EQ(g_gone.size(), 1u);
    EXPECT_EQ(g_gone[0], std::make_pair(first, panel));
    DiscardPanel(panel);
    ASSERT_EQ(g_gone.size(), 2u);
    EXPECT_EQ(g_gone[1], std::make_pair(second, panel));
}

TEST_F(WindowLayer, InputReachesTheWindowFirstAndMayBeTaken) {
    ASSERT_EQ(Press(panel, button), 0);
    ASSERT_GE(g_input.size(), 2u);
    EXPECT_EQ(g_input[0].window, WindowOf(panel));
    EXPECT_EQ(g_input[0].input.kind, RTE_INPUT_BUTTON_DOWN);
    EXPECT_EQ(g_input[1].input.kind, RTE_INPUT_BUTTON_UP);
    EXPECT_EQ(g_events.back(), "ctrl:" + std::to_string(EVENT_COMMIT));

    // Taken by the window: the engine does nothing more with it.
    g_events.clear();
    g_take = RTE_INPUT_BUTTON_DOWN;
    ASSERT_EQ(Press(panel, button), 0);
    EXPECT_TRUE(g_events.empty());
    g_take = RTE_INPUT_CLOSE;
    ASSERT_EQ(ClosePanel(panel), 0);
    EXPECT_TRUE(g_events.empty());
    g_take = RTE_INPUT_CHARACTER;
    int entry = NewCtrl(panel, CTRL_STRING, "Entry", 60, 20);
    ASSERT_EQ(Focus(panel, entry), 0);
    ASSERT_EQ(KeyPress(panel, entry, 'x'), 0);
    EXPECT_EQ(ValueText(panel, entry), "");

    // A child panel's input arrives in its top-level window's coordinates; a new size is told.
    g_take = 0;
    g_input.clear();
    int child = NewPanel(panel, "Child", 30, 40, 50, 50);
    int inner = NewCtrl(child, CTRL_COMMAND_BUTTON, "In", 5, 5);
    DisplayPanel(child);
    ASSERT_EQ(Press(child, inner), 0);
    ASSERT_FALSE(g_input.empty());
    int width = 0;
    GetCtrlAttribute(child, inner, ATTR_WIDTH, &width);
    EXPECT_EQ(g_input[0].input.x, 40 + 5 + width / 2);
    g_input.clear();
    SetPanelAttribute(panel, ATTR_WIDTH, 320);
    ASSERT_EQ(g_input.size(), 1u);
    EXPECT_EQ(g_input[0].input.kind, RTE_INPUT_SIZE);
    EXPECT_EQ(g_input[0].input.width, 320);
    EXPECT_EQ(g_input[0].input.height, 200);
}

TEST_F(WindowLayer, DropsOnAWindowThatAcceptsFilesAreKeptUntilFinished) {
    // Not accepting files: the panel's callback gets the engine's own drop event.
    ASSERT_EQ(DropFiles(panel, {"/a"}), 0);
    EXPECT_EQ(g_events.back(), std::to_string(EVENT_DROP) + ":1");
    EXPECT_EQ(RteSetWindowAcceptsFiles(reinterpret_cast<void *>(uintptr_t{0x7FFFFFF0}), 1), UIE_BAD_PANEL);
    ASSERT_EQ(RteSetWindowAcceptsFiles(WindowOf(panel), 1), 0);

    g_events.clear();
    g_take = RTE_INPUT_DROP;
    ASSERT_EQ(DropFilesAt(panel, {"/tmp/one", "two words"}, 15, 25), 0);
    ASSERT_EQ(g_input.back().input.kind, RTE_INPUT_DROP);
    int drop = g_input.back().input.drop;
    EXPECT_TRUE(g_events.empty());
    EXPECT_EQ(RteDropFileCount(drop), 2);
    EXPECT_STREQ(RteDropFile(drop, 1), "two words");
    EXPECT_EQ(RteDropFile(drop, 2), nullptr);
    int x = -1, y = -1;
    EXPECT_EQ(RteDropPoint(drop, &x, &y), 1);
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, 25);
    RteFinishDrop(drop);
    EXPECT_EQ(RteDropFileCount(drop), 0);
    EXPECT_EQ(RteDropPoint(drop, &x, &y), 0);

    // Outside the client area; and a drop the window lets through goes to the panel and ends.
    ASSERT_EQ(DropFilesAt(panel, {"/x"}, -5, 10), 0);
    drop = g_input.back().input.drop;
    EXPECT_EQ(RteDropPoint(drop, nullptr, nullptr), 0);
    RteFinishDrop(drop);
    g_take = 0;
    ASSERT_EQ(DropFiles(panel, {"/y"}), 0);
    EXPECT_EQ(g_events.back(), std::to_string(EVENT_DROP) + ":1");
    EXPECT_EQ(RteDropFileCount(g_input.back().input.drop), 0);
}

int ChooseByKeys(void *) {
    EXPECT_EQ(MenuIsOpen(), 1);
    int left = 0, top = 0;
    std::vector<MenuLineView> lines = OpenMenuLines(&left, &top);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_LT(left, 100);  // right-aligned: the menu ends at x
    EXPECT_EQ(top, 50);
    rte::internal::MenuKey(VAL_DOWN_ARROW_VKEY);  // "Open"
    rte::internal::MenuKey(VAL_DOWN_ARROW_VKEY);  // the separator and "Gone" (dimmed) are passed
    rte::internal::MenuKey(VAL_ENTER_VKEY);
    return 0;
}

TEST(PopupMenu, IsAnsweredByTheOperatorOrDismissed) {
    RteMenuItem items[] = {
        {"Open", 7, 0, 1, 0, 1}, {nullptr, 0, 1, 0, 0, 0}, {"Gone", 8, 0, 0, 1, 0}, {"Quit", 9, 0, 0, 0, 0}};
    SetMenuAnswer(ChooseByKeys, nullptr);
    EXPECT_EQ(RteTrackPopupMenu(items, 4, 100, 50, RTE_MENU_ALIGN_RIGHT), 9);
    EXPECT_EQ(MenuIsOpen(), 0);
    SetMenuAnswer([](void *) { return 7; }, nullptr);
    EXPECT_EQ(RteTrackPopupMenu(items, 4, 0, 0, 0), 7);
    // Clicks: outside the menu dismisses it.
    SetMenuAnswer([](void *) {
        int left = 0, top = 0;
        OpenMenuLines(&left, &top);
        rte::internal::MenuClickAt(left - 1, top);
        return 7;
    }, nullptr);
    EXPECT_EQ(RteTrackPopupMenu(items, 4, 0, 0, 0), 0);
    // Nobody to answer on the headless display: printed and dismissed.
    SetMenuAnswer(nullptr, nullptr);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RteTrackPopupMenu(items, 4, 0, 0, 0), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "MENU [x] Open|-|Gone (dimmed)|Quit\n");
    EXPECT_EQ(RteTrackPopupMenu(items, 0, 0, 0, 0), 0);
    EXPECT_EQ(RteTrackPopupMenu(nullptr, 1, 0, 0, 0), 0);
}

std::vector<std::pair<unsigned, int>> g_clicks;
void TrayClick(void *, unsigned id, int click) { g_clicks.push_back({id, click}); }

TEST(NotificationArea, KeepsIconsAndScriptsNameThemByIdOrTip) {
    RteSetTrayClickHook(TrayClick);
    void *owner = reinterpret_cast<void *>(uintptr_t{5});
    ASSERT_EQ(RteTrayIconSet(owner, 1, "First", 1), 0);
    ASSERT_EQ(RteTrayIconSet(owner, 2, "Second icon", 0), 0);
    ASSERT_EQ(RteTrayIconSet(owner, 1, "Changed", 1), 0);
    EXPECT_EQ(RteTrayIconCount(), 2);
    EXPECT_STREQ(RteTrayIconTip(0), "Changed");
    EXPECT_EQ(RteTrayIconTip(2), nullptr);
    EXPECT_EQ(RteTrayIconSet(owner, 3, nullptr, 0), UIE_NULL_POINTER);

    std::vector<rte::internal::ScriptLine> lines;
    std::string error;
    ASSERT_TRUE(rte::internal::ParseOperatorScript(
        "tray 2 right\ntray \"Second icon\" double\nmenu Quit now\nmenu\ndrop PANEL a \"b c\"\n", "s", &lines, &error))
        << error;
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1].name, "Second icon");
    EXPECT_EQ(lines[1].keyCode, RTE_TRAY_DOUBLE);
    EXPECT_EQ(lines[2].text, "Quit now");
    EXPECT_EQ(lines[3].text, "");
    EXPECT_EQ(lines[4].paths, (std::vector<std::string>{"a", "b c"}));
    for (const char *bad : {"tray 1\n", "tray 1 middle\n", "drop PANEL\n", "drop PANEL \"open\n"}) {
        EXPECT_FALSE(rte::internal::ParseOperatorScript(bad, "s", &lines, &error)) << bad;
    }

    EXPECT_EQ(RteTrayIconRemove(owner, 2), 0);
    EXPECT_EQ(RteTrayIconRemove(owner, 2), UIE_BAD_VALUE);
    EXPECT_EQ(RteTrayIconRemove(owner, 1), 0);
    EXPECT_EQ(RteTrayIconCount(), 0);
    RteSetTrayClickHook(nullptr);
}

}  // namespace
