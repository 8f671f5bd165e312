// Tests of picture-control images: setting, reading back, drawing and the failure paths.
#include <gtest/gtest.h>

#include <vector>

#include "rte/alloc_testing.h"
#include "rte/graphics.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

class Images : public ::testing::Test {
protected:
    void SetUp() override {
        panel = NewPanel(0, "Images", 0, 0, 100, 100);
        picture = NewCtrl(panel, CTRL_PICTURE, "", 10, 10);
        SetCtrlAttribute(panel, picture, ATTR_WIDTH, 4);
        SetCtrlAttribute(panel, picture, ATTR_HEIGHT, 2);
        ASSERT_GT(picture, 0);
    }
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    int PanelPixel(int x, int y) {
        int id = 0;
        EXPECT_EQ(GetPanelDisplayBitmap(panel, VAL_FULL_PANEL, MakeRect(y, x, 1, 1), &id), 0);
        unsigned char rgb[3] = {};
        EXPECT_EQ(GetBitmapData(id, nullptr, nullptr, nullptr, nullptr, nullptr, rgb, nullptr), 0);
        DiscardBitmap(id);
        return (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
    }
    int panel = 0, picture = 0;
};

}  // namespace

TEST_F(Images, PaletteImageRoundTripsAndIsDrawn) {
    // 4 x 2 pixels of 8 bits; rows padded to 8 bytes.
    std::vector<int> table(256, 0);
    table[1] = 0xFF0000;
    table[2] = 0x00FF00;
    unsigned char bits[16] = {1, 2, 1, 2, 9, 9, 9, 9, 2, 2, 1, 1, 9, 9, 9, 9};
    ASSERT_EQ(SetImageBits(panel, picture, 0, 8, 8, 4, 2, table.data(), bits, nullptr), 0);

    int colorSize, bitsSize, maskSize;
    ASSERT_EQ(GetImageInfo(panel, picture, 0, &colorSize, &bitsSize, &maskSize), 0);
    EXPECT_EQ(colorSize, 1024);
    EXPECT_EQ(bitsSize, 16);
    EXPECT_EQ(maskSize, 0);
    std::vector<int> tableOut(256);
    unsigned char bitsOut[16];
    int rowBytes, depth, width, height;
    ASSERT_EQ(GetImageBits(panel, picture, 0, &rowBytes, &depth, &width, &height, tableOut.data(), bitsOut, nullptr), 0);
    EXPECT_EQ(rowBytes, 8);
    EXPECT_EQ(depth, 8);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(tableOut, table);
    EXPECT_EQ(std::vector<unsigned char>(bitsOut, bitsOut + 16), std::vector<unsigned char>(bits, bits + 16));

    EXPECT_EQ(PanelPixel(10, 10), 0xFF0000);
    EXPECT_EQ(PanelPixel(11, 10), 0x00FF00);
    EXPECT_EQ(PanelPixel(13, 11), 0xFF0000);

    // Changing only the colour table recolours the picture.
    table[1] = 0x0000FF;
    ASSERT_EQ(SetImageBits(panel, picture, 0, 8, 8, 4, 2, table.data(), bits, nullptr), 0);
    EXPECT_EQ(PanelPixel(10, 10), 0x0000FF);
}

TEST_F(Images, TrueColourMasksAndRings) {
    // 24 bits, red green blue per pixel; the mask hides the second pixel of each row.
    unsigned char rgb[24] = {};
    for (int i = 0; i < 8; ++i) rgb[3 * i + 1] = 0xFF;  // all green
    unsigned char mask[4] = {0xB0, 0, 0xB0, 0};        // pixels 0, 2, 3 drawn
    ASSERT_EQ(SetImageBits(panel, picture, 5, 12, 24, 4, 2, nullptr, rgb, mask), 0);  // index taken as 0
    int maskSize = 0;
    ASSERT_EQ(GetImageInfo(panel, picture, 0, nullptr, nullptr, &maskSize), 0);
    EXPECT_EQ(maskSize, 4);
    EXPECT_EQ(PanelPixel(10, 10), 0x00FF00);
    EXPECT_EQ(PanelPixel(11, 10), VAL_PANEL_GRAY);  // masked out: the panel shows through

    int ring = NewCtrl(panel, CTRL_PICTURE_RING, "", 50, 10);
    InsertListItem(panel, ring, -1, "a", 0);
    InsertListItem(panel, ring, -1, "b", 1);
    unsigned char px32[4] = {0x12, 0x34, 0x56, 0};
    ASSERT_EQ(SetImageBits(panel, ring, 1, 4, 32, 1, 1, nullptr, px32, nullptr), 0);
    EXPECT_EQ(GetImageInfo(panel, ring, 0, nullptr, nullptr, nullptr), UIE_NO_IMAGE);
    EXPECT_EQ(GetImageInfo(panel, ring, 1, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GetImageInfo(panel, ring, 2, nullptr, nullptr, nullptr), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(SetImageBits(panel, ring, -1, 4, 32, 1, 1, nullptr, px32, nullptr), UIE_INDEX_OUT_OF_RANGE);

    // A control made later under the ID of a discarded one has no image.
    ASSERT_EQ(DiscardCtrl(panel, ring), 0);
    int again = NewCtrl(panel, CTRL_PICTURE_RING, "", 50, 10);
    ASSERT_EQ(again, ring);
    InsertListItem(panel, again, -1, "a", 0);
    InsertListItem(panel, again, -1, "b", 1);
    EXPECT_EQ(GetImageInfo(panel, again, 1, nullptr, nullptr, nullptr), UIE_NO_IMAGE);
}

TEST_F(Images, FailuresChangeNothing) {
    unsigned char bits[16] = {};
    int table[256] = {};
    EXPECT_EQ(GetImageInfo(panel, picture, 0, nullptr, nullptr, nullptr), UIE_NO_IMAGE);
    EXPECT_EQ(GetImageBits(panel, picture, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), UIE_NO_IMAGE);
    int button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "OK", 50, 50);
    EXPECT_EQ(SetImageBits(panel, button, 0, 4, 8, 4, 1, table, bits, nullptr), UIE_WRONG_ATTRIBUTE);
    EXPECT_EQ(GetImageInfo(panel + 50, picture, 0, nullptr, nullptr, nullptr), UIE_BAD_PANEL);
    EXPECT_EQ(GetImageInfo(panel, 999, 0, nullptr, nullptr, nullptr), UIE_BAD_CONTROL);
    EXPECT_EQ(SetImageBits(panel, picture, 0, 4, 8, 4, 1, table, nullptr, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(SetImageBits(panel, picture, 0, 4, 8, 4, 1, nullptr, bits, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(SetImageBits(panel, picture, 0, 4, 16, 4, 1, table, bits, nullptr), UIE_BAD_VALUE);
    EXPECT_EQ(SetImageBits(panel, picture, 0, 4, 8, 0, 1, table, bits, nullptr), UIE_BAD_VALUE);
    EXPECT_EQ(SetImageBits(panel, picture, 0, 3, 8, 4, 1, table, bits, nullptr), UIE_BAD_VALUE);  // row too short
    EXPECT_EQ(SetImageBits(panel, picture, 0, 1, 1, 9, 1, table, bits, nullptr), UIE_BAD_VALUE);
    EXPECT_EQ(SetImageBits(panel, picture, 0, 2, 1, 9, 1, table, bits, nullptr), 0);  // 9 bits in 2 bytes
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        int fresh = NewCtrl(panel, CTRL_PICTURE, "", 60, 60);
        int rc = SetImageBits(panel, fresh, 0, 4, 4, 8, 2, table, bits, nullptr);
        EXPECT_EQ(rc, injected ? UIE_OUT_OF_MEMORY : 0);
        EXPECT_EQ(GetImageInfo(panel, fresh, 0, nullptr, nullptr, nullptr), injected ? UIE_NO_IMAGE : 0);
    });
}
