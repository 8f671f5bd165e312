// Tests that each engine call refuses what it documents with the documented code, changing
// nothing: bad handles, attributes and values, lists, events and loops, resource files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

struct Refusal {
    const char *call;
    std::function<int()> run;
    int code;
};
#define REFUSES(call, code) Refusal{#call, [&] { return (call); }, code}

void ExpectRefusals(const std::vector<Refusal> &table) {
    for (const Refusal &r : table) EXPECT_EQ(r.run(), r.code) << r.call;
}

class UiFailures : public ::testing::Test {
protected:
    void SetUp() override {
        panel = NewPanel(0, "Failures", 0, 0, 200, 300);
        child = NewPanel(panel, "Child", 0, 0, 50, 50);
        str = NewCtrl(panel, CTRL_STRING, "S", 20, 10);
        num = NewCtrl(panel, CTRL_NUMERIC, "N", 50, 10);
        color = NewCtrl(panel, CTRL_COLOR_NUMERIC, "C", 80, 10);
        button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "B", 110, 10);
        timer = NewCtrl(panel, CTRL_TIMER, "", 0, 0);
        empty = NewCtrl(panel, CTRL_LIST_BOX, "Empty", 140, 10);
        names = NewCtrl(panel, CTRL_RING, "Names", 170, 10);
        SetCtrlAttribute(panel, names, ATTR_DATA_TYPE, VAL_STRING);
        InsertListItem(panel, names, -1, "one", "1");
    }
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    int panel = 0, child = 0, str = 0, num = 0, color = 0, button = 0, timer = 0, empty = 0, names = 0;
    const int bad = 99999;
};

TEST_F(UiFailures, PanelsAndControlsByHandle) {
    int t, l, h, w;
    ExpectRefusals({
        REFUSES(NewPanel(bad, "x", 0, 0, 1, 1), UIE_BAD_PANEL),
        REFUSES(NewPanel(0, nullptr, 0, 0, 1, 1), UIE_NULL_POINTER),
        REFUSES(NewCtrl(bad, CTRL_STRING, "x", 0, 0), UIE_BAD_PANEL),
        REFUSES(DiscardCtrl(bad, str), UIE_BAD_PANEL),
        REFUSES(DiscardCtrl(panel, bad), UIE_BAD_CONTROL),
        REFUSES(DisplayPanel(bad), UIE_BAD_PANEL),
        REFUSES(HidePanel(bad), UIE_BAD_PANEL),
        REFUSES(InstallPopup(bad), UIE_BAD_PANEL),
        REFUSES(InstallPopup(child), UIE_NOT_TOP_LEVEL),
        REFUSES(RemovePopup(bad), UIE_BAD_PANEL),
        REFUSES(SetPanelPos(bad, 0, 0), UIE_BAD_PANEL),
        REFUSES(InstallPanelCallback(bad, nullptr, nullptr), UIE_BAD_PANEL),
        REFUSES(InstallCtrlCallback(bad, str, nullptr, nullptr), UIE_BAD_PANEL),
        REFUSES(InstallCtrlCallback(panel, bad, nullptr, nullptr), UIE_BAD_CONTROL),
        REFUSES(SetActiveCtrl(bad, str), UIE_BAD_PANEL),
        REFUSES(SetActiveCtrl(panel, bad), UIE_BAD_CONTROL),
        REFUSES(GetActiveCtrl(bad), UIE_BAD_PANEL),
        REFUSES(GetCtrlBoundingRect(bad, str, &t, &l, &h, &w), UIE_BAD_PANEL),
        REFUSES(GetCtrlBoundingRect(panel, bad, &t, &l, &h, &w), UIE_BAD_CONTROL),
        REFUSES(NewCtrl(panel, 12345, "x", 0, 0), UIE_BAD_STYLE),
        REFUSES(NewCtrl(panel, CTRL_STRING, nullptr, 0, 0), UIE_NULL_POINTER),
        REFUSES(MessagePopup(nullptr, "text"), UIE_NULL_POINTER),
        REFUSES(MessagePopup("title", nullptr), UIE_NULL_POINTER),
    });
    EXPECT_EQ(rte::testing::AllPanels().size(), 2u);
    EXPECT_EQ(RemovePopup(0), 0);  // no popup: nothing to remove
}

TEST_F(UiFailures, AttributesAndValues) {
    int i = 0;
    char text[64];
    ExpectRefusals({
        REFUSES(SetPanelAttribute(bad, ATTR_DIMMED, 1), UIE_BAD_PANEL),
        REFUSES(GetPanelAttribute(bad, ATTR_DIMMED, &i), UIE_BAD_PANEL),
        REFUSES(SetPanelAttribute(panel, 12345, 1), UIE_BAD_ATTRIBUTE),
        REFUSES(GetPanelAttribute(panel, ATTR_DATA_TYPE, &i), UIE_WRONG_ATTRIBUTE),
        REFUSES(GetPanelAttribute(panel, ATTR_TITLE, nullptr), UIE_NULL_POINTER),
        REFUSES(SetPanelAttribute(panel, ATTR_TITLE, nullptr), UIE_NULL_POINTER),
        REFUSES(SetPanelAttribute(panel, ATTR_NUM_CTRLS, 3), UIE_READ_ONLY_ATTRIBUTE),
        REFUSES(SetPanelAttribute(panel, ATTR_PANEL_FIRST_CTRL, str), UIE_READ_ONLY_ATTRIBUTE),
        REFUSES(SetPanelAttribute(panel, ATTR_FRAME_THICKNESS, 33), UIE_BAD_VALUE),
        REFUSES(SetPanelAttribute(panel, ATTR_BACKCOLOR, VAL_TRANSPARENT), UIE_BAD_VALUE),
        REFUSES(GetCtrlAttribute(bad, str, ATTR_DIMMED, &i), UIE_BAD_PANEL),
        REFUSES(GetCtrlAttribute(panel, bad, ATTR_DIMMED, &i), UIE_BAD_CONTROL),
        REFUSES(SetCtrlAttribute(bad, str, ATTR_DIMMED, 1), UIE_BAD_PANEL),
        REFUSES(SetCtrlAttribute(panel, bad, ATTR_DIMMED, 1), UIE_BAD_CONTROL),
        REFUSES(GetCtrlAttribute(panel, str, 12345, &i), UIE_BAD_ATTRIBUTE),
        REFUSES(GetCtrlAttribute(panel, str, ATTR_WIDTH, nullptr), UIE_NULL_POINTER),
        REFUSES(SetCtrlAttribute(panel, str, ATTR_INTERVAL, 1.0), UIE_WRONG_ATTRIBUTE),  // not a timer
        REFUSES(SetPanelAttribute(panel, ATTR_LABEL_TEXT, "x"), UIE_WRONG_ATTRIBUTE),    // control only
        REFUSES(SetCtrlAttribute(panel, str, ATTR_LABEL_WIDTH, 5), UIE_READ_ONLY_ATTRIBUTE),
        REFUSES(SetCtrlAttribute(panel, str, ATTR_DIMMED, 2), UIE_BAD_VALUE),
        REFUSES(SetCtrlAttribute(panel, str, ATTR_TEXT_COLOR, 0x1000001), UIE_BAD_VALUE),
        REFUSES(SetCtrlAttribute(panel, str, ATTR_MAX_ENTRY_LENGTH, -2), UIE_BAD_VALUE),
        REFUSES(SetCtrlAttribute(panel, timer, ATTR_INTERVAL, -0.5), UIE_BAD_VALUE),
        REFUSES(SetPanelAttribute(panel, ATTR_CLOSE_CTRL, 77), UIE_BAD_VALUE),  // no such control
        REFUSES(SetCtrlAttribute(panel, str, ATTR_TITLE, "x"), UIE_WRONG_ATTRIBUTE),
        REFUSES(SetCtrlAttribute(panel, button, ATTR_CTRL_MODE, VAL_HOT), UIE_WRONG_ATTRIBUTE),
        REFUSES(SetCtrlAttribute(panel, str, ATTR_VISIBLE_LINES, 3), UIE_WRONG_ATTRIBUTE),
        REFUSES(SetCtrlAttribute(panel, str, ATTR_CTRL_MODE, 7), UIE_BAD_VALUE),
        REFUSES(SetCtrlAttribute(panel, str, ATTR_DATA_TYPE, VAL_INTEGER), UIE_READ_ONLY_ATTRIBUTE),
        REFUSES(SetCtrlAttribute(panel, num, ATTR_DATA_TYPE, VAL_STRING), UIE_BAD_VALUE),
        REFUSES(SetCtrlAttribute(panel, str, ATTR_TEXT_FONT, ""), UIE_BAD_VALUE),
        REFUSES(SetCtrlAttribute(panel, str, ATTR_LABEL_TEXT, nullptr), UIE_NULL_POINTER),
        REFUSES(SetCtrlAttribute(panel, timer, ATTR_INTERVAL, 2e9), UIE_BAD_VALUE),
        REFUSES(SetCtrlVal(bad, str, "x"), UIE_BAD_PANEL),
        REFUSES(SetCtrlVal(panel, bad, "x"), UIE_BAD_CONTROL),
        REFUSES(GetCtrlVal(bad, str, text), UIE_BAD_PANEL),
        REFUSES(GetCtrlVal(panel, bad, text), UIE_BAD_CONTROL),
        REFUSES(GetCtrlVal(panel, str, nullptr), UIE_NULL_POINTER),
        REFUSES(SetCtrlVal(panel, timer, 1), UIE_NO_VALUE),
        REFUSES(GetCtrlVal(panel, timer, &i), UIE_NO_VALUE),
        REFUSES(GetCtrlVal(panel, button, text), UIE_NO_VALUE),
        REFUSES(SetCtrlVal(panel, button, 1), UIE_NO_VALUE),
        REFUSES(SetCtrlVal(panel, str, static_cast<const char *>(nullptr)), UIE_NULL_POINTER),
        REFUSES(SetCtrlVal(panel, color, 0x1000000), UIE_BAD_VALUE),
        REFUSES(SetCtrlVal(panel, empty, 0), UIE_LIST_EMPTY),
        REFUSES(SetCtrlVal(panel, names, static_cast<const char *>(nullptr)), UIE_NULL_POINTER),
    });
    EXPECT_EQ(GetCtrlVal(panel, names, text), 0);
    EXPECT_STREQ(text, "1");
    EXPECT_EQ(GetCtrlAttribute(panel, str, ATTR_DIMMED, &i), 0);  // failed sets left the old value
    EXPECT_EQ(i, 0);
}

TEST_F(UiFailures, ListControls) {
    int n = 0;
    char text[64];
    ExpectRefusals({
        REFUSES(ClearListCtrl(bad, empty), UIE_BAD_PANEL),
        REFUSES(ClearListCtrl(panel, bad), UIE_BAD_CONTROL),
        REFUSES(InsertListItem(panel, str, -1, "x", "x"), UIE_NOT_LIST_CONTROL),
        REFUSES(InsertListItem(panel, empty, -2, "x", 1), UIE_INDEX_OUT_OF_RANGE),
        REFUSES(InsertListItem(panel, empty, -1, nullptr, 1), UIE_NULL_POINTER),
        REFUSES(InsertListItem(panel, names, -1, "x", static_cast<const char *>(nullptr)), UIE_NULL_POINTER),
        REFUSES(ReplaceListItem(panel, empty, 0, "x", 1), UIE_INDEX_OUT_OF_RANGE),
        REFUSES(ReplaceListItem(panel, names, 0, "x", static_cast<const char *>(nullptr)), UIE_NULL_POINTER),
        REFUSES(ReplaceListItem(panel, button, 0, "x", 1), UIE_NOT_LIST_CONTROL),
        REFUSES(DeleteListItem(panel, empty, 0, 1), UIE_INDEX_OUT_OF_RANGE),
        REFUSES(DeleteListItem(panel, names, 0, -2), UIE_BAD_VALUE),
        REFUSES(DeleteListItem(bad, names, 0, 1), UIE_BAD_PANEL),
        REFUSES(GetNumListItems(panel, names, nullptr), UIE_NULL_POINTER),
        REFUSES(GetNumListItems(panel, num, &n), UIE_NOT_LIST_CONTROL),
        REFUSES(GetCtrlIndex(panel, names, nullptr), UIE_NULL_POINTER),
        REFUSES(GetCtrlIndex(panel, bad, &n), UIE_BAD_CONTROL),
        REFUSES(SetCtrlIndex(panel, names, 1), UIE_INDEX_OUT_OF_RANGE),
        REFUSES(SetCtrlIndex(panel, str, 0), UIE_NOT_LIST_CONTROL),
        REFUSES(GetValueFromIndex(panel, names, 0, nullptr), UIE_NULL_POINTER),
        REFUSES(GetValueFromIndex(panel, names, 1, text), UIE_INDEX_OUT_OF_RANGE),
        REFUSES(GetLabelFromIndex(panel, names, -1, text), UIE_INDEX_OUT_OF_RANGE),
        REFUSES(GetLabelLengthFromIndex(panel, str, 0, &n), UIE_NOT_LIST_CONTROL),
        REFUSES(GetValueLengthFromIndex(panel, names, 0, nullptr), UIE_NULL_POINTER),
        REFUSES(GetIndexFromValue(panel, names, nullptr, "1"), UIE_NULL_POINTER),
        REFUSES(GetIndexFromValue(panel, str, &n, "1"), UIE_NOT_LIST_CONTROL),
    });
    EXPECT_EQ(rte::testing::ItemLabels(panel, names), std::vector<std::string>{"one"});
    EXPECT_EQ(GetIndexFromValue(panel, names, &n, "2"), 0);
    EXPECT_EQ(n, -1);  // no such value is no error
}

int g_nestedLoop = 0;
void RunNestedLoop(void *) {
    g_nestedLoop = RunUserInterface();
    QuitUserInterface(4);
}

TEST_F(UiFailures, EventsLoopsAndSymbols) {
    int dummy = 0;
    const RteSymbol symbol = {"dummy", &dummy, 0};
    ExpectRefusals({
        REFUSES(QueueUserEvent(1000, bad, 0), UIE_BAD_PANEL),
        REFUSES(PostDeferredCallToThread(RunNestedLoop, nullptr, 0xFFFFFF), UIE_NO_SUCH_THREAD),
        REFUSES(RteSetSymbolTable(nullptr, 1), UIE_NULL_POINTER),
        REFUSES(RteSetSymbolTable(&symbol, -1), UIE_BAD_VALUE),
    });
    EXPECT_EQ(RteFindSymbol("dummy", nullptr), nullptr);  // the refused table was not taken
    // A loop started from inside the running loop is refused.
    ASSERT_EQ(PostDeferredCallToThread(RunNestedLoop, nullptr, CurrThreadId()), 0);
    EXPECT_EQ(RunUserInterface(), 4);
    EXPECT_EQ(g_nestedLoop, UIE_LOOP_RUNNING);
}

TEST_F(UiFailures, ResourceFilesThatCannotBeRead) {
    const char *folder = "ui_failures_test.uir";
    ASSERT_EQ(mkdir(folder, 0700), 0);
    EXPECT_EQ(LoadPanel(0, folder, 1), UIE_FILE_READ_ERROR);
    EXPECT_NE(std::string(RteGetLoadPanelError()).find("cannot be read"), std::string::npos);
    rmdir(folder);
    EXPECT_EQ(LoadPanel(child, "no such file.uir", 1), UIE_FILE_NOT_FOUND);
    EXPECT_EQ(rte::testing::AllPanels().size(), 2u);
}

}  // namespace
