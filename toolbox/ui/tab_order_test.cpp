// Tests of the tab-order walks over dimmed, hidden, indicator, button and decoration controls,
// with and without wrap, and of control lists in tab order.
#include "toolbox/ui/tab_order.h"

#include <gtest/gtest.h>

#include <vector>

#include "rte/alloc_testing.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

class TabOrder : public ::testing::Test {
protected:
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    int panel = NewPanel(0, "Tabs", 0, 0, 300, 300);
};

std::vector<int> Items(ListHandle list) {
    std::vector<int> out;
    for (int i = 1; i <= ListNumItems(list); ++i) out.push_back(*static_cast<int *>(ListGetPtrToItem(list, i)));
    return out;
}

TEST_F(TabOrder, WalksSkipWhatCannotTakeTheFocus) {
    int entry = NewCtrl(panel, CTRL_STRING, "Entry", 20, 10);
    int dimmed = NewCtrl(panel, CTRL_STRING, "Dimmed", 60, 10);
    int button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Button", 100, 10);
    int frame = NewCtrl(panel, CTRL_RAISED_FRAME, "Frame", 140, 10);
    int hidden = NewCtrl(panel, CTRL_NUMERIC, "Hidden", 180, 10);
    int indicator = NewCtrl(panel, CTRL_NUMERIC, "Indicator", 220, 10);
    int text = NewCtrl(panel, CTRL_TEXT_MSG, "Text", 250, 10);
    int toggle = NewCtrl(panel, CTRL_TOGGLE_BUTTON, "Toggle", 270, 10);
    SetCtrlAttribute(panel, dimmed, ATTR_DIMMED, 1);
    SetCtrlAttribute(panel, hidden, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, indicator, ATTR_CTRL_MODE, VAL_INDICATOR);
    const struct { int control, tabStop; } stops[] = {
        {entry, 1}, {dimmed, 0}, {button, 1}, {frame, 0}, {hidden, 0}, {indicator, 0}, {text, 0}, {toggle, 1}, {999, 0},
    };
    for (const auto &s : stops) EXPECT_EQ(CtrlCanBeTabStop(panel, s.control), s.tabStop) << s.control;

    const struct { int from, forward, wrap, expected; } walks[] = {
        {entry, 1, 1, button},  {button, 1, 1, toggle},   {toggle, 1, 1, entry},  {toggle, 1, 0, 0},
        {entry, 0, 1, toggle},  {entry, 0, 0, 0},         {toggle, 0, 0, button}, {frame, 1, 0, toggle},
        {dimmed, 0, 1, entry},  {999, 1, 1, entry},       {999, 0, 1, 0},
    };
    for (const auto &w : walks) {
        EXPECT_EQ(NextCtrlInTabOrder(panel, w.from, w.forward, w.wrap), w.expected)
            << w.from << (w.forward ? " forward" : " back") << (w.wrap ? " wrapping" : "");
    }
    EXPECT_EQ(PreviousCtrl(panel, entry, 1), toggle);
    EXPECT_EQ(PreviousCtrl(panel, entry, 0), 0);
    EXPECT_EQ(PreviousCtrl(panel, button, 0), dimmed);
    EXPECT_EQ(PreviousCtrl(panel, 999, 1), 0);

    // The first control that can take the focus gets it.
    SetCtrlAttribute(panel, entry, ATTR_DIMMED, 1);
    EXPECT_EQ(ActivateFirstCtrl(panel), 1);
    EXPECT_EQ(GetActiveCtrl(panel), button);
    // Nothing left to tab to: one pass, then 0.
    for (int c : {button, toggle}) SetCtrlAttribute(panel, c, ATTR_VISIBLE, 0);
    EXPECT_EQ(NextCtrlInTabOrder(panel, button, 1, 1), 0);
    EXPECT_EQ(NextCtrlInTabOrder(panel, 999, 1, 1), 0);
    EXPECT_EQ(ActivateFirstCtrl(panel), 0);
    // A panel that is gone, or has no controls, ends the walk at once.
    EXPECT_EQ(NextCtrlInTabOrder(987, 2, 1, 1), 0);
    EXPECT_EQ(ActivateFirstCtrl(NewPanel(0, "Empty", 0, 0, 10, 10)), 0);
}

TEST_F(TabOrder, ThreeControlsTheSecondDimmed) {
    int a = NewCtrl(panel, CTRL_STRING, "a", 20, 10);
    int b = NewCtrl(panel, CTRL_STRING, "b", 60, 10);
    int c = NewCtrl(panel, CTRL_STRING, "c", 100, 10);
    SetCtrlAttribute(panel, b, ATTR_DIMMED, 1);
    EXPECT_EQ(NextCtrlInTabOrder(panel, a, 1, 0), c);
    EXPECT_EQ(NextCtrlInTabOrder(panel, c, 1, 1), a);
    EXPECT_EQ(NextCtrlInTabOrder(panel, c, 1, 0), 0);
}

TEST_F(TabOrder, ListsInTabOrder) {
    std::vector<int> made;
    for (int i = 0; i < 5; ++i) made.push_back(NewCtrl(panel, CTRL_COMMAND_BUTTON, "b", 10 * i, 0));
    SetCtrlAttribute(panel, made[4], ATTR_CTRL_TAB_POSITION, 0);
    SetCtrlAttribute(panel, made[1], ATTR_CTRL_TAB_POSITION, 3);
    std::vector<int> tabOrder = {made[4], made[0], made[2], made[1], made[3]};
    ListHandle list = nullptr;
    ASSERT_EQ(GetCtrlList(panel, &list), 0);
    EXPECT_EQ(Items(list), tabOrder);
    // Sorting a list made in another order gives the tab order back.
    ListHandle shuffled = BuildIntegerList(5, made[3], made[1], made[0], made[4], made[2]);
    SortCtrlListByTabOrder(panel, shuffled);
    EXPECT_EQ(Items(shuffled), tabOrder);
    SortCtrlListByTabOrder(panel, nullptr);  // a NULL list is left alone
    ListDispose(shuffled);
    ListDispose(list);

    ListHandle kept = nullptr;
    EXPECT_EQ(GetCtrlList(987, &kept), UIE_BAD_PANEL);
    EXPECT_EQ(kept, nullptr);
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        ListHandle got = nullptr;
        EXPECT_EQ(GetCtrlList(panel, &got), injected ? UIE_OUT_OF_MEMORY : 0);
        EXPECT_EQ(got == nullptr, injected);
        if (got != nullptr) {
            EXPECT_EQ(Items(got), tabOrder);
        }
        ListDispose(got);
    });
}

}  // namespace
