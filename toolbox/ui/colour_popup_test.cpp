// Tests of the colour change popup, driven in-process as an operator would while it runs: a
// timer of another panel acts on the popup's controls, one action per turn of the popup's loop.
#include "toolbox/ui/colour_popup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "rte/alloc_testing.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

// The popup's control whose label, as shown, is label (its escape and blanks left out).
int Labelled(int panel, const std::string &label) {
    for (int c : rte::testing::PanelCtrls(panel)) {
        int length = 0;
        GetCtrlAttribute(panel, c, ATTR_LABEL_TEXT_LENGTH, &length);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        GetCtrlAttribute(panel, c, ATTR_LABEL_TEXT, text.data());
        text.resize(static_cast<size_t>(length));
        size_t escape = text.find("__");
        if (escape != std::string::npos) text.erase(escape, 2);
        size_t start = text.find_first_not_of(' '), end = text.find_last_not_of(' ');
        if (start != std::string::npos && text.substr(start, end - start + 1) == label) return c;
    }
    return 0;
}
int OfStyle(int panel, int style) {
    for (int c : rte::testing::PanelCtrls(panel)) {
        int s = 0;
        GetCtrlAttribute(panel, c, ATTR_CTRL_STYLE, &s);
        if (s == style) return c;
    }
    return 0;
}

// Acts on the popup (the active panel) from a timer that ticks on every turn of its loop.
struct Driver {
    std::vector<std::function<void(int popup)>> actions;
    size_t next = 0;
    bool busy = false;
    int panel = 0, timer = 0;
    Driver() {
        panel = NewPanel(0, "Driver", 0, 0, 10, 10);
        timer = NewCtrl(panel, CTRL_TIMER, "", 0, 0);
        SetCtrlAttribute(panel, timer, ATTR_INTERVAL, 0.0);
        InstallCtrlCallback(panel, timer, Tick, this);
    }
    ~Driver() { DiscardPanel(panel); }
    static int Tick(int, int, int event, void *data, int, int) {
        auto *d = static_cast<Driver *>(data);
        if (event != EVENT_TIMER_TICK || d->busy || d->next >= d->actions.size()) return 0;
        d->busy = true;  // an action processes events, which must not start the next one
        d->actions[d->next++](rte::testing::ActivePanel());
        d->busy = false;
        return 0;
    }
    void Press(const std::string &label) {
        actions.push_back([label](int popup) { EXPECT_EQ(rte::testing::Press(popup, Labelled(popup, label)), 0) << label; });
    }
};

std::vector<int> g_told;  // positions given to the change callback
void Told(ListHandle, void *, int position) { g_told.push_back(position); }

class ColourPopup : public ::testing::Test {
protected:
    void SetUp() override {
        g_told.clear();
        list = ListCreate(sizeof(ColorListEntry));
        for (const ColorListEntry &e : entries) ListInsertItem(list, &e, LIST_END);
    }
    void TearDown() override {
        ListDispose(list);
        rte::testing::DiscardAllPanels();
    }
    std::vector<int> Colors() {
        std::vector<int> out;
        for (int i = 1; i <= ListNumItems(list); ++i) out.push_back(static_cast<ColorListEntry *>(ListGetPtrToItem(list, i))->color);
        return out;
    }
    char background[11] = "Background", text[5] = "Text", accent[7] = "Accent";
    ColorListEntry entries[3] = {{background, 0xFFFFFF, 0x101010}, {text, 0x000000, 0x202020}, {accent, 0x0000FF, 0x303030}};
    ListHandle list = nullptr;
};

TEST_F(ColourPopup, DefaultThenOkKeepsTheDefaults) {
    Driver d;
    int lines = 0, defaultVisible = 0;
    d.actions.push_back([&](int popup) {
        GetCtrlAttribute(popup, OfStyle(popup, CTRL_LIST_BOX), ATTR_VISIBLE_LINES, &lines);
        GetCtrlAttribute(popup, Labelled(popup, "Default"), ATTR_VISIBLE, &defaultVisible);
    });
    d.Press("Default");
    d.Press("OK");
    EXPECT_EQ(ColorChangePopup("Colours", list, 1, Told, nullptr), 1);
    EXPECT_EQ(Colors(), (std::vector<int>{0xFFFFFF, 0x000000, 0x0000FF}));
    EXPECT_EQ(g_told, std::vector<int>{-1});
    EXPECT_EQ(lines, 5);  // 3 colours: at least 5 lines
    EXPECT_EQ(defaultVisible, 1);
    EXPECT_EQ(rte::testing::AllPanels().size(), 1u);  // the popup is gone; the driver stays
}

TEST_F(ColourPopup, DefaultThenCancelPutsTheColoursBack) {
    Driver d;
    d.Press("Default");
    d.Press("Cancel");
    EXPECT_EQ(ColorChangePopup("Colours", list, 1, Told, nullptr), 0);
    EXPECT_EQ(Colors(), (std::vector<int>{0x101010, 0x202020, 0x303030}));
    EXPECT_EQ(g_told, (std::vector<int>{-1, -1}));
}

TEST_F(ColourPopup, OkWithoutChangeAndWithoutDefault) {
    Driver d;
    int defaultVisible = 1;
    d.actions.push_back([&](int popup) { GetCtrlAttribute(popup, Labelled(popup, "Default"), ATTR_VISIBLE, &defaultVisible); });
    d.Press("OK");
    EXPECT_EQ(ColorChangePopup("Colours", list, 0, Told, nullptr), 0);
    EXPECT_EQ(defaultVisible, 0);
    EXPECT_TRUE(g_told.empty());
    // Escape is Cancel, Enter is OK; closing the window is Cancel too.
    Driver keys;
    keys.actions.push_back([](int popup) { rte::testing::KeyPress(popup, OfStyle(popup, CTRL_LIST_BOX), VAL_ESC_VKEY); });
    EXPECT_EQ(ColorChangePopup("Colours", list, 1, nullptr, nullptr), 0);
    Driver close;
    close.Press("Default");
    close.actions.push_back([](int popup) { rte::testing::ClosePanel(popup); });
    EXPECT_EQ(ColorChangePopup("Colours", list, 1, nullptr, nullptr), 0);
    EXPECT_EQ(Colors(), (std::vector<int>{0x101010, 0x202020, 0x303030}));
}

TEST_F(ColourPopup, EditingOneColourRebuildsItsLine) {
    Driver d;
    std::string line;
    d.actions.push_back([&](int popup) { rte::testing::Select(popup, OfStyle(popup, CTRL_LIST_BOX), "Text"); });
    d.actions.push_back([&](int popup) {
        int colour = OfStyle(popup, CTRL_COLOR_NUMERIC);
        EXPECT_EQ(rte::testing::ValueText(popup, colour), "0x202020");  // the selected colour is shown
        EXPECT_EQ(rte::testing::Type(popup, colour, "#123456"), 0);
        int list = OfStyle(popup, CTRL_LIST_BOX), length = 0;
        GetLabelLengthFromIndex(popup, list, 1, &length);
        line.assign(static_cast<size_t>(length) + 1, '\0');
        GetLabelFromIndex(popup, list, 1, line.data());
        line.resize(static_cast<size_t>(length));
    });
    d.actions.push_back([](int popup) { rte::testing::KeyPress(popup, OfStyle(popup, CTRL_LIST_BOX), VAL_ENTER_VKEY); });
    EXPECT_EQ(ColorChangePopup("Colours", list, 1, Told, nullptr), 1);
    EXPECT_EQ(Colors(), (std::vector<int>{0x101010, 0x123456, 0x303030}));
    EXPECT_EQ(g_told, std::vector<int>{2});
    EXPECT_EQ(line, "Text\033p415l\033fgCCCCCC\033drawfilledbox001CCCCCC\033fgffffff\033drawfilledbox109123456");
}

TEST_F(ColourPopup, LongNamesManyColoursAndNone) {
    std::string longName(1000, 'n');
    std::vector<ColorListEntry> many(30, ColorListEntry{longName.data(), 1, 2});
    ListHandle big = ListCreate(sizeof(ColorListEntry));
    ListInsertItems(big, many.data(), LIST_END, 30);
    Driver d;
    int lines = 0;
    std::vector<std::string> labels;
    d.actions.push_back([&](int popup) {
        GetCtrlAttribute(popup, OfStyle(popup, CTRL_LIST_BOX), ATTR_VISIBLE_LINES, &lines);
        labels = rte::testing::ItemLabels(popup, OfStyle(popup, CTRL_LIST_BOX));
    });
    d.Press("OK");
    EXPECT_EQ(ColorChangePopup("Many", big, 1, nullptr, nullptr), 0);
    EXPECT_EQ(lines, 10);
    ASSERT_EQ(labels.size(), 30u);
    EXPECT_EQ(labels[29], longName);
    ListDispose(big);

    ListHandle none = ListCreate(sizeof(ColorListEntry));
    Driver e;
    e.Press("Default");
    e.Press("OK");
    EXPECT_EQ(ColorChangePopup("None", none, 1, Told, nullptr), 1);
    ListDispose(none);
    EXPECT_EQ(ColorChangePopup("Null", nullptr, 1, nullptr, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(ColorChangePopup(nullptr, list, 1, nullptr, nullptr), UIE_NULL_POINTER);
    ListHandle small = ListCreate(4);
    EXPECT_EQ(ColorChangePopup("Small", small, 1, nullptr, nullptr), UIE_BAD_VALUE);
    ListDispose(small);
}

TEST_F(ColourPopup, OutOfMemoryAtEachStepEndsThePopupCleanly) {
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        Driver d;
        d.Press("Default");
        d.Press("OK");
        int rc = ColorChangePopup("Memory", list, 1, nullptr, nullptr);
        EXPECT_EQ(rc, injected ? UIE_OUT_OF_MEMORY : 1);
        EXPECT_EQ(rte::testing::AllPanels().size(), 1u);
    });
}

}  // namespace
