// Tests of text measurement and metafonts.
#include <gtest/gtest.h>

#include <string>

#include "rte/graphics.h"
#include "rte/ui.h"

namespace {

int Width(const char *text, const char *font) {
    int w = -1;
    EXPECT_EQ(GetTextDisplaySize(text, font, nullptr, &w), 0) << font;
    return w;
}

}  // namespace

TEST(TextSize, GrowsWithTextAndFontSize) {
    int h = 0, w = 0;
    ASSERT_EQ(GetTextDisplaySize("Read", VAL_DIALOG_FONT, &h, &w), 0);
    EXPECT_GT(h, 8);
    EXPECT_GT(w, 10);
    EXPECT_GT(Width("Read ports", VAL_DIALOG_FONT), w);
    EXPECT_EQ(Width("", VAL_DIALOG_FONT), 0);

    int twoLines = 0;
    ASSERT_EQ(GetTextDisplaySize("a\nb", VAL_DIALOG_FONT, &twoLines, nullptr), 0);
    EXPECT_GE(twoLines, 2 * h - 2);

    ASSERT_EQ(CreateMetaFont("TestBig", "DejaVu Sans", 26, 0, 0, 0, 0), 0);
    ASSERT_EQ(CreateMetaFont("TestSmall", "DejaVu Sans", 13, 0, 0, 0, 0), 0);
    EXPECT_GT(Width("Version", "TestBig"), Width("Version", "TestSmall") * 3 / 2);
    ASSERT_EQ(CreateMetaFont("TestSmallBold", "TestSmall", 13, 1, 0, 0, 0), 0);
    EXPECT_GT(Width("Version", "TestSmallBold"), Width("Version", "TestSmall"));
}

TEST(TextSize, MetafontMeasuresLikeItsTypeface) {
    // A typeface named directly is measured at 13 points without flags, as the metafont is.
    ASSERT_EQ(CreateMetaFont("TestMono", "DejaVu Sans Mono", 13, 0, 0, 0, 0), 0);
    EXPECT_EQ(Width("QM7300-0", "TestMono"), Width("QM7300-0", "DejaVu Sans Mono"));
    EXPECT_EQ(Width("QM7300-0", "dejavu sans mono"), Width("QM7300-0", "DejaVu Sans Mono"));
    // Monospaced: every character the same width.
    EXPECT_EQ(Width("iiii", "TestMono"), Width("WWWW", "TestMono"));
    EXPECT_NE(Width("iiii", VAL_DIALOG_FONT), Width("WWWW", VAL_DIALOG_FONT));

    // Redefining a metafont changes what it measures.
    ASSERT_EQ(CreateMetaFont("TestMono", "DejaVu Sans Mono", 30, 0, 0, 0, 0), 0);
    EXPECT_GT(Width("QM7300-0", "TestMono"), Width("QM7300-0", "DejaVu Sans Mono"));
}

TEST(TextSize, UnknownNamesAndBadArguments) {
    int h = 5, w = 5;
    EXPECT_EQ(GetTextDisplaySize("sample", "NoSuchFontAnywhere", &h, &w), UIE_BAD_FONT);
    EXPECT_EQ(h, 5);
    EXPECT_EQ(GetTextDisplaySize(nullptr, VAL_DIALOG_FONT, &h, &w), UIE_NULL_POINTER);
    EXPECT_EQ(GetTextDisplaySize("x", nullptr, &h, &w), UIE_NULL_POINTER);
    for (const char *name : {VAL_DIALOG_META_FONT, VAL_EDITOR_META_FONT, VAL_MENU_META_FONT, VAL_APP_META_FONT,
                             VAL_MESSAGE_BOX_META_FONT, VAL_7SEG_META_FONT, "sans", "Serif", "monospace"}) {
        EXPECT_GT(Width("x", name), 0);
    }

    // A metafont of a typeface the machine lacks is drawn with a substitute and measures.
    ASSERT_EQ(CreateMetaFont("TestBogus", "bogusfont", 6, 1, 1, 1, 1), 0);
    EXPECT_GT(Width("x", "TestBogus"), 0);

    EXPECT_EQ(CreateMetaFont(nullptr, "sans", 13, 0, 0, 0, 0), UIE_NULL_POINTER);
    EXPECT_EQ(CreateMetaFont("X", nullptr, 13, 0, 0, 0, 0), UIE_NULL_POINTER);
    EXPECT_EQ(CreateMetaFont("", "sans", 13, 0, 0, 0, 0), UIE_BAD_VALUE);
    EXPECT_EQ(CreateMetaFont(std::string(256, 'm').c_str(), "sans", 13, 0, 0, 0, 0), UIE_BAD_VALUE);
    EXPECT_EQ(CreateMetaFont("X", "", 13, 0, 0, 0, 0), UIE_BAD_VALUE);
    EXPECT_EQ(CreateMetaFont("X", "sans", 0, 0, 0, 0, 0), UIE_BAD_VALUE);
    EXPECT_EQ(CreateMetaFont("X", "sans", 513, 0, 0, 0, 0), UIE_BAD_VALUE);
    EXPECT_EQ(CreateMetaFont("X", "sans", 13, 2, 0, 0, 0), UIE_BAD_VALUE);
    EXPECT_EQ(CreateMetaFont("X", "sans", 13, 0, 0, 0, -1), UIE_BAD_VALUE);
    EXPECT_EQ(GetTextDisplaySize("x", "X", &h, &w), UIE_BAD_FONT);  // nothing was made
}

TEST(TextSize, ControlsTakeAMetafontsSizeAndFlags) {
    ASSERT_EQ(CreateMetaFont("TestCaption", "DejaVu Serif", 20, 1, 0, 1, 0), 0);
    int panel = NewPanel(0, "Fonts", 0, 0, 50, 50);
    int text = NewCtrl(panel, CTRL_TEXT_MSG, "Sample", 0, 0);
    ASSERT_EQ(SetCtrlAttribute(panel, text, ATTR_TEXT_FONT, "TestCaption"), 0);
    int size = 0, bold = 0, underline = 0, italic = 1;
    GetCtrlAttribute(panel, text, ATTR_TEXT_POINT_SIZE, &size);
    GetCtrlAttribute(panel, text, ATTR_TEXT_BOLD, &bold);
    GetCtrlAttribute(panel, text, ATTR_TEXT_UNDERLINE, &underline);
    GetCtrlAttribute(panel, text, ATTR_TEXT_ITALIC, &italic);
    EXPECT_EQ(size, 20);
    EXPECT_EQ(bold, 1);
    EXPECT_EQ(underline, 1);
    EXPECT_EQ(italic, 0);
    char name[256];
    GetCtrlAttribute(panel, text, ATTR_TEXT_FONT, name);
    EXPECT_STREQ(name, "TestCaption");
    // Changing one of its properties leaves the typeface it stood for.
    ASSERT_EQ(SetCtrlAttribute(panel, text, ATTR_TEXT_POINT_SIZE, 2), 0);
    GetCtrlAttribute(panel, text, ATTR_TEXT_FONT, name);
    EXPECT_STREQ(name, "DejaVu Serif");
    // A typeface this machine lacks is kept (drawn with a substitute).
    EXPECT_EQ(SetCtrlAttribute(panel, text, ATTR_TEXT_FONT, "NoSuchFontAnywhere"), 0);
    EXPECT_STREQ(GetUILErrorString(UIE_BAD_FONT), "The font is neither a metafont nor a typeface of this machine.");
    DiscardPanel(panel);
}
