// Tests of control layout: the arithmetic of spacing, relative placing and centring as tables, on
// controls without and with labels beside them; group attributes; z-plane and tab reordering.
#include "toolbox/ui/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "rte/alloc_testing.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

class Layout : public ::testing::Test {
protected:
    void SetUp() override { panel = NewPanel(0, "Layout", 0, 0, 600, 800); }
    void TearDown() override { rte::testing::DiscardAllPanels(); }

    // A button (its label is inside it, so its bounding rectangle is its own) of a given size.
    int Button(int top, int left, int height, int width) {
        int c = NewCtrl(panel, CTRL_COMMAND_BUTTON, "B", top, left);
        SetCtrlAttribute(panel, c, ATTR_HEIGHT, height);
        SetCtrlAttribute(panel, c, ATTR_WIDTH, width);
        return c;
    }
    // A string entry with its label above it: the bounding rectangle is larger than its own.
    int Labelled(int top, int left, const char *label = "A rather long label") {
        return NewCtrl(panel, CTRL_STRING, label, top, left);
    }
    int Bound(int control, int attribute) {
        int v = -1;
        EXPECT_EQ(GetCtrlBoundRectAttribute(panel, control, attribute, &v), 0);
        return v;
    }
    int Attr(int control, int attribute) {
        int v = -1;
        EXPECT_EQ(GetCtrlAttribute(panel, control, attribute, &v), 0);
        return v;
    }
    int panel = 0;
};

TEST_F(Layout, DistributeSpansOrSpacesTheGroup) {
    struct Case {
        int direction, mode, value;
        std::vector<int> starts;
        int end;
    } cases[] = {
        {0, 0, 100, {0, 30, 70}, 100},            // spread over 100: gaps of 20
        {0, VAL_FIXED_GAP, 5, {0, 15, 40}, 70},   // fixed gaps of 5
        {VAL_TB_DIRECTION, 0, 100, {0, 30, 70}, 100},
        {VAL_TB_DIRECTION, VAL_FIXED_GAP, -5, {0, 5, 20}, 50},  // overlapping
    };
    for (const Case &c : cases) {
        int a = Button(300, 300, 10, 10), b = Button(300, 300, 20, 20), d = Button(300, 300, 30, 30);
        int position = 0;
        ASSERT_EQ(DistributeCtrls(panel, c.direction, c.mode, &position, c.value, 3, a, b, d), 0);
        int attribute = c.direction == VAL_TB_DIRECTION ? ATTR_BOUND_TOP : ATTR_BOUND_LEFT;
        EXPECT_EQ((std::vector<int>{Bound(a, attribute), Bound(b, attribute), Bound(d, attribute)}), c.starts);
        EXPECT_EQ(position, c.end);
        // The other axis is left alone.
        EXPECT_EQ(Attr(a, c.direction == VAL_TB_DIRECTION ? ATTR_LEFT : ATTR_TOP), 300);
    }
    // Labelled controls line up by their bounding rectangles, and a call continues the row.
    int x = Labelled(200, 0), y = Labelled(200, 0);
    int position = 10;
    ASSERT_EQ(DistributeCtrls(panel, 0, VAL_FIXED_GAP, &position, 4, 1, x), 0);
    ASSERT_EQ(DistributeCtrls(panel, 0, VAL_FIXED_GAP, &position, 4, 1, y), 0);
    EXPECT_EQ(Bound(x, ATTR_BOUND_LEFT), 10);
    EXPECT_EQ(Bound(y, ATTR_BOUND_LEFT), 10 + Bound(x, ATTR_BOUND_WIDTH));
    // One control spread over a span has nothing to spread against: gap 2, position past it.
    position = 0;
    ASSERT_EQ(DistributeCtrls(panel, 0, 0, &position, 500, 1, x), 0);
    EXPECT_EQ(position, Bound(x, ATTR_BOUND_WIDTH));
    EXPECT_EQ(DistributeCtrlsInList(panel, nullptr, 0, 0, nullptr, 0), UIE_NULL_POINTER);
    position = 7;
    EXPECT_EQ(DistributeCtrlsInList(panel, nullptr, 0, 0, &position, 0), 0);
    EXPECT_EQ(position, 7);
    EXPECT_EQ(DistributeCtrls(panel, 0, 0, &position, 10, 2, x, 999), UIE_BAD_CONTROL);
}

TEST_F(Layout, RelativePositionsOfTheKeypadWithEachAlignment) {
    // Reference at top 100, left 200, 40 x 60; the control 20 x 30; gap 5.
    const int leftOf[3][3] = {{165, 165, 165}, {200, 215, 230}, {265, 265, 265}};  // [column][alignment]
    const int topOf[3][3] = {{75, 75, 75}, {100, 110, 120}, {145, 145, 145}};      // [row][alignment]
    int ref = Button(100, 200, 40, 60), c = Button(0, 0, 20, 30);
    for (int position = 0; position <= 8; ++position) {
        for (int alignment = 0; alignment <= 2; ++alignment) {
            ASSERT_EQ(PositionCtrlRelativeToCtrl(panel, ref, 0, c, 0, 5, position, alignment), 0);
            EXPECT_EQ(Attr(c, ATTR_LEFT), leftOf[position % 3][alignment]) << position << "/" << alignment;
            EXPECT_EQ(Attr(c, ATTR_TOP), topOf[position / 3][alignment]) << position << "/" << alignment;
        }
    }
    // Outside the keypad or the alignments: the undecided axis keeps its place.
    SetCtrlAttribute(panel, c, ATTR_TOP, 1);
    SetCtrlAttribute(panel, c, ATTR_LEFT, 2);
    EXPECT_EQ(PositionCtrlRelativeToCtrl(panel, ref, 0, c, 0, 5, 9, 0), 0);
    EXPECT_EQ(PositionCtrlRelativeToCtrl(panel, ref, 0, c, 0, 5, -1, 0), 0);
    EXPECT_EQ(PositionCtrlRelativeToCtrl(panel, ref, 0, c, 0, 5, 4, 3), 0);
    EXPECT_EQ(Attr(c, ATTR_TOP), 1);
    EXPECT_EQ(Attr(c, ATTR_LEFT), 2);
    EXPECT_EQ(PositionCtrlRelativeToCtrl(panel, ref, 0, c, 0, 5, 1, 7), 0);  // above; columns undecided
    EXPECT_EQ(Attr(c, ATTR_TOP), 75);
    EXPECT_EQ(Attr(c, ATTR_LEFT), 2);

    // Labelled: position 7 alignment 1 centres the control with its label under the reference's
    // bounding rectangle, 5 pixels below it.
    int lref = Labelled(300, 300, "Reference label"), lc = Labelled(0, 0, "Label");
    ASSERT_EQ(PositionCtrlRelativeToCtrl(panel, lref, 1, lc, 1, 5, 7, 1), 0);
    EXPECT_EQ(Bound(lc, ATTR_BOUND_TOP), Bound(lref, ATTR_BOUND_TOP) + Bound(lref, ATTR_BOUND_HEIGHT) + 5);
    EXPECT_EQ(Bound(lc, ATTR_BOUND_LEFT),
              Bound(lref, ATTR_BOUND_LEFT) + (Bound(lref, ATTR_BOUND_WIDTH) - Bound(lc, ATTR_BOUND_WIDTH)) / 2);
    // By its own rectangles: the control's body sits right of the reference's body.
    ASSERT_EQ(PositionCtrlRelativeToCtrl(panel, lref, 0, lc, 0, 3, 5, 0), 0);
    EXPECT_EQ(Attr(lc, ATTR_LEFT), Attr(lref, ATTR_LEFT) + Attr(lref, ATTR_WIDTH) + 3);
    EXPECT_EQ(Attr(lc, ATTR_TOP), Attr(lref, ATTR_TOP));
    EXPECT_EQ(PositionCtrlRelativeToCtrl(panel, 999, 0, lc, 0, 3, 5, 0), UIE_BAD_CONTROL);
}

TEST_F(Layout, CentringRightEdgesAndBoundingMoves) {
    int button = Button(0, 0, 20, 30), entry = Labelled(50, 50);
    struct Case {
        int control, top, left, height, width;
    } cases[] = {{button, 0, 0, 100, 100}, {button, 10, 20, 31, 41}, {entry, 0, 0, 300, 400}, {entry, 100, 100, 7, 9}};
    for (const Case &c : cases) {
        ASSERT_EQ(CenterCtrl(panel, c.control, c.top, c.left, c.height, c.width), 0);
        // The control and its label are centred together.
        EXPECT_EQ(Bound(c.control, ATTR_BOUND_TOP), c.top + (c.height - Bound(c.control, ATTR_BOUND_HEIGHT)) / 2);
        EXPECT_EQ(Bound(c.control, ATTR_BOUND_LEFT), c.left + (c.width - Bound(c.control, ATTR_BOUND_WIDTH)) / 2);
    }
    ASSERT_EQ(SetCtrlRightPosition(panel, button, 500), 0);
    EXPECT_EQ(Attr(button, ATTR_LEFT), 470);
    // Moving by the bounding rectangle puts the label's edge there; the body keeps its distance.
    int below = Attr(entry, ATTR_TOP) - Bound(entry, ATTR_BOUND_TOP);
    ASSERT_EQ(SetCtrlBoundRectAttribute(panel, entry, ATTR_TOP, 200), 0);
    EXPECT_EQ(Bound(entry, ATTR_BOUND_TOP), 200);
    EXPECT_EQ(Attr(entry, ATTR_TOP), 200 + below);
    EXPECT_EQ(SetCtrlBoundRectAttribute(panel, entry, ATTR_WIDTH, 5), UIE_OPERATION_NOT_VALID);
    EXPECT_EQ(SetCtrlBoundRectAttribute(panel, entry, ATTR_BOUND_HEIGHT, 5), UIE_OPERATION_NOT_VALID);
    EXPECT_EQ(Bound(entry, ATTR_HEIGHT), Bound(entry, ATTR_BOUND_HEIGHT));
}

TEST_F(Layout, GroupValuesExtremesAndLabelsOnTheLeft) {
    int a = Button(0, 0, 10, 5), b = Button(0, 0, 10, 9), c = Button(0, 0, 10, 9), d = Button(0, 0, 10, 1);
    int hi = 0, hiCtrl = 0, lo = 0, loCtrl = 0;
    ASSERT_EQ(AttributeMaxAndMin(panel, ATTR_WIDTH, 4, &hi, &hiCtrl, &lo, &loCtrl, a, b, c, d), 0);
    EXPECT_EQ(hi, 9);
    EXPECT_EQ(hiCtrl, b);  // ties keep the earlier control
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(loCtrl, d);
    // Count 0: the IDs run up to the first value of 1 or less.
    ASSERT_EQ(AttributeMaxAndMin(panel, ATTR_WIDTH, 0, &hi, nullptr, nullptr, &loCtrl, a, d, 0, b), 0);
    EXPECT_EQ(hi, 5);
    EXPECT_EQ(loCtrl, d);
    // No controls: nothing to compare, zeros throughout.
    hi = hiCtrl = lo = loCtrl = 77;
    ASSERT_EQ(AttrMaxAndMinForList(panel, nullptr, ATTR_WIDTH, &hi, &hiCtrl, &lo, &loCtrl), 0);
    EXPECT_EQ(hi + hiCtrl + lo + loCtrl, 0);
    EXPECT_EQ(AttributeMaxAndMin(panel, ATTR_WIDTH, 2, &hi, nullptr, nullptr, nullptr, a, 999), UIE_BAD_CONTROL);

    ASSERT_EQ(SetCtrlsToAttributeExtreme(panel, ATTR_WIDTH, 0, 3, a, b, d), 0);
    EXPECT_EQ((std::vector<int>{Attr(a, ATTR_WIDTH), Attr(b, ATTR_WIDTH), Attr(d, ATTR_WIDTH)}), (std::vector<int>{9, 9, 9}));
    ASSERT_EQ(SetAttributeForCtrls(panel, ATTR_TOP, 42, 2, a, d), 0);
    EXPECT_EQ(Attr(d, ATTR_TOP), 42);
    EXPECT_EQ(SetAttributeForCtrls(panel, 99999, 1, 1, a), UIE_BAD_ATTRIBUTE);
    // Bounding lefts lined up across labelled controls.
    int x = Labelled(100, 100, "x"), y = Labelled(140, 130, "A much longer label than x");
    ASSERT_EQ(SetCtrlsToAttributeExtreme(panel, ATTR_BOUND_LEFT, 1, 2, x, y), 0);
    EXPECT_EQ(Bound(x, ATTR_BOUND_LEFT), Bound(y, ATTR_BOUND_LEFT));

    ASSERT_EQ(PutLabelsOnLeft(panel, 6, 2, x, y), 0);
    for (int control : {x, y}) {
        EXPECT_EQ(Attr(control, ATTR_LABEL_LEFT) + Attr(control, ATTR_LABEL_WIDTH), Attr(control, ATTR_LEFT) - 6);
        EXPECT_EQ(Attr(control, ATTR_LABEL_TOP), VAL_AUTO_CENTER);
    }
    EXPECT_EQ(PutLabelOnLeft(panel, 999, 6), UIE_BAD_CONTROL);
}

TEST_F(Layout, ZPlaneAndTabOrderNextToTheReference) {
    std::vector<int> c;
    for (int i = 0; i < 6; ++i) c.push_back(Button(0, 0, 10, 10));
    // Arranges the z-plane so that ref is at refZ and moved at movedZ (the others fill in), by
    // placing each control at its position front to back.
    auto arrange = [&](int ref, int refZ, int moved, int movedZ) {
        std::vector<int> order;
        for (int control : c) {
            if (control != ref && control != moved) order.push_back(control);
        }
        order.insert(order.begin() + std::min(refZ, movedZ), refZ < movedZ ? ref : moved);
        order.insert(order.begin() + std::max(refZ, movedZ), refZ < movedZ ? moved : ref);
        for (int z = 0; z < static_cast<int>(order.size()); ++z) {
            ASSERT_EQ(SetCtrlAttribute(panel, order[static_cast<size_t>(z)], ATTR_ZPLANE_POSITION, z), 0);
        }
    };
    struct Case {
        int refZ, movedZ, expected;
        int (*op)(int, int, int);
    } cases[] = {
        {2, 5, 3, MoveBehind}, {2, 0, 2, MoveBehind}, {2, 5, 2, MoveInFront}, {2, 0, 1, MoveInFront},
        {4, 3, 4, MoveBehind}, {0, 5, 0, MoveInFront}, {5, 0, 5, MoveBehind},
    };
    for (const Case &k : cases) {
        arrange(c[0], k.refZ, c[1], k.movedZ);
        ASSERT_EQ(Attr(c[0], ATTR_ZPLANE_POSITION), k.refZ);
        ASSERT_EQ(Attr(c[1], ATTR_ZPLANE_POSITION), k.movedZ);
        ASSERT_EQ(k.op(panel, c[0], c[1]), 0);
        EXPECT_EQ(Attr(c[1], ATTR_ZPLANE_POSITION), k.expected) << k.refZ << " " << k.movedZ;
        EXPECT_EQ(Attr(c[1], ATTR_ZPLANE_POSITION) - Attr(c[0], ATTR_ZPLANE_POSITION), k.op == MoveBehind ? 1 : -1);
    }
    // Tab order: walk it by the next-control attribute after each move.
    auto order = [&] {
        std::vector<int> out;
        int id = 0;
        GetPanelAttribute(panel, ATTR_PANEL_FIRST_CTRL, &id);
        while (id > 0) {
            out.push_back(id);
            GetCtrlAttribute(panel, id, ATTR_NEXT_CTRL, &id);
        }
        return out;
    };
    ASSERT_EQ(PlaceAfter(panel, c[1], c[4]), 0);
    EXPECT_EQ(order(), (std::vector<int>{c[0], c[1], c[4], c[2], c[3], c[5]}));
    ASSERT_EQ(PlaceBefore(panel, c[1], c[5]), 0);
    EXPECT_EQ(order(), (std::vector<int>{c[0], c[5], c[1], c[4], c[2], c[3]}));
    ASSERT_EQ(PlaceAfter(panel, c[3], c[0]), 0);
    EXPECT_EQ(order(), (std::vector<int>{c[5], c[1], c[4], c[2], c[3], c[0]}));
    ASSERT_EQ(PlaceBefore(panel, c[5], c[0]), 0);
    EXPECT_EQ(order(), (std::vector<int>{c[0], c[5], c[1], c[4], c[2], c[3]}));
    EXPECT_EQ(MoveBehind(panel, 999, c[0]), UIE_BAD_CONTROL);

    ASSERT_EQ(SetCommonDialogShortcutKeys(panel, c[0], c[1], c[2]), 0);
    EXPECT_EQ(Attr(c[0], ATTR_SHORTCUT_KEY), VAL_ENTER_VKEY);
    EXPECT_EQ(Attr(c[1], ATTR_SHORTCUT_KEY), VAL_ESC_VKEY);
    int close = 0;
    GetPanelAttribute(panel, ATTR_CLOSE_CTRL, &close);
    EXPECT_EQ(close, c[2]);
    EXPECT_EQ(SetCommonDialogShortcutKeys(panel, 0, -1, 0), 0);
    EXPECT_EQ(SetCommonDialogShortcutKeys(panel, 999, 0, 0), UIE_BAD_CONTROL);
}

TEST_F(Layout, VariableArgumentFormsRunOutOfMemoryCleanly) {
    int a = Button(0, 0, 10, 10), b = Button(0, 0, 10, 10);
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        SetCtrlAttribute(panel, b, ATTR_TOP, 0);
        int rc = SetAttributeForCtrls(panel, ATTR_TOP, 33, 2, a, b);
        EXPECT_EQ(rc, injected ? UIE_OUT_OF_MEMORY : 0);
        if (!injected) {
            EXPECT_EQ(Attr(b, ATTR_TOP), 33);
        }
    });
}

TEST(LayoutDeathTest, AttributesOutsideTheBoundingSetAreProgrammingErrors) {
    int panel = NewPanel(0, "Death", 0, 0, 100, 100);
    int c = NewCtrl(panel, CTRL_STRING, "x", 30, 10);
    int v = 0;
    EXPECT_DEATH(GetCtrlBoundRectAttribute(panel, c, ATTR_VISIBLE, &v), "Bad attribute passed to GetCtrlBoundRectAttribute\\(\\)");
    EXPECT_DEATH(SetCtrlBoundRectAttribute(panel, c, 6004, 1), "Bad attribute passed to SetCtrlBoundRectAttribute\\(\\)");
    DiscardPanel(panel);
}

}  // namespace
