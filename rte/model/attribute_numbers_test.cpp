// The engine's numbers are a fixed interface: the utility library names attributes, values,
// styles and events by their numbers. These tables hold each number the library relies on
// against rte/ui.h, and the settings the library makes on panels and controls against the model.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "rte/graphics.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

struct Number {
    const char *name;
    long value;  // as rte/ui.h defines it
    long fixed;  // the number code relies on
};
#define FIXED(name, number) Number{#name, name, number}

TEST(EngineNumbers, AttributesHaveTheirFixedNumbers) {
    const Number attributes[] = {
        FIXED(ATTR_DIMMED, 500), FIXED(ATTR_CALLBACK_DATA, 510), FIXED(ATTR_CALLBACK_FUNCTION_POINTER, 513),
        FIXED(ATTR_VISIBLE, 530), FIXED(ATTR_LEFT, 531), FIXED(ATTR_TOP, 532), FIXED(ATTR_WIDTH, 533),
        FIXED(ATTR_HEIGHT, 540), FIXED(ATTR_FRAME_COLOR, 550), FIXED(ATTR_BACKCOLOR, 570),
        FIXED(ATTR_TITLEBAR_VISIBLE, 571), FIXED(ATTR_EXTRA_COLOR, 575), FIXED(ATTR_FRAME_THICKNESS, 577),
        FIXED(ATTR_MOVABLE, 580), FIXED(ATTR_NUM_CTRLS, 582), FIXED(ATTR_CLOSE_CTRL, 592), FIXED(ATTR_SIZABLE, 596),
        FIXED(ATTR_SYSTEM_WINDOW_HANDLE, 598), FIXED(ATTR_CLOSE_ITEM_VISIBLE, 602), FIXED(ATTR_PANEL_PARENT, 606),
        FIXED(ATTR_FIRST_CHILD, 608), FIXED(ATTR_NEXT_PANEL, 609), FIXED(ATTR_ZPLANE_POSITION, 610),
        FIXED(ATTR_CTRL_STYLE, 611), FIXED(ATTR_PANEL_FIRST_CTRL, 612), FIXED(ATTR_CTRL_TAB_POSITION, 612),
        FIXED(ATTR_NEXT_CTRL, 613), FIXED(ATTR_ACTIVE, 614), FIXED(ATTR_FLOATING, 615),
        FIXED(ATTR_HAS_TASKBAR_BUTTON_OFF, 617), FIXED(ATTR_CTRL_MODE, 620), FIXED(ATTR_LABEL_LEFT, 670),
        FIXED(ATTR_LABEL_TOP, 671), FIXED(ATTR_LABEL_WIDTH, 672), FIXED(ATTR_LABEL_HEIGHT, 673),
        FIXED(ATTR_TEXT_COLOR, 680), FIXED(ATTR_TEXT_FONT_NAME_LENGTH, 681), FIXED(ATTR_TEXT_FONT, 682),
        FIXED(ATTR_TEXT_ITALIC, 683), FIXED(ATTR_TEXT_UNDERLINE, 684), FIXED(ATTR_TEXT_STRIKEOUT, 685),
        FIXED(ATTR_TEXT_POINT_SIZE, 686), FIXED(ATTR_TEXT_BOLD, 687), FIXED(ATTR_TEXT_BGCOLOR, 690),
        FIXED(ATTR_DATA_TYPE, 710), FIXED(ATTR_MAX_VALUE, 730), FIXED(ATTR_MIN_VALUE, 731),
        FIXED(ATTR_SHOW_DIGITAL_DISPLAY, 737), FIXED(ATTR_STRING_TEXT_LENGTH, 770), FIXED(ATTR_VISIBLE_LINES, 821),
        FIXED(ATTR_SHOW_INCDEC_ARROWS, 974), FIXED(ATTR_FILL_COLOR, 980), FIXED(ATTR_MARKER_STYLE, 982),
        FIXED(ATTR_TICK_STYLE, 983), FIXED(ATTR_SHOW_MORE_COLORS, 996), FIXED(ATTR_SHORTCUT_KEY, 1020),
        FIXED(ATTR_CHECKED, 1040), FIXED(ATTR_INTERVAL, 1270), FIXED(ATTR_ENABLED, 1271),
    };
    for (const Number &n : attributes) EXPECT_EQ(n.value, n.fixed) << n.name;
}

TEST(EngineNumbers, ValuesStylesAndEventsHaveTheirFixedNumbers) {
    const Number values[] = {
        // Control styles.
        FIXED(CTRL_HORIZONTAL_SLIDE, 112), FIXED(CTRL_COLOR_NUMERIC, 130), FIXED(CTRL_RAISED_FRAME, 150),
        FIXED(CTRL_TEXT_MSG, 160), FIXED(CTRL_FLAT_FRAME, 170), FIXED(CTRL_COMMAND_BUTTON, 200),
        FIXED(CTRL_PICTURE_COMMAND_BUTTON, 204), FIXED(CTRL_PICTURE_TOGGLE_BUTTON, 235), FIXED(CTRL_RING, 300),
        FIXED(CTRL_MENU_RING, 301), FIXED(CTRL_PICTURE_RING, 318), FIXED(CTRL_LIST_BOX, 340),
        FIXED(CTRL_RECESSED_FRAME, 381), FIXED(CTRL_PICTURE, 480), FIXED(CTRL_TIMER, 490),
        // Data types.
        FIXED(VAL_CHAR, 0), FIXED(VAL_INTEGER, 1), FIXED(VAL_SHORT, 2), FIXED(VAL_FLOAT, 3), FIXED(VAL_DOUBLE, 4),
        FIXED(VAL_STRING, 5), FIXED(VAL_UNSIGNED_SHORT, 6), FIXED(VAL_UNSIGNED_INTEGER, 7), FIXED(VAL_UNSIGNED_CHAR, 8),
        // Values of attributes.
        FIXED(VAL_TRANSPARENT, 0x1000000),
        {"VAL_AUTO_CENTER", static_cast<unsigned>(VAL_AUTO_CENTER), 0x80000000L},
        FIXED(VAL_INDICATOR, 0),       // the one mode that is never a tab stop
        FIXED(VAL_ESC_VKEY, 0x300),    // a dialog's cancel shortcut
        FIXED(VAL_ENTER_VKEY, 0x500),  // its confirm shortcut
        FIXED(RTE_SYSCOLOR_INFOTEXT, 23), FIXED(RTE_SYSCOLOR_INFOBK, 24),
        // Events 1 to 16.
        FIXED(EVENT_COMMIT, 1), FIXED(EVENT_VAL_CHANGED, 2), FIXED(EVENT_LEFT_CLICK, 3),
        FIXED(EVENT_LEFT_DOUBLE_CLICK, 4), FIXED(EVENT_RIGHT_CLICK, 5), FIXED(EVENT_RIGHT_DOUBLE_CLICK, 6),
        FIXED(EVENT_KEYPRESS, 7), FIXED(EVENT_GOT_FOCUS, 8), FIXED(EVENT_LOST_FOCUS, 9), FIXED(EVENT_IDLE, 10),
        FIXED(EVENT_CLOSE, 11), FIXED(EVENT_PANEL_SIZE, 12), FIXED(EVENT_PANEL_MOVE, 13), FIXED(EVENT_END_TASK, 14),
        FIXED(EVENT_TIMER_TICK, 15), FIXED(EVENT_DISCARD, 16),
        // Errors the library expects of the engine by number.
        FIXED(UIE_WRONG_DATA_TYPE, -10), FIXED(UIE_OUT_OF_MEMORY, -12), FIXED(UIE_BAD_COUNT, -14),
        FIXED(UIE_BAD_PANEL, -42), FIXED(UIE_WRONG_ATTRIBUTE, -45), FIXED(UIE_BAD_ATTRIBUTE, -46),
        FIXED(UIE_NO_CURRENT_ITEM, -56), FIXED(UIE_BUFFER_TOO_SMALL, -57), FIXED(UIE_OPERATION_NOT_VALID, -63),
        FIXED(UIE_NULL_POINTER, -65), FIXED(UIE_BAD_FONT, -89), FIXED(UIE_BAD_VALUE, -90), FIXED(UIE_FILE_MISSING, -94),
        FIXED(UIE_FILE_ACCESS_DENIED, -95),
    };
    for (const Number &n : values) EXPECT_EQ(n.value, n.fixed) << n.name;
    EXPECT_NE(VAL_NORMAL, 0);
    EXPECT_NE(VAL_HOT, 0);
}

class EngineSettings : public ::testing::Test {
protected:
    void SetUp() override { panel = NewPanel(0, "Settings", 0, 0, 200, 300); }
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    int panel = 0;
};

// The settings the library makes, as numbers, on the panels and controls it builds: each is
// taken, and reads back as set.
TEST_F(EngineSettings, TheLibrarysSettingsAreTaken) {
    struct Setting {
        int style;  // 0: on the panel
        int attribute, value;
    } settings[] = {
        // A shared tip panel, its text and its timer.
        {0, 615, 1}, {0, 571, 0}, {0, 617, 1}, {0, 570, 0xFFFFE1}, {0, 577, 1}, {0, 596, 0}, {0, 580, 0},
        {0, 610, 0}, {160, 690, 0x1000000}, {160, 680, 0x000000},
        // A progress dialog and its indicator and cancel button.
        {0, 602, 0}, {112, 533, 300}, {112, 540, 14}, {112, 710, 1}, {112, 731, 0}, {112, 730, 100},
        {112, 974, 0}, {112, 737, 0}, {112, 982, 3}, {112, 983, 3}, {112, 980, 0x1000000},
        {112, 670, 14}, {112, 671, 14}, {200, 1020, 0x300}, {200, 1020, 0x500},
        // Layout, colour popup, recessed frames, ring sizing.
        {340, 821, 10}, {130, 996, 0}, {130, 671, static_cast<int>(0x80000000)}, {170, 550, 0x1000000},
        {150, 610, 0}, {300, 533, 99}, {200, 530, 0}, {300, 500, 1}, {490, 1271, 0}, {400, 620, 0},
        {200, 612, 0},
    };
    std::map<int, int> controls;
    for (const Setting &s : settings) {
        std::string what = std::to_string(s.style) + ": " + std::to_string(s.attribute);
        int got = -1;
        if (s.style == 0) {
            EXPECT_EQ(SetPanelAttribute(panel, s.attribute, s.value), 0) << what;
            EXPECT_EQ(GetPanelAttribute(panel, s.attribute, &got), 0) << what;
        } else {
            int &control = controls[s.style];  // one control of each style, set in turn
            if (control == 0) control = NewCtrl(panel, s.style, "label", 20, 20);
            ASSERT_GT(control, 0) << what;
            EXPECT_EQ(SetCtrlAttribute(panel, control, s.attribute, s.value), 0) << what;
            EXPECT_EQ(GetCtrlAttribute(panel, control, s.attribute, &got), 0) << what;
        }
        EXPECT_EQ(got, s.value) << what;
    }
    double interval = 0;
    int timer = NewCtrl(panel, 490, "", -10000, -10000);
    EXPECT_EQ(SetCtrlAttribute(panel, timer, 1270, 0.4), 0);
    EXPECT_EQ(GetCtrlAttribute(panel, timer, 1270, &interval), 0);
    EXPECT_EQ(interval, 0.4);
}

TEST_F(EngineSettings, StyleModeAndMenuItemsReadAsTheirNumbersSay) {
    int ring = NewCtrl(panel, CTRL_MENU_RING, "Ring", 20, 20);
    int entry = NewCtrl(panel, CTRL_STRING, "Entry", 60, 20);
    int style = 0, mode = -1;
    EXPECT_EQ(GetCtrlAttribute(panel, ring, 611, &style), 0);
    EXPECT_EQ(style, 301);
    EXPECT_EQ(SetCtrlAttribute(panel, ring, 611, CTRL_RING), UIE_READ_ONLY_ATTRIBUTE);
    EXPECT_EQ(GetCtrlAttribute(panel, entry, 620, &mode), 0);
    EXPECT_EQ(mode, VAL_NORMAL);
    // Mode 0 is the one that cannot take the focus; the others can.
    DisplayPanel(panel);
    ASSERT_EQ(SetCtrlAttribute(panel, entry, 620, 0), 0);
    EXPECT_EQ(rte::testing::Focus(panel, entry), UIE_BAD_VALUE);
    ASSERT_EQ(SetCtrlAttribute(panel, entry, 620, VAL_HOT), 0);
    EXPECT_EQ(rte::testing::Focus(panel, entry), 0);
    EXPECT_EQ(SetCtrlAttribute(panel, entry, 620, 2), UIE_BAD_VALUE);
    // Menu items are not panels or controls.
    EXPECT_EQ(SetCtrlAttribute(panel, entry, 1040, 1), UIE_WRONG_ATTRIBUTE);
    EXPECT_EQ(GetPanelAttribute(panel, 1040, &mode), UIE_WRONG_ATTRIBUTE);
    EXPECT_EQ(GetPanelAttribute(panel, 611, &mode), UIE_WRONG_ATTRIBUTE);
}

// Walks a panel's children front to back by their first-child and next-sibling attributes.
std::vector<int> Children(int panel) {
    std::vector<int> out;
    int child = 0;
    EXPECT_EQ(GetPanelAttribute(panel, 608, &child), 0);
    while (child > 0) {
        out.push_back(child);
        EXPECT_EQ(GetPanelAttribute(child, 609, &child), 0);
    }
    return out;
}

TEST_F(EngineSettings, ChildPanelsWalkInZOrder) {
    EXPECT_EQ(Children(panel), std::vector<int>{});
    int a = NewPanel(panel, "A", 0, 0, 20, 20);
    int b = NewPanel(panel, "B", 0, 0, 20, 20);
    int c = NewPanel(panel, "C", 0, 0, 20, 20);
    int grandchild = NewPanel(b, "B1", 0, 0, 5, 5);
    EXPECT_EQ(Children(panel), (std::vector<int>{c, b, a}));  // the newest in front
    EXPECT_EQ(Children(b), std::vector<int>{grandchild});
    ASSERT_EQ(SetPanelAttribute(c, ATTR_ZPLANE_POSITION, 99), 0);  // to the back
    ASSERT_EQ(SetPanelAttribute(a, ATTR_ZPLANE_POSITION, 0), 0);   // to the front
    EXPECT_EQ(Children(panel), (std::vector<int>{a, b, c}));
    int z = -1;
    EXPECT_EQ(GetPanelAttribute(b, ATTR_ZPLANE_POSITION, &z), 0);
    EXPECT_EQ(z, 1);
    DiscardPanel(b);
    EXPECT_EQ(Children(panel), (std::vector<int>{a, c}));
    EXPECT_EQ(SetPanelAttribute(a, 608, c), UIE_READ_ONLY_ATTRIBUTE);
    EXPECT_EQ(SetPanelAttribute(a, 609, c), UIE_READ_ONLY_ATTRIBUTE);
}

}  // namespace
