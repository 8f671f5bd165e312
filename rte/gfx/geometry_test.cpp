// Tests of the rectangle and point helpers and of the colour functions.
#include <gtest/gtest.h>

#include "rte/graphics.h"
#include "rte/ui.h"

TEST(Geometry, RectanglesCoverHalfOpenRanges) {
    Rect r = MakeRect(10, 20, 5, 8);  // rows 10..14, columns 20..27
    EXPECT_EQ(RectRight(r), 28);
    EXPECT_EQ(RectBottom(r), 15);
    EXPECT_TRUE(RectContainsPoint(r, MakePoint(20, 10)));
    EXPECT_TRUE(RectContainsPoint(r, MakePoint(27, 14)));
    EXPECT_FALSE(RectContainsPoint(r, MakePoint(28, 14)));
    EXPECT_FALSE(RectContainsPoint(r, MakePoint(27, 15)));
    EXPECT_FALSE(RectContainsPoint(r, MakePoint(19, 12)));
    EXPECT_FALSE(RectContainsPoint(MakeRect(0, 0, 0, 0), MakePoint(0, 0)));

    // A rectangle placed at RectRight(bounds) - width ends at the edge of bounds.
    Rect bounds = MakeRect(0, 0, 100, 100);
    Rect tip = MakeRect(0, RectRight(bounds) - 30, 10, 30);
    EXPECT_TRUE(RectContainsPoint(bounds, MakePoint(RectRight(tip) - 1, 0)));
    EXPECT_EQ(RectRight(tip), RectRight(bounds));
}

TEST(Geometry, GrowAndPin) {
    Rect r = MakeRect(10, 20, 30, 40);
    RectGrow(&r, -1, -1);
    EXPECT_EQ(r.top, 11);
    EXPECT_EQ(r.left, 21);
    EXPECT_EQ(r.height, 28);
    EXPECT_EQ(r.width, 38);
    RectGrow(&r, 5, 0);
    EXPECT_EQ(r.left, 16);
    EXPECT_EQ(r.width, 48);
    RectGrow(&r, -100, -100);  // shrinking past nothing leaves an empty rectangle
    EXPECT_EQ(r.width, 0);
    EXPECT_EQ(r.height, 0);
    RectGrow(nullptr, 1, 1);

    Rect area = MakeRect(10, 10, 20, 20);  // x and y 10..29
    Point p;
    PointPinnedToRect(MakePoint(15, 16), area, &p);
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, 16);
    PointPinnedToRect(MakePoint(-5, 100), area, &p);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 29);
    PointPinnedToRect(MakePoint(50, 50), MakeRect(3, 4, 0, 0), &p);
    EXPECT_EQ(p.x, 4);
    EXPECT_EQ(p.y, 3);
}

TEST(Colors, MakeColorAndBorderShades) {
    EXPECT_EQ(MakeColor(0x12, 0x34, 0x56), 0x123456);
    EXPECT_EQ(MakeColor(-4, 300, 255), 0x00FFFF);

    int hi, light, shadow, dark;
    ASSERT_EQ(Get3dBorderColors(0x808080, &hi, &light, &shadow, &dark), 0);
    auto red = [](int c) { return (c >> 16) & 0xFF; };
    EXPECT_GT(red(hi), red(light));
    EXPECT_GT(red(light), 0x80);
    EXPECT_LT(red(shadow), 0x80);
    EXPECT_LT(red(dark), red(shadow));
    EXPECT_EQ(Get3dBorderColors(0xCCCCCC, &hi, nullptr, &shadow, nullptr), 0);
    EXPECT_EQ(Get3dBorderColors(-1, &hi, nullptr, nullptr, nullptr), UIE_BAD_VALUE);
    EXPECT_EQ(Get3dBorderColors(VAL_TRANSPARENT, &hi, nullptr, nullptr, nullptr), UIE_BAD_VALUE);

    EXPECT_EQ(RteGetSysColor(RTE_SYSCOLOR_INFOTEXT), 0x000000);
    EXPECT_EQ(RteGetSysColor(RTE_SYSCOLOR_BTNFACE), VAL_PANEL_GRAY);
    EXPECT_EQ(RteGetSysColor(-1), UIE_BAD_VALUE);
    EXPECT_EQ(RteGetSysColor(RTE_SYSCOLOR_LAST + 1), UIE_BAD_VALUE);
    EXPECT_EQ(MenuIsOpen(), 0);
}
