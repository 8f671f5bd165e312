// Tests of ring sizing: the widest label, measured in the ring's own font, plus the arrow's room
// for each ring style; labels of any length; refused styles; running out of memory.
#include "toolbox/ui/ring_sizing.h"

#include <gtest/gtest.h>

#include <string>

#include "rte/alloc_testing.h"
#include "rte/graphics.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

class RingSizing : public ::testing::Test {
protected:
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    int panel = NewPanel(0, "Rings", 0, 0, 300, 300);
    int Width(int control) {
        int w = -1;
        GetCtrlAttribute(panel, control, ATTR_WIDTH, &w);
        return w;
    }
};

// The width of a text in a font made like the control's.
int Measured(const std::string &text, int size, int bold) {
    EXPECT_EQ(CreateMetaFont("RingSizingTestFont", "Dialog", size, bold, 0, 0, 0), 0);
    int w = 0;
    EXPECT_EQ(GetTextDisplaySize(text.c_str(), "RingSizingTestFont", nullptr, &w), 0);
    return w;
}

TEST_F(RingSizing, WidestLabelPlusTheArrow) {
    const std::string longest = "a much longer label", huge(300, 'W');
    struct Case {
        int style, extra, size, bold;
        std::string widest;
    } cases[] = {
        {CTRL_RING, 19, 13, 0, longest}, {CTRL_MENU_RING, 21, 13, 0, longest},
        {CTRL_RING, 19, 20, 1, longest}, {CTRL_RING, 19, 13, 0, huge},
    };
    for (const Case &c : cases) {
        int ring = NewCtrl(panel, c.style, "Ring", 20, 20);
        SetCtrlAttribute(panel, ring, ATTR_TEXT_POINT_SIZE, c.size);
        SetCtrlAttribute(panel, ring, ATTR_TEXT_BOLD, c.bold);
        InsertListItem(panel, ring, -1, "short", 1);
        InsertListItem(panel, ring, -1, c.widest.c_str(), 2);
        InsertListItem(panel, ring, -1, "mid size", 3);
        ASSERT_EQ(SizeRingCtrlToText(panel, ring), 0);
        EXPECT_EQ(Width(ring), Measured(c.widest, c.size, c.bold) + c.extra) << c.style << " " << c.widest.size();
    }
    // An empty ring is just its arrow.
    int empty = NewCtrl(panel, CTRL_RING, "Empty", 20, 20);
    ASSERT_EQ(SizeRingCtrlToText(panel, empty), 0);
    EXPECT_EQ(Width(empty), 19);
    // The measuring metafont no longer stands for the ring's font.
    int h = 0;
    EXPECT_EQ(GetTextDisplaySize("x", "___RingMetaFont", &h, nullptr), 0);
    EXPECT_EQ(h, [] {
        int bogus = 0;
        CreateMetaFont("RingSizingBogus", "bogusfont", 6, 1, 1, 1, 1);
        GetTextDisplaySize("x", "RingSizingBogus", &bogus, nullptr);
        return bogus;
    }());
}

TEST_F(RingSizing, RefusalsAndMemory) {
    int list = NewCtrl(panel, CTRL_LIST_BOX, "List", 20, 20);
    int width = Width(list);
    EXPECT_EQ(SizeRingCtrlToText(panel, list), UIE_WRONG_ATTRIBUTE);
    EXPECT_EQ(Width(list), width);
    EXPECT_EQ(SizeRingCtrlToText(panel, 999), UIE_BAD_CONTROL);
    EXPECT_EQ(SizeRingCtrlToText(987, 2), UIE_BAD_PANEL);
    int ring = NewCtrl(panel, CTRL_RING, "Ring", 20, 20);
    InsertListItem(panel, ring, -1, "one", 1);
    InsertListItem(panel, ring, -1, "two items", 2);
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        SetCtrlAttribute(panel, ring, ATTR_WIDTH, 5);
        EXPECT_EQ(SizeRingCtrlToText(panel, ring), injected ? UIE_OUT_OF_MEMORY : 0);
        EXPECT_EQ(Width(ring) == 5, injected);
    });
}

}  // namespace
