// Tests of display bitmaps: sizes, scaling, the bitmap table and every failure path.
#include <gtest/gtest.h>

#include <vector>

#include "rte/alloc_testing.h"
#include "rte/graphics.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

class DisplayBitmap : public ::testing::Test {
protected:
    void SetUp() override {
        panel = NewPanel(0, "Bitmaps", 0, 0, 120, 200);
        button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "OK", 40, 50);
        str = NewCtrl(panel, CTRL_STRING, "Name", 80, 50);
        ASSERT_GT(str, 0);
    }
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    void ExpectSize(int id, int height, int width) {
        int h = 0, w = 0, bitsSize = 0, colorSize = -1, maskSize = -1;
        ASSERT_EQ(GetBitmapInfo(id, &colorSize, &bitsSize, &maskSize), 0);
        EXPECT_EQ(colorSize, 0);
        EXPECT_EQ(maskSize, 0);
        ASSERT_EQ(GetBitmapData(id, nullptr, nullptr, &w, &h, nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(h, height);
        EXPECT_EQ(w, width);
        EXPECT_EQ(bitsSize, 3 * w * h);
        EXPECT_EQ(DiscardBitmap(id), 0);
    }
    int panel = 0, button = 0, str = 0;
};

}  // namespace

TEST_F(DisplayBitmap, SizesFollowTheControlThePanelAndTheScale) {
    int id = 0, top, left, height, width;
    ASSERT_EQ(GetCtrlDisplayBitmap(panel, button, 0, &id), 0);
    int labelWidth = 0;
    ASSERT_EQ(GetTextDisplaySize("OK", VAL_DIALOG_FONT, nullptr, &labelWidth), 0);
    ExpectSize(id, 24, labelWidth + 20);  // a button is its label's width + 20 wide, 24 high
    ASSERT_EQ(GetCtrlBoundingRect(panel, str, &top, &left, &height, &width), 0);
    ASSERT_EQ(GetCtrlDisplayBitmap(panel, str, 1, &id), 0);
    ExpectSize(id, height, width);
    ASSERT_EQ(GetCtrlDisplayBitmap(panel, str, 0, &id), 0);
    ExpectSize(id, 22, 100);

    ASSERT_EQ(GetScaledCtrlDisplayBitmap(panel, str, 0, 44, 50, &id), 0);
    ExpectSize(id, 44, 50);
    ASSERT_EQ(GetScaledCtrlDisplayBitmap(panel, str, 0, VAL_KEEP_SIZE, 50, &id), 0);
    ExpectSize(id, 11, 50);  // proportions kept
    ASSERT_EQ(GetScaledCtrlDisplayBitmap(panel, str, 0, 44, VAL_KEEP_SIZE, &id), 0);
    ExpectSize(id, 44, 200);

    ASSERT_EQ(GetPanelDisplayBitmap(panel, VAL_VISIBLE_AREA, MakeRect(0, 0, VAL_TO_EDGE, VAL_TO_EDGE), &id), 0);
    ExpectSize(id, 120, 200);
    ASSERT_EQ(GetPanelDisplayBitmap(panel, VAL_FULL_PANEL, MakeRect(20, 30, VAL_TO_EDGE, 10), &id), 0);
    ExpectSize(id, 100, 10);
    ASSERT_EQ(GetScaledPanelDisplayBitmap(panel, VAL_FULL_PANEL, MakeRect(0, 0, 120, 200), 60, 100, &id), 0);
    ExpectSize(id, 60, 100);

    // Two bitmaps are two IDs; a discarded ID stays invalid.
    int a = 0, b = 0;
    ASSERT_EQ(GetCtrlDisplayBitmap(panel, button, 0, &a), 0);
    ASSERT_EQ(GetCtrlDisplayBitmap(panel, button, 0, &b), 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(DiscardBitmap(a), 0);
    EXPECT_EQ(DiscardBitmap(a), UIE_BAD_BITMAP);
    EXPECT_EQ(GetBitmapInfo(a, nullptr, nullptr, nullptr), UIE_BAD_BITMAP);
    EXPECT_EQ(GetBitmapData(a, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), UIE_BAD_BITMAP);
    EXPECT_EQ(DiscardBitmap(b), 0);
}

TEST_F(DisplayBitmap, RefusesBadArgumentsWithoutMakingABitmap) {
    int id = -7;
    Rect all = MakeRect(0, 0, VAL_TO_EDGE, VAL_TO_EDGE);
    EXPECT_EQ(GetCtrlDisplayBitmap(panel + 100, button, 0, &id), UIE_BAD_PANEL);
    EXPECT_EQ(GetCtrlDisplayBitmap(panel, 999, 0, &id), UIE_BAD_CONTROL);
    EXPECT_EQ(GetCtrlDisplayBitmap(panel, button, 0, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(GetCtrlDisplayBitmap(panel, button, 2, &id), UIE_BAD_VALUE);
    int timer = NewCtrl(panel, CTRL_TIMER, "", 0, 0);
    EXPECT_EQ(GetCtrlDisplayBitmap(panel, timer, 0, &id), UIE_BAD_VALUE);  // no pixels to show
    EXPECT_EQ(GetScaledCtrlDisplayBitmap(panel, button, 0, 0, 10, &id), UIE_BAD_VALUE);
    EXPECT_EQ(GetScaledCtrlDisplayBitmap(panel, button, 0, 10, -2, &id), UIE_BAD_VALUE);
    EXPECT_EQ(GetScaledCtrlDisplayBitmap(panel, button, 0, 10, 100000, &id), UIE_BAD_VALUE);
    EXPECT_EQ(GetPanelDisplayBitmap(panel + 100, VAL_FULL_PANEL, all, &id), UIE_BAD_PANEL);
    EXPECT_EQ(GetPanelDisplayBitmap(panel, 7, all, &id), UIE_BAD_VALUE);
    EXPECT_EQ(GetPanelDisplayBitmap(panel, VAL_FULL_PANEL, MakeRect(0, 0, 0, 10), &id), UIE_BAD_VALUE);
    EXPECT_EQ(GetPanelDisplayBitmap(panel, VAL_FULL_PANEL, MakeRect(200, 0, VAL_TO_EDGE, 10), &id), UIE_BAD_VALUE);
    EXPECT_EQ(GetPanelDisplayBitmap(panel, VAL_FULL_PANEL, all, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(GetScaledPanelDisplayBitmap(panel, VAL_FULL_PANEL, all, -3, 10, &id), UIE_BAD_VALUE);
    EXPECT_EQ(id, -7);
}

TEST_F(DisplayBitmap, OutOfMemoryLeavesNoBitmap) {
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        int id = -7;
        int rc = GetScaledPanelDisplayBitmap(panel, VAL_FULL_PANEL, MakeRect(0, 0, 50, 50), 20, 20, &id);
        if (injected) {
            EXPECT_EQ(rc, UIE_OUT_OF_MEMORY);
            EXPECT_EQ(id, -7);
        } else {
            ASSERT_EQ(rc, 0);
            EXPECT_EQ(DiscardBitmap(id), 0);
        }
    });
}
