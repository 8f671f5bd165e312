// Tests of recessed frames: the companion's place, size and order, its link, a second attempt,
// and a whole panel with its child panels.
#include "toolbox/ui/ui_services.h"

#include "rte/engine.h"
#include "rte/testing.h"
#include "toolbox/ui/callback_chain.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

int Attr(int panel, int control, int attribute) {
    int value = -1;
    GetCtrlAttribute(panel, control, attribute, &value);
    return value;
}

// The companion of a recessed frame: the data of its "RecessedFrame" link, 0 when none.
int Companion(int panel, int control) {
    void *data = nullptr;
    if (GetChainedCallbackData(panel, control, "RecessedFrame", &data) < 0) return 0;
    return static_cast<int>(reinterpret_cast<intptr_t>(data));
}

int Count(int panel) {
    int n = 0;
    GetPanelAttribute(panel, ATTR_NUM_CTRLS, &n);
    return n;
}

TEST(RecessedFrames, ARecessedFrameLiesBehindTheFrameOnePixelInside) {
    int panel = NewPanel(0, "frames", 0, 0, 300, 300);
    NewCtrl(panel, CTRL_STRING, "", 200, 10);
    int frame = NewCtrl(panel, CTRL_FLAT_FRAME, "Ports", 20, 30);
    SetCtrlAttribute(panel, frame, ATTR_WIDTH, 120);
    SetCtrlAttribute(panel, frame, ATTR_HEIGHT, 80);
    ASSERT_EQ(RecessCtrlFrame(panel, frame), 0);
    int companion = Companion(panel, frame);
    ASSERT_GT(companion, 0);
    EXPECT_EQ(Attr(panel, companion, ATTR_CTRL_STYLE), CTRL_RECESSED_FRAME);
    EXPECT_EQ(std::vector<int>({Attr(panel, companion, ATTR_TOP), Attr(panel, companion, ATTR_LEFT),
                                Attr(panel, companion, ATTR_HEIGHT), Attr(panel, companion, ATTR_WIDTH)}),
              std::vector<int>({21, 31, 78, 118}));
    EXPECT_EQ(Attr(panel, frame, ATTR_FRAME_COLOR), VAL_TRANSPARENT);
    EXPECT_EQ(Attr(panel, frame, ATTR_ZPLANE_POSITION), 0);
    EXPECT_EQ(Attr(panel, companion, ATTR_ZPLANE_POSITION), 1) << "two controls before it: behind the frame";
    // A second time: refused, and no second companion is left behind.
    EXPECT_EQ(RecessCtrlFrame(panel, frame), UIE_WRONG_ATTRIBUTE);
    EXPECT_EQ(Count(panel), 3);
    int oldBreak = SetBreakOnLibraryErrors(0);
    EXPECT_EQ(RecessCtrlFrame(panel, frame + 100), UIE_BAD_CONTROL);
    EXPECT_EQ(RecessCtrlFrame(panel + 100, frame), UIE_BAD_PANEL);
    SetBreakOnLibraryErrors(oldBreak);
    DiscardPanel(panel);
}

TEST(RecessedFrames, AWholePanelWithItsChildPanels) {
    int panel = NewPanel(0, "frames", 0, 0, 300, 300);
    int raised = NewCtrl(panel, CTRL_RAISED_FRAME, "", 10, 10);
    int flat = NewCtrl(panel, CTRL_FLAT_FRAME, "", 100, 10);
    int box = NewCtrl(panel, CTRL_RAISED_BOX, "", 200, 10);
    int child = NewPanel(panel, "child", 10, 150, 100, 100);
    int inner = NewCtrl(child, CTRL_FLAT_FRAME, "", 5, 5);
    int grandchild = NewPanel(child, "grandchild", 50, 50, 40, 40);
    int deepest = NewCtrl(grandchild, CTRL_RAISED_FRAME, "", 5, 5);
    ASSERT_EQ(RecessAllCtrlFrames(panel), 0);
    EXPECT_GT(Companion(panel, raised), 0);
    EXPECT_GT(Companion(panel, flat), 0);
    EXPECT_EQ(Companion(panel, box), 0) << "only frames";
    EXPECT_GT(Companion(child, inner), 0);
    EXPECT_GT(Companion(grandchild, deepest), 0);
    EXPECT_EQ(Count(panel), 5);
    // A second walk stops at the first frame, which has its companion already.
    EXPECT_EQ(RecessAllCtrlFrames(panel), UIE_WRONG_ATTRIBUTE);
    EXPECT_EQ(Count(panel), 5);
    int oldBreak = SetBreakOnLibraryErrors(0);
    EXPECT_EQ(RecessAllCtrlFrames(panel + 100), UIE_BAD_PANEL);
    SetBreakOnLibraryErrors(oldBreak);
    DiscardPanel(panel);
}

}  // namespace
