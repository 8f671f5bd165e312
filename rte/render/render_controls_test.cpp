// Tests of the renderer through display bitmaps: pixels and regions are probed where a control
// kind must show something (a button's face, a selected list line, a label, the caret), not
// whole images, so a font update does not break them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "rte/graphics.h"
#include "rte/model/color_choice.h"
#include "rte/render/render.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

// A panel's picture, read into memory.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> bits;
    int At(int x, int y) const {
        const unsigned char *p = &bits[static_cast<size_t>(y) * 3 * width + 3 * x];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    }
    // Pixels in the region whose colour differs from `background`.
    int CountNot(int background, int top, int left, int h, int w) const {
        int n = 0;
        for (int y = top; y < top + h; ++y)
            for (int x = left; x < left + w; ++x) n += At(x, y) != background;
        return n;
    }
};

Picture Read(int bitmap) {
    Picture pic;
    int bitsSize = 0, rowBytes = 0, depth = 0;
    EXPECT_EQ(GetBitmapInfo(bitmap, nullptr, &bitsSize, nullptr), 0);
    pic.bits.resize(static_cast<size_t>(bitsSize));
    EXPECT_EQ(GetBitmapData(bitmap, &rowBytes, &depth, &pic.width, &pic.height, nullptr, pic.bits.data(), nullptr), 0);
    EXPECT_EQ(depth, 24);
    EXPECT_EQ(rowBytes, 3 * pic.width);
    EXPECT_EQ(DiscardBitmap(bitmap), 0);
    return pic;
}

Picture PanelPicture(int panel) {
    int id = 0;
    EXPECT_EQ(GetPanelDisplayBitmap(panel, VAL_FULL_PANEL, MakeRect(0, 0, VAL_TO_EDGE, VAL_TO_EDGE), &id), 0);
    return Read(id);
}

// The panel drawn with a screen's view state.
Picture ViewPicture(int panel, const rte::internal::ViewState &view) {
    int id = 0;
    EXPECT_EQ(rte::internal::PanelViewBitmap(panel, &view, &id), 0);
    return Read(id);
}

class Render : public ::testing::Test {
protected:
    void SetUp() override {
        panel = NewPanel(0, "Render", 0, 0, 200, 300);
        ASSERT_GT(panel, 0);
        ASSERT_EQ(SetPanelAttribute(panel, ATTR_BACKCOLOR, 0xC0C0C0), 0);
    }
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    int panel = 0;
};

}  // namespace

TEST_F(Render, ButtonFaceAndPressedState) {
    int button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "__Write", 20, 30);
    ASSERT_GT(button, 0);
    SetCtrlAttribute(panel, button, ATTR_WIDTH, 80);
    SetCtrlAttribute(panel, button, ATTR_FRAME_COLOR, 0x40A040);
    Picture pic = PanelPicture(panel);
    EXPECT_EQ(pic.At(0, 0), 0xC0C0C0);            // panel background
    EXPECT_EQ(pic.At(30 + 5, 20 + 4), 0x40A040);  // face, away from the caption
    EXPECT_EQ(pic.At(30 + 74, 20 + 19), 0x40A040);
    EXPECT_NE(pic.At(30, 20), 0x40A040);          // the raised border's light corner
    EXPECT_GT(pic.CountNot(0x40A040, 24, 40, 16, 60), 20);  // the caption

    rte::internal::ViewState view;
    view.pressedCtrl = button;
    Picture pressed = ViewPicture(panel, view);
    int face = pressed.At(30 + 5, 20 + 4);
    EXPECT_LT((face >> 8) & 0xFF, 0xA0);  // a pressed button's face is darker
    EXPECT_GT((face >> 8) & 0xFF, 0x60);
}

TEST_F(Render, AcceleratorEscapeUnderlinesItsCharacter) {
    int plain = NewCtrl(panel, CTRL_TEXT_MSG, "", 10, 10);
    SetCtrlAttribute(panel, plain, ATTR_TEXT_BGCOLOR, VAL_TRANSPARENT);
    SetCtrlAttribute(panel, plain, ATTR_TEXT_COLOR, VAL_BLACK);
    int frame = NewCtrl(panel, CTRL_FLAT_FRAME, "__Save", 100, 10);
    SetCtrlAttribute(panel, frame, ATTR_FRAME_COLOR, VAL_TRANSPARENT);
    int frame2 = NewCtrl(panel, CTRL_FLAT_FRAME, "Save", 140, 10);
    SetCtrlAttribute(panel, frame2, ATTR_FRAME_COLOR, VAL_TRANSPARENT);
    Picture pic = PanelPicture(panel);
    int marked = pic.CountNot(0xC0C0C0, 100, 10, 30, 80), unmarked = pic.CountNot(0xC0C0C0, 140, 10, 30, 80);
    EXPECT_GT(marked, unmarked);  // the same word plus an underline under "S"
    EXPECT_LT(marked, unmarked + 40);

    int accel = 0;
    EXPECT_EQ(rte::internal::StripAcceleratorEscape("Save __As", &accel), "Save As");
    EXPECT_EQ(accel, 5);
    EXPECT_EQ(rte::internal::StripAcceleratorEscape("a___b", &accel), "a___b");
    EXPECT_EQ(accel, -1);
    EXPECT_EQ(rte::internal::StripAcceleratorEscape("ends__", &accel), "ends__");
    EXPECT_EQ(accel, -1);
}

TEST_F(Render, ListBoxSelectionScrollingAndLabel) {
    int list = NewCtrl(panel, CTRL_LIST_BOX, "Devices", 40, 20);
    SetCtrlAttribute(panel, list, ATTR_WIDTH, 150);
    SetCtrlAttribute(panel, list, ATTR_VISIBLE_LINES, 3);  // 3 x 15 + 4 high
    for (const char *name : {"QM7300-0", "QM7300-1", "QM7300-2", "QM7300-3", "QM7300-4"}) {
        InsertListItem(panel, list, -1, name, 0);
    }
    SetCtrlIndex(panel, list, 1);
    int highlight = RteGetSysColor(RTE_SYSCOLOR_HIGHLIGHT);
    auto lineY = [](int line) { return 40 + 2 + line * 15 + 7; };
    int textRight = 20 + 150 - 2 - 14 - 3;  // clear of the text and of the scroll bar
    Picture pic = PanelPicture(panel);
    EXPECT_EQ(pic.At(textRight, lineY(0)), VAL_WHITE);
    EXPECT_EQ(pic.At(textRight, lineY(1)), highlight);
    EXPECT_EQ(pic.At(textRight, lineY(2)), VAL_WHITE);
    // The label sits above the list, at its left.
    EXPECT_GT(pic.CountNot(0xC0C0C0, 40 - 17, 20, 15, 50), 20);
    EXPECT_EQ(pic.CountNot(0xC0C0C0, 0, 0, 20, 300), 0);

    // Choosing the last item scrolls it into view on the last line.
    SetCtrlIndex(panel, list, 4);
    pic = PanelPicture(panel);
    EXPECT_EQ(pic.At(textRight, lineY(2)), highlight);
    EXPECT_EQ(pic.At(textRight, lineY(1)), VAL_WHITE);

    // On a screen the chosen line is highlighted while the list has the focus, grey without it.
    rte::internal::ViewState view;
    SetActiveCtrl(panel, list);
    EXPECT_EQ(ViewPicture(panel, view).At(textRight, lineY(2)), 0xD4D4D4);
    view.hasFocus = true;
    EXPECT_EQ(ViewPicture(panel, view).At(textRight, lineY(2)), highlight);

    view.listTop[list] = 99;  // kept in range: the last three items
    std::lock_guard<std::recursive_mutex> hold(rte::internal::ModelLock());
    auto *c = rte::internal::FindControl(rte::internal::FindPanel(panel), list);
    EXPECT_EQ(rte::internal::ListFirstVisible(*c, &view), 2);
    EXPECT_EQ(rte::internal::ListItemAt(*c, &view, 10, 2 + 15 + 3), 3);
    EXPECT_EQ(rte::internal::ListItemAt(*c, &view, 150 - 5, 10), -1);  // on the scroll bar
}

TEST_F(Render, EntriesShowValueCaretAndSelection) {
    int str = NewCtrl(panel, CTRL_STRING, "Port0", 30, 20);
    SetCtrlAttribute(panel, str, ATTR_WIDTH, 120);
    SetCtrlVal(panel, str, "255");
    Picture pic = PanelPicture(panel);
    EXPECT_GT(pic.CountNot(VAL_WHITE, 33, 23, 16, 40), 10);   // the value's digits
    EXPECT_EQ(pic.CountNot(VAL_WHITE, 33, 90, 16, 40), 0);    // nothing right of them

    SetActiveCtrl(panel, str);
    rte::internal::ViewState view;
    view.hasFocus = true;
    view.selStart = 0;
    view.selEnd = 3;
    Picture selected = ViewPicture(panel, view);
    EXPECT_GT(selected.CountNot(VAL_WHITE, 33, 23, 16, 40) , 100);  // the highlight behind the text
    view.selEnd = 0;
    view.caret = -1;
    Picture caret = ViewPicture(panel, view);
    int withCaret = caret.CountNot(VAL_WHITE, 33, 23, 16, 60);
    EXPECT_GT(withCaret, pic.CountNot(VAL_WHITE, 33, 23, 16, 60));

    int num = NewCtrl(panel, CTRL_NUMERIC, "", 80, 20);
    SetCtrlAttribute(panel, num, ATTR_WIDTH, 120);
    SetCtrlVal(panel, num, 42.0);
    pic = PanelPicture(panel);
    EXPECT_GT(pic.CountNot(VAL_WHITE, 83, 100, 16, 36), 10);  // numbers sit at the right
    EXPECT_EQ(pic.CountNot(VAL_WHITE, 83, 45, 16, 50), 0);
    // Typed into, it keeps its arrows and its text at the right.
    SetActiveCtrl(panel, num);
    view = rte::internal::ViewState();
    view.hasFocus = true;
    view.editCtrl = view.numericCtrl = num;
    view.numericEdit = "17";
    Picture typing = ViewPicture(panel, view);
    EXPECT_EQ(typing.At(20 + 4, 80 + 6), pic.At(20 + 4, 80 + 6));  // the up arrow's face
    EXPECT_NE(typing.At(20 + 4, 80 + 6), VAL_WHITE);
    EXPECT_GT(typing.CountNot(VAL_WHITE, 83, 100, 16, 36), 10);
    EXPECT_EQ(typing.CountNot(VAL_WHITE, 83, 45, 16, 50), 0);
}

// Text messages are labels on the panel: no box behind them unless the program gives them a
// background colour.
TEST_F(Render, TextMessagesStandOnThePanelUnlessGivenABackground) {
    int plain = NewCtrl(panel, CTRL_TEXT_MSG, "Status", 20, 20);
    int boxed = NewCtrl(panel, CTRL_TEXT_MSG, "Status", 60, 20);
    SetCtrlAttribute(panel, boxed, ATTR_TEXT_BGCOLOR, VAL_WHITE);
    int width = 0, background = 0;
    GetCtrlAttribute(panel, plain, ATTR_WIDTH, &width);
    GetCtrlAttribute(panel, plain, ATTR_TEXT_BGCOLOR, &background);
    EXPECT_EQ(background, VAL_WHITE);  // what a program reads stays as it was
    Picture pic = PanelPicture(panel);
    EXPECT_EQ(pic.At(20 + width - 1, 20 + 1), 0xC0C0C0);
    EXPECT_EQ(pic.At(20 + width - 1, 60 + 1), VAL_WHITE);
}

TEST_F(Render, DecorationsRingsColorsSlidesAndChildPanels) {
    int box = NewCtrl(panel, CTRL_RAISED_BOX, "", 10, 10);
    SetCtrlAttribute(panel, box, ATTR_FRAME_COLOR, 0x2050A0);
    int color = NewCtrl(panel, CTRL_COLOR_NUMERIC, "", 10, 150);
    SetCtrlVal(panel, color, 0xFF0000);
    int ring = NewCtrl(panel, CTRL_RING, "", 50, 150);
    InsertListItem(panel, ring, -1, "Port 16", 16);
    int slide = NewCtrl(panel, CTRL_HORIZONTAL_SLIDE, "", 90, 150);
    SetCtrlAttribute(panel, slide, ATTR_SHOW_DIGITAL_DISPLAY, 0);
    SetCtrlVal(panel, slide, 50.0);
    int recessed = NewCtrl(panel, CTRL_RECESSED_FRAME, "", 140, 10);
    int timer = NewCtrl(panel, CTRL_TIMER, "", 0, 0);
    ASSERT_GT(timer, 0);
    int child = NewPanel(panel, "Child", 150, 200, 30, 60);
    SetPanelAttribute(child, ATTR_BACKCOLOR, 0x00FF00);
    DisplayPanel(child);

    Picture pic = PanelPicture(panel);
    EXPECT_EQ(pic.At(10 + 50, 10 + 11), 0x2050A0);   // the box's face
    EXPECT_EQ(pic.At(150 + 20, 10 + 11), 0xFF0000);  // the colour swatch
    EXPECT_GT(pic.CountNot(VAL_WHITE, 53, 153, 16, 40), 10);  // the ring shows the chosen label
    int fill = pic.At(150 + 10, 90 + 20), empty = pic.At(150 + 90, 90 + 20);
    EXPECT_EQ(fill, 0x0000FF);                       // half full: left part filled
    EXPECT_EQ(empty, VAL_WHITE);
    EXPECT_NE(pic.At(10, 140), 0xC0C0C0);            // the recessed frame's dark edge
    EXPECT_EQ(pic.At(200 + 30, 150 + 15), 0x00FF00); // child panel's client area
    EXPECT_EQ(pic.At(200 + 57, 150 - 10), RteGetSysColor(RTE_SYSCOLOR_ACTIVECAPTION));  // its title bar
    (void)recessed;
}

TEST_F(Render, RingListOpensBelowOrAboveWithTheMarkedItem) {
    int ring = NewCtrl(panel, CTRL_RING, "Ring", 20, 30);
    SetCtrlAttribute(panel, ring, ATTR_DATA_TYPE, VAL_STRING);
    for (const char *item : {"one", "two", "three"}) InsertListItem(panel, ring, -1, item, item);
    rte::internal::ViewState view;
    view.ringPopup = ring;
    view.ringHover = 1;
    const int highlight = RteGetSysColor(RTE_SYSCOLOR_HIGHLIGHT);
    // Below the 22-pixel ring: lines of 15 pixels after a 2-pixel inset; the second one marked.
    Picture pic = ViewPicture(panel, view);
    EXPECT_EQ(pic.At(30 + 90, 42 + 2 + 15 + 1), highlight);
    EXPECT_EQ(pic.At(30 + 90, 42 + 2 + 7), VAL_WHITE);        // the first line, unmarked
    EXPECT_EQ(pic.At(30 + 90, 42 + 2 + 2 * 15 + 7), VAL_WHITE);
    EXPECT_EQ(pic.At(30 + 90, 42 + 3 * 15 + 4 + 3), 0xC0C0C0); // the panel past the list's end
    EXPECT_EQ(rte::internal::RingPopupItemAt(*rte::internal::FindPanel(panel),
                                             *rte::internal::FindControl(rte::internal::FindPanel(panel), ring), &view,
                                             40, 42 + 2 + 2 * 15 + 7),
              2);

    // Near the panel's bottom edge the list opens above the ring.
    SetCtrlAttribute(panel, ring, ATTR_TOP, 170);
    pic = ViewPicture(panel, view);
    int top = 170 - (3 * 15 + 4);
    EXPECT_EQ(pic.At(30 + 90, top + 2 + 15 + 1), highlight);
    EXPECT_EQ(pic.At(30 + 90, top - 3), 0xC0C0C0);
}

// A list line's formatting codes: the swatch is drawn at its column in its colour, the name's
// text before it, and codes the engine does not know show nothing.
TEST_F(Render, ListLinesDrawTheirFormattingCodes) {
    int list = NewCtrl(panel, CTRL_LIST_BOX, "", 10, 10);
    SetCtrlAttribute(panel, list, ATTR_WIDTH, 280);
    InsertListItem(panel, list, -1, "Red\033p150l\033fgCCCCCC\033drawfilledbox001CCCCCC\033fg00ff00\033drawfilledbox100ff0000", 1);
    InsertListItem(panel, list, -1, "\033zz\033fg12\033", 2);  // unknown and cut-short codes only
    InsertListItem(panel, list, -1, "plain", 3);
    SetCtrlIndex(panel, list, 2);  // the first lines are not highlighted
    Picture pic = PanelPicture(panel);
    int x0 = 10 + 2 + 2, y0 = 10 + 2;  // the line's text start, the first line's top
    EXPECT_EQ(pic.At(x0 + 150, y0 + 7), 0xCCCCCC);  // the 1-pixel separator
    for (int dx : {1, 50, 100}) EXPECT_EQ(pic.At(x0 + 150 + dx, y0 + 7), 0xFF0000) << dx;
    EXPECT_EQ(pic.At(x0 + 150 + 102, y0 + 7), 0xFFFFFF);  // past the swatch: the list's white
    EXPECT_GT(pic.CountNot(0xFFFFFF, y0, x0, 15, 40), 10);  // "Red" is drawn
    EXPECT_EQ(pic.CountNot(0xFFFFFF, y0, x0 + 40, 15, 100), 0);  // nothing between name and swatch
    EXPECT_EQ(pic.CountNot(0xFFFFFF, y0 + 15, x0, 15, 260), 0);  // the second line shows nothing
    // Operators and scripts read the text alone.
    EXPECT_EQ(rte::testing::ItemLabels(panel, list), (std::vector<std::string>{"Red", "", "plain"}));
    ASSERT_EQ(SetCtrlIndex(panel, list, 0), 0);
    EXPECT_EQ(rte::testing::ValueText(panel, list), "Red");
    DisplayPanel(panel);
    EXPECT_EQ(rte::testing::Select(panel, list, "plain"), 0);
    EXPECT_EQ(rte::testing::Select(panel, list, "Red"), 0);
    int value = 0;
    GetCtrlVal(panel, list, &value);
    EXPECT_EQ(value, 1);
}

// The open colour choice: the grid of colours and the custom entry's swatch, over the panel.
TEST_F(Render, TheColourChoiceShowsItsColours) {
    int colour = NewCtrl(panel, CTRL_COLOR_NUMERIC, "Colour", 20, 20);
    SetCtrlVal(panel, colour, 0x123456);
    rte::internal::ViewState view;
    view.colorChoice = colour;
    view.colorHover = 4;
    Picture pic = ViewPicture(panel, view);
    int gx = 20 + rte::internal::kColorMargin, gy = 20 + 22 + rte::internal::kColorMargin;  // below the control
    EXPECT_EQ(pic.At(gx + 4 * rte::internal::kColorCell + 10, gy + 10), 0xFF0000);  // the fifth swatch
    EXPECT_EQ(pic.At(gx + 1 * rte::internal::kColorCell + 10, gy + 10), 0x808080);
    EXPECT_EQ(pic.At(gx + 4 * rte::internal::kColorCell, gy + 10), 0x000000);  // the marked swatch's frame
    int customTop = gy + 4 * rte::internal::kColorCell + rte::internal::kColorMargin;  // with the row of greys
    EXPECT_EQ(pic.At(gx + 10, customTop + 10), 0x123456);
    view.colorTyped = "00f";
    pic = ViewPicture(panel, view);
    EXPECT_EQ(pic.At(gx + 10, customTop + 10), 0x0000FF);  // what is typed so far, once a colour
}

// An indicator set up as a progress bar: the track is filled up to the value, by blocks of the
// highlight colour (marker 3) or as one fill (marker 0, with a transparent fill colour the
// highlight colour too), and nothing past it.
TEST_F(Render, SlidesShowTheirValueAsTheirMarkerStyleSays) {
    const int highlight = RteGetSysColor(RTE_SYSCOLOR_HIGHLIGHT);
    for (int marker : {0, 3}) {
        int bar = NewCtrl(panel, CTRL_HORIZONTAL_SLIDE, "", 40, 20);
        SetCtrlAttribute(panel, bar, ATTR_WIDTH, 200);
        SetCtrlAttribute(panel, bar, ATTR_HEIGHT, 14);
        SetCtrlAttribute(panel, bar, ATTR_SHOW_DIGITAL_DISPLAY, 0);
        SetCtrlAttribute(panel, bar, ATTR_SHOW_INCDEC_ARROWS, 0);
        SetCtrlAttribute(panel, bar, ATTR_MARKER_STYLE, marker);
        SetCtrlAttribute(panel, bar, ATTR_TICK_STYLE, marker == 3 ? 3 : 0);
        SetCtrlAttribute(panel, bar, ATTR_FILL_COLOR, VAL_TRANSPARENT);
        SetCtrlVal(panel, bar, 40.0);
        Picture pic = PanelPicture(panel);
        // 40 % of the 196 inner pixels is 78: filled before, white after.
        int filled = 0, white = 0;
        for (int x = 22; x < 22 + 196; ++x) {
            int color = pic.At(x, 40 + 3);
            filled += color == highlight;
            white += color == 0xFFFFFF;
        }
        EXPECT_NEAR(filled, marker == 3 ? 78 - 2 * 78 / 12 : 78, 12) << marker;
        EXPECT_EQ(pic.At(22 + 150, 40 + 3), 0xFFFFFF) << marker;
        EXPECT_GT(white, 90) << marker;
        if (marker == 3) {
            // The value in per cent is written in the middle of the bar, past the filled part:
            // dark pixels on the white.
            int dark = 0;
            for (int yy = 42; yy < 52; ++yy) {
                for (int xx = 104; xx < 136; ++xx) dark += pic.At(xx, yy) != 0xFFFFFF && pic.At(xx, yy) != highlight;
            }
            EXPECT_GT(dark, 5);
        }
        DiscardCtrl(panel, bar);
    }
}
