// Tests of recolouring picture images: every depth, the matching threshold, the order of the
// replacements, the panel's own colours, the walk over a panel, picture rings, refusals and
// running out of memory.
#include "toolbox/ui/bitmap_colours.h"

#include <gtest/gtest.h>

#include <vector>

#include "rte/alloc_testing.h"
#include "rte/graphics.h"
#include "rte/testing.h"
#include "rte/ui.h"
#include "toolbox/core/errors.h"
#include "toolbox/ui/bitmap_colours_internal.h"

namespace {

constexpr int kOldBack = 0xC0C0C0, kNewBack = 0x204060, kOldExtra = 0x808000, kNewExtra = 0x00FF00;

int Highlight(int base) {
    int h = 0;
    Get3dBorderColors(base, &h, nullptr, nullptr, nullptr);
    return h;
}
int Shadow(int base) {
    int s = 0;
    Get3dBorderColors(base, nullptr, nullptr, &s, nullptr);
    return s;
}
int Shifted(int color, int by) { return MakeColor(((color >> 16) & 0xFF) + by, ((color >> 8) & 0xFF) + by, (color & 0xFF) + by); }

// The colours of the test images and what each becomes.
struct Pair {
    int before, after;
};
std::vector<Pair> Pairs() {
    return {
        {kOldBack, kNewBack},
        {Shifted(kOldBack, 5), kNewBack},              // 15 apart in sum: matches
        {Shifted(kOldBack, 6), Shifted(kOldBack, 6)},  // 18 apart: left alone
        {Highlight(kOldBack), Highlight(kNewBack)},
        {Shadow(kOldBack), Shadow(kNewBack)},
        {kOldExtra, kNewExtra},
        {0x123456, 0x123456},
    };
}

class BitmapColours : public ::testing::Test {
protected:
    void SetUp() override {
        panel = NewPanel(0, "Pictures", 0, 0, 300, 300);
        SetPanelAttribute(panel, ATTR_BACKCOLOR, kNewBack);
        SetPanelAttribute(panel, ATTR_EXTRA_COLOR, kNewExtra);
    }
    void TearDown() override { rte::testing::DiscardAllPanels(); }

    // Gives the control (ring item) an image of the pairs' "before" colours at a depth: one
    // pixel per colour, or one palette entry per colour with pixels 0..n-1.
    void SetImage(int control, int index, int depth) {
        std::vector<Pair> pairs = Pairs();
        int n = static_cast<int>(pairs.size());
        std::vector<int> table(256, 0x000001);
        std::vector<unsigned char> bits;
        int rowBytes;
        if (depth >= 24) {
            for (const Pair &p : pairs) {
                bits.push_back(static_cast<unsigned char>(p.before >> 16));
                bits.push_back(static_cast<unsigned char>(p.before >> 8));
                bits.push_back(static_cast<unsigned char>(p.before));
                if (depth == 32) bits.push_back(0xA5);
            }
            rowBytes = n * depth / 8;
        } else {
            int entries = 1 << depth;
            for (int i = 0; i < n && i < entries; ++i) table[static_cast<size_t>(i)] = pairs[static_cast<size_t>(i)].before;
            rowBytes = (n * depth + 7) / 8;
            bits.assign(static_cast<size_t>(rowBytes), 0);
            for (int x = 0; x < n; ++x) {
                int bit = x * depth, v = x % entries;
                bits[static_cast<size_t>(bit / 8)] |= static_cast<unsigned char>(v << (8 - depth - bit % 8));
            }
        }
        ASSERT_EQ(SetImageBits(panel, control, index, rowBytes, depth, n, 1, table.data(), bits.data(), nullptr), 0);
        pixels = bits;
    }
    // The image's colours: the colour table's first entries (palette depths) or the pixels.
    std::vector<int> Colors(int control, int index, std::vector<unsigned char> *bitsOut = nullptr) {
        int colorSize = 0, bitsSize = 0, rowBytes = 0, depth = 0, w = 0, h = 0;
        EXPECT_EQ(GetImageInfo(panel, control, index, &colorSize, &bitsSize, nullptr), 0);
        std::vector<int> table(static_cast<size_t>(colorSize / 4) + 1);
        std::vector<unsigned char> bits(static_cast<size_t>(bitsSize));
        EXPECT_EQ(GetImageBits(panel, control, index, &rowBytes, &depth, &w, &h, table.data(), bits.data(), nullptr), 0);
        if (bitsOut) *bitsOut = bits;
        std::vector<int> out;
        int n = static_cast<int>(Pairs().size());
        for (int x = 0; x < n; ++x) {
            if (depth >= 24) {
                const unsigned char *p = bits.data() + x * depth / 8;
                out.push_back(MakeColor(p[0], p[1], p[2]));
            } else if (x < (1 << depth)) {
                out.push_back(table[static_cast<size_t>(x)]);
            }
        }
        return out;
    }
    static std::vector<int> Expected(int depth, bool after) {
        std::vector<int> out;
        for (const Pair &p : Pairs()) out.push_back(after ? p.after : p.before);
        if (depth < 24 && static_cast<int>(out.size()) > (1 << depth)) out.resize(static_cast<size_t>(1) << depth);
        return out;
    }
    int panel = 0;
    std::vector<unsigned char> pixels;
};

TEST_F(BitmapColours, EveryDepthTurnsTheOldSchemeIntoThePanels) {
    for (int depth : {1, 4, 8, 24, 32}) {
        int picture = NewCtrl(panel, CTRL_PICTURE, "", 10, 10);
        SetImage(picture, 0, depth);
        std::vector<unsigned char> before = pixels;
        ASSERT_EQ(ConformCtrlBitmapToPanel(panel, picture, 0, kOldBack, -1, kOldExtra, -1), 0) << depth;
        std::vector<unsigned char> bits;
        EXPECT_EQ(Colors(picture, 0, &bits), Expected(depth, true)) << depth;
        if (depth < 24) {
            EXPECT_EQ(bits, before) << "a palette image keeps its pixel indexes";
        }
        if (depth == 32) {
            for (size_t i = 3; i < bits.size(); i += 4) EXPECT_EQ(bits[i], 0xA5) << "the fourth byte is kept";
        }
    }
}

TEST_F(BitmapColours, LaterReplacementsWinAndExplicitColoursAreUsed) {
    // The extra colour equals the old background: the extra replacement comes last and wins.
    int picture = NewCtrl(panel, CTRL_PICTURE_COMMAND_BUTTON, "", 10, 10);
    SetImage(picture, 0, 24);
    ASSERT_EQ(ConformCtrlBitmapToPanel(panel, picture, 0, kOldBack, 0x0000FF, kOldBack, 0xFF0000), 0);
    EXPECT_EQ(Colors(picture, 0)[0], 0xFF0000);
    EXPECT_EQ(Colors(picture, 0)[1], 0xFF0000);
}

TEST_F(BitmapColours, RingsAndTheWalkOverThePanel) {
    int ring = NewCtrl(panel, CTRL_PICTURE_RING, "", 10, 10);
    for (int i = 0; i < 3; ++i) InsertListItem(panel, ring, -1, "item", i);
    SetImage(ring, 0, 8);
    SetImage(ring, 1, 24);
    SetImage(ring, 2, 32);
    // One item asked for: only that item.
    ASSERT_EQ(ConformCtrlBitmapToPanel(panel, ring, 1, kOldBack, -1, kOldExtra, -1), 0);
    EXPECT_EQ(Colors(ring, 0), Expected(8, false));
    EXPECT_EQ(Colors(ring, 1), Expected(24, true));
    EXPECT_EQ(Colors(ring, 2), Expected(32, false));
    // Every item.
    ASSERT_EQ(ConformCtrlBitmapToPanel(panel, ring, -1, kOldBack, -1, kOldExtra, -1), 0);
    EXPECT_EQ(Colors(ring, 0), Expected(8, true));
    EXPECT_EQ(Colors(ring, 2), Expected(32, true));

    // The whole panel: controls that are no pictures, and pictures without images, are passed.
    NewCtrl(panel, CTRL_STRING, "text", 100, 10);
    NewCtrl(panel, CTRL_PICTURE, "", 100, 100);  // no image
    int toggle = NewCtrl(panel, CTRL_PICTURE_TOGGLE_BUTTON, "", 150, 10);
    SetImage(toggle, 0, 4);
    int ring2 = NewCtrl(panel, CTRL_PICTURE_RING, "", 200, 10);
    InsertListItem(panel, ring2, -1, "a", 0);
    InsertListItem(panel, ring2, -1, "b", 1);
    SetImage(ring2, 1, 1);
    ASSERT_EQ(ConformCtrlBitmapToPanel(panel, -1, -1, kOldBack, -1, kOldExtra, -1), 0);
    EXPECT_EQ(Colors(toggle, 0), Expected(4, true));
    EXPECT_EQ(Colors(ring2, 1), Expected(1, true));
}

TEST_F(BitmapColours, RefusalsAndMemory) {
    int text = NewCtrl(panel, CTRL_STRING, "text", 10, 10);
    int empty = NewCtrl(panel, CTRL_PICTURE, "", 50, 10);
    int picture = NewCtrl(panel, CTRL_PICTURE, "", 90, 10);
    SetImage(picture, 0, 8);
    const struct { int control, oldBack, rc; } cases[] = {
        {text, kOldBack, UIE_WRONG_ATTRIBUTE}, {empty, kOldBack, UIE_NO_IMAGE}, {999, kOldBack, UIE_BAD_CONTROL},
        {picture, -5, UIE_BAD_VALUE},
    };
    for (const auto &c : cases) EXPECT_EQ(ConformCtrlBitmapToPanel(panel, c.control, 0, c.oldBack, -1, 0, -1), c.rc);
    EXPECT_EQ(ConformCtrlBitmapToPanel(987, -1, 0, kOldBack, -1, 0, -1), UIE_BAD_PANEL);
    EXPECT_EQ(Colors(picture, 0), Expected(8, false));

    // An image of a depth this code does not know.
    ColorReplacements r;
    ASSERT_EQ(MakeColorReplacements(kOldBack, kNewBack, kOldExtra, kNewExtra, &r), 0);
    unsigned char bits[4] = {};
    int table[4] = {};
    EXPECT_EQ(RecolorImageBits(2, 16, 1, 1, table, bits, &r), TOOLBOX_ERR_UNRECOGNIZED_VALUE);
    EXPECT_EQ(RecolorImageBits(1, 2, 1, 1, table, bits, &r), TOOLBOX_ERR_UNRECOGNIZED_VALUE);

    // Out of memory at each allocation: the image stays as it was.
    int mask = NewCtrl(panel, CTRL_PICTURE, "", 130, 10);
    std::vector<int> palette(256, kOldBack);
    unsigned char one = 0, maskBits[2] = {0x80, 0};
    auto reset = [&] {
        palette.assign(256, kOldBack);
        ASSERT_EQ(SetImageBits(panel, mask, 0, 1, 8, 1, 1, palette.data(), &one, maskBits), 0);
    };
    auto firstEntry = [&] {
        GetImageBits(panel, mask, 0, nullptr, nullptr, nullptr, nullptr, palette.data(), nullptr, nullptr);
        return palette[0];
    };
    reset();
    rte::testing::FailNthAllocation(0);
    ASSERT_EQ(ConformCtrlBitmapToPanel(panel, mask, 0, kOldBack, -1, kOldExtra, -1), 0);
    long allocations = rte::testing::AllocationCount();
    EXPECT_EQ(firstEntry(), kNewBack);
    EXPECT_GE(allocations, 4);  // colour table, bits, mask, and the engine's copy
    for (long n = 1; n <= allocations; ++n) {
        reset();
        rte::testing::FailNthAllocation(n);
        EXPECT_EQ(ConformCtrlBitmapToPanel(panel, mask, 0, kOldBack, -1, kOldExtra, -1), UIE_OUT_OF_MEMORY) << n;
        rte::testing::ClearAllocationFault();
        EXPECT_EQ(firstEntry(), kOldBack) << n;
    }
}

}  // namespace
