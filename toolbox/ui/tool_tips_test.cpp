// Tests of tool tips on the manual clock with the pointer moved as the operator moves it: when a
// tip appears and goes, where it is placed, what hides it, and discarding in every order.
#include "toolbox/ui/tool_tips.h"

#include "rte/alloc_testing.h"
#include "rte/engine.h"
#include "rte/graphics.h"
#include "rte/testing.h"
#include "toolbox/ui/callback_chain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace rte::testing;

class ToolTips : public ::testing::Test {
protected:
    int panel = 0, button = 0, entry = 0, tipPanel = 0;

    void SetUp() override {
        UseManualClock(50.0);
        panel = NewPanel(0, "tips", 100, 100, 200, 300);
        button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Write", 40, 50);
        entry = NewCtrl(panel, CTRL_STRING, "", 100, 50);
        DisplayPanel(panel);
        ASSERT_EQ(SetCtrlToolTipAttribute(panel, button, ATTR_TOOLTIP_TEXT, "Writes both ports"), 0);
        tipPanel = NewestChild(panel);
    }
    void TearDown() override {
        DiscardAllPanels();
        UseRealClock();
    }
    // One look of the tips' timer.
    void Tick(int looks = 1) {
        for (int i = 0; i < looks; ++i) {
            AdvanceClock(0.4);
            ProcessSystemEvents();
        }
    }
    void RestOn(int x, int y) {
        MoveMouse(panel, x, y);
        Tick(2);
    }
    // Moves the pointer off every control and lets the tips see it.
    void Leave() {
        MoveMouse(panel, 250, 180);
        Tick();
    }
    // The newest child panel of a panel: the shared tip panel right after its first tip.
    static int NewestChild(int owner) {
        int child = 0;
        GetPanelAttribute(owner, ATTR_FIRST_CHILD, &child);
        return child;
    }
    // The tip's text when one is shown on the tip panel, else "".
    std::string ShownTip(int tip = 0) {
        tip = tip ? tip : tipPanel;
        if (tip <= 0 || !IsPanelVisible(tip)) return "";
        return ValueText(tip, PanelCtrls(tip).front());
    }
    Rect TipRect() {
        Rect r = MakeRect(0, 0, 0, 0);
        int tip = tipPanel;
        GetPanelAttribute(tip, ATTR_TOP, &r.top);
        GetPanelAttribute(tip, ATTR_LEFT, &r.left);
        GetPanelAttribute(tip, ATTR_HEIGHT, &r.height);
        GetPanelAttribute(tip, ATTR_WIDTH, &r.width);
        return r;
    }
};

TEST_F(ToolTips, ATipAppearsAfterRestingForTwoLooksAndGoesWhenThePointerLeaves) {
    ASSERT_GT(tipPanel, 0);
    int color = 0;
    GetPanelAttribute(tipPanel, ATTR_BACKCOLOR, &color);
    EXPECT_EQ(color, RteGetSysColor(RTE_SYSCOLOR_INFOBK));
    MoveMouse(panel, 100, 50);
    Tick();
    EXPECT_EQ(ShownTip(), "") << "one look arms the tip";
    Tick();
    EXPECT_EQ(ShownTip(), "Writes both ports");
    // Centred on the pointer, one tip height below its row; the text sits inside a padding.
    Rect r = TipRect();
    EXPECT_EQ(r.left, 100 - r.width / 2);
    EXPECT_EQ(r.top, 50 + r.height);
    int textTop = 0, textLeft = 0, textHeight = 0, textWidth = 0;
    GetCtrlBoundingRect(tipPanel, PanelCtrls(tipPanel).front(), &textTop, &textLeft, &textHeight, &textWidth);
    EXPECT_EQ(r.width, textLeft + textWidth + textLeft);
    EXPECT_EQ(r.height, textTop + textHeight + textTop);
    EXPECT_GT(textLeft, 0);
    EXPECT_GT(r.width, 0);
    Tick();
    EXPECT_EQ(ShownTip(), "Writes both ports") << "it stays while the pointer does";
    Leave();
    EXPECT_EQ(ShownTip(), "");
}

TEST_F(ToolTips, APointerMovingThreePixelsOrMoreEachLookNeverShowsTheTip) {
    struct {
        int dx, dy;
        bool shows;
    } cases[] = {{3, 0, false}, {0, 3, false}, {-3, -3, false}, {0, -4, false}, {2, 2, true}, {-2, 0, true}, {0, 0, true}};
    for (const auto &k : cases) {
        Leave();  // off the button: back to idle
        MoveMouse(panel, 60, 50);
        bool shown = false, moved = false;
        for (int look = 0; look < 6; ++look) {
            Tick();
            shown = shown || !ShownTip().empty();
            moved = !moved;  // to and fro by (dx, dy) between two looks, always on the button
            MoveMouse(panel, moved ? 60 + k.dx : 60, moved ? 50 + k.dy : 50);
        }
        EXPECT_EQ(shown, k.shows) << k.dx << "," << k.dy;
    }
}

TEST_F(ToolTips, ClicksAndKeysHideTheTipUntilThePointerHasLeftAndRestedAgain) {
    for (bool click : {true, false}) {
        RestOn(60, 50);
        ASSERT_EQ(ShownTip(), "Writes both ports");
        if (click) {
            MouseButton(panel, false, true);
            MouseButton(panel, false, false);
        } else {
            CallCtrlCallback(panel, button, EVENT_KEYPRESS, ' ', 0, nullptr);
        }
        EXPECT_EQ(ShownTip(), "");
        Tick(2);
        EXPECT_EQ(ShownTip(), "") << "not again while the pointer stays";
        Leave();
        RestOn(60, 50);
        // Events a program calls from another thread are not the operator's: the tip stays.
        std::thread([this] { CallCtrlCallback(panel, button, EVENT_KEYPRESS, ' ', 0, nullptr); }).join();
        EXPECT_EQ(ShownTip(), "Writes both ports");
        Leave();
        RestOn(61, 51);
        EXPECT_EQ(ShownTip(), "Writes both ports");
        Leave();
    }
}

TEST_F(ToolTips, TheTipStaysInsideItsPanel) {
    int right = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Right", 40, 240);
    int low = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Low", 176, 50);
    SetCtrlToolTipAttribute(panel, right, ATTR_TOOLTIP_TEXT, "Near the right edge");
    SetCtrlToolTipAttribute(panel, low, ATTR_TOOLTIP_TEXT, "Near the bottom");
    SetCtrlToolTipAttribute(panel, entry, ATTR_TOOLTIP_TEXT,
                            "A tip much wider than the panel it belongs to, which is only three hundred pixels wide");
    struct {
        int x, y;
        const char *text;
        bool atRight, atLeft, atBottom;
    } cases[] = {
        {290, 50, "Near the right edge", true, false, false},
        {60, 110, "A tip much wider than the panel it belongs to, which is only three hundred pixels wide", false,
         true, false},
        {60, 190, "Near the bottom", false, false, true},
    };
    // Kept inside by its one-pixel border and a gap of two; a tip too wide for the panel is
    // broken into lines at blanks.
    const int margin = 3;
    for (const auto &k : cases) {
        RestOn(k.x, k.y);
        std::string shown = ShownTip();
        EXPECT_EQ(shown.find('\n') != std::string::npos, k.atLeft) << shown;
        std::replace(shown.begin(), shown.end(), '\n', ' ');
        ASSERT_EQ(shown, k.text);
        Rect r = TipRect();
        if (k.atRight) {
            EXPECT_EQ(RectRight(r), 300 - margin) << k.text;
        }
        if (k.atLeft) {
            EXPECT_EQ(r.left, margin) << k.text;
        }
        if (k.atBottom) {
            EXPECT_EQ(RectBottom(r), 200 - margin) << k.text;
        }
        EXPECT_GE(r.top, margin) << k.text;
        EXPECT_LE(RectRight(r), 300 - margin) << k.text;
        MoveMouse(panel, 5, 5);
        Tick();
    }
}

TEST_F(ToolTips, EmptyTextShowsNothingAndANewTextShowsFromTheNextAppearance) {
    SetCtrlToolTipAttribute(panel, entry, ATTR_TOOLTIP_TEXT, "");
    RestOn(60, 110);
    EXPECT_EQ(ShownTip(), "");
    RestOn(60, 50);
    ASSERT_EQ(ShownTip(), "Writes both ports");
    EXPECT_EQ(SetCtrlToolTipAttribute(panel, button, ATTR_TOOLTIP_TEXT, "Writes port 16 and 17"), 0);
    EXPECT_EQ(ShownTip(), "Writes both ports") << "the shown tip keeps its text";
    EXPECT_EQ(SetCtrlToolTipAttribute(panel, button, ATTR_TOOLTIP_TEXT, ""), 0);
    EXPECT_EQ(ShownTip(), "") << "an empty text hides it at once";
    SetCtrlToolTipAttribute(panel, button, ATTR_TOOLTIP_TEXT, "Writes port 16 and 17");
    Leave();
    RestOn(60, 50);
    EXPECT_EQ(ShownTip(), "Writes port 16 and 17");
}

TEST_F(ToolTips, TheTipHidesWhenItsControlOrPanelCannotBeSeenOrUsed) {
    int other = NewPanel(0, "other", 0, 0, 50, 50);
    struct {
        const char *what;
        void (*hide)(int panel, int control, int other);
        void (*undo)(int panel, int control, int other);
    } cases[] = {
        {"control hidden", [](int p, int c, int) { SetCtrlAttribute(p, c, ATTR_VISIBLE, 0); },
         [](int p, int c, int) { SetCtrlAttribute(p, c, ATTR_VISIBLE, 1); }},
        {"panel dimmed", [](int p, int, int) { SetPanelAttribute(p, ATTR_DIMMED, 1); },
         [](int p, int, int) { SetPanelAttribute(p, ATTR_DIMMED, 0); }},
        {"another panel active", [](int, int, int o) { DisplayPanel(o); }, [](int, int, int o) { HidePanel(o); }},
    };
    for (const auto &k : cases) {
        RestOn(60, 50);
        ASSERT_EQ(ShownTip(), "Writes both ports") << k.what;
        k.hide(panel, button, other);
        Tick();
        EXPECT_EQ(ShownTip(), "") << k.what;
        k.undo(panel, button, other);
        Leave();
    }
}

TEST_F(ToolTips, TipsOfAChildPanelShowInTheirTopLevelPanel) {
    int child = NewPanel(panel, "child", 60, 100, 100, 150);
    int inner = NewCtrl(child, CTRL_COMMAND_BUTTON, "Inner", 10, 10);
    DisplayPanel(child);
    ASSERT_EQ(SetCtrlToolTipAttribute(child, inner, ATTR_TOOLTIP_TEXT, "Inside"), 0);
    EXPECT_EQ(NewestChild(child), 0) << "one shared tip panel per top-level panel";
    RestOn(100 + 20, 60 + 15);
    EXPECT_EQ(ShownTip(), "Inside");
    EXPECT_EQ(NewestChild(panel), tipPanel) << "a shown tip is in front of the other child panels";
    Rect r = TipRect();
    EXPECT_EQ(r.top, 75 + r.height);
    DiscardPanel(child);  // its tip goes; the shared panel stays with the top level
    Tick();
    EXPECT_EQ(ShownTip(), "");
    RestOn(60, 50);
    EXPECT_EQ(ShownTip(), "Writes both ports");
}

TEST_F(ToolTips, DiscardingAControlOrThePanelWhileATipIsShown) {
    RestOn(60, 50);
    ASSERT_EQ(ShownTip(), "Writes both ports");
    ASSERT_EQ(DiscardCtrl(panel, button), 0);
    EXPECT_EQ(ShownTip(), "");
    Tick(2);
    // A top-level panel with a shown tip on a child panel's control, discarded whole: the
    // child's tips, the tip panel and the shared record all go (LeakSanitizer watches).
    size_t before = AllPanels().size();
    int top = NewPanel(0, "second", 0, 0, 200, 200);
    int child = NewPanel(top, "child", 10, 10, 150, 150);
    int inner = NewCtrl(child, CTRL_COMMAND_BUTTON, "Inner", 10, 10);
    DisplayPanel(child);
    SetCtrlToolTipAttribute(child, inner, ATTR_TOOLTIP_TEXT, "Inner tip");
    int topTips = NewestChild(top);
    SetCtrlToolTipAttribute(top, NewCtrl(top, CTRL_STRING, "", 170, 10), ATTR_TOOLTIP_TEXT, "Top tip");
    MoveMouse(top, 30, 25);
    Tick(2);
    ASSERT_EQ(ShownTip(topTips), "Inner tip");
    EXPECT_EQ(DiscardPanel(top), 0);
    EXPECT_EQ(AllPanels().size(), before);
    Tick();
}

TEST_F(ToolTips, WhatCannotBeDoneChangesNothing) {
    int oldBreak = SetBreakOnLibraryErrors(0);
    struct {
        int panel, control, attribute;
        const char *text;
        int expected;
    } cases[] = {
        {panel, entry, ATTR_TOOLTIP_TEXT + 1, "x", UIE_BAD_ATTRIBUTE},
        {panel, entry, ATTR_TEXT_COLOR, "x", UIE_BAD_ATTRIBUTE},
        {panel, entry, ATTR_TOOLTIP_TEXT, nullptr, UIE_NULL_POINTER},
        {panel + 100, entry, ATTR_TOOLTIP_TEXT, "x", UIE_BAD_PANEL},
        {panel, entry + 100, ATTR_TOOLTIP_TEXT, "x", UIE_BAD_CONTROL},
    };
    for (const auto &k : cases) {
        EXPECT_EQ(SetCtrlToolTipAttribute(k.panel, k.control, k.attribute, k.text), k.expected);
        void *tip = nullptr;
        EXPECT_EQ(GetChainedCallbackData(panel, entry, "CtrlToolTip", &tip), UIE_WRONG_ATTRIBUTE) << "no tip made";
    }
    SetBreakOnLibraryErrors(oldBreak);
}

TEST_F(ToolTips, AllocationFailuresMakeNoTip) {
    ForEachAllocationFailure([&](bool injected) {
        int fresh = NewPanel(0, "fresh", 0, 0, 100, 100);
        int control = NewCtrl(fresh, CTRL_STRING, "", 10, 10);
        int status = SetCtrlToolTipAttribute(fresh, control, ATTR_TOOLTIP_TEXT, "text");
        EXPECT_EQ(status, injected ? UIE_OUT_OF_MEMORY : 0);
        void *tip = nullptr;
        int lookup = GetChainedCallbackData(fresh, control, "CtrlToolTip", &tip);
        // The copy of the text comes last: a tip may exist then, still without a text.
        if (status == 0) {
            EXPECT_EQ(lookup, 0);
        }
        DiscardPanel(fresh);
    });
}

}  // namespace
